#include "media/VideoPanel.h"

#include <QPainter>

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
    update();
}

void TVideoPanel::SetPictureRect(const QRect& rect) {
    pictureRect_ = rect;
    update();
}

QRect TVideoPanel::PictureRect() const { return pictureRect_.isEmpty() ? rect() : pictureRect_; }

void TVideoPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect target = PictureRect();
    if (target != rect()) p.fillRect(rect(), palette().window());
    if (frame_.isNull()) {
        p.fillRect(target, Qt::black);
        return;
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform, frame_.size() != target.size());
    p.drawImage(target, frame_);
}

} // namespace tav
