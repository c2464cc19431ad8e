#pragma once
// Subtitle files as they come: SRT, WebVTT and ASS/SSA in UTF-8 (with or
// without a byte-order mark), UTF-16 or a legacy 8-bit code page, with any
// line ends. Reading is a pure function of the bytes and the file name, so it
// can be tested and fuzzed without files.
#include <string>
#include <vector>

namespace discbuild {

struct TSubtitleProblem {
    int Line = 0;       // 1-based line of the file; 0 for the file as a whole
    std::string Text;   // what is wrong, UTF-8
};

struct TSubtitleCue {
    int StartMs = 0;
    int EndMs = 0;
    std::string Text;     // UTF-8, tags removed, one line (breaks became spaces)
    std::string Speaker;  // UTF-8; empty when the file does not name one
    bool NewTurn = false; // a dialogue dash opens a new speaker's turn here
    bool Sound = false;   // music or a sound description, not speech
    int SourceLine = 0;   // 1-based line of the cue's time stamps
};

struct TSubtitleFile {
    std::string Format;   // "SRT", "WebVTT" or "ASS"
    std::string Encoding; // e.g. "UTF-8", "UTF-16 LE", "Windows-1252 (guessed)"
    std::vector<TSubtitleCue> Cues; // in time order
    std::vector<TSubtitleProblem> Problems;
};

// Reads any of the three formats (told apart by their content, then by the
// file name's extension). Never throws: what cannot be read is a problem.
TSubtitleFile ReadSubtitles(const std::string& bytes, const std::string& fileName);

// The bytes as UTF-8 with LF line ends, and the encoding that was found.
std::string DecodeSubtitleText(const std::string& bytes, std::string& encoding);

// "00:01:02,500", "01:02.500", "0:01:02.50": milliseconds, or -1.
int ParseSubtitleTime(const std::string& text);

// Markup removed: HTML-like tags (<i>, <c.x>, <v Name>, time stamps), ASS
// override blocks ({\an8}), entities; "\N", "\n" and "|" are line breaks.
std::string StripSubtitleMarkup(const std::string& utf8);

} // namespace discbuild
