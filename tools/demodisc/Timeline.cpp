#include "Timeline.h"

#include <cstdio>

namespace demodisc {

namespace {
int RoundUpToUnit(int ms) { return (ms + kUnitMs - 1) / kUnitMs * kUnitMs; }
} // namespace

int TTimeline::PartAt(int ms) const {
    for (size_t k = 0; k < Parts.size(); ++k)
        if (ms < Parts[k].StartMs + Parts[k].LengthMs) return static_cast<int>(k);
    return static_cast<int>(Parts.size()) - 1;
}

TTimeline LayOut(const TStory& story, std::vector<TSound> audio) {
    TTimeline t;
    int now = 0;
    int part = 0;
    std::string setting;
    int lastSpeaker = -2;
    for (size_t i = 0; i < story.Lines.size(); ++i) {
        const TStoryLine& line = story.Lines[i];
        if (line.Part != part) {
            if (part != 0) {
                now = RoundUpToUnit(now + 1500); // let the last line settle
                t.Parts.back().LengthMs = now - t.Parts.back().StartMs;
            }
            part = line.Part;
            t.Parts.push_back({now, 0, "part" + std::to_string(part) + ".mpg"});
            now += 1200; // opening shot before anyone speaks
            setting = line.Setting;
            lastSpeaker = -2;
        } else if (line.Setting != setting) {
            now += 1600; // a new place: time to look around
            setting = line.Setting;
        } else {
            // Pauses vary a little, longer when the speaker changes.
            now += 380 + static_cast<int>((i * 137) % 320) + (line.Speaker != lastSpeaker ? 180 : 0);
        }
        TTimedLine tl;
        tl.Line = static_cast<int>(i);
        tl.StartMs = now / kUnitMs * kUnitMs;
        tl.Audio = std::move(audio[i]);
        tl.Loudness = FrameLoudness(tl.Audio);
        tl.EndMs = RoundUpToUnit(tl.StartMs + std::max(tl.Audio.Ms(), kUnitMs)) ;
        now = tl.EndMs;
        lastSpeaker = line.Speaker;
        t.Lines.push_back(std::move(tl));
    }
    if (!t.Parts.empty()) {
        now = RoundUpToUnit(now + 1500);
        t.Parts.back().LengthMs = now - t.Parts.back().StartMs;
    }
    return t;
}

std::string UnitsToTimecode(int units) {
    const int thirtieths = (units * 6 + 4) / 5; // ceil(units * 30 / 25)
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d:%02d", thirtieths / 108000, (thirtieths / 1800) % 60,
                  (thirtieths / 30) % 60, thirtieths % 30);
    return buf;
}

} // namespace demodisc
