#pragma once
// The demo film's story: its characters with their voices and looks, and every
// line in order (spoken lines, and sounds or music without text). Texts here
// are UTF-8; they become Mac OS Roman only when written to the disc.
#include <string>
#include <vector>

namespace demodisc {

struct TCharacter {
    std::string Name;       // as shown in the script and on the figure
    std::string Voice;      // espeak-ng voice with variant, e.g. "fr+f3"
    int Pitch = 50;         // espeak-ng pitch 0..99
    int Speed = 150;        // espeak-ng words per minute
    unsigned Shirt = 0;     // 0xRRGGBB
    unsigned Hair = 0;
    bool Female = false;
    bool Child = false;
};

enum class TCue { Speech, Bark, Music, Train };

struct TStoryLine {
    int Part = 1;            // film part, 1-based
    std::string Setting;     // "maison", "parc", "cafe", "gare"
    int Speaker = -1;        // index in Characters; -1 for sounds
    std::string Text;        // UTF-8; empty for sounds
    TCue Cue = TCue::Speech;
    std::string English, Spanish; // translations (UTF-8) for the help languages; empty when none
};

struct TStory {
    std::string Title;
    std::vector<TCharacter> Characters;
    std::vector<TStoryLine> Lines;
    int PartCount = 1;
    // The dog runs off at line DogLeaves and is back from line DogReturns on
    // (-1: never leaves).
    int DogLeaves = -1;
    int DogReturns = -1;

    // Index of the first line whose text contains fragment; throws when none
    // does, so a question that names a line which was rewritten fails loudly.
    int FindLine(const std::string& fragment) const;
};

TStory DemoStory();
// A short story for the test fixture disc: two parts, twelve lines.
TStory FixtureStory();

} // namespace demodisc
