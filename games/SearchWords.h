#pragma once
// The word search's rules, apart from its screen: the word list file, the
// search word of an entry, whole-word matching of a word in the film's
// lines, the film range played around a line, and the display lines of a
// caption with the search word's first occurrence in each.
#include <QFont>
#include <QString>

#include <string>
#include <vector>

#include "content/TargetIndex.h"

namespace tav {

// The entries of a word list file (Mac OS Roman, any line ends): every
// non-empty line in file order, converted to Windows-1252. The file's
// read error passes on.
std::vector<std::string> LoadSearchList(const std::string& fileName);

// The lower-case search word of an entry: its text up to the first ",",
// not trimmed.
std::string SearchWordOf(const std::string& entry);

// Word boundaries: codes 32..63 (space, punctuation, digits) except the
// apostrophe, and the inverted exclamation and question marks.
bool IsSearchSeparator(unsigned char c);

// True when the first occurrence of `word` (lower case) in `lineText` stands
// as a whole word. Only the first occurrence counts; an empty word is in no line.
bool LineHoldsWord(const std::string& lineText, const std::string& word);

// The entries whose lines hold the word, in index order.
std::vector<const TMovieEntry*> FindMatches(const std::vector<TMovieEntry>& entries, const std::string& word);

// The film range played for a line: from `extraStart` units before it to
// `extraEnd` after it, kept inside 0 .. filmLength (a length of 0 or less
// is not known and does not limit the end).
struct TFilmRange {
    int From = 0;
    int To = 0;
};
TFilmRange SceneRange(const TMovieEntry& entry, int extraStart, int extraEnd, int filmLength);

// One display line of a caption and where the search word's first
// occurrence lies in it (-1: nowhere). Positions count characters of
// `Text`, which are the Windows-1252 characters of the caption.
struct TCaptionLine {
    QString Text;
    int HighlightStart = -1;
    int HighlightLength = 0;
};
// Breaks a caption into lines at `width` pixels in `font` the way a
// word-wrapping memo does (at spaces, inside a word only when it alone is
// too wide) and marks the first occurrence of `word` (lower case) in each.
std::vector<TCaptionLine> CaptionLines(const std::string& text1252, const std::string& word, const QFont& font,
                                       int width);

} // namespace tav
