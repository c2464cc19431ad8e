#pragma once
// What the word search shows of a found line: the film range played around
// it and the caption's display lines with the search word's first
// occurrence in each.
#include <QFont>
#include <QString>

#include <string>
#include <vector>

#include "content/TargetIndex.h"

namespace tav {

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
// `Text` (Qt's UTF-16 positions).
struct TCaptionLine {
    QString Text;
    int HighlightStart = -1;
    int HighlightLength = 0;
};
// Breaks a caption into lines at `width` pixels in `font` the way a
// word-wrapping memo does (at spaces, inside a word only when it alone is
// too wide) and marks the first occurrence of `word` (lower case) in each.
std::vector<TCaptionLine> CaptionLines(const std::string& text, const std::string& word, const QFont& font,
                                       int width);

} // namespace tav
