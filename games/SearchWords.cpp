#include "games/SearchWords.h"

#include <QTextLayout>
#include <QTextOption>

#include <algorithm>

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

TFilmRange SceneRange(const TMovieEntry& entry, int extraStart, int extraEnd, int filmLength) {
    TFilmRange r;
    r.From = std::max(0, entry.StartFrame - extraStart);
    r.To = entry.EndFrame + extraEnd;
    if (filmLength > 0) {
        r.To = std::min(r.To, filmLength);
        r.From = std::min(r.From, filmLength);
    }
    r.To = std::max(r.To, r.From);
    return r;
}

std::vector<TCaptionLine> CaptionLines(const std::string& text1252, const std::string& word, const QFont& font,
                                       int width) {
    std::vector<TCaptionLine> lines;
    // Each Windows-1252 character is one QChar, so positions carry over.
    for (const QString& paragraph : ToQString(text1252).split('\n')) {
        QString para = paragraph;
        para.remove('\r');
        QTextLayout layout(para, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine tl = layout.createLine(); tl.isValid(); tl = layout.createLine()) {
            tl.setLineWidth(width);
            TCaptionLine line;
            line.Text = para.mid(tl.textStart(), tl.textLength());
            while (line.Text.endsWith(' ')) line.Text.chop(1);
            if (!word.empty()) {
                const size_t at = LowerCase1252(FromQString(line.Text)).find(word);
                if (at != std::string::npos) {
                    line.HighlightStart = int(at);
                    line.HighlightLength = int(word.size());
                }
            }
            lines.push_back(line);
        }
        layout.endLayout();
    }
    return lines;
}

} // namespace tav
