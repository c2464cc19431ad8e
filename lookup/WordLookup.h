#pragma once
// A word of a film line looked up for a course: the pair of languages picks
// the dictionary, the word is found as written or, failing that, by its
// dictionary forms (Hunspell's stems; for French and Italian also the word
// after an elided article or pronoun, "l'homme" -> "homme").
#include "lookup/Dictionary.h"
#include "lookup/DictionaryPairs.h"
#include "lookup/WordForms.h"

#include <string>
#include <vector>

namespace tav {

struct TWordLookupResult {
    std::string Word;
    // The headwords the entries were found under when they are not the word
    // itself ("maison" for "maisons"); empty when the word has its own entry.
    std::vector<std::string> DictionaryForms;
    std::vector<TDictEntry> Entries;
    std::string Error; // a damaged dictionary; entries may still be there
    bool Found() const { return !Entries.empty(); }
};

class TWordLookup {
public:
    // Case follows TextLanguage(): set it to the film's language first.
    // False with the message of the missing pair or a dictionary that cannot
    // be opened. The spelling dictionary is loaded at the first word without
    // an entry of its own; a missing one only means no dictionary forms
    // (StemmingNote says why, once tried).
    bool Open(const std::string& filmIso, const std::string& helpIso, std::string& error, const std::string& dictdFolder = std::string(),
              const std::string& hunspellFolder = kHunspellFolder);
    bool IsOpen() const { return dictionary_.IsOpen(); }
    const TDictionaryPair& Pair() const { return pair_; }
    const std::string& StemmingNote() const { return stemmingNote_; }

    TWordLookupResult Lookup(const std::string& word);

private:
    TDictionaryPair pair_;
    TDictionary dictionary_;
    TWordForms forms_;
    std::string filmIso_, hunspellFolder_, stemmingNote_;
    bool formsTried_ = false;
};

} // namespace tav
