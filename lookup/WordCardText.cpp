#include "lookup/WordCardText.h"

#include <algorithm>
#include <set>

#include "content/SearchList.h"
#include "content/UnicodeText.h"

namespace tav {

std::string DictEntryHead(const TDictEntry& e) {
    std::string head;
    for (const std::string& f : e.Forms)
        if (std::find(e.Readings.begin(), e.Readings.end(), f) == e.Readings.end()) head += (head.empty() ? "" : ", ") + f;
    if (!e.Readings.empty()) {
        head += "  reading: ";
        for (size_t i = 0; i < e.Readings.size(); ++i) head += (i ? ", " : "") + e.Readings[i];
    }
    for (const std::string& p : e.Pronunciations) head += "  /" + p + "/";
    if (!e.Grammar.empty()) head += "  <" + e.Grammar + ">";
    return head;
}

TWordCardText WordCardTextOf(const std::string& word, const TWordLookupResult* lookup, const std::string& noDictionary) {
    TWordCardText card;
    card.Word = ValidUtf8(word);
    if (!lookup) {
        card.Note = noDictionary.empty() ? std::string("No dictionary for this course") : noDictionary;
        return card;
    }
    card.DictionaryForms = lookup->DictionaryForms;
    card.Reading = lookup->Reading;
    for (const TDictEntry& e : lookup->Entries) {
        if (card.Entries.size() == kCardEntries) break;
        TWordCardEntry entry{DictEntryHead(e), {}};
        for (const TDictSense& s : e.Senses) {
            if (entry.Senses.size() == kCardSenses) break;
            if (!s.Text.empty()) entry.Senses.push_back(s.Text);
        }
        card.Entries.push_back(std::move(entry));
    }
    if (card.Reading.empty())
        for (const TDictEntry& e : lookup->Entries)
            if (!e.Readings.empty()) {
                card.Reading = e.Readings.front();
                break;
            }
    if (!lookup->Found())
        card.Note = !noDictionary.empty()     ? noDictionary
                    : lookup->Error.empty()   ? std::string("Not in the dictionary")
                                              : "The dictionary could not be read: " + lookup->Error;
    return card;
}

std::vector<const TMovieEntry*> OtherLinesWith(const std::vector<TMovieEntry>& entries, const TWordCardText& card,
                                               const TMovieEntry* line, size_t most) {
    std::vector<std::string> words{LowerText(card.Word)};
    for (const std::string& f : card.DictionaryForms) words.push_back(LowerText(f));
    std::set<const TMovieEntry*> found;
    for (const std::string& w : words)
        for (const TMovieEntry* e : FindMatches(entries, w))
            if (e != line && (!line || e->LineText != line->LineText)) found.insert(e);
    // Film order is index order.
    std::vector<const TMovieEntry*> lines(found.begin(), found.end());
    std::sort(lines.begin(), lines.end(), [](const TMovieEntry* a, const TMovieEntry* b) { return a->StartFrame < b->StartFrame; });
    if (lines.size() > most) lines.resize(most);
    return lines;
}

} // namespace tav
