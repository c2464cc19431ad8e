// The spelling activity's letter tiles, drawn for a letter whose pictures the
// disc does not carry (any letter of a disc in another script).
#include "toolkit/Skin.h"
#include "toolkit/SkinPaint.h"

#include <QFontMetricsF>

#include <algorithm>

namespace tav::skin {

using namespace paint;

QImage LetterTile(const QString& letter, TLetterTile kind) {
    const bool slot = kind == TLetterTile::Slot;
    const int w = slot ? 52 : 64, h = slot ? 51 : 64;
    QImage img = Make(w, h, kind == TLetterTile::Floater ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    // A floating tile is drawn without an alpha channel on the night blue,
    // as the tile pictures of the discs are.
    img.fill(kind == TLetterTile::Floater ? Night() : Cream());
    QPainter p(&img);
    Smooth(p);
    QColor face;
    switch (kind) {
    case TLetterTile::Practice: face = QColor(246, 226, 170); break;
    case TLetterTile::Test: face = QColor(190, 214, 240); break;
    case TLetterTile::Floater: face = QColor(255, 236, 190); break;
    case TLetterTile::Slot: face = Cream(); break;
    }
    Plate(p, QRectF(1, 1, w - 5, h - 5), face.lighter(106), face, face.darker(150), 9);
    // Scripts with wide letters (a kana with its mark, a ligature) shrink to fit.
    QFont font = HeavyFont(h * 0.55);
    const QRectF box(3, 3, w - 10, h - 10);
    for (int i = 0; i < 6 && QFontMetricsF(font).horizontalAdvance(letter) > box.width(); ++i)
        font.setPixelSize(std::max(8, int(font.pixelSize() * 0.82)));
    p.setFont(font);
    p.setPen(kind == TLetterTile::Floater || slot ? QColor(122, 30, 48) : Night());
    p.drawText(QRectF(0, 0, w - 4, h - 4), Qt::AlignCenter, letter);
    return img;
}

} // namespace tav::skin
