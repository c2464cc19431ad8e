// The film quiz's own pictures: the score digit strips, the answer markers
// and the opponent's figure under its video.
#include "toolkit/Skin.h"
#include "toolkit/SkinPaint.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace tav::skin {

using namespace paint;

std::vector<QImage> ScoreDigitImages(int w, int h) {
    std::vector<QImage> images;
    const auto digit = [&](const QString& text) {
        QImage image = Make(w, h, QImage::Format_RGB32);
        QPainter p(&image);
        Smooth(p);
        QLinearGradient g(0, 0, 0, h);
        g.setColorAt(0, QColor(26, 22, 16));
        g.setColorAt(1, QColor(8, 8, 10));
        p.fillRect(QRect(0, 0, w, h), g);
        p.setPen(QPen(QColor(150, 118, 60), 1));
        p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
        p.setFont(HeavyFont(h * 0.8));
        p.setPen(QColor(0, 0, 0));
        p.drawText(QRectF(1, 1, w, h), Qt::AlignCenter, text);
        p.setPen(GoldLight());
        p.drawText(QRectF(0, 0, w, h), Qt::AlignCenter, text);
        return image;
    };
    images.push_back(digit(QString()));          // thousands 0: blank
    images.push_back(digit(QStringLiteral("1"))); // thousands 1
    for (int d = 0; d <= 9; ++d) images.push_back(digit(QString::number(d)));
    images.push_back(digit(QStringLiteral("0")));
    images.push_back(digit(QStringLiteral("5")));
    return images;
}

QImage Marker(char letter, int w, int h) {
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    QPainterPath path;
    // A pointer plate aimed at the answer on its right.
    path.moveTo(1, 2);
    path.lineTo(w * 0.66, 2);
    path.lineTo(w - 1, h / 2.0);
    path.lineTo(w * 0.66, h - 3);
    path.lineTo(1, h - 3);
    path.closeSubpath();
    p.fillPath(path.translated(0, 1.5), QColor(0, 0, 0, 100));
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, GoldLight());
    g.setColorAt(1, QColor(184, 128, 40));
    p.fillPath(path, g);
    p.setPen(QPen(QColor(110, 74, 20), 1));
    p.drawPath(path);
    p.setFont(HeavyFont(h * 0.62));
    p.setPen(NightDeep());
    p.drawText(QRectF(0, 0, w * 0.7, h - 1), Qt::AlignCenter, QString(QChar(letter)));
    return image;
}

QImage OpponentFigure(int w, int h) {
    // The opponent's lower half and its stand: the video above shows the
    // head and shoulders, this picture carries the figure down to the floor.
    QImage image = Blank(w, h);
    QPainter p(&image);
    Smooth(p);
    const double cx = w * 0.8; // under the centre of the video above
    const QColor dress(200, 60, 90), shade(120, 30, 56);
    // A soft floor light.
    QRadialGradient floor(QPointF(cx, h - 18), w * 0.6);
    floor.setColorAt(0, QColor(246, 212, 130, 90));
    floor.setColorAt(1, QColor(246, 212, 130, 0));
    p.fillRect(QRectF(0, h - 60, w, 60), floor);
    // Skirt of the dress widening towards the knees.
    QPainterPath skirt;
    skirt.moveTo(cx - 40, 190);
    skirt.lineTo(cx + 40, 190);
    skirt.lineTo(cx + 52, h * 0.72);
    skirt.lineTo(cx - 52, h * 0.72);
    skirt.closeSubpath();
    QLinearGradient g(cx - 52, 0, cx + 52, 0);
    g.setColorAt(0, shade);
    g.setColorAt(0.45, dress);
    g.setColorAt(1, shade);
    p.fillPath(skirt, g);
    p.setPen(QPen(Gold(), 3));
    p.drawLine(QPointF(cx - 47, h * 0.70), QPointF(cx + 47, h * 0.70));
    // Legs and shoes.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 200, 165));
    p.drawRoundedRect(QRectF(cx - 24, h * 0.72, 14, h * 0.2), 6, 6);
    p.drawRoundedRect(QRectF(cx + 10, h * 0.72, 14, h * 0.2), 6, 6);
    p.setBrush(NightDeep());
    p.drawRoundedRect(QRectF(cx - 30, h * 0.91, 24, 12), 6, 6);
    p.drawRoundedRect(QRectF(cx + 6, h * 0.91, 24, 12), 6, 6);
    // The presenter's card in the left hand.
    QPainterPath card;
    card.addRoundedRect(QRectF(6, 214, 30, 42), 4, 4);
    p.fillPath(card.translated(1.5, 2), QColor(0, 0, 0, 90));
    p.fillPath(card, Cream());
    p.setPen(QPen(Gold(), 1.2));
    p.drawPath(card);
    p.setPen(QPen(QColor(120, 110, 100), 1.4));
    for (int k = 0; k < 4; ++k) p.drawLine(QPointF(11, 224 + k * 8), QPointF(31, 224 + k * 8));
    return image;
}

} // namespace tav::skin
