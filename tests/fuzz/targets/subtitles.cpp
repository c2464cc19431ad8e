// The disc builder's subtitle readers (SRT, WebVTT, ASS/SSA in any encoding).
// The reader never throws, so every exception is a finding; the file name
// decides the format only when the content does not, so each input is read
// under all three extensions.
#include "tests/fuzz/FuzzTarget.h"
#include "tools/discbuild/Subtitles.h"

TAV_FUZZ_TARGET(subtitles) {
    const std::string bytes = tavfuzz::Bytes(data, size);
    for (const char* name : {"film.srt", "film.vtt", "film.ass"}) {
        const discbuild::TSubtitleFile file = discbuild::ReadSubtitles(bytes, name);
        for (const auto& cue : file.Cues)
            if (cue.EndMs < 0 || cue.StartMs < 0) __builtin_trap(); // times are never negative
    }
}
