#pragma once
// One dictd dictionary (an .index with its .dict.dz or .dict) and its entries
// split the way FreeDict writes them:
//
//   abandon /abɑ̃dɔ̃/ <n, masc>          headword line: forms, pronunciation
//   1. abandonment                       in slashes, grammar in angle brackets
//   2. isolation, separation             numbered senses (or one unnumbered),
//            Note: ...                   each with its notes, examples,
//      "example"  - translation          synonyms and cross-references
//
// Japanese entries list several written forms, kanji and kana
// (" [ichi1]  家 /.../,  [ichi1] いえ /ˈie̞/"): the kana forms are the readings.
#include "lookup/DictZip.h"
#include "lookup/DictdIndex.h"

#include <string>
#include <vector>

namespace tav {

struct TDictSense {
    std::string Text;                 // the translation, its lines joined
    std::vector<std::string> Details; // Note:, examples, Synonyms:, see: lines
};

struct TDictEntry {
    std::vector<std::string> Forms;          // as the headword line writes them ("abat-jour"; "家", "いえ")
    std::vector<std::string> Readings;       // kana forms of an entry that also has kanji forms
    std::vector<std::string> Pronunciations; // IPA between slashes, without dictfmt's language-switch guesses
    std::string Grammar;                     // "n, masc"
    std::vector<TDictSense> Senses;
    std::string Text; // the entry as the dictionary gives it (valid UTF-8)
};

// Splits an entry's text; any text gives an entry (at worst all of it as one sense).
TDictEntry ParseDictEntry(const std::string& text);

class TDictionary {
public:
    // False with a message when either file cannot be used.
    bool Open(const std::string& indexFile, const std::string& dataFile, std::string& error);
    // Over bytes (tests, fuzzing).
    bool OpenBytes(std::string index, std::string data, std::string& error);
    bool IsOpen() const { return open_; }

    // The entries of the word (case-insensitive), in index order; empty when
    // it has none. error names a damaged index line or data range; the
    // entries that could be read are still returned.
    std::vector<TDictEntry> Lookup(const std::string& word, std::string& error);

private:
    TDictdIndex index_;
    TDictData data_;
    bool open_ = false;
};

} // namespace tav
