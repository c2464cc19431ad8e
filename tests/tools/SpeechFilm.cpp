#include "SpeechFilm.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

namespace tavtest {

namespace {

constexpr int kRate = 22050; // espeak-ng's own rate

void Run(const std::string& command) {
    const int rc = std::system((command + " >/dev/null 2>&1").c_str());
    if (rc != 0) throw std::runtime_error("failed: " + command);
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::vector<float> ReadWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        uint32_t size = 0;
        std::memcpy(&size, bytes.data() + at + 4, 4);
        if (bytes.compare(at, 4, "data") == 0) {
            std::vector<float> out;
            const size_t end = std::min(bytes.size(), at + 8 + size);
            for (size_t i = at + 8; i + 1 < end; i += 2) {
                int16_t v;
                std::memcpy(&v, bytes.data() + i, 2);
                out.push_back(v / 32768.0f);
            }
            return out;
        }
        at += 8 + size + (size & 1);
    }
    throw std::runtime_error("no sound in " + path);
}

void WriteWave(const std::string& path, const std::vector<float>& samples) {
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    const uint32_t data = uint32_t(samples.size() * 2);
    out.write("RIFF", 4);
    u32(36 + data);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(data);
    for (float s : samples) {
        const int16_t v = int16_t(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767));
        out.write(reinterpret_cast<const char*>(&v), 2);
    }
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string Sentence(std::mt19937& rng) {
    static const char* who[] = {"The old baker", "My sister", "The captain", "A tall stranger", "Our neighbour",
                                "The little boy", "Your teacher", "The doctor", "Everybody", "The farmer"};
    static const char* did[] = {"opened", "painted", "carried", "forgot", "found", "sold", "cleaned", "wanted",
                                "borrowed", "watched"};
    static const char* what[] = {"the blue door", "a heavy suitcase", "the morning paper", "three red apples",
                                 "the garden gate", "an empty bottle", "the kitchen window", "a wooden boat",
                                 "the station clock", "a warm blanket"};
    static const char* tail[] = {"", " before the sun came up", " near the river", " again this morning",
                                 " without a word", " for the whole family", " at the end of the street",
                                 " and then went home", " because it was raining"};
    auto pick = [&](auto& list) { return std::string(list[rng() % std::size(list)]); };
    std::string s = pick(who) + " " + pick(did) + " " + pick(what) + pick(tail) + ".";
    if (rng() % 3 == 0) s += " " + std::string(rng() % 2 ? "Really?" : "I think so.");
    return s;
}

// A quiet tune: notes of a few harmonics, each a fraction of a second.
void AddMusic(std::vector<float>& out, std::mt19937& rng, float level) {
    static const double scale[] = {220.0, 246.9, 261.6, 293.7, 329.6, 392.0, 440.0, 523.3};
    size_t at = 0;
    while (at < out.size()) {
        const size_t len = size_t(kRate * (0.25 + (rng() % 500) / 1000.0));
        const double f = scale[rng() % std::size(scale)];
        const double bar = 0.6 + 0.4 * ((at / (kRate * 4)) % 3) / 2.0; // louder and softer bars
        for (size_t i = 0; i < len && at + i < out.size(); ++i) {
            const double t = double(i) / kRate;
            const double env = std::min(1.0, t / 0.02) * std::exp(-t * 2.5);
            const double v = std::sin(2 * M_PI * f * t) + 0.5 * std::sin(4 * M_PI * f * t) + 0.25 * std::sin(6 * M_PI * f * t);
            out[at + i] += float(level * bar * env * v);
        }
        at += len;
    }
}

} // namespace

TSpeechFilm MakeSpeechFilm(const std::string& path, int seconds, unsigned seed, TFilmSound sound, TBackground background) {
    std::mt19937 rng(seed);
    TSpeechFilm film;
    film.Path = path;
    film.DurationMs = seconds * 1000;
    const std::string work = path + ".work";
    std::vector<float> track(size_t(seconds) * kRate, 0.0f);

    if (sound == TFilmSound::Speech) {
        static const char* voices[] = {"en", "en-us", "en+f3", "en-gb-scotland", "en+m3"};
        double now = 1.5 + (rng() % 1000) / 1000.0;
        int line = 0, silent = 0;
        while (true) {
            const std::string text = Sentence(rng);
            const std::string voice = voices[rng() % std::size(voices)];
            const int speed = 150 + int(rng() % 40), pitch = 35 + int(rng() % 30);
            Run("espeak-ng -v " + voice + " -s " + std::to_string(speed) + " -p " + std::to_string(pitch) + " -w " +
                Quote(work + ".wav") + " " + Quote(text));
            const std::vector<float> voiceSamples = ReadWave(work + ".wav");
            // Where the voice is heard: first and last 10 ms with some sound.
            long first = -1, last = -1;
            for (size_t k = 0; k + 220 <= voiceSamples.size(); k += 220) {
                float peak = 0;
                for (size_t i = k; i < k + 220; ++i) peak = std::max(peak, std::abs(voiceSamples[i]));
                if (peak > 0.02f) {
                    if (first < 0) first = long(k);
                    last = long(k + 220);
                }
            }
            if (first < 0) {
                if (++silent > 5) throw std::runtime_error("espeak-ng makes no sound");
                continue;
            }
            const size_t at = size_t(now * kRate);
            if (at + voiceSamples.size() >= track.size() - size_t(kRate)) break;
            for (size_t i = 0; i < voiceSamples.size(); ++i) track[at + i] += 0.8f * voiceSamples[i];
            discbuild::TSubtitleCue cue;
            cue.StartMs = int(std::lround((at + first) * 1000.0 / kRate));
            cue.EndMs = int(std::lround((at + last) * 1000.0 / kRate));
            cue.Text = text;
            cue.SourceLine = ++line;
            film.Cues.push_back(cue);
            now = double(at + last) / kRate;
            // Pauses: mostly short turns, sometimes a scene change.
            const unsigned kind = rng() % 10;
            now += kind < 6 ? 0.3 + (rng() % 700) / 1000.0 : kind < 9 ? 1.0 + (rng() % 1500) / 1000.0
                                                                    : 3.5 + (rng() % 3000) / 1000.0;
        }
        std::remove((work + ".wav").c_str());
    }
    // The background: mixed with the voices, or for surround sound on every
    // channel but the centre, which carries the voices alone.
    std::vector<float> bed(track.size(), 0.0f);
    if (sound != TFilmSound::None) {
        AddMusic(bed, rng, background.Music);
        std::normal_distribution<float> noise(0.0f, background.Noise);
        for (float& s : bed) s += noise(rng);
        if (!background.Surround)
            for (size_t i = 0; i < track.size(); ++i) track[i] += bed[i];
        WriteWave(work + ".audio.wav", track);
        if (background.Surround) WriteWave(work + ".bed.wav", bed);
    }

    std::string cmd = "ffmpeg -y -nostdin -f lavfi -i color=c=0x406080:s=160x120:r=25:d=" + std::to_string(seconds);
    if (sound != TFilmSound::None) cmd += " -i " + Quote(work + ".audio.wav");
    if (background.Surround) {
        cmd += " -i " + Quote(work + ".bed.wav") +
               " -filter_complex \"[2:a]asplit=5[a][b][c][d][e];[a][b][1:a][c][d][e]join=inputs=6:channel_layout=5.1:"
               "map=0.0-FL|1.0-FR|2.0-FC|3.0-LFE|4.0-BL|5.0-BR[s]\" -map 0:v -map \"[s]\" -c:a ac3 -b:a 384k";
    } else if (sound != TFilmSound::None) {
        cmd += " -c:a flac";
    }
    cmd += " -c:v mpeg4 -q:v 10 -shortest " + Quote(path);
    Run(cmd);
    std::remove((work + ".audio.wav").c_str());
    std::remove((work + ".bed.wav").c_str());
    return film;
}

std::vector<discbuild::TSubtitleCue> Distort(const std::vector<discbuild::TSubtitleCue>& cues, double stretch,
                                             int offsetMs) {
    std::vector<discbuild::TSubtitleCue> out;
    for (discbuild::TSubtitleCue c : cues) {
        c.StartMs = int(std::lround(c.StartMs * stretch + offsetMs));
        c.EndMs = int(std::lround(c.EndMs * stretch + offsetMs));
        if (c.StartMs >= 0) out.push_back(c);
    }
    return out;
}

std::vector<discbuild::TSubtitleCue> HeldOn(std::vector<discbuild::TSubtitleCue> cues) {
    for (size_t i = 0; i < cues.size(); ++i) {
        int end = cues[i].EndMs + 300 + int((i * 7919) % 900);
        end = std::max(end, cues[i].StartMs + 1000);
        if (i + 1 < cues.size()) end = std::min(end, cues[i + 1].StartMs - 80);
        cues[i].EndMs = std::max(cues[i].EndMs, end);
    }
    return cues;
}

TErrors StartErrors(const std::vector<discbuild::TSubtitleCue>& got, const std::vector<discbuild::TSubtitleCue>& truth) {
    std::vector<double> e;
    for (const discbuild::TSubtitleCue& g : got)
        for (const discbuild::TSubtitleCue& t : truth)
            if (t.SourceLine == g.SourceLine) {
                e.push_back(std::abs(g.StartMs - t.StartMs));
                break;
            }
    TErrors r;
    r.Count = e.size();
    if (e.empty()) return r;
    std::sort(e.begin(), e.end());
    r.Median = e[e.size() / 2];
    r.P90 = e[std::min(e.size() - 1, e.size() * 9 / 10)];
    return r;
}

} // namespace tavtest
