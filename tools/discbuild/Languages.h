#pragma once
// The film's language as the builder needs it: the program's code, a short
// code for folder names, the espeak-ng voice, and the quiz host's words.
#include <string>
#include <vector>

#include "tools/demodisc/PictureWords.h"

namespace discbuild {

struct TLanguage {
    int Code = 0;          // the program's language code (2 English, 3 French ...)
    std::string Iso;       // "en", "fr" ...: the spelling folder's suffix
    std::string Voice;     // espeak-ng voice (empty: the builder knows none)
    bool OwnQuizWords = false; // false: the quiz host speaks English
};

// "3", "fr" or "French" (any case); Code 0 when not known.
TLanguage FindLanguage(const std::string& text);
// A language the builder knows, from its code.
TLanguage LanguageOfCode(int code);
// Hebrew, Arabic, Farsi, Urdu, Yiddish ...: the program cannot lay their
// lines out yet, so the builder refuses them.
bool WritesRightToLeft(int code);

// The quiz host's words in the film's language (English when it has none).
struct THostWords {
    std::string Voice;          // espeak-ng voice of the host
    std::string WhoSays;        // "Who says: \"%1\"?"
    std::string WhatNext;       // "What is said after: \"%1\"?"
    std::string Nobody;         // a wrong answer when the cast is small
    std::vector<std::pair<std::string, std::string>> Misc; // file name, phrase
    std::string OpponentName;
};
THostWords HostWords(const TLanguage& lang);

// The words drawn on the menu, sign-in and certificate pictures in the film's
// language: French, English, German, Spanish, Russian and Japanese have
// their own, any other language gets the English words naming it.
demodisc::TPictureWords PictureWords(const TLanguage& lang);

} // namespace discbuild
