// strip.txt: "timecode,hint" per thumbnail; the viewer reads the timecode up
// to the comma and converts the hint from Mac text.
#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/TargetIndex.h"
#include "content/UnicodeText.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(strip) {
    using namespace tav;
    for (const std::string& line : SplitTextLines(tavfuzz::Bytes(data, size))) {
        const size_t comma = line.find(',');
        const std::string timecode = line.substr(0, comma);
        const int frames = TimecodeToFrames(timecode);
        if (TimecodeIsComplete(timecode) && frames >= 0 && TimecodeToFrames(FramesToTimecode(frames)) < 0) __builtin_trap();
        if (comma != std::string::npos) ToQString(MacToAnsi(line.substr(comma + 1)));
    }
}
