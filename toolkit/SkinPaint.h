#pragma once
// Drawing helpers shared by the skin's files (Skin.cpp and the files of the
// screens with pictures of their own, such as SkinQuiz.cpp).
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>

namespace tav::skin::paint {

// A picture of w x h logical pixels at the skin's pixel density.
QImage Make(int w, int h, QImage::Format format);
// A fully transparent picture.
QImage Blank(int w, int h);
void Smooth(QPainter& p);
QColor Mix(const QColor& a, const QColor& b, double t);
QFont HeavyFont(double pixelSize);
// A rounded plate with a soft shadow, a vertical gradient, a thin rim and a
// highlight along its top edge.
void Plate(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom, const QColor& rim, double radius);

} // namespace tav::skin::paint
