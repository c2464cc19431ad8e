#include "lookup/WordLookup.h"

#include "content/UnicodeText.h"

namespace tav {

namespace {

// "l'", "d'", "qu'", "j'" ... before a word: the word after the apostrophe.
std::string AfterElision(const std::string& word) {
    for (const char* mark : {"'", "\xE2\x80\x99"}) {
        const size_t p = word.find(mark);
        if (p == std::string::npos || p == 0 || p > 3) continue;
        const std::string rest = word.substr(p + std::string(mark).size());
        if (!rest.empty()) return rest;
    }
    return std::string();
}

} // namespace

bool TWordLookup::Open(const std::string& filmIso, const std::string& helpIso, std::string& error, const std::string& dictdFolder,
                       const std::string& hunspellFolder) {
    pair_ = FindDictionaryPair(filmIso, helpIso, dictdFolder);
    if (!pair_.Installed) {
        error = pair_.Missing;
        return false;
    }
    if (!dictionary_.Open(pair_.IndexFile, pair_.DataFile, error)) return false;
    filmIso_ = AsciiLower(filmIso.substr(0, filmIso.find_first_of("_-.")));
    hunspellFolder_ = hunspellFolder;
    formsTried_ = false;
    stemmingNote_.clear();
    return true;
}

TWordLookupResult TWordLookup::Lookup(const std::string& word) {
    TWordLookupResult result;
    result.Word = ValidUtf8(word);
    if (!dictionary_.IsOpen()) {
        result.Error = "no dictionary is open";
        return result;
    }
    auto tryWord = [&](const std::string& w) {
        std::string error;
        std::vector<TDictEntry> entries = dictionary_.Lookup(w, error);
        if (!error.empty() && result.Error.empty()) result.Error = error;
        for (auto& e : entries) result.Entries.push_back(std::move(e));
        return !entries.empty();
    };
    if (tryWord(result.Word)) return result;
    std::vector<std::string> candidates;
    if (filmIso_ == "fr" || filmIso_ == "it") {
        const std::string rest = AfterElision(result.Word);
        if (!rest.empty()) candidates.push_back(rest);
    }
    // Hunspell's dictionary takes longer to load than the dictionary and
    // much more memory: it is loaded for the first word that needs it.
    if (!formsTried_) {
        formsTried_ = true;
        if (!forms_.Open(filmIso_, stemmingNote_, hunspellFolder_)) stemmingNote_ = "no dictionary forms: " + stemmingNote_;
    }
    for (const std::string& w : std::vector<std::string>(candidates.empty() ? std::vector<std::string>{result.Word} : candidates))
        for (const std::string& stem : forms_.Stems(w)) candidates.push_back(stem);
    for (const std::string& c : candidates)
        if (tryWord(c)) result.DictionaryForms.push_back(c);
    return result;
}

} // namespace tav
