#pragma once
// Text for a Mac OS Roman disc must be carried by Mac OS Roman (through the
// program's Windows-1252 view of it); a UTF-8 disc keeps its text as it is. Characters it lacks are transliterated where a
// fair stand-in exists (ligatures, dashes, quotes, letters with marks it does
// not have); the others are dropped and reported.
#include <map>
#include <string>

namespace discbuild {

class TMacFitter {
public:
    // UTF-8 in, UTF-8 out that demodisc::ToMac accepts.
    std::string Fit(const std::string& utf8);
    // Characters that had no stand-in, with how often they were dropped.
    const std::map<std::string, int>& Dropped() const { return dropped_; }
    // Characters replaced by a stand-in, with how often.
    const std::map<std::string, int>& Transliterated() const { return transliterated_; }
    int Letters() const { return letters_; }
    int DroppedLetters() const { return droppedLetters_; }

private:
    std::map<char32_t, std::string> cache_; // code point -> stand-in ("" dropped)
    std::map<std::string, int> dropped_, transliterated_;
    int letters_ = 0, droppedLetters_ = 0;
};

// True when Mac OS Roman holds the letters of the language (program code):
// such a language gets a Mac OS Roman disc, any other a UTF-8 one.
bool MacRomanCarries(int language);

} // namespace discbuild
