#pragma once
// A film made at test time whose speech is at known times: espeak-ng
// sentences in a few voices with pauses of varied length (some long, between
// scenes), over a music bed and a little noise, with a still picture, muxed
// into an MKV (MPEG-4 video, FLAC sound: no encoder delay, so the times are
// exact; or 5.1 AC-3) by the ffmpeg program.
#include <string>
#include <vector>

#include "Subtitles.h"

namespace tavtest {

struct TSpeechFilm {
    std::string Path;
    std::vector<discbuild::TSubtitleCue> Cues; // one per sentence: where its voice is heard
    int DurationMs = 0;
};

enum class TFilmSound { Speech, NoiseOnly, None };

// Levels of the background (peak amplitude of the tune, RMS of the noise);
// the voices peak at about 0.6.
struct TBackground {
    float Music = 0.03f;
    float Noise = 0.012f;
    bool Surround = false; // 5.1 AC-3: the voices alone in the centre, the background on the others
};

// Writes the film to path (work files beside it). seed varies the sentences
// and pauses. Throws std::runtime_error when espeak-ng or ffmpeg fails.
TSpeechFilm MakeSpeechFilm(const std::string& path, int seconds, unsigned seed, TFilmSound sound = TFilmSound::Speech,
                           TBackground background = {});

// The cues' times as t * stretch + offsetMs (cues that would start before 0
// are left out, as a subtitle file cannot hold them).
std::vector<discbuild::TSubtitleCue> Distort(const std::vector<discbuild::TSubtitleCue>& cues, double stretch,
                                             int offsetMs);

// Cues as subtitle files time them: shown until 0.3-1.2 s after the voice
// stops (for reading), at least a second, never into the next cue.
std::vector<discbuild::TSubtitleCue> HeldOn(std::vector<discbuild::TSubtitleCue> cues);

// Start-time errors of aligned cues against the true ones, matched by their
// source line: median and 90th percentile in ms.
struct TErrors {
    double Median = 0, P90 = 0;
    size_t Count = 0;
};
TErrors StartErrors(const std::vector<discbuild::TSubtitleCue>& got, const std::vector<discbuild::TSubtitleCue>& truth);

} // namespace tavtest
