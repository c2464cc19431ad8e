#pragma once
// The look shared by the disc's pictures and the program's skin: a small
// cinema in night blue and charcoal with warm gold and cream, rounded plates
// with a soft shadow, and text that always sits on enough contrast.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <string>

namespace demodisc {

namespace palette {
inline const QColor Night{16, 26, 51};
inline const QColor Charcoal{30, 32, 40};
inline const QColor Gold{217, 164, 65};
inline const QColor Cream{243, 230, 196};
inline const QColor Wine{122, 30, 48};
inline const QColor Teal{38, 110, 120};
} // namespace palette

QString U(const std::string& utf8);
QFont Font(int pixelSize, bool bold = false, bool italic = false, const char* family = "DejaVu Sans");

// A night-blue background with a soft vignette and a faint film strip.
void PaintCinemaBackground(QPainter& p, const QRectF& r, bool filmStrip = true);
// A rounded plate with bevel and shadow.
void PaintPlate(QPainter& p, const QRectF& r, const QColor& fill, const QColor& edge = palette::Gold,
                double radius = 12);
// Text with a dark shadow behind it.
void PaintShadowText(QPainter& p, const QRectF& r, int flags, const QString& text, const QColor& color);
// A spotlight cone from the top.
void PaintSpotlight(QPainter& p, const QPointF& from, const QRectF& onto, const QColor& color);

QImage NewImage(int w, int h, const QColor& fill = palette::Night);
void SaveJpeg(const QImage& image, const std::string& path);
void SaveBmp(const QImage& image, const std::string& path);

} // namespace demodisc
