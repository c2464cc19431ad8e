#pragma once
// Dictionary forms of inflected words through Hunspell's stemmer and the
// spelling dictionaries Debian installs in /usr/share/hunspell (hunspell-fr,
// hunspell-de-de, ...): "maisons" -> "maison", "mangeons" -> "manger".
#include <memory>
#include <string>
#include <vector>

class Hunspell;

namespace tav {

extern const char* const kHunspellFolder; // "/usr/share/hunspell"

class TWordForms {
public:
    TWordForms();
    ~TWordForms();
    TWordForms(const TWordForms&) = delete;
    TWordForms& operator=(const TWordForms&) = delete;

    // Loads the language's dictionary ("fr": fr.aff/fr.dic, else fr_FR, else
    // the first fr_*); false with a message when none is installed or it is
    // not in UTF-8.
    bool Open(const std::string& iso6391, std::string& error, const std::string& folder = kHunspellFolder);
    bool IsOpen() const { return hunspell_ != nullptr; }

    // The word's stems other than the word itself, lower case, in Hunspell's
    // order without repeats; empty for a word Hunspell does not know.
    std::vector<std::string> Stems(const std::string& word);

private:
    std::unique_ptr<Hunspell> hunspell_;
};

} // namespace tav
