#pragma once
// Places every line of the story on the film's time line from the lengths of
// its synthesized speech, with natural pauses, and splits the film into parts
// of whole film units (40 ms).
#include <string>
#include <vector>

#include "Sound.h"
#include "Story.h"

namespace demodisc {

constexpr int kUnitMs = 40;

struct TTimedLine {
    int Line = 0;     // index in TStory::Lines
    int StartMs = 0;  // on the whole film, a multiple of kUnitMs
    int EndMs = 0;    // a multiple of kUnitMs, > StartMs
    TSound Audio;     // what is heard (speech or effect)
    std::vector<float> Loudness; // per film unit of Audio, for the moving mouths
};

struct TFilmPart {
    int StartMs = 0;  // on the whole film
    int LengthMs = 0; // a multiple of kUnitMs
    std::string FileName;
};

struct TTimeline {
    std::vector<TTimedLine> Lines; // one per story line, in order
    std::vector<TFilmPart> Parts;
    int FilmMs() const { return Parts.empty() ? 0 : Parts.back().StartMs + Parts.back().LengthMs; }
    // Index of the part that holds a film position.
    int PartAt(int ms) const;
};

// audio[i] is the sound of story line i (speech, or the effect for a cue).
TTimeline LayOut(const TStory& story, std::vector<TSound> audio);

// Film units as the disc's timecode "hh:mm:ss:ff", ff in thirtieths of a
// second, chosen so that the program's conversion gives back exactly units.
std::string UnitsToTimecode(int units);

} // namespace demodisc
