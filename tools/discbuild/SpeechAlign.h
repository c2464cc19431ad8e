#pragma once
// Subtitle times fitted to the film's speech. Subtitles made for another cut
// or frame rate of a film are off by an offset and a steady drift (e.g. timed
// at 25 frames a second for a 23.976 film); some scenes may be off by a little
// more. The fit finds one offset and rate for the whole file from how well the
// cues cover the speech, then lets each stretch of cues between long pauses
// move a little on its own where that clearly fits better.
#include <string>
#include <vector>

#include "SpeechActivity.h"
#include "Subtitles.h"

namespace discbuild {

struct TAlignOptions {
    int SearchMs = 20000;        // offsets of the whole file searched, either way
    int StretchGapMs = 3000;     // a pause between cues at least this long starts a new stretch
    int StretchSearchMs = 1500;  // how far a stretch may move from the whole file's fit
};

struct TAlignment {
    std::vector<TSubtitleCue> Cues; // the cues with corrected times, in the same order
    bool Confident = false;         // the speech gave a clear fit
    bool Changed = false;           // some time differs from the input
    int OffsetMs = 0;               // the whole file's shift: new = old * Rate + OffsetMs
    double Rate = 1;
    std::string RateText = "1";     // e.g. "25/23.976"
    int Stretches = 0;              // stretches between long pauses
    int StretchesMoved = 0;         // stretches given an offset of their own
    // How well the cues cover the speech: mean speech probability inside the
    // spoken cues less the mean outside them (-1..1), before and after.
    double ScoreBefore = 0, ScoreAfter = 0;
    std::string Report;             // one line for the builder's output
};

// Never throws; cues that cannot be fitted with confidence come back as they were.
TAlignment AlignCues(const std::vector<TSubtitleCue>& cues, const TSpeechTrack& speech,
                     const TAlignOptions& options = {});

// The fit's score of cues against speech (see TAlignment::ScoreBefore).
double SpeechFitScore(const std::vector<TSubtitleCue>& cues, const TSpeechTrack& speech);

} // namespace discbuild
