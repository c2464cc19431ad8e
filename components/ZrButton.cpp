#include "components/ZrButton.h"

#include <QBitmap>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace tav {

// ---- TCustomZrImageStrip -----------------------------------------------------

TCustomZrImageStrip::TCustomZrImageStrip(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true); // mouse-move events without a button held
    RecomputeLayout();
    resize(32, 32);
    ApplyAutoSize(); // an empty strip gives a 0 x 0 control
}

// Sizes are logical: a skin picture drawn at a higher pixel density keeps the
// size of the control it belongs to.
QSize TCustomZrImageStrip::PictureSize() const { return picture_.deviceIndependentSize().toSize(); }

QSize TCustomZrImageStrip::FrameSize() const {
    const QSize size = PictureSize();
    return {size.width() / columns_, size.height() / rows_};
}

QRgb TCustomZrImageStrip::TransparentColor() const {
    if (picture_.isNull()) return 0;
    return picture_.pixel(0, picture_.height() - 1) & 0xFFFFFF;
}

void TCustomZrImageStrip::SetPicture(const QImage& picture) {
    picture_ = picture.copy();
    PictureChanged();
}

void TCustomZrImageStrip::SetNumImages(int n) {
    numImages_ = n < 1 ? 1 : n;
    RecomputeLayout();
}

void TCustomZrImageStrip::SetVertical(bool vertical) {
    vertical_ = vertical;
    RecomputeLayout();
}

void TCustomZrImageStrip::SetTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    PictureChanged();
}

void TCustomZrImageStrip::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    ApplyAutoSize();
}

void TCustomZrImageStrip::RecomputeLayout() {
    rows_ = vertical_ ? numImages_ : 1;
    columns_ = vertical_ ? 1 : numImages_;
}

void TCustomZrImageStrip::SelectFrame(int n) {
    if (n >= numImages_ || n == frameIndex_ || n < 0) return;
    frameIndex_ = n;
    PictureChanged();
}

bool TCustomZrImageStrip::CanAutoSize(int& newWidth, int& newHeight) const {
    const QSize frame = FrameSize();
    newWidth = frame.width();
    newHeight = frame.height();
    return true;
}

void TCustomZrImageStrip::ApplyAutoSize() {
    if (!autoSize_) return;
    int w = width(), h = height();
    if (CanAutoSize(w, h)) resize(w, h);
}

void TCustomZrImageStrip::PictureChanged() {
    const QSize frame = FrameSize();
    if (frame.width() > 0 && frame.height() > 0) setGeometry(x(), y(), frame.width(), frame.height());
    ApplyAutoSize();

    if (!picture_.isNull()) {
        drawn_ = QPixmap::fromImage(picture_);
        // Pictures with their own alpha channel are transparent already.
        if (transparent_ && !picture_.hasAlphaChannel()) {
            // Colour key: every pixel of the bottom-left pixel's colour shows the parent.
            const QColor key = QColor::fromRgb(TransparentColor());
            drawn_.setMask(drawn_.createMaskFromColor(key, Qt::MaskInColor));
        }
        opaque_ = !transparent_ && !picture_.hasAlphaChannel() && PictureSize().width() >= width() &&
                  PictureSize().height() >= height();
    } else {
        drawn_ = QPixmap();
        opaque_ = false;
    }
    setAttribute(Qt::WA_OpaquePaintEvent, opaque_);
    if (!drawing_) update();
}

void TCustomZrImageStrip::paintEvent(QPaintEvent*) {
    if (drawn_.isNull()) return;
    drawing_ = true;
    struct TRestore {
        bool& flag;
        ~TRestore() { flag = false; }
    } restore{drawing_};
    QPainter painter(this);
    const QPoint origin = vertical_ ? QPoint(0, -frameIndex_ * FrameSize().height())
                                    : QPoint(-frameIndex_ * FrameSize().width(), 0);
    painter.drawPixmap(origin, drawn_);
}

void TCustomZrImageStrip::mousePressEvent(QMouseEvent* e) {
    // Only the left button makes a click; other buttons leave a left hold alone.
    if (e->button() == Qt::LeftButton) pressedForClick_ = true;
    if (OnMouseDown) OnMouseDown(this, e->button(), e->modifiers(), int(e->position().x()), int(e->position().y()));
}

void TCustomZrImageStrip::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = e->button() == Qt::LeftButton && pressedForClick_ && rect().contains(e->position().toPoint());
    if (e->button() == Qt::LeftButton) pressedForClick_ = false;
    QPointer<TCustomZrImageStrip> self(this);
    if (OnMouseUp) OnMouseUp(this, e->button(), e->modifiers(), int(e->position().x()), int(e->position().y()));
    if (click && self && OnClick) OnClick(this);
}

void TCustomZrImageStrip::mouseDoubleClickEvent(QMouseEvent* e) {
    // The second press of a double click raises OnDblClick and a mouse-down,
    // but its release is not another click.
    pressedForClick_ = false;
    QPointer<TCustomZrImageStrip> self(this);
    if (e->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
    if (self && OnMouseDown)
        OnMouseDown(this, e->button(), e->modifiers(), int(e->position().x()), int(e->position().y()));
}

void TCustomZrImageStrip::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove) OnMouseMove(this, e->modifiers(), int(e->position().x()), int(e->position().y()));
}

// ---- TZrButton ----------------------------------------------------------------

TZrButton::TZrButton(QWidget* parent) : TCustomZrImageStrip(parent) {}

void TZrButton::UpdateFrame() {
    if (down_)
        SelectFrame(2);
    else if (hot_)
        SelectFrame(3);
    else
        SelectFrame(isEnabled() ? 0 : 1);
}

void TZrButton::SetDown(bool down) {
    if (!isEnabled()) return;
    down_ = down;
    UpdateFrame();
}

void TZrButton::SetHot(bool hot) {
    if (!isEnabled()) return;
    hot_ = hot;
    UpdateFrame();
}

void TZrButton::mousePressEvent(QMouseEvent* e) {
    QPointer<TZrButton> self(this);
    TCustomZrImageStrip::mousePressEvent(e);
    if (self && e->button() == Qt::LeftButton) SetDown(true);
}

void TZrButton::mouseDoubleClickEvent(QMouseEvent* e) {
    QPointer<TZrButton> self(this);
    TCustomZrImageStrip::mouseDoubleClickEvent(e);
    if (self && e->button() == Qt::LeftButton) SetDown(true);
}

void TZrButton::mouseReleaseEvent(QMouseEvent* e) {
    QPointer<TZrButton> self(this);
    TCustomZrImageStrip::mouseReleaseEvent(e);
    if (!self || e->button() != Qt::LeftButton) return;
    // While the button was held the pointer is grabbed and no leave event
    // comes; a release outside leaves the button cold.
    if (!rect().contains(e->position().toPoint())) hot_ = false;
    SetDown(false);
}

void TZrButton::mouseMoveEvent(QMouseEvent* e) {
    QPointer<TZrButton> self(this);
    TCustomZrImageStrip::mouseMoveEvent(e);
    if (!self) return;
    // Held buttons grab the pointer: follow it in and out ourselves.
    if (down_) {
        const bool inside = rect().contains(e->position().toPoint());
        if (inside != hot_) SetHot(inside);
    }
}

void TZrButton::enterEvent(QEnterEvent* e) {
    TCustomZrImageStrip::enterEvent(e);
    SetHot(true);
}

void TZrButton::leaveEvent(QEvent* e) {
    TCustomZrImageStrip::leaveEvent(e);
    SetHot(false);
}

void TZrButton::changeEvent(QEvent* e) {
    TCustomZrImageStrip::changeEvent(e);
    if (e->type() != QEvent::EnabledChange) return;
    if (!isEnabled()) {
        down_ = false;
        hot_ = false;
    }
    UpdateFrame();
}

} // namespace tav
