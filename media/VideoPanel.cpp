#include "media/VideoPanel.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tav {

TVideoPanel::TVideoPanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void TVideoPanel::SetFrame(const QImage& frame) {
    frame_ = frame;
    ++frameCount_;
    update(PictureRect());
}

void TVideoPanel::Clear() {
    frame_ = QImage();
    scaled_ = QImage();
    update();
}

void TVideoPanel::SetPictureRect(const QRect& rect) {
    pictureRect_ = rect;
    update();
}

QRect TVideoPanel::PictureRect() const { return pictureRect_.isEmpty() ? rect() : pictureRect_; }

namespace {

// Where a frame goes in the picture rectangle. Shapes within a fifth of each
// other fill it: standard-definition films have non-square pixels, and their
// player gives the rectangle the shape they are seen at. A frame of another
// shape (a 16:9 film in a 352 x 288 panel) keeps its own, centred.
QRect FrameRect(const QRect& area, QSize frame) {
    const double frameShape = double(frame.width()) / frame.height();
    const double areaShape = double(area.width()) / std::max(area.height(), 1);
    if (std::max(frameShape, areaShape) / std::min(frameShape, areaShape) < 1.2) return area;
    const QSize fitted = frame.scaled(area.size(), Qt::KeepAspectRatio);
    return QRect(area.topLeft() + QPoint((area.width() - fitted.width()) / 2, (area.height() - fitted.height()) / 2),
                 fitted);
}

} // namespace

void TVideoPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect area = PictureRect();
    if (area != rect()) p.fillRect(rect(), palette().window());
    if (frame_.isNull() || frame_.height() <= 0 || area.isEmpty()) {
        p.fillRect(area, Qt::black);
        return;
    }
    const QRect target = FrameRect(area, frame_.size());
    if (target != area) p.fillRect(area, Qt::black);
    // Device pixels per panel pixel where this paint lands: the display's
    // ratio and the scene window's scale are both in the painter's transform.
    const QTransform& device = p.deviceTransform();
    const qreal dpr = std::max<qreal>(std::hypot(device.m11(), device.m12()), 0.01);
    const QSize pixels = (QSizeF(target.size()) * dpr).toSize();
    if (pixels == frame_.size()) {
        p.drawImage(target, frame_);
    } else if (pixels.width() < frame_.width() || pixels.height() < frame_.height()) {
        // QPainter's smooth drawing samples bilinearly, which leaves a frame
        // shrunk to a third or less grainy and flickering; QImage's smooth
        // scaling averages every source pixel. Once per frame and size.
        if (scaledKey_ != frame_.cacheKey() || scaled_.size() != pixels) {
            scaled_ = frame_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            scaled_.setDevicePixelRatio(dpr);
            scaledKey_ = frame_.cacheKey();
        }
        p.drawImage(target.topLeft(), scaled_);
    } else {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, frame_);
    }
}

} // namespace tav
