#include "SpeechActivity.h"

#include "AvHandles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace discbuild {

namespace {

constexpr int kHop = kSpeechSampleRate * kSpeechFrameMs / 1000; // 160 samples
constexpr int kWin = 400;                                       // 25 ms analysis window
constexpr int kLead = (kWin - kHop) / 2;                        // window centred on its frame
constexpr int kFft = 512;
constexpr int kBands = 8;
constexpr double kBandLowHz = 300, kBandHighHz = 3400;
constexpr int kMinLag = kSpeechSampleRate / 400, kMaxLag = kSpeechSampleRate / 75; // pitch 75..400 Hz

// In-place radix-2 FFT of kFft points on separate real and imaginary parts
// (inverse when inverse is true, unscaled).
class TFft {
public:
    TFft() : Cos(kFft / 2), Sin(kFft / 2), Reverse(kFft) {
        for (int i = 0; i < kFft / 2; ++i) {
            Cos[i] = float(std::cos(2 * M_PI * i / kFft));
            Sin[i] = float(-std::sin(2 * M_PI * i / kFft));
        }
        int bits = 0;
        while ((1 << bits) < kFft) ++bits;
        for (int i = 0; i < kFft; ++i) {
            int r = 0;
            for (int b = 0; b < bits; ++b)
                if (i & (1 << b)) r |= 1 << (bits - 1 - b);
            Reverse[i] = r;
        }
    }
    void Run(float* re, float* im, bool inverse) const {
        for (int i = 0; i < kFft; ++i)
            if (i < Reverse[i]) {
                std::swap(re[i], re[Reverse[i]]);
                std::swap(im[i], im[Reverse[i]]);
            }
        const float sign = inverse ? -1.0f : 1.0f;
        for (int len = 2; len <= kFft; len <<= 1) {
            const int half = len / 2, step = kFft / len;
            for (int i = 0; i < kFft; i += len)
                for (int j = 0; j < half; ++j) {
                    const float wr = Cos[j * step], wi = sign * Sin[j * step];
                    const int u = i + j, v = u + half;
                    const float vr = re[v] * wr - im[v] * wi, vi = re[v] * wi + im[v] * wr;
                    re[v] = re[u] - vr;
                    im[v] = im[u] - vi;
                    re[u] += vr;
                    im[u] += vi;
                }
        }
    }

private:
    std::vector<float> Cos, Sin;
    std::vector<int> Reverse;
};

const TFft& Fft() {
    static const TFft fft;
    return fft;
}

// FFT bin where a band of the voice band starts (band kBands: where the last ends).
int BandEdgeBin(int band) {
    static const std::array<int, kBands + 1> edges = [] {
        std::array<int, kBands + 1> e{};
        for (int b = 0; b <= kBands; ++b)
            e[size_t(b)] = int(std::lround(kBandLowHz * std::pow(kBandHighHz / kBandLowHz, double(b) / kBands) * kFft /
                                           kSpeechSampleRate));
        return e;
    }();
    return edges[size_t(band)];
}

std::string AvError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return buf;
}

} // namespace

double TSpeechTrack::SpeechFraction() const {
    if (Speech.empty()) return 0;
    size_t n = 0;
    for (float p : Speech) n += p >= 0.5f;
    return double(n) / Speech.size();
}

TSpeechDetector::TSpeechDetector() : Window(kWin), WindowAc(kMaxLag + 1), Pending(kLead, 0.0f) {
    for (int i = 0; i < kWin; ++i) Window[i] = float(0.5 - 0.5 * std::cos(2 * M_PI * (i + 0.5) / kWin));
    for (int lag = 0; lag <= kMaxLag; ++lag) {
        double s = 0;
        for (int i = 0; i + lag < kWin; ++i) s += double(Window[i]) * Window[i + lag];
        WindowAc[lag] = float(s);
    }
    for (int lag = kMaxLag; lag >= 0; --lag) WindowAc[lag] /= WindowAc[0];
}

void TSpeechDetector::Feed(const float* samples, size_t count) {
    Fed += count;
    size_t used = 0;
    while (used < count) {
        const size_t take = std::min(count - used, size_t(kHop * 256));
        Pending.insert(Pending.end(), samples + used, samples + used + take);
        used += take;
        size_t start = 0;
        for (; Pending.size() - start >= size_t(kWin); start += kHop) AnalyseFrame(Pending.data() + start);
        Pending.erase(Pending.begin(), Pending.begin() + long(start));
    }
}

void TSpeechDetector::FeedSilence(size_t count) {
    const std::vector<float> zeros(std::min(count, size_t(kSpeechSampleRate)), 0.0f);
    while (count) {
        const size_t n = std::min(count, zeros.size());
        Feed(zeros.data(), n);
        count -= n;
    }
}

void TSpeechDetector::AnalyseFrame(const float* samples) {
    float re[kFft], im[kFft];
    for (int i = 0; i < kWin; ++i) re[i] = samples[i] * Window[i];
    std::fill(re + kWin, re + kFft, 0.0f);
    std::fill(im, im + kFft, 0.0f);
    Fft().Run(re, im, false);

    float power[kFft / 2 + 1];
    for (int k = 0; k <= kFft / 2; ++k) power[k] = re[k] * re[k] + im[k] * im[k];

    // Band levels of the voice band, and its overall level.
    double total = 0;
    for (int b = 0; b < kBands; ++b) {
        double e = 0;
        const int lo = BandEdgeBin(b), hi = BandEdgeBin(b + 1);
        for (int k = lo; k < hi; ++k) e += power[k];
        total += e;
        BandPower.push_back(float(e));
    }
    // 0 dB: a full-scale sine in the band (window gain of a Hann window squared).
    LevelDb.push_back(float(10 * std::log10(total / (kWin * kWin / 16.0) + 1e-12)));

    // Voicing: the normalised autocorrelation peak in the pitch range of the
    // 60-3400 Hz band, corrected for the window's own autocorrelation.
    const int loBin = 60 * kFft / kSpeechSampleRate, hiBin = BandEdgeBin(kBands);
    for (int k = 0; k < kFft; ++k) {
        const int f = k <= kFft / 2 ? k : kFft - k;
        re[k] = (f >= loBin && f <= hiBin) ? power[f] : 0.0f;
        im[k] = 0;
    }
    Fft().Run(re, im, true);
    const float r0 = re[0];
    float best = 0;
    if (r0 > 1e-9f)
        for (int lag = kMinLag; lag <= kMaxLag; ++lag) best = std::max(best, re[lag] / r0 / WindowAc[lag]);
    Voicing.push_back(std::clamp(best, 0.0f, 1.0f));

    // Spectral stability: the shape of the voice band now against 80 ms ago.
    // A held note keeps its partials in place; speech moves its pitch and
    // formants within a syllable.
    std::array<float, kShapeBins> shape;
    double norm = 0;
    for (int k = 0; k < kShapeBins; ++k) {
        shape[k] = std::sqrt(power[kShapeLow + k]);
        norm += double(shape[k]) * shape[k];
    }
    const float inv = norm > 0 ? float(1 / std::sqrt(norm)) : 0.0f;
    for (float& v : shape) v *= inv;
    const size_t frame = Voicing.size() - 1;
    float similarity = 0;
    if (frame >= kShapeLag) {
        const std::array<float, kShapeBins>& then = Shapes[(frame - kShapeLag) % (kShapeLag + 1)];
        double dot = 0;
        for (int k = 0; k < kShapeBins; ++k) dot += double(shape[k]) * then[k];
        similarity = float(dot);
    }
    Shapes[frame % (kShapeLag + 1)] = shape;
    Stability.push_back(similarity);
}

TSpeechTrack TSpeechDetector::Finish() {
    // Complete the last frames with silence.
    const size_t frames = (Fed + kHop - 1) / kHop;
    while (Voicing.size() < frames) {
        Pending.resize(std::max(Pending.size(), size_t(kWin)), 0.0f);
        AnalyseFrame(Pending.data());
        Pending.erase(Pending.begin(), Pending.begin() + kHop);
    }
    const size_t n = frames;
    TSpeechTrack track;
    track.DurationMs = int(n * kSpeechFrameMs);
    track.Speech.assign(n, 0.0f);
    if (!n) return track;

    // Band levels smoothed over 30 ms.
    std::vector<float> smooth(n * kBands);
    for (size_t t = 0; t < n; ++t)
        for (int b = 0; b < kBands; ++b) {
            const size_t a = t ? t - 1 : t, c = t + 1 < n ? t + 1 : t;
            // Mean of the powers, in dB.
            const double p = double(BandPower[a * kBands + b]) + BandPower[t * kBands + b] + BandPower[c * kBands + b];
            smooth[t * kBands + b] = float(10 * std::log10(p / 3 + 1e-9));
        }

    // The background of each band: a low percentile of its level over 2.5 s
    // around each moment, taken every 100 ms and interpolated in between.
    constexpr int kFloorHalf = 125, kFloorStep = 10;
    const size_t points = n / kFloorStep + 2;
    std::vector<float> floorAt(points * kBands);
    std::vector<float> scratch;
    for (size_t q = 0; q < points; ++q) {
        const long centre = long(std::min(q * kFloorStep, n - 1));
        const size_t a = size_t(std::max(0L, centre - kFloorHalf)), c = std::min(n, size_t(centre + kFloorHalf + 1));
        for (int b = 0; b < kBands; ++b) {
            scratch.clear();
            for (size_t t = a; t < c; ++t) scratch.push_back(smooth[t * kBands + b]);
            const size_t k = scratch.size() * 15 / 100;
            std::nth_element(scratch.begin(), scratch.begin() + k, scratch.end());
            floorAt[q * kBands + b] = scratch[k];
        }
    }

    // Per frame: how far the voice band rises above its background (most of
    // the bands at once for speech; one or two for a music note), weighted by
    // voicing, in quiet-enough sound.
    std::vector<float> raw(n);
    for (size_t t = 0; t < n; ++t) {
        const size_t q = t / kFloorStep;
        const float f = float(t % kFloorStep) / kFloorStep;
        double excess = 0;
        for (int b = 0; b < kBands; ++b) {
            const float fl = floorAt[q * kBands + b] * (1 - f) + floorAt[(q + 1) * kBands + b] * f;
            excess += std::clamp((smooth[t * kBands + b] - fl - 4.0f) / 12.0f, 0.0f, 1.0f);
        }
        excess /= kBands;
        const float voiced = std::clamp((Voicing[t] - 0.35f) / 0.4f, 0.0f, 1.0f);
        const float stability = t + kShapeLag / 2 < n ? Stability[t + kShapeLag / 2] : 0.0f;
        const float moving = std::clamp((0.92f - stability) / 0.25f, 0.0f, 1.0f);
        raw[t] = LevelDb[t] < -60 ? 0.0f : float(excess) * (0.25f + 0.75f * voiced) * moving;
    }

    // Smoothing over ±50 ms, then a closing that fills the gaps between
    // syllables and words (up to 250 ms) without moving the onsets and ends.
    constexpr int kAvgHalf = 5;
    std::vector<double> prefix(n + 1, 0.0);
    for (size_t t = 0; t < n; ++t) prefix[t + 1] = prefix[t] + raw[t];
    std::vector<float> avg(n);
    for (size_t t = 0; t < n; ++t) {
        const size_t a = t >= kAvgHalf ? t - kAvgHalf : 0, c = std::min(n, t + kAvgHalf + 1);
        avg[t] = std::clamp(float((prefix[c] - prefix[a]) / (c - a)) / 0.25f, 0.0f, 1.0f);
    }
    constexpr int kGapFill = 25;
    long lastOn = -1;
    for (size_t t = 0; t < n; ++t) {
        track.Speech[t] = avg[t];
        if (avg[t] >= 0.5f) {
            if (lastOn >= 0 && long(t) - lastOn <= kGapFill)
                for (long g = lastOn + 1; g < long(t); ++g) track.Speech[g] = std::max(track.Speech[g], 0.6f);
            lastOn = long(t);
        }
    }
    BandPower.clear();
    Voicing.clear();
    Stability.clear();
    LevelDb.clear();
    return track;
}

TSpeechTrack ReadSpeech(const std::string& film, int audioTrack, const TSpeechProgressFn& progress) {

    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* rawFmt = nullptr;
    if (int e = avformat_open_input(&rawFmt, film.c_str(), nullptr, nullptr); e < 0)
        throw std::runtime_error("cannot open the film " + film + ": " + AvError(e));
    TFormatHandle fmt(rawFmt);
    if (int e = avformat_find_stream_info(fmt.get(), nullptr); e < 0)
        throw std::runtime_error("cannot read the streams of " + film + ": " + AvError(e));

    std::vector<int> audio;
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        if (fmt->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) audio.push_back(int(i));
    if (audio.empty()) throw std::runtime_error("the film " + film + " has no sound track, so its speech cannot be found");
    int stream = -1;
    if (audioTrack < 0) {
        stream = av_find_best_stream(fmt.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (stream < 0) stream = audio.front();
    } else if (audioTrack >= int(audio.size())) {
        throw std::runtime_error("the film " + film + " has " + std::to_string(audio.size()) + " sound track" +
                                 (audio.size() == 1 ? "" : "s") + "; there is no sound track " +
                                 std::to_string(audioTrack + 1));
    } else {
        stream = audio[size_t(audioTrack)];
    }
    const int trackNumber = int(std::find(audio.begin(), audio.end(), stream) - audio.begin()) + 1;
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        if (int(i) != stream) fmt->streams[i]->discard = AVDISCARD_ALL;
    AVStream* st = fmt->streams[stream];

    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec)
        throw std::runtime_error("sound track " + std::to_string(trackNumber) + " of " + film + " is in a format (" +
                                 avcodec_get_name(st->codecpar->codec_id) + ") that cannot be decoded here");
    TCodecHandle dec(avcodec_alloc_context3(codec));
    if (!dec || avcodec_parameters_to_context(dec.get(), st->codecpar) < 0)
        throw std::runtime_error("cannot set up the sound decoder for " + film);
    dec->pkt_timebase = st->time_base;
    if (int e = avcodec_open2(dec.get(), codec, nullptr); e < 0)
        throw std::runtime_error("cannot open the sound decoder for " + film + ": " + AvError(e));

    TSpeechTrack result;
    result.Source = "sound track " + std::to_string(trackNumber) + " of " + std::to_string(audio.size()) + " (" +
                    codec->name + ", " + std::to_string(st->codecpar->sample_rate) + " Hz, " +
                    std::to_string(st->codecpar->ch_layout.nb_channels) + " channel" +
                    (st->codecpar->ch_layout.nb_channels == 1 ? "" : "s") + ")";

    // Film time 0 is the file's start; sound that starts later is preceded by silence.
    const double fileStart = fmt->start_time != AV_NOPTS_VALUE ? fmt->start_time / double(AV_TIME_BASE) : 0.0;
    const double duration = fmt->duration > 0 ? fmt->duration / double(AV_TIME_BASE) : 0.0;

    TSpeechDetector detector;
    TSwrHandle swr;
    int swrRate = 0, swrFormat = -1;
    AVChannelLayout swrLayout{};
    std::vector<float> out;
    long decodedFrames = 0, badPackets = 0, packets = 0;
    size_t skip = 0; // resampled samples still to drop before film time 0
    double lastReport = -1;

    auto makeResampler = [&](const AVFrame* f) {
        AVChannelLayout inLayout{};
        if (f->ch_layout.nb_channels > 0 && av_channel_layout_copy(&inLayout, &f->ch_layout) < 0)
            throw std::runtime_error("out of memory while reading the sound of " + film);
        if (inLayout.order == AV_CHANNEL_ORDER_UNSPEC || inLayout.nb_channels <= 0) {
            const int channels = std::max(1, inLayout.nb_channels);
            av_channel_layout_uninit(&inLayout);
            av_channel_layout_default(&inLayout, channels);
        }
        AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
        SwrContext* s = nullptr;
        int e = swr_alloc_set_opts2(&s, &mono, AV_SAMPLE_FMT_FLT, kSpeechSampleRate, &inLayout,
                                    AVSampleFormat(f->format), f->sample_rate, 0, nullptr);
        // Surround sound carries the dialogue in the centre channel: take it
        // with a little of the front pair (in case the centre is empty) and
        // leave the surrounds and effects out.
        const int centre = av_channel_layout_index_from_channel(&inLayout, AV_CHAN_FRONT_CENTER);
        if (e >= 0 && s && centre >= 0 && inLayout.nb_channels >= 3) {
            std::vector<double> matrix(size_t(inLayout.nb_channels), 0.0);
            matrix[size_t(centre)] = 1.0;
            for (AVChannel side : {AV_CHAN_FRONT_LEFT, AV_CHAN_FRONT_RIGHT}) {
                const int k = av_channel_layout_index_from_channel(&inLayout, side);
                if (k >= 0) matrix[size_t(k)] = 0.3;
            }
            e = swr_set_matrix(s, matrix.data(), inLayout.nb_channels);
        }
        av_channel_layout_uninit(&inLayout);
        if (e < 0 || !s || swr_init(s) < 0) {
            swr_free(&s);
            throw std::runtime_error("cannot convert the sound of " + film + " (" + std::to_string(f->sample_rate) +
                                     " Hz, " + std::to_string(f->ch_layout.nb_channels) + " channels)");
        }
        swr.reset(s);
        swrRate = f->sample_rate;
        swrFormat = f->format;
        av_channel_layout_uninit(&swrLayout);
        av_channel_layout_copy(&swrLayout, &f->ch_layout);
    };
    auto drainResampler = [&]() {
        if (!swr) return;
        for (;;) {
            out.resize(4096);
            uint8_t* dst = reinterpret_cast<uint8_t*>(out.data());
            const int got = swr_convert(swr.get(), &dst, int(out.size()), nullptr, 0);
            if (got <= 0) break;
            detector.Feed(out.data(), size_t(got));
        }
    };
    auto takeFrame = [&](AVFrame* f) {
        if (f->sample_rate <= 0 || f->nb_samples <= 0) return;
        if (!swr || f->sample_rate != swrRate || f->format != swrFormat ||
            av_channel_layout_compare(&f->ch_layout, &swrLayout) != 0) {
            drainResampler();
            makeResampler(f);
        }
        // Keep the time line in step: a gap in the sound (a damaged stretch)
        // becomes silence of its length.
        const int64_t ts = f->best_effort_timestamp;
        if (ts != AV_NOPTS_VALUE) {
            const double at = ts * av_q2d(st->time_base) - fileStart;
            const double have = (double(detector.SamplesFed()) + double(swr_get_delay(swr.get(), kSpeechSampleRate)) -
                                 double(skip)) / kSpeechSampleRate;
            // Sound that starts before the film's first moment is cut; a time
            // past the film's end is a damaged stamp, not a gap.
            if (decodedFrames == 0 && at < -0.005) skip = size_t(std::lround(-at * kSpeechSampleRate));
            if (at - have > 0.05 && (duration <= 0 || at < duration + 1))
                detector.FeedSilence(size_t((at - have) * kSpeechSampleRate));
            if (duration > 0 && progress && at - lastReport >= 5) {
                lastReport = at;
                if (!progress(std::clamp(at / duration, 0.0, 1.0)))
                    throw std::runtime_error("reading the speech of " + film + " was stopped");
            }
        }
        const int room = swr_get_out_samples(swr.get(), f->nb_samples);
        out.resize(size_t(std::max(room, 1)));
        uint8_t* dst = reinterpret_cast<uint8_t*>(out.data());
        const int got = swr_convert(swr.get(), &dst, int(out.size()), const_cast<const uint8_t**>(f->extended_data),
                                    f->nb_samples);
        if (got > 0) {
            const size_t cut = std::min(skip, size_t(got));
            skip -= cut;
            detector.Feed(out.data() + cut, size_t(got) - cut);
        }
        ++decodedFrames;
    };

    TPacketHandle pkt(av_packet_alloc());
    TFrameHandle frame(av_frame_alloc());
    if (!pkt || !frame) throw std::runtime_error("out of memory while reading the sound of " + film);
    auto receiveAll = [&]() {
        for (;;) {
            const int e = avcodec_receive_frame(dec.get(), frame.get());
            if (e == AVERROR(EAGAIN) || e == AVERROR_EOF) return;
            if (e < 0) {
                ++badPackets;
                return;
            }
            takeFrame(frame.get());
            av_frame_unref(frame.get());
        }
    };
    try {
        for (;;) {
            const int e = av_read_frame(fmt.get(), pkt.get());
            if (e < 0) break; // the end, or a file that stops being readable: keep what was read
            if (pkt->stream_index == stream) {
                ++packets;
                if (avcodec_send_packet(dec.get(), pkt.get()) < 0) ++badPackets;
                receiveAll();
            }
            av_packet_unref(pkt.get());
        }
        avcodec_send_packet(dec.get(), nullptr);
        receiveAll();
        drainResampler();
    } catch (...) {
        av_channel_layout_uninit(&swrLayout);
        throw;
    }
    av_channel_layout_uninit(&swrLayout);

    if (decodedFrames == 0)
        throw std::runtime_error("no sound could be decoded from " + result.Source + " of " + film +
                                 (packets ? " (the sound data is damaged)" : " (the track is empty)"));
    if (progress && !progress(1.0)) throw std::runtime_error("reading the speech of " + film + " was stopped");
    std::string source = std::move(result.Source);
    result = detector.Finish();
    result.Source = std::move(source);
    return result;
}

} // namespace discbuild
