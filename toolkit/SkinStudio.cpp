// The recording studio's built-in pictures: the clapperboard digits and the
// plate that covers an unused button group.
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "toolkit/Skin.h"

namespace tav::skin {

namespace {

// A picture of w x h logical pixels at the skin's pixel density.
QImage StudioPicture(int w, int h) {
    const qreal scale = PictureScale();
    QImage image(std::max(1, int(std::ceil(std::max(w, 1) * scale))), std::max(1, int(std::ceil(std::max(h, 1) * scale))),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    return image;
}

} // namespace

QImage ClapperDigit(int digit, int w, int h) {
    QImage image = StudioPicture(w, h);
    image.fill(Charcoal());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setWeight(QFont::Black);
    font.setPixelSize(std::max(1, int(std::lround(h * 0.78))));
    p.setFont(font);
    p.setPen(Cream());
    p.drawText(QRectF(0, 0, w, h), Qt::AlignCenter, QString::number(digit));
    return image;
}

QImage StudioCover(int w, int h) {
    QImage image = StudioPicture(w, h);
    image.fill(NightDeep());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A dark, empty slot with a faint gold rim: clearly "no line here".
    QPainterPath plate;
    plate.addRoundedRect(QRectF(3.5, 3.5, w - 7.0, h - 7.0), 10, 10);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, Night());
    g.setColorAt(1, NightDeep());
    p.fillPath(plate, g);
    QColor rim = Gold();
    rim.setAlpha(90);
    p.setPen(QPen(rim, 1.5, Qt::DashLine));
    p.drawPath(plate);
    return image;
}

QImage SceneThumb(int n, int w, int h) {
    QImage image = StudioPicture(w, h);
    image.fill(NightDeep());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // The board with its striped hinged top, the scene number on the slate.
    const QRectF board(6, h * 0.34, w - 12.0, h * 0.6);
    p.setPen(QPen(Gold(), 2));
    p.setBrush(Charcoal());
    p.drawRoundedRect(board, 4, 4);
    const QRectF top(6, h * 0.12, w - 12.0, h * 0.18);
    p.setBrush(Cream());
    p.drawRect(top);
    p.setPen(Qt::NoPen);
    p.setBrush(Charcoal());
    for (int k = 0; k < 5; ++k) {
        const double x = top.left() + k * top.width() / 5;
        QPolygonF stripe;
        stripe << QPointF(x + 4, top.top() + 1) << QPointF(x + top.width() / 10 + 4, top.top() + 1)
               << QPointF(x + top.width() / 10, top.bottom() - 1) << QPointF(x, top.bottom() - 1);
        p.drawPolygon(stripe);
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setWeight(QFont::Black);
    font.setPixelSize(std::max(1, int(std::lround(board.height() * 0.7))));
    p.setFont(font);
    p.setPen(Cream());
    p.drawText(board, Qt::AlignCenter, QString::number(n));
    return image;
}

} // namespace tav::skin
