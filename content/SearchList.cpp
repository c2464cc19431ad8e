#include "content/SearchList.h"

#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"

namespace tav {

std::vector<std::string> LoadSearchList(const std::string& fileName) {
    std::vector<std::string> entries;
    for (const std::string& line : ReadContentLines(fileName))
        if (!line.empty()) entries.push_back(line);
    return entries;
}

std::string SearchWordOf(const std::string& entry) { return LowerText(entry.substr(0, entry.find(','))); }

bool IsSearchSeparator(char32_t c) { return (c >= 32 && c <= 63 && c != 39) || c == 161 || c == 191; }

bool LineHoldsWord(const std::string& lineText, const std::string& word) {
    if (word.empty()) return false;
    const std::string lower = LowerText(lineText);
    const size_t at = lower.find(word);
    if (at == std::string::npos) return false;
    const size_t end = at + word.size();
    if (TextLanguageWritesWithoutSpaces()) return IsWordBoundary(lower, at) && IsWordBoundary(lower, end);
    const bool startsWord = at == 0 || IsSearchSeparator(CodePointBefore(lower, at));
    const bool endsWord = end == lower.size() || IsSearchSeparator(CodePointAt(lower, end));
    return startsWord && endsWord;
}

std::vector<const TMovieEntry*> FindMatches(const std::vector<TMovieEntry>& entries, const std::string& word) {
    std::vector<const TMovieEntry*> matches;
    for (const TMovieEntry& e : entries)
        if (LineHoldsWord(e.LineText, word)) matches.push_back(&e);
    return matches;
}

} // namespace tav
