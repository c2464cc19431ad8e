#pragma once
// A film's subtitle track turned into cues, as a separate subtitle file
// would give them: text tracks (SubRip, ASS/SSA, WebVTT, mov_text) through
// libavcodec's decoders, picture tracks (Blu-ray PGS, DVD, DVB) through
// libavcodec and Tesseract's OCR.
#include <functional>
#include <string>
#include <vector>

#include "Subtitles.h"

namespace discbuild {

struct TOcrOptions {
    int MinConfidence = 60;  // cues read with a lower mean word confidence (0..100) are left out
    // Two-letter code of the language to read ("fr"); empty: the track's own
    // language tag, English when the track has none.
    std::string Language;
    std::string DataPath;    // folder with the .traineddata files; empty: Tesseract's own
    int DeadlineMs = 5000;   // longest OCR of one picture before it is given up
};

struct TOcrCue {
    int StartMs = 0, EndMs = 0;
    std::string Text;   // what OCR read, lines joined by spaces
    int Confidence = 0; // mean word confidence, 0..100
};

struct TOcrReport {
    std::string Error;           // why the track gave no cues (any track kind); empty when it did
    std::string Language;        // Tesseract language used ("fra"); empty for a text track
    int Pictures = 0;            // pictures read with OCR
    int Kept = 0;                // of them, kept as cues
    double MeanConfidence = 0;   // over all pictures read
    std::vector<TOcrCue> Dropped; // left out for their low confidence, in time order
};

using TTrackProgressFn = std::function<bool(double)>; // done fraction 0..1 (negative: unknown); false stops

// Cues of the subtitle track at streamIndex of the film. Never throws. When
// the track cannot be read (no such stream, not subtitles, missing OCR
// language data, stopped) the cues are empty, report.Error says why and the
// same words are the file's first problem (line 0). The problems' Line is the
// number of the track's event (1-based) the problem is about. Format is "ASS",
// "SRT", "WebVTT", "mov_text" or "OCR (<codec>)".
TSubtitleFile ReadSubtitleTrack(const std::string& film, int streamIndex, const TOcrOptions& ocr,
                                TOcrReport& report, const TTrackProgressFn& progress = {});

// Tesseract's language name for a two-letter code ("fr" -> "fra", "zh" ->
// "chi_sim"), "" when Tesseract has none; and the Debian package that brings
// its data ("fra" -> "tesseract-ocr-fra", "chi_sim" -> "tesseract-ocr-chi-sim").
std::string TesseractLanguage(const std::string& twoLetter);
std::string TesseractPackage(const std::string& tesseractLanguage);

} // namespace discbuild
