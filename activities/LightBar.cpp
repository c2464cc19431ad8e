#include "activities/LightBar.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>

#include "toolkit/Skin.h"

namespace tav {

int LightsOffHeight(int percent) {
    const int steps = percent / 5;
    if (steps >= 20) return 0;
    return std::min(kLightBarHeight, 223 - 11 * std::max(steps, 0));
}

int LightsOnWidth(int percent) {
    const int steps = percent / 5;
    if (steps >= 20) return kLightBarHeight;
    return 11 * steps - 4;
}

QImage HorizontalLightBar() {
    // Turned a quarter clockwise, the vertical bar's bottom lamp (lamp 1)
    // comes to the left end.
    return ActivityLightBar(true).transformed(QTransform().rotate(90));
}

QImage ActivityLightBar(bool on) {
    QImage image(kLightBarWidth, kLightBarHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(0.5, 0.5, kLightBarWidth - 1.0, kLightBarHeight - 1.5), 6, 6);
    p.fillPath(plate, skin::NightDeep());
    p.setPen(QPen(QColor(150, 118, 60), 1.2));
    p.drawPath(plate);
    for (int lamp = 1; lamp <= 20; ++lamp) {
        // Lamp n is uncovered when the "off" picture is 223 - 11 n high.
        const int top = std::max(3, 223 - 11 * lamp);
        const int bottom = std::min(kLightBarHeight - 1, 223 - 11 * (lamp - 1));
        const QRectF cell(5, top + 1, kLightBarWidth - 10, bottom - top - 2);
        QPainterPath shape;
        shape.addRoundedRect(cell, 2, 2);
        if (on) {
            const double t = (lamp - 1) / 19.0;
            const QColor low = skin::Go(), high = skin::GoldLight();
            const QColor c(int(low.red() + (high.red() - low.red()) * t), int(low.green() + (high.green() - low.green()) * t),
                           int(low.blue() + (high.blue() - low.blue()) * t));
            QLinearGradient g(cell.topLeft(), cell.topRight());
            g.setColorAt(0, c);
            g.setColorAt(0.5, c.lighter(135));
            g.setColorAt(1, c);
            p.fillPath(shape, g);
        } else {
            p.fillPath(shape, QColor(40, 46, 60));
            p.setPen(QPen(QColor(70, 76, 92), 0.8));
            p.drawPath(shape);
        }
    }
    return image;
}

} // namespace tav
