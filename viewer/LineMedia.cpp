#include "viewer/LineMedia.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <QBuffer>

#include <algorithm>
#include <cstring>
#include <memory>

#include "media/MediaDecoder.h"

namespace tav {

namespace {

std::string AvText(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return buf;
}

// A growing byte buffer the muxer writes into and may seek back in (the MP3
// muxer rewrites its header at the end).
struct TMemorySink {
    QByteArray Bytes;
    int64_t Pos = 0;

    static int Write(void* opaque, uint8_t* buf, int size) {
        auto* s = static_cast<TMemorySink*>(opaque);
        const int64_t end = s->Pos + size;
        if (end > s->Bytes.size()) s->Bytes.resize(qsizetype(end));
        std::memcpy(s->Bytes.data() + s->Pos, buf, size_t(size));
        s->Pos = end;
        return size;
    }
    static int64_t Seek(void* opaque, int64_t offset, int whence) {
        auto* s = static_cast<TMemorySink*>(opaque);
        whence &= ~AVSEEK_FORCE;
        if (whence == AVSEEK_SIZE) return s->Bytes.size();
        int64_t target = whence == SEEK_SET ? offset : whence == SEEK_CUR ? s->Pos + offset : s->Bytes.size() + offset;
        if (target < 0) return AVERROR(EINVAL);
        s->Pos = target;
        return target;
    }
};

struct TMuxer {
    AVFormatContext* Format = nullptr;
    AVCodecContext* Codec = nullptr;
    AVIOContext* Io = nullptr;
    AVFrame* Frame = nullptr;
    AVPacket* Packet = nullptr;
    ~TMuxer() {
        av_packet_free(&Packet);
        av_frame_free(&Frame);
        avcodec_free_context(&Codec);
        if (Io) {
            av_freep(&Io->buffer);
            avio_context_free(&Io);
        }
        if (Format) {
            Format->pb = nullptr;
            avformat_free_context(Format);
        }
    }
};

void Check(int rc, const char* what) {
    if (rc < 0) throw EMediaError(std::string("MP3 encoding failed (") + what + "): " + AvText(rc));
}

void Drain(TMuxer& m, AVStream* stream) {
    for (;;) {
        int rc = avcodec_receive_packet(m.Codec, m.Packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return;
        Check(rc, "encoder");
        av_packet_rescale_ts(m.Packet, m.Codec->time_base, stream->time_base);
        m.Packet->stream_index = stream->index;
        Check(av_interleaved_write_frame(m.Format, m.Packet), "writing");
    }
}

} // namespace

TLineCut CutFilmRange(const TFilmRange& range, int sampleRate, bool withPicture) {
    if (range.EndUs <= range.StartUs) throw EMediaError("the line has no length");
    TMediaDecoder decoder(range.File, sampleRate);
    TLineCut cut;
    cut.SampleRate = sampleRate;
    const int64_t frames = (range.EndUs - range.StartUs) * sampleRate / 1000000;
    cut.Stereo.assign(size_t(frames) * 2, 0.0f);
    const int64_t middleUs = (range.StartUs + range.EndUs) / 2;

    TVideoFrame video;
    decoder.SeekExact(range.StartUs, &video);
    if (withPicture && decoder.HasVideo() && video.PtsUs <= middleUs) cut.Picture = video.Image;
    bool pictureDone = !withPicture || !decoder.HasVideo();
    bool soundDone = !decoder.HasAudio();
    TAudioChunk chunk;
    while (!(pictureDone && soundDone)) {
        const auto item = decoder.Next(video, chunk);
        if (item == TMediaDecoder::TItem::End) break;
        if (item == TMediaDecoder::TItem::Error) throw EMediaError("the film could not be read: " + decoder.LastError());
        if (item == TMediaDecoder::TItem::Video) {
            if (video.PtsUs <= middleUs) cut.Picture = video.Image;
            else pictureDone = true;
            if (video.PtsUs >= range.EndUs) pictureDone = true;
            continue;
        }
        // Place every sample by its own time: the chunk may straddle the range's edges.
        const int64_t first = (chunk.StartUs - range.StartUs) * sampleRate / 1000000;
        if (first >= frames) {
            soundDone = true;
            continue;
        }
        const int64_t count = int64_t(chunk.Frames());
        for (int64_t i = std::max<int64_t>(0, -first); i < count && first + i < frames; ++i) {
            cut.Stereo[size_t(first + i) * 2] = chunk.Samples[size_t(i) * 2];
            cut.Stereo[size_t(first + i) * 2 + 1] = chunk.Samples[size_t(i) * 2 + 1];
        }
        if (first + count >= frames) soundDone = true;
    }
    if (withPicture && !cut.Picture.isNull() && decoder.NaturalSize().isValid() &&
        decoder.NaturalSize() != cut.Picture.size())
        cut.Picture = cut.Picture.scaled(decoder.NaturalSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return cut;
}

std::vector<float> MixToMono(const std::vector<float>& stereo) {
    std::vector<float> mono(stereo.size() / 2);
    for (size_t i = 0; i < mono.size(); ++i) mono[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
    return mono;
}

QByteArray EncodeMp3(const std::vector<float>& stereo, int sampleRate) {
    const AVCodec* codec = avcodec_find_encoder_by_name("libmp3lame");
    if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_MP3);
    if (!codec) throw EMediaError("MP3 encoding is not available (FFmpeg has no MP3 encoder)");

    TMemorySink sink;
    TMuxer m;
    Check(avformat_alloc_output_context2(&m.Format, nullptr, "mp3", nullptr), "muxer");
    AVStream* stream = avformat_new_stream(m.Format, nullptr);
    if (!stream) throw EMediaError("MP3 encoding failed: no stream");
    m.Codec = avcodec_alloc_context3(codec);
    m.Codec->sample_rate = sampleRate;
    av_channel_layout_default(&m.Codec->ch_layout, 2);
    m.Codec->bit_rate = 128000;
    m.Codec->time_base = AVRational{1, sampleRate};
    // Planar float when the encoder takes it, else planar 16-bit.
    m.Codec->sample_fmt = AV_SAMPLE_FMT_NONE;
    for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_FLTP || (*f == AV_SAMPLE_FMT_S16P && m.Codec->sample_fmt != AV_SAMPLE_FMT_FLTP))
            m.Codec->sample_fmt = *f;
    if (m.Codec->sample_fmt == AV_SAMPLE_FMT_NONE) throw EMediaError("MP3 encoding failed: no usable sample format");
    Check(avcodec_open2(m.Codec, codec, nullptr), "opening the encoder");
    Check(avcodec_parameters_from_context(stream->codecpar, m.Codec), "stream");
    stream->time_base = m.Codec->time_base;

    constexpr int kIoSize = 32768;
    auto* ioBuffer = static_cast<unsigned char*>(av_malloc(kIoSize));
    m.Io = avio_alloc_context(ioBuffer, kIoSize, 1, &sink, nullptr, &TMemorySink::Write, &TMemorySink::Seek);
    m.Io->seekable = AVIO_SEEKABLE_NORMAL;
    m.Format->pb = m.Io;
    Check(avformat_write_header(m.Format, nullptr), "header");

    m.Frame = av_frame_alloc();
    m.Packet = av_packet_alloc();
    const int frameSize = m.Codec->frame_size > 0 ? m.Codec->frame_size : 1152;
    const size_t total = stereo.size() / 2;
    for (size_t at = 0; at < total; at += size_t(frameSize)) {
        const int n = int(std::min<size_t>(size_t(frameSize), total - at));
        av_frame_unref(m.Frame);
        m.Frame->nb_samples = n;
        m.Frame->format = m.Codec->sample_fmt;
        m.Frame->sample_rate = sampleRate;
        Check(av_channel_layout_copy(&m.Frame->ch_layout, &m.Codec->ch_layout), "layout");
        Check(av_frame_get_buffer(m.Frame, 0), "frame");
        for (int c = 0; c < 2; ++c) {
            if (m.Codec->sample_fmt == AV_SAMPLE_FMT_FLTP) {
                auto* dst = reinterpret_cast<float*>(m.Frame->data[c]);
                for (int i = 0; i < n; ++i) dst[i] = stereo[(at + size_t(i)) * 2 + size_t(c)];
            } else {
                auto* dst = reinterpret_cast<int16_t*>(m.Frame->data[c]);
                for (int i = 0; i < n; ++i)
                    dst[i] = int16_t(std::clamp(stereo[(at + size_t(i)) * 2 + size_t(c)], -1.0f, 1.0f) * 32767.0f);
            }
        }
        m.Frame->pts = int64_t(at);
        Check(avcodec_send_frame(m.Codec, m.Frame), "encoder");
        Drain(m, stream);
    }
    Check(avcodec_send_frame(m.Codec, nullptr), "encoder");
    Drain(m, stream);
    Check(av_write_trailer(m.Format), "trailer");
    avio_flush(m.Io);
    return sink.Bytes;
}

QByteArray EncodeJpeg(const QImage& picture) {
    QByteArray bytes;
    if (picture.isNull()) return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPG", 90);
    return bytes;
}

} // namespace tav
