#pragma once
// The word search's list (Search.txt) and its rule for finding a word in the
// film's lines: the search word of an entry and whole-word matching of its
// first occurrence. The word search screen, the disc checker and the demo
// disc generator share them.
#include <string>
#include <vector>

#include "content/TargetIndex.h"

namespace tav {

// The entries of a word list file (content text, any line ends): every
// non-empty line in file order. The file's read error passes on.
std::vector<std::string> LoadSearchList(const std::string& fileName);

// The lower-case search word of an entry: its text up to the first ",",
// not trimmed.
std::string SearchWordOf(const std::string& entry);

// Word boundaries: codes 32..63 (space, punctuation, digits) except the
// apostrophe, and the inverted exclamation and question marks.
bool IsSearchSeparator(char32_t c);

// True when the first occurrence of `word` (lower case) in `lineText` stands
// as a whole word: bounded by separators, or, in a language written without
// spaces, by word breaks. Only the first occurrence counts; an empty word is
// in no line.
bool LineHoldsWord(const std::string& lineText, const std::string& word);

// The entries whose lines hold the word, in index order.
std::vector<const TMovieEntry*> FindMatches(const std::vector<TMovieEntry>& entries, const std::string& word);

} // namespace tav
