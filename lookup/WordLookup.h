#pragma once
// A word of a film line looked up for a course: the pair of languages picks
// the dictionary, the word is found as written or, failing that, by its
// dictionary forms (Hunspell's stems; for French and Italian also the word
// after an elided article or pronoun, "l'homme" -> "homme"; for Japanese
// MeCab's, "食べました" -> "食べる", with the reading in hiragana).
#include "lookup/Dictionary.h"
#include "lookup/DictionaryPairs.h"
#include "lookup/JapaneseForms.h"
#include "lookup/WordForms.h"

#include <optional>
#include <string>
#include <vector>

namespace tav {

struct TWordLookupResult {
    std::string Word;
    // The headwords the entries were found under when they are not the word
    // itself ("maison" for "maisons"); empty when the word has its own entry.
    std::vector<std::string> DictionaryForms;
    std::vector<TDictEntry> Entries;
    // Japanese: the reading in hiragana of the first headword found (the
    // word, else its first dictionary form), the entry's own reading where it
    // has one (MeCab's choice among several), else MeCab's. Empty for a word
    // written in kana only, and for other languages.
    std::string Reading;
    std::string Error; // a damaged dictionary; entries may still be there
    bool Found() const { return !Entries.empty(); }
};

class TWordLookup {
public:
    // Case follows TextLanguage(): set it to the film's language first.
    // False with the message of the missing pair or a dictionary that cannot
    // be opened. The spelling dictionary (MeCab's for Japanese) is loaded at
    // the first word that needs it; a missing one only means no dictionary
    // forms (StemmingNote says why, once tried). An empty mecabFolder is
    // MeCab's usual dictionary.
    bool Open(const std::string& filmIso, const std::string& helpIso, std::string& error, const std::string& dictdFolder = std::string(),
              const std::string& hunspellFolder = kHunspellFolder, const std::string& mecabFolder = std::string());
    bool IsOpen() const { return dictionary_.IsOpen(); }
    const TDictionaryPair& Pair() const { return pair_; }
    const std::string& StemmingNote() const { return stemmingNote_; }

    TWordLookupResult Lookup(const std::string& word);

    // The word of a film line at a byte offset (a click), in byte offsets:
    // for Japanese MeCab's word ("食べました" whole, a verb with its
    // auxiliaries), otherwise, or without MeCab, BreakWords' word. None on
    // spaces and punctuation. Works once Open was called, even when it failed
    // for want of a dictionary.
    std::optional<TWordSpan> WordAt(const std::string& line, size_t byteOffset);

private:
    bool Find(const std::string& word, TWordLookupResult& result);
    bool OpenJapanese();
    void LookupJapanese(TWordLookupResult& result);
    // The first dictionary form of the word by Hunspell or MeCab, for a
    // course whose pair of languages has no dictionary.
    void FormsWithoutDictionary(TWordLookupResult& result);

    TDictionaryPair pair_;
    TDictionary dictionary_;
    TWordForms forms_;
    TJapaneseForms japanese_;
    std::string filmIso_, hunspellFolder_, mecabFolder_, stemmingNote_;
    bool formsTried_ = false;
};

} // namespace tav
