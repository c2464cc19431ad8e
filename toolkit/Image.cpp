#include "toolkit/Image.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "toolkit/PictureLoader.h"
#include "toolkit/ScaledScene.h"

namespace tav {

TImage::TImage(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

void TImage::SetPicture(const QImage& picture) {
    picture_ = picture.copy();
    Changed();
}

void TImage::LoadFromFile(const std::string& programPath) { SetPicture(LoadPicture(programPath)); }

void TImage::SetStretch(bool stretch) {
    stretch_ = stretch;
    Changed();
}

void TImage::SetTransparent(bool transparent) {
    transparent_ = transparent;
    Changed();
}

void TImage::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    Changed();
}

void TImage::SetView(const QRect& view) {
    view_ = view;
    Changed();
}

// Coordinates are logical pixels; a picture drawn at a higher pixel density
// (the skin's, on a scaled display) is read through its pixel ratio.
QRect TImage::SourceRect() const {
    const QRect whole(QPoint(0, 0), picture_.deviceIndependentSize().toSize());
    return view_.isNull() ? whole : view_.intersected(whole);
}

QPoint TImage::DevicePoint(const QPoint& logical) const {
    const qreal ratio = picture_.devicePixelRatio();
    return {std::min(int(logical.x() * ratio), picture_.width() - 1), std::min(int(logical.y() * ratio), picture_.height() - 1)};
}

QRgb TImage::TransparentColor() const {
    if (picture_.isNull()) return 0;
    return picture_.pixel(0, picture_.height() - 1) & 0xFFFFFF;
}

void TImage::Changed() {
    if (picture_.isNull()) {
        drawn_ = QPixmap();
    } else {
        const QRect src = SourceRect();
        const qreal ratio = picture_.devicePixelRatio();
        drawn_ = QPixmap::fromImage(picture_.copy(QRect(QPoint(int(src.x() * ratio), int(src.y() * ratio)),
                                                        QSize(int(src.width() * ratio), int(src.height() * ratio)))));
        // Pictures with their own alpha channel are transparent already.
        if (transparent_ && !picture_.hasAlphaChannel())
            drawn_.setMask(drawn_.createMaskFromColor(QColor::fromRgb(TransparentColor()), Qt::MaskInColor));
        if (autoSize_ && !stretch_) resize(drawn_.deviceIndependentSize().toSize());
    }
    update();
}

QPoint TImage::PicturePoint(int x, int y) const {
    const QRect src = SourceRect();
    if (stretch_ && width() > 0 && height() > 0)
        return {src.left() + x * src.width() / width(), src.top() + y * src.height() / height()};
    return {src.left() + x, src.top() + y};
}

int64_t TImage::PixelAt(int x, int y) const {
    if (picture_.isNull() || x < 0 || y < 0 || x >= width() || y >= height()) return -1;
    const QPoint p = PicturePoint(x, y);
    if (!SourceRect().contains(p)) return -1;
    return int64_t(picture_.pixel(DevicePoint(p)) & 0xFFFFFF);
}

bool TImage::IsTransparentAt(int x, int y) const {
    const int64_t pixel = PixelAt(x, y);
    if (pixel < 0) return true;
    const QPoint p = PicturePoint(x, y);
    if (picture_.hasAlphaChannel() && qAlpha(picture_.pixel(DevicePoint(p))) == 0) return true;
    return transparent_ && QRgb(pixel) == TransparentColor();
}

void TImage::paintEvent(QPaintEvent*) {
    if (drawn_.isNull()) return;
    QPainter painter(this);
    if (stretch_) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), drawn_);
    } else {
        painter.drawPixmap(0, 0, drawn_);
    }
}

void TImage::mousePressEvent(QMouseEvent* e) {
    pressedForClick_ = e->button() == Qt::LeftButton;
    if (OnMouseDown) OnMouseDown(this, e->button(), e->modifiers(), int(e->position().x()), int(e->position().y()));
}

void TImage::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = e->button() == Qt::LeftButton && pressedForClick_ && rect().contains(e->position().toPoint());
    if (e->button() == Qt::LeftButton) pressedForClick_ = false;
    QPointer<TImage> self(this);
    if (OnMouseUp) OnMouseUp(this, e->button(), e->modifiers(), int(e->position().x()), int(e->position().y()));
    if (click && self && OnClick) OnClick(this);
}

void TImage::mouseDoubleClickEvent(QMouseEvent* e) {
    pressedForClick_ = false;
    QPointer<TImage> self(this);
    if (e->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
    if (self && OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), int(e->position().x()), int(e->position().y()));
}

void TImage::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove) OnMouseMove(this, e->modifiers(), int(e->position().x()), int(e->position().y()));
}

TImage* CoverWithSnapshot(QWidget* panel, TImage* cover) {
    const QImage snapshot = Snapshot(panel).toImage();
    if (!cover) cover = new TImage(panel);
    cover->setGeometry(panel->rect());
    cover->SetPicture(snapshot);
    cover->show();
    cover->raise();
    return cover;
}

TImage* MakeImage(QWidget* parent, const QRect& r, const QImage& picture, bool transparent) {
    auto* img = new TImage(parent);
    img->setGeometry(r);
    img->SetPicture(picture);
    img->SetTransparent(transparent);
    return img;
}

} // namespace tav
