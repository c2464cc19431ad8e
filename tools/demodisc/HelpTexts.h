#pragma once
// What the help pictures and hover hints say, in each help language of the
// disc (2 English, 5 Spanish), and the size each help picture is drawn at.
#include <string>
#include <vector>

namespace demodisc {

struct THelpPage {
    std::string File;  // e.g. "mainhelp.jpg"
    int Width = 420, Height = 280;
    std::string Title, Body; // UTF-8; Body lines separated by "\n"
};

struct THint {
    std::string File; // e.g. "mmhint1.jpg"
    std::string Text;
};

// The film the help texts speak of.
struct THelpFilm {
    std::string Title = "Biscuit s'est perdu";
    std::string LanguageEn = "French";   // the film's language, in English
    std::string LanguageEs = "francés";  // and in Spanish
};

// The help languages the disc offers, in the order of the flag list.
const std::vector<int>& HelpLanguages();
// Texts in Spanish for 5, in English for any other language.
std::vector<THelpPage> HelpPages(int language, const THelpFilm& film = {});
std::vector<THint> Hints(int language);

} // namespace demodisc
