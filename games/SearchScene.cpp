#include "games/SearchScene.h"

#include <QTextLayout>
#include <QTextOption>

#include <algorithm>

#include "content/UnicodeText.h"

namespace tav {

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

std::vector<TCaptionLine> CaptionLines(const std::string& text, const std::string& word, const QFont& font,
                                       int width) {
    std::vector<TCaptionLine> lines;
    const int wordLength = int(ToQString(word).size());
    for (const QString& paragraph : ToQString(text).split('\n')) {
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
                // Found in UTF-8; the highlight counts Qt's characters.
                const std::string lower = LowerText(FromQString(line.Text));
                const size_t at = lower.find(word);
                if (at != std::string::npos) {
                    line.HighlightStart = int(ToQString(lower.substr(0, at)).size());
                    line.HighlightLength = wordLength;
                }
            }
            lines.push_back(line);
        }
        layout.endLayout();
    }
    return lines;
}

} // namespace tav
