#include "Sound.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace demodisc {

namespace {

constexpr double kPi = 3.14159265358979323846;

uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void PutBe32(std::string& s, uint32_t v) {
    for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutBe16(std::string& s, uint16_t v) {
    s.push_back(static_cast<char>(v >> 8));
    s.push_back(static_cast<char>(v & 0xFF));
}
void PutLe32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutLe16(std::string& s, uint16_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
}

int16_t ToPcm(float v) {
    v = std::clamp(v, -1.f, 1.f);
    return static_cast<int16_t>(std::lround(v * 32767.f));
}

void SaveBytes(const std::string& path, const std::string& bytes) {
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    QSaveFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) ||
        !f.commit())
        throw std::runtime_error("cannot write " + path);
}

// The 80-bit IEEE extended number AIFF uses for the sample rate.
void PutExtended(std::string& s, double value) {
    int exponent = 0;
    double mant = std::frexp(value, &exponent); // value = mant * 2^exponent, 0.5 <= mant < 1
    uint64_t m = static_cast<uint64_t>(std::ldexp(mant, 64));
    PutBe16(s, static_cast<uint16_t>(exponent - 1 + 16383));
    for (int i = 7; i >= 0; --i) s.push_back(static_cast<char>((m >> (8 * i)) & 0xFF));
}

} // namespace

void TSound::MixIn(const TSound& other, int atMs, float gain) {
    const size_t at = static_cast<size_t>(std::max(0, atMs)) * kRate / 1000;
    if (Samples.size() < at + other.Samples.size()) Samples.resize(at + other.Samples.size(), 0.f);
    for (size_t i = 0; i < other.Samples.size(); ++i) Samples[at + i] += other.Samples[i] * gain;
}

void TSound::Scale(float gain) {
    for (float& v : Samples) v *= gain;
}

void TSound::TrimSilence() {
    const float threshold = 0.02f;
    size_t first = 0, last = Samples.size();
    while (first < Samples.size() && std::fabs(Samples[first]) < threshold) ++first;
    while (last > first && std::fabs(Samples[last - 1]) < threshold) --last;
    const size_t pad = kRate / 50; // 20 ms
    first = first > pad ? first - pad : 0;
    last = std::min(Samples.size(), last + pad);
    Samples = std::vector<float>(Samples.begin() + long(first), Samples.begin() + long(last));
}

void TSound::Normalize(float peak) {
    float top = 0.f;
    for (float v : Samples) top = std::max(top, std::fabs(v));
    if (top > 0.f) Scale(peak / top);
}

TSound ReadWav(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path);
    const QByteArray all = f.readAll();
    const auto* p = reinterpret_cast<const unsigned char*>(all.constData());
    const size_t n = static_cast<size_t>(all.size());
    if (n < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0)
        throw std::runtime_error("not a WAVE file: " + path);
    int channels = 1, rate = kRate, bits = 16;
    size_t pos = 12;
    TSound out;
    while (pos + 8 <= n) {
        const uint32_t size = Le32(p + pos + 4);
        const unsigned char* body = p + pos + 8;
        const size_t avail = std::min<size_t>(size, n - pos - 8); // espeak leaves the size open when piped
        if (std::memcmp(p + pos, "fmt ", 4) == 0) {
            channels = Le16(body + 2);
            rate = static_cast<int>(Le32(body + 4));
            bits = Le16(body + 14);
        } else if (std::memcmp(p + pos, "data", 4) == 0) {
            if (bits != 16 || channels < 1) throw std::runtime_error("unsupported WAVE format: " + path);
            const size_t frames = avail / (2 * size_t(channels));
            std::vector<float> mono(frames);
            for (size_t i = 0; i < frames; ++i) {
                float sum = 0;
                for (int c = 0; c < channels; ++c)
                    sum += static_cast<int16_t>(Le16(body + 2 * (i * channels + c))) / 32768.f;
                mono[i] = sum / channels;
            }
            if (rate == kRate) {
                out.Samples = std::move(mono);
            } else { // linear resampling is plenty for speech
                const size_t outFrames = frames * size_t(kRate) / size_t(rate);
                out.Samples.resize(outFrames);
                for (size_t i = 0; i < outFrames; ++i) {
                    const double src = double(i) * rate / kRate;
                    const size_t a = std::min(frames - 1, size_t(src));
                    const size_t b = std::min(frames - 1, a + 1);
                    const float t = float(src - double(a));
                    out.Samples[i] = mono[a] * (1 - t) + mono[b] * t;
                }
            }
            return out;
        }
        pos += 8 + size + (size & 1);
    }
    throw std::runtime_error("WAVE file without data: " + path);
}

void WriteWav(const std::string& path, const TSound& sound) {
    std::string s = "RIFF";
    const uint32_t dataBytes = static_cast<uint32_t>(sound.Samples.size() * 2);
    PutLe32(s, 36 + dataBytes);
    s += "WAVEfmt ";
    PutLe32(s, 16);
    PutLe16(s, 1);
    PutLe16(s, 1);
    PutLe32(s, kRate);
    PutLe32(s, kRate * 2);
    PutLe16(s, 2);
    PutLe16(s, 16);
    s += "data";
    PutLe32(s, dataBytes);
    for (float v : sound.Samples) PutLe16(s, static_cast<uint16_t>(ToPcm(v)));
    SaveBytes(path, s);
}

void WriteAiff(const std::string& path, const TSound& sound) {
    const uint32_t frames = static_cast<uint32_t>(sound.Samples.size());
    std::string comm;
    PutBe16(comm, 1);
    PutBe32(comm, frames);
    PutBe16(comm, 16);
    PutExtended(comm, kRate);
    std::string ssnd;
    PutBe32(ssnd, 0);
    PutBe32(ssnd, 0);
    for (float v : sound.Samples) PutBe16(ssnd, static_cast<uint16_t>(ToPcm(v)));
    std::string body = "AIFF";
    body += "COMM";
    PutBe32(body, static_cast<uint32_t>(comm.size()));
    body += comm;
    body += "SSND";
    PutBe32(body, static_cast<uint32_t>(ssnd.size()));
    body += ssnd;
    if (ssnd.size() & 1) body.push_back('\0');
    std::string s = "FORM";
    PutBe32(s, static_cast<uint32_t>(body.size()));
    s += body;
    SaveBytes(path, s);
}

float TNoise::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(state_ & 0xFFFFFF) / float(0x800000) - 1.f;
}

TSound Note(double freq, int ms, float level, double decay, bool bright) {
    TSound s;
    const size_t n = size_t(ms) * kRate / 1000;
    s.Samples.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        const double attack = std::min(1.0, t / 0.008);
        const double env = attack * std::exp(-decay * t) * std::min(1.0, double(n - i) / (kRate * 0.02));
        double v = std::sin(2 * kPi * freq * t) + 0.3 * std::sin(4 * kPi * freq * t);
        if (bright) v += 0.15 * std::sin(6 * kPi * freq * t) + 0.1 * std::sin(2 * kPi * freq * 4.01 * t);
        s.Samples[i] = float(level * env * v / 1.4);
    }
    return s;
}

TSound Chord(const std::vector<double>& freqs, int ms, float level) {
    TSound s;
    for (double f : freqs) s.MixIn(Note(f, ms, level / float(freqs.size()), 3.0), 0);
    return s;
}

TSound Melody(const std::vector<std::pair<double, int>>& notes, float level, bool bright) {
    TSound s;
    int at = 0;
    for (const auto& [freq, ms] : notes) {
        if (freq > 0) s.MixIn(Note(freq, ms + 250, level, 4.0, bright), at);
        at += ms;
    }
    s.AppendSilence(0);
    return s;
}

TSound Buzz(int ms, double freq, float level) {
    TSound s;
    const size_t n = size_t(ms) * kRate / 1000;
    s.Samples.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        const double f = freq * (1.0 - 0.25 * t * 1000 / ms); // a falling "boo"
        const double saw = 2.0 * (std::fmod(t * f, 1.0)) - 1.0;
        const double env = std::min(1.0, t / 0.02) * std::min(1.0, double(n - i) / (kRate * 0.08));
        s.Samples[i] = float(level * env * (0.6 * saw + 0.4 * std::sin(2 * kPi * f * t)));
    }
    return s;
}

TSound Applause(int ms, uint32_t seed, float level) {
    TNoise noise(seed);
    TSound s;
    s.AppendSilence(ms);
    const size_t n = s.Samples.size();
    // Many short claps at random moments, denser in the middle.
    const int claps = ms / 6;
    for (int c = 0; c < claps; ++c) {
        const size_t at = size_t((noise.Next() * 0.5f + 0.5f) * float(n - kRate / 20));
        const float gain = 0.4f + 0.6f * (noise.Next() * 0.5f + 0.5f);
        const size_t len = kRate / 60;
        float lp = 0;
        for (size_t i = 0; i < len && at + i < n; ++i) {
            lp = 0.6f * lp + 0.4f * noise.Next();
            s.Samples[at + i] += gain * lp * std::exp(-float(i) / (len / 4.f));
        }
    }
    for (size_t i = 0; i < n; ++i) {
        const float env = std::min(1.f, float(i) / (kRate * 0.15f)) * std::min(1.f, float(n - i) / (kRate * 0.5f));
        s.Samples[i] *= env;
    }
    s.Normalize(level);
    return s;
}

TSound Bark(uint32_t seed) {
    TNoise noise(seed);
    TSound s;
    for (int b = 0; b < 2; ++b) {
        TSound one;
        const size_t n = kRate * 18 / 100;
        one.Samples.resize(n);
        double phase = 0;
        for (size_t i = 0; i < n; ++i) {
            const double t = double(i) / kRate;
            const double f = 520 - 900 * t + 40 * noise.Next();
            phase += 2 * kPi * f / kRate;
            const double env = std::min(1.0, t / 0.01) * std::exp(-9 * t);
            const double v = 0.55 * std::sin(phase) + 0.3 * std::sin(2 * phase + 0.4) + 0.25 * noise.Next();
            one.Samples[i] = float(env * v);
        }
        s.MixIn(one, b * 260);
    }
    s.Normalize(0.6f);
    return s;
}

TSound TrainSound(int ms, uint32_t seed) {
    TNoise noise(seed);
    TSound s;
    s.AppendSilence(ms);
    const size_t n = s.Samples.size();
    float lp = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        lp = 0.97f * lp + 0.03f * noise.Next();
        const double rhythm = 0.6 + 0.4 * std::pow(std::fabs(std::sin(kPi * t * 2.4)), 8.0);
        const double env = std::min(1.0, t / 0.8) * std::min(1.0, double(n - i) / (kRate * 0.8));
        s.Samples[i] = float(env * rhythm * lp * 3.0);
    }
    // Two-tone whistle at the start.
    for (int k = 0; k < 2; ++k) {
        TSound w = Note(k ? 659.3 : 784.0, 450, 0.25f, 1.0);
        s.MixIn(w, 200 + k * 480);
    }
    return s;
}

TSound RoomTone(int ms, uint32_t seed, float level) {
    TNoise noise(seed);
    TSound s;
    s.AppendSilence(ms);
    float lp = 0, lp2 = 0;
    for (float& v : s.Samples) {
        lp = 0.9f * lp + 0.1f * noise.Next();
        lp2 = 0.995f * lp2 + 0.005f * noise.Next();
        v = level * (lp * 2.f + lp2 * 6.f);
    }
    return s;
}

TSound TitleMusic(int variant) {
    const double C = 523.25, D = 587.33, E = 659.25, F = 698.46, G = 783.99, A = 880.0, G3 = 392.0;
    std::vector<std::pair<double, int>> tune;
    switch (variant % 3) {
    case 0: tune = {{C, 220}, {E, 220}, {G, 220}, {E, 220}, {F, 220}, {A, 220}, {G, 440}, {E, 220}, {D, 220}, {C, 600}}; break;
    case 1: tune = {{G3, 220}, {C, 220}, {D, 220}, {E, 440}, {D, 220}, {E, 220}, {G, 440}, {E, 220}, {C, 700}}; break;
    default: tune = {{E, 200}, {G, 200}, {A, 400}, {G, 200}, {E, 200}, {D, 400}, {C, 200}, {D, 200}, {E, 700}}; break;
    }
    TSound s = Melody(tune, 0.35f, true);
    s.MixIn(Chord({261.63, 329.63, 392.0}, 1800, 0.25f), 0);
    return s;
}

std::vector<float> FrameLoudness(const TSound& sound) {
    const size_t per = kRate / 25;
    std::vector<float> out((sound.Samples.size() + per - 1) / per, 0.f);
    for (size_t f = 0; f < out.size(); ++f) {
        double sum = 0;
        size_t count = 0;
        for (size_t i = f * per; i < std::min(sound.Samples.size(), (f + 1) * per); ++i, ++count)
            sum += double(sound.Samples[i]) * sound.Samples[i];
        out[f] = count ? float(std::min(1.0, std::sqrt(sum / double(count)) * 6.0)) : 0.f;
    }
    return out;
}

} // namespace demodisc
