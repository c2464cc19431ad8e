#include "content/SearchList.h"

#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/Text1252.h"

namespace tav {

std::vector<std::string> LoadSearchList(const std::string& fileName) {
    std::vector<std::string> entries;
    for (const std::string& raw : ReadTextLines(fileName))
        if (!raw.empty()) entries.push_back(MacToAnsi(raw));
    return entries;
}

std::string SearchWordOf(const std::string& entry) { return LowerCase1252(entry.substr(0, entry.find(','))); }

bool IsSearchSeparator(unsigned char c) { return (c >= 32 && c <= 63 && c != 39) || c == 161 || c == 191; }

bool LineHoldsWord(const std::string& lineText, const std::string& word) {
    if (word.empty()) return false;
    const size_t at = LowerCase1252(lineText).find(word);
    if (at == std::string::npos) return false;
    const size_t end = at + word.size();
    const bool startsWord = at == 0 || IsSearchSeparator(static_cast<unsigned char>(lineText[at - 1]));
    const bool endsWord = end == lineText.size() || IsSearchSeparator(static_cast<unsigned char>(lineText[end]));
    return startsWord && endsWord;
}

std::vector<const TMovieEntry*> FindMatches(const std::vector<TMovieEntry>& entries, const std::string& word) {
    std::vector<const TMovieEntry*> matches;
    for (const TMovieEntry& e : entries)
        if (LineHoldsWord(e.LineText, word)) matches.push_back(&e);
    return matches;
}

} // namespace tav
