#include "media/MediaDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <mutex>

namespace tav {

namespace {

constexpr AVRational kMicro{1, 1000000};

std::string AvErrorText(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return buf;
}

} // namespace

void TMediaDecoder::FrameFree::operator()(AVFrame* f) const { av_frame_free(&f); }

struct TMediaDecoder::TBufferPool {
    // A play keeps about kQueue frames in flight; more spare buffers than
    // that would only hold memory.
    static constexpr size_t kSpare = 12;
    std::mutex Mutex;
    size_t Bytes = 0; // the size of the buffers kept; another size drops them
    std::vector<uint8_t*> Free;

    ~TBufferPool() { Drop(); }
    void Drop() {
        for (uint8_t* b : Free) av_free(b);
        Free.clear();
    }
    uint8_t* Take(size_t bytes) {
        {
            std::lock_guard lock(Mutex);
            if (bytes != Bytes) {
                Drop();
                Bytes = bytes;
            }
            if (!Free.empty()) {
                uint8_t* b = Free.back();
                Free.pop_back();
                return b;
            }
        }
        return static_cast<uint8_t*>(av_malloc(bytes));
    }
    void Give(uint8_t* b, size_t bytes) {
        {
            std::lock_guard lock(Mutex);
            if (bytes == Bytes && Free.size() < kSpare) {
                Free.push_back(b);
                return;
            }
        }
        av_free(b);
    }
};


TMediaDecoder::TMediaDecoder(const std::string& path, int audioRate)
    : pool_(std::make_shared<TBufferPool>()), path_(path), audioRate_(audioRate) {
    av_log_set_level(AV_LOG_QUIET);
    const std::string name = "cannot open '" + path + "': ";
    int rc = avformat_open_input(&fmt_, path.c_str(), nullptr, nullptr);
    if (rc < 0) {
        throw EMediaError(name + (rc == AVERROR(ENOENT) ? std::string("no such file") : AvErrorText(rc)));
    }
    try {
        rc = avformat_find_stream_info(fmt_, nullptr);
        if (rc < 0) throw EMediaError(name + AvErrorText(rc));
        int v = av_find_best_stream(fmt_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (v >= 0 && !(fmt_->streams[v]->disposition & AV_DISPOSITION_ATTACHED_PIC)) videoIndex_ = v;
        int a = av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (a >= 0) audioIndex_ = a;
        if (videoIndex_ < 0 && audioIndex_ < 0) throw EMediaError(name + "no sound or picture in the file");
        if (videoIndex_ >= 0) OpenCodec(videoIndex_, &vctx_);
        if (audioIndex_ >= 0) {
            try {
                OpenCodec(audioIndex_, &actx_);
            } catch (const EMediaError&) {
                // A film whose sound cannot be decoded still shows its pictures.
                if (videoIndex_ < 0) throw;
                audioIndex_ = -1;
            }
        }
        pkt_ = av_packet_alloc();
        frame_ = av_frame_alloc();

        const int main = videoIndex_ >= 0 ? videoIndex_ : audioIndex_;
        AVStream* st = fmt_->streams[main];
        if (st->start_time != AV_NOPTS_VALUE)
            originUs_ = av_rescale_q(st->start_time, st->time_base, kMicro);
        else if (fmt_->start_time != AV_NOPTS_VALUE)
            originUs_ = fmt_->start_time;
        if (fmt_->duration != AV_NOPTS_VALUE && fmt_->duration > 0) {
            const int64_t start = fmt_->start_time != AV_NOPTS_VALUE ? fmt_->start_time : originUs_;
            durationUs_ = start + fmt_->duration - originUs_;
        } else if (st->duration != AV_NOPTS_VALUE) {
            durationUs_ = av_rescale_q(st->duration, st->time_base, kMicro);
        }
        if (videoIndex_ >= 0) {
            // Durations estimated from time stamps end at the last picture's
            // start; the picture itself lasts one frame longer.
            AVStream* vs = fmt_->streams[videoIndex_];
            if (fmt_->duration_estimation_method == AVFMT_DURATION_FROM_PTS && vs->duration != AV_NOPTS_VALUE &&
                vs->start_time != AV_NOPTS_VALUE) {
                AVRational fr = av_guess_frame_rate(fmt_, vs, nullptr);
                const int64_t frame = fr.num > 0 ? av_rescale(1000000, fr.den, fr.num) : 0;
                const int64_t videoEnd = av_rescale_q(vs->start_time + vs->duration, vs->time_base, kMicro) + frame;
                durationUs_ = std::max(durationUs_, videoEnd - originUs_);
            }
        }
        if (durationUs_ < 0) durationUs_ = 0;

        if (videoIndex_ >= 0) {
            AVStream* vs = fmt_->streams[videoIndex_];
            AVRational fr = av_guess_frame_rate(fmt_, vs, nullptr);
            if (fr.num > 0 && fr.den > 0) frameDurUs_ = av_rescale(1000000, fr.den, fr.num);
            int w = vs->codecpar->width, h = vs->codecpar->height;
            AVRational sar = av_guess_sample_aspect_ratio(fmt_, vs, nullptr);
            if (sar.num > 0 && sar.den > 0 && sar.num != sar.den)
                w = static_cast<int>(std::lround(w * static_cast<double>(sar.num) / sar.den));
            naturalSize_ = QSize(w, h);
            if (w <= 0 || h <= 0) throw EMediaError(name + "the picture has no size");
        }
        if (audioIndex_ >= 0) {
            AVChannelLayout in{};
            if (actx_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
                av_channel_layout_default(&in, actx_->ch_layout.nb_channels);
            else
                av_channel_layout_copy(&in, &actx_->ch_layout);
            AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
            rc = swr_alloc_set_opts2(&swr_, &out, AV_SAMPLE_FMT_FLT, audioRate_, &in, actx_->sample_fmt,
                                     actx_->sample_rate, 0, nullptr);
            av_channel_layout_uninit(&in);
            if (rc < 0 || swr_init(swr_) < 0) throw EMediaError(name + "the sound format cannot be converted");
        }
        if (videoIndex_ >= 0) {
            AlignToFirstPicture();
            MeasurePictureEnd();
        }
    } catch (...) {
        Release();
        throw;
    }
}

TMediaDecoder::~TMediaDecoder() { Release(); }

void TMediaDecoder::Release() {
    videoOut_.clear();
    audioOut_.clear();
    if (sws_) sws_freeContext(sws_);
    sws_ = nullptr;
    if (swr_) swr_free(&swr_);
    if (frame_) av_frame_free(&frame_);
    if (pkt_) av_packet_free(&pkt_);
    if (vctx_) avcodec_free_context(&vctx_);
    if (actx_) avcodec_free_context(&actx_);
    if (fmt_) avformat_close_input(&fmt_);
}

void TMediaDecoder::OpenCodec(int index, AVCodecContext** ctx) {
    AVStream* st = fmt_->streams[index];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    const std::string name = "cannot open '" + path_ + "': ";
    if (!codec) throw EMediaError(name + "no decoder for " + avcodec_get_name(st->codecpar->codec_id));
    *ctx = avcodec_alloc_context3(codec);
    if (!*ctx || avcodec_parameters_to_context(*ctx, st->codecpar) < 0)
        throw EMediaError(name + "decoder set-up failed");
    (*ctx)->pkt_timebase = st->time_base;
    // One thread: frame threads would add frames of delay to every seek, and
    // slice threads cost more than they give at these sizes (on two cores
    // exact seeks took longer with them, and playback used a fifth more
    // processor time in their hand-overs; the disc's H.264 parts are coded
    // as one slice, which they cannot split at all).
    (*ctx)->thread_type = FF_THREAD_SLICE;
    (*ctx)->thread_count = 1;
    int rc = avcodec_open2(*ctx, codec, nullptr);
    if (rc < 0) throw EMediaError(name + AvErrorText(rc));
}

void TMediaDecoder::AlignToFirstPicture() {
    // Time 0 is the first picture shown. Containers without presentation
    // times (AVI with B-frames) put it a frame or more after the stream's
    // start time, so decode it and move the origin there.
    awaitKey_ = true;
    keyPtsUs_ = INT64_MIN;
    for (int packets = 0; videoOut_.empty() && packets < 2000; ++packets)
        if (!ReadAndDecode()) break;
    if (!videoOut_.empty()) {
        const int64_t first = videoOut_.front().PtsUs;
        originUs_ += first;
        durationUs_ = std::max<int64_t>(0, durationUs_ - first);
    }
    DemuxSeek(0);
}

void TMediaDecoder::MeasurePictureEnd() {
    // The container's length is an estimate: program streams take it from
    // the time stamps of the last packets, sound included, and miss or add
    // a frame or more. A film cut into parts is one timeline only if every
    // part is exactly as long as its pictures, so decode the last group and
    // end one frame after the last picture.
    if (frameDurUs_ <= 0) return;
    int64_t back = std::max<int64_t>(2000000, 8 * frameDurUs_);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int64_t from = std::max<int64_t>(durationUs_ - back, 0);
        DemuxSeek(from);
        awaitKey_ = true;
        keyPtsUs_ = INT64_MIN;
        int64_t last = INT64_MIN;
        // Bounded: a file that cannot seek starts again from its beginning.
        for (int packets = 0; packets < 4000 && ReadAndDecode(); ++packets) {
            for (const RawVideo& f : videoOut_) last = std::max(last, f.PtsUs);
            videoOut_.clear();
            audioOut_.clear();
        }
        if (last != INT64_MIN && draining_) {
            const int64_t pictureEnd = last + frameDurUs_;
            // Sound that outlasts the pictures by more than padding (a still
            // picture over a long sound) keeps the longer length.
            if (durationUs_ - pictureEnd < 1000000) durationUs_ = pictureEnd;
            break;
        }
        if (from == 0) break;
        back *= 4;
    }
    DemuxSeek(0);
}

int64_t TMediaDecoder::StreamUs(int index, int64_t ts) const {
    return av_rescale_q(ts, fmt_->streams[index]->time_base, kMicro) - originUs_;
}

void TMediaDecoder::Flush() {
    if (vctx_) avcodec_flush_buffers(vctx_);
    if (actx_) avcodec_flush_buffers(actx_);
    if (swr_) {
        swr_close(swr_);
        swr_init(swr_);
    }
    videoOut_.clear();
    audioOut_.clear();
    lastVideoUs_ = INT64_MIN;
    eof_ = false;
    draining_ = false;
    readError_ = false;
}

void TMediaDecoder::DemuxSeek(int64_t targetUs) {
    const int index = HasVideo() ? videoIndex_ : audioIndex_;
    AVStream* st = fmt_->streams[index];
    int64_t ts = av_rescale_q(std::max<int64_t>(targetUs, 0) + originUs_, kMicro, st->time_base);
    int rc = -1;
    // In MPEG program and transport streams the very start is best found by
    // position: time searches there may land after the first group.
    const std::string kind = fmt_->iformat->name;
    const bool mpegStream = kind == "mpeg" || kind == "mpegts" || kind == "mpegvideo";
    if (targetUs <= 0 && mpegStream) rc = av_seek_frame(fmt_, -1, 0, AVSEEK_FLAG_BYTE);
    if (rc < 0 && targetUs <= 0) {
        const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
        rc = avformat_seek_file(fmt_, index, INT64_MIN, start, start, 0);
    }
    if (rc < 0) rc = av_seek_frame(fmt_, index, ts, AVSEEK_FLAG_BACKWARD);
    if (rc < 0) {
        // Some files cannot seek by time: start again from the beginning.
        rc = avformat_seek_file(fmt_, -1, INT64_MIN, 0, 0, AVSEEK_FLAG_BYTE);
        if (rc < 0) avformat_seek_file(fmt_, index, INT64_MIN, INT64_MIN, INT64_MIN, 0);
    }
    Flush();
}

bool TMediaDecoder::ReadAndDecode() {
    if (draining_) return false;
    int rc = av_read_frame(fmt_, pkt_);
    if (rc < 0) {
        if (rc != AVERROR_EOF && !avio_feof(fmt_->pb)) {
            readError_ = true;
            lastError_ = AvErrorText(rc);
        }
        // Drain the frames the decoders still hold.
        draining_ = true;
        if (vctx_) {
            vctx_->skip_frame = AVDISCARD_DEFAULT;
            avcodec_send_packet(vctx_, nullptr);
            ReceiveVideo();
        }
        if (actx_) {
            avcodec_send_packet(actx_, nullptr);
            ReceiveAudio();
        }
        return true;
    }
    if (pkt_->stream_index == videoIndex_) {
        if (seeking_) {
            int64_t ts = pkt_->pts != AV_NOPTS_VALUE ? pkt_->pts : pkt_->dts;
            if (ts != AV_NOPTS_VALUE) {
                const bool far = StreamUs(videoIndex_, ts) + 3 * frameDurUs_ < seekTargetUs_;
                vctx_->skip_frame = far ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
            }
        } else {
            vctx_->skip_frame = AVDISCARD_DEFAULT;
        }
        // Damaged data is skipped by the decoder; playback goes on.
        avcodec_send_packet(vctx_, pkt_);
        ReceiveVideo();
    } else if (pkt_->stream_index == audioIndex_) {
        avcodec_send_packet(actx_, pkt_);
        ReceiveAudio();
    }
    av_packet_unref(pkt_);
    return true;
}

void TMediaDecoder::ReceiveVideo() {
    while (avcodec_receive_frame(vctx_, frame_) == 0) {
        ++decodedFrames_;
        int64_t ts = frame_->pts != AV_NOPTS_VALUE ? frame_->pts : frame_->best_effort_timestamp;
        if (ts == AV_NOPTS_VALUE && lastVideoUs_ == INT64_MIN) {
            // A picture without a time right after a seek cannot be placed
            // (program streams may end on such a picture): drop it.
            av_frame_unref(frame_);
            continue;
        }
        // Without a time of its own a picture follows the one before it.
        const int64_t pts = ts != AV_NOPTS_VALUE ? StreamUs(videoIndex_, ts) : lastVideoUs_ + frameDurUs_;
        lastVideoUs_ = pts;
        if (awaitKey_) {
            // After a seek, pictures before the first key frame are built on
            // references we never decoded: drop them.
            if (!(frame_->key_frame || frame_->pict_type == AV_PICTURE_TYPE_I)) {
                av_frame_unref(frame_);
                continue;
            }
            awaitKey_ = false;
            keyPtsUs_ = pts;
        }
        if (pts < keyPtsUs_) { // leading pictures of an open group
            av_frame_unref(frame_);
            continue;
        }
        videoOut_.push_back({pts, RawFrame(av_frame_clone(frame_))});
        av_frame_unref(frame_);
    }
}

void TMediaDecoder::ReceiveAudio() {
    while (avcodec_receive_frame(actx_, frame_) == 0) {
        int64_t ts = frame_->best_effort_timestamp;
        int64_t start = ts != AV_NOPTS_VALUE ? StreamUs(audioIndex_, ts) : nextAudioUs_;
        int outMax = swr_get_out_samples(swr_, frame_->nb_samples);
        TAudioChunk chunk;
        chunk.StartUs = start;
        chunk.Samples.resize(static_cast<size_t>(std::max(outMax, 0)) * 2);
        uint8_t* out = reinterpret_cast<uint8_t*>(chunk.Samples.data());
        int got = swr_convert(swr_, &out, outMax, const_cast<const uint8_t**>(frame_->extended_data),
                              frame_->nb_samples);
        av_frame_unref(frame_);
        if (got <= 0) continue;
        chunk.Samples.resize(static_cast<size_t>(got) * 2);
        nextAudioUs_ = start + av_rescale(got, 1000000, audioRate_);
        if (seeking_ && nextAudioUs_ <= seekTargetUs_) continue;
        audioOut_.push_back(std::move(chunk));
    }
}

QImage TMediaDecoder::Convert(AVFrame* f) {
    if (f->width <= 0 || f->height <= 0) return QImage();
    // swscale's vector code writes whole blocks of pixels, so with a width that
    // is not a multiple of its block it runs past the end of a row, and past
    // the last row of a tightly sized picture (a small JPEG opened as a film
    // corrupted the heap). Rows padded to 64 bytes and two spare rows keep
    // those writes inside the picture's own buffer.
    const int stride = FFALIGN(f->width * 4, 64);
    const size_t bytes = size_t(stride) * (size_t(f->height) + 2);
    uint8_t* buffer = pool_->Take(bytes);
    if (!buffer) return QImage();
    // What the picture's cleanup needs: its buffer and where it goes back.
    struct TPooledBuffer {
        std::shared_ptr<TBufferPool> Pool;
        uint8_t* Data;
        size_t Bytes;
    };
    auto* owner = new TPooledBuffer{pool_, buffer, bytes};
    QImage img(
        buffer, f->width, f->height, stride, QImage::Format_RGB32,
        [](void* p) {
            auto* o = static_cast<TPooledBuffer*>(p);
            o->Pool->Give(o->Data, o->Bytes);
            delete o;
        },
        owner);
    if (img.isNull()) { // no cleanup was registered
        pool_->Give(buffer, bytes);
        delete owner;
        return QImage();
    }
    sws_ = sws_getCachedContext(sws_, f->width, f->height, static_cast<AVPixelFormat>(f->format), f->width,
                                f->height, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!sws_ || img.isNull()) return QImage();
    uint8_t* dst[4] = {img.bits(), nullptr, nullptr, nullptr};
    int dstStride[4] = {static_cast<int>(img.bytesPerLine()), 0, 0, 0};
    sws_scale(sws_, f->data, f->linesize, 0, f->height, dst, dstStride);
    return img;
}

bool TMediaDecoder::SeekExact(int64_t targetUs, TVideoFrame* out) {
    positioned_ = false;
    nextAudioUs_ = std::max<int64_t>(targetUs, 0);
    if (!HasVideo()) {
        DemuxSeek(targetUs);
        seekTargetUs_ = targetUs;
        seeking_ = true; // drops sound before the target
        // Leave seeking mode as soon as the first chunk is in.
        while (audioOut_.empty() && ReadAndDecode()) {}
        seeking_ = false;
        return false;
    }
    // Past the end, the search starts from the last picture the file claims.
    const int64_t searchUs = std::min(targetUs, std::max<int64_t>(durationUs_ - frameDurUs_, 0));
    int64_t backoff = 0;
    for (int attempt = 0; attempt < 12; ++attempt) {
        const int64_t seekUs = searchUs - backoff;
        const bool fromStart = seekUs <= 0;
        DemuxSeek(fromStart ? 0 : seekUs);
        seeking_ = true;
        seekTargetUs_ = targetUs;
        awaitKey_ = true;
        keyPtsUs_ = INT64_MIN;
        std::deque<TAudioChunk> keptAudio;
        RawVideo best{0, nullptr};
        bool tooLate = false, done = false;
        while (!done) {
            while (!done && !videoOut_.empty()) {
                RawVideo f = std::move(videoOut_.front());
                videoOut_.pop_front();
                if (f.PtsUs <= targetUs) {
                    best = std::move(f);
                    done = best.PtsUs + frameDurUs_ > targetUs;
                } else {
                    if (!best.Frame) {
                        tooLate = true;
                        best = std::move(f); // kept for a seek before the first frame
                    } else {
                        videoOut_.push_front(std::move(f));
                    }
                    done = true;
                }
            }
            for (auto& c : audioOut_) keptAudio.push_back(std::move(c));
            audioOut_.clear();
            if (!done && !ReadAndDecode()) {
                eof_ = true;
                break;
            }
        }
        seeking_ = false;
        vctx_->skip_frame = AVDISCARD_DEFAULT;
        // The demuxer landed after the target (imprecise index, open group):
        // step further back and try again.
        if ((tooLate || !best.Frame) && !fromStart) {
            backoff = backoff == 0 ? std::max<int64_t>(1000000, 4 * frameDurUs_) : backoff * 2;
            continue;
        }
        if (!best.Frame) return false;
        // Items decoded after the target frame stay queued for playback.
        for (auto it = keptAudio.rbegin(); it != keptAudio.rend(); ++it) audioOut_.push_front(std::move(*it));
        held_.PtsUs = best.PtsUs;
        held_.Image = Convert(best.Frame.get());
        if (out) *out = held_;
        positioned_ = true;
        return true;
    }
    return false;
}

void TMediaDecoder::ReleaseSpareBuffers() {
    std::lock_guard lock(pool_->Mutex);
    pool_->Drop();
}

bool TMediaDecoder::IsPositionedAt(int64_t targetUs) const {
    return positioned_ && HasVideo() && held_.PtsUs <= targetUs && targetUs < held_.PtsUs + frameDurUs_;
}

TMediaDecoder::TItem TMediaDecoder::Next(TVideoFrame& video, TAudioChunk& audio) {
    positioned_ = false;
    for (;;) {
        const bool haveVideo = !videoOut_.empty();
        const bool haveAudio = !audioOut_.empty();
        if (haveVideo && (!haveAudio || videoOut_.front().PtsUs <= audioOut_.front().StartUs)) {
            RawVideo f = std::move(videoOut_.front());
            videoOut_.pop_front();
            video.PtsUs = f.PtsUs;
            video.Image = Convert(f.Frame.get());
            return TItem::Video;
        }
        if (haveAudio) {
            audio = std::move(audioOut_.front());
            audioOut_.pop_front();
            return TItem::Audio;
        }
        if (eof_) return readError_ ? TItem::Error : TItem::End;
        if (!ReadAndDecode()) eof_ = true;
    }
}

} // namespace tav
