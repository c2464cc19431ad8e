#include "media/VolumeControl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "media/Volume.h"
#include "media/VolumeProgram.h"

namespace tav {

int VolumeFromKnob(int top) { return (kKnobTravel - top) * 65535 / kKnobTravel; }

int KnobFromVolume(int value) { return kKnobTravel - value * kKnobTravel / 65535; }

void StartVolumeProgram() { TVolumeProgram::Instance().Open(); }

// ---- TVolumeButton ------------------------------------------------------------

TVolumeButton::TVolumeButton(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
}

void TVolumeButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5 + (down_ ? 1 : 0), -0.5, -0.5);
    p.setPen(QPen(hot_ ? QColor(0xE8, 0xC0, 0x60) : QColor(0x8A, 0x7A, 0x50), 1));
    p.setBrush(down_ ? QColor(0x12, 0x18, 0x30) : QColor(0x1C, 0x26, 0x48));
    p.drawRoundedRect(r, 4, 4);
    // A speaker with two sound waves, in cream.
    const qreal w = r.width(), h = r.height(), x = r.left(), y = r.top();
    QPainterPath speaker;
    speaker.moveTo(x + w * 0.18, y + h * 0.40);
    speaker.lineTo(x + w * 0.32, y + h * 0.40);
    speaker.lineTo(x + w * 0.50, y + h * 0.24);
    speaker.lineTo(x + w * 0.50, y + h * 0.76);
    speaker.lineTo(x + w * 0.32, y + h * 0.60);
    speaker.lineTo(x + w * 0.18, y + h * 0.60);
    speaker.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2, 0xE8, 0xCF));
    p.drawPath(speaker);
    p.setPen(QPen(QColor(0xF2, 0xE8, 0xCF), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(x + w * 0.42, y + h * 0.34, w * 0.2, h * 0.32), -60 * 16, 120 * 16);
    p.drawArc(QRectF(x + w * 0.40, y + h * 0.22, w * 0.38, h * 0.56), -60 * 16, 120 * 16);
}

void TVolumeButton::enterEvent(QEnterEvent*) {
    hot_ = true;
    update();
}

void TVolumeButton::leaveEvent(QEvent*) {
    hot_ = false;
    update();
}

void TVolumeButton::mousePressEvent(QMouseEvent* e) {
    down_ = e->button() == Qt::LeftButton;
    update();
}

void TVolumeButton::mouseReleaseEvent(QMouseEvent*) {
    down_ = false;
    update();
}

// ---- the scale and the knob ------------------------------------------------------

namespace {

class TVolumeScale : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), QColor(0x14, 0x1A, 0x30));
        p.setPen(QColor(0x8A, 0x7A, 0x50));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        // A wedge: wide at the top (loud), narrow at the bottom (silent).
        const qreal cx = width() / 2.0;
        QPainterPath wedge;
        wedge.moveTo(cx - width() * 0.3, 4);
        wedge.lineTo(cx + width() * 0.3, 4);
        wedge.lineTo(cx + 1, height() - 6);
        wedge.lineTo(cx - 1, height() - 6);
        wedge.closeSubpath();
        p.fillPath(wedge, QColor(0xE8, 0xC0, 0x60, 0x90));
    }
};

class TVolumeKnob : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(0x5A, 0x46, 0x20));
        p.setBrush(QColor(0xF2, 0xD0, 0x78));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        p.setPen(QColor(0x5A, 0x46, 0x20));
        p.drawLine(3, height() / 2, width() - 4, height() / 2);
    }
};

} // namespace

// ---- TVolumeControl --------------------------------------------------------------

TVolumeControl::TLayout TVolumeControl::ViewerLayout() {
    return {QRect(569, 325, 22, 22), QRect(588, 226, 17, 113), QSize(17, 8), 89};
}

TVolumeControl::TLayout TVolumeControl::ActivityLayout() {
    return {QRect(521, 266, 24, 24), QRect(541, 167, 18, 118), QSize(18, 9), 89};
}

TVolumeControl::TVolumeControl(QWidget* parent, const TLayout& layout, QWidget* button)
    : QObject(parent), ReadVolume(GetMasterVolume), WriteVolume(SetMasterVolume),
      OpenVolumeProgram(StartVolumeProgram) {
    EButton_Volume = button ? button : new TVolumeButton(parent);
    if (!button) EButton_Volume->setGeometry(layout.Button);
    EButton_Volume->installEventFilter(this);

    Panel_VolScale = new QWidget(parent);
    Panel_VolScale->setGeometry(layout.Scale);
    Panel_VolScale->hide();
    Image_VolScale = new TVolumeScale(Panel_VolScale);
    Image_VolScale->setGeometry(0, 0, layout.Scale.width(), layout.Scale.height());
    Image_VolSlide = new TVolumeKnob(Panel_VolScale);
    Image_VolSlide->setGeometry(0, layout.KnobTop, layout.Knob.width(), layout.Knob.height());
    Image_VolSlide->installEventFilter(this);
}

void TVolumeControl::MoveButton(int left, int top) { EButton_Volume->move(left, top); }

void TVolumeControl::EButton_VolumeClick() {
    if (Panel_VolScale->isVisible()) {
        Panel_VolScale->hide();
        return;
    }
    Image_VolSlide->move(Image_VolSlide->x(), KnobFromVolume(ReadVolume ? ReadVolume() : 0));
    Panel_VolScale->show();
    Panel_VolScale->raise();
}

void TVolumeControl::EButton_VolumeDblClick() {
    Panel_VolScale->hide();
    if (OpenVolumeProgram) OpenVolumeProgram();
}

void TVolumeControl::Image_VolSlideMouseDown(int y) {
    SlideDragging = true;
    SlideGrabY = y;
}

void TVolumeControl::Image_VolSlideMouseMove(int y) {
    if (!SlideDragging) return;
    const int top = Image_VolSlide->y() + (y - SlideGrabY);
    if (top == Image_VolSlide->y() || top < 0 || top > kKnobTravel) return;
    Image_VolSlide->move(Image_VolSlide->x(), top);
    if (WriteVolume) WriteVolume(static_cast<unsigned>(VolumeFromKnob(top)));
}

void TVolumeControl::Image_VolSlideMouseUp() { SlideDragging = false; }

bool TVolumeControl::eventFilter(QObject* watched, QEvent* event) {
    // Only mouse events are seen as QMouseEvent (a cast of any other event is undefined).
    const bool mouse = event->type() >= QEvent::MouseButtonPress && event->type() <= QEvent::MouseMove;
    if (!mouse && watched == EButton_Volume) return QObject::eventFilter(watched, event);
    if (watched == EButton_Volume) {
        auto* m = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonRelease && m->button() == Qt::LeftButton) {
            if (!swallowRelease_ && EButton_Volume->rect().contains(m->position().toPoint()) &&
                EButton_Volume->isEnabled())
                EButton_VolumeClick();
            swallowRelease_ = false;
        } else if (event->type() == QEvent::MouseButtonDblClick && m->button() == Qt::LeftButton) {
            swallowRelease_ = true;
            EButton_VolumeDblClick();
        }
    } else if (watched == Image_VolSlide) {
        auto* m = mouse ? static_cast<QMouseEvent*>(event) : nullptr;
        const int y = event->type() >= QEvent::MouseButtonPress && event->type() <= QEvent::MouseMove
                          ? static_cast<int>(m->position().y())
                          : 0;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (m->button() == Qt::LeftButton) Image_VolSlideMouseDown(y);
            return true;
        case QEvent::MouseMove:
            Image_VolSlideMouseMove(y);
            return true;
        case QEvent::MouseButtonRelease:
            if (m->button() == Qt::LeftButton) Image_VolSlideMouseUp();
            return true;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tav
