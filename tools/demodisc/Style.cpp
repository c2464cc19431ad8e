#include "Style.h"

#include <QDir>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <stdexcept>

namespace demodisc {

QString U(const std::string& utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

QFont Font(int pixelSize, bool bold, bool italic, const char* family) {
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void PaintCinemaBackground(QPainter& p, const QRectF& r, bool filmStrip) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, palette::Night.lighter(130));
    g.setColorAt(1, palette::Charcoal);
    p.fillRect(r, g);
    QRadialGradient v(r.center(), std::max(r.width(), r.height()) * 0.75);
    v.setColorAt(0.55, QColor(0, 0, 0, 0));
    v.setColorAt(1, QColor(0, 0, 0, 150));
    p.fillRect(r, v);
    if (filmStrip) {
        p.save();
        p.setPen(Qt::NoPen);
        const double y = r.top() + 6;
        p.setBrush(QColor(0, 0, 0, 90));
        p.drawRect(QRectF(r.left(), y, r.width(), 22));
        p.setBrush(QColor(243, 230, 196, 40));
        for (double x = r.left() + 6; x < r.right(); x += 18) p.drawRoundedRect(QRectF(x, y + 6, 9, 10), 2, 2);
        p.restore();
    }
}

void PaintPlate(QPainter& p, const QRectF& r, const QColor& fill, const QColor& edge, double radius) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(r.translated(3, 4), radius, radius);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, fill.lighter(118));
    g.setColorAt(1, fill.darker(112));
    p.setBrush(g);
    p.setPen(QPen(edge, 2));
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 50), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(4, 4, -4, -4), radius - 3, radius - 3);
    p.restore();
}

void PaintShadowText(QPainter& p, const QRectF& r, int flags, const QString& text, const QColor& color) {
    p.save();
    p.setPen(QColor(0, 0, 0, 170));
    p.drawText(r.translated(2, 2), flags, text);
    p.setPen(color);
    p.drawText(r, flags, text);
    p.restore();
}

void PaintSpotlight(QPainter& p, const QPointF& from, const QRectF& onto, const QColor& color) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath cone;
    cone.moveTo(from);
    cone.lineTo(onto.bottomLeft());
    cone.lineTo(onto.bottomRight());
    cone.closeSubpath();
    QLinearGradient g(from, QPointF(from.x(), onto.bottom()));
    QColor c0 = color, c1 = color;
    c0.setAlpha(70);
    c1.setAlpha(10);
    g.setColorAt(0, c0);
    g.setColorAt(1, c1);
    p.fillPath(cone, g);
    p.restore();
}

QImage NewImage(int w, int h, const QColor& fill) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

namespace {
void Save(const QImage& image, const std::string& path, const char* format, int quality) {
    const QString q = QString::fromStdString(path);
    QDir().mkpath(QFileInfo(q).absolutePath());
    if (!image.save(q, format, quality)) throw std::runtime_error("cannot write picture " + path);
}
} // namespace

void SaveJpeg(const QImage& image, const std::string& path) { Save(image, path, "JPG", 88); }
void SaveBmp(const QImage& image, const std::string& path) {
    Save(image.convertToFormat(QImage::Format_RGB888), path, "BMP", -1);
}

} // namespace demodisc
