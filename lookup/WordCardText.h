#pragma once
// What the word card shows for a clicked word of a film line, in plain text:
// the word as spoken, its dictionary forms and reading, the first entries
// with their first senses, a line saying why there is no meaning when there
// is none, and the film's other lines that use the word. The card and
// `tavolin-disc lookup` print entries the same way.
#include <string>
#include <vector>

#include "content/TargetIndex.h"
#include "lookup/WordLookup.h"

namespace tav {

struct TWordCardEntry {
    std::string Head; // forms, reading, pronunciation, grammar on one line
    std::vector<std::string> Senses;
};

struct TWordCardText {
    std::string Word; // as spoken
    std::vector<std::string> DictionaryForms;
    std::string Reading; // kana, for Japanese
    std::vector<TWordCardEntry> Entries;
    std::string Note; // no dictionary for the pair, no entry, a damaged file
};

// "maison  /mɛzɔ̃/  <n, fem>"; kana forms of a kanji entry as "reading: ...".
std::string DictEntryHead(const TDictEntry& entry);

constexpr size_t kCardEntries = 2, kCardSenses = 3;

// The card of a looked-up word; noDictionary says why the course has no
// dictionary (the look-up then brings dictionary forms only). A null lookup
// gives the word and the note alone.
TWordCardText WordCardTextOf(const std::string& word, const TWordLookupResult* lookup, const std::string& noDictionary);

// Lines of the film other than `line` that hold the word or one of its
// dictionary forms as a whole word (the word search's rule), in film order.
std::vector<const TMovieEntry*> OtherLinesWith(const std::vector<TMovieEntry>& entries, const TWordCardText& card,
                                               const TMovieEntry* line, size_t most = 5);

} // namespace tav
