#pragma once
// tavolin-disc build: a content disc from a film and its subtitle file.
#include <ostream>
#include <string>
#include <vector>

namespace discbuild {

struct TBuildOptions {
    std::string Film;
    std::string Subtitles;       // a subtitle file; empty: the film's own subtitle track
    int SubtitleTrack = -1;      // that track, from 0 among the film's subtitle tracks; -1: the one in --lang
    int AudioTrack = -1;         // the film's sound track, from 0; -1: the first (speech: the best)
    bool Align = true;           // fit the subtitles' times to the film's speech
    std::string Language;        // code, short code or name of the film's language
    std::string Title;           // the film's title, UTF-8
    std::string Out;             // the content root to make
    std::string HelpSubtitles;   // optional: subtitles in a help language...
    int HelpTrack = -1;          // ... or a subtitle track of the film
    std::string HelpLanguage;    // its language
    std::string Pictures;        // optional: dictionary pictures named after their words
    std::string Cache;           // espeak-ng speech cache (default: beside Out)
    int PartSeconds = 240;       // film parts of about this length (at most eight)
};

// Parses the arguments after "build"; false with a reason when they are wrong.
bool ParseBuildArgs(const std::vector<std::string>& args, TBuildOptions& o, std::string& why);

// Builds the disc into a temporary folder beside Out and moves it into place
// when it loads. Returns the exit status: 0 the disc was built and loads,
// 1 it could not be built (nothing is left behind), 2 usage error.
int RunBuild(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kBuildUsage;

} // namespace discbuild
