#include "toolkit/Blend.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "toolkit/AppEvents.h"
#include "toolkit/ScaledScene.h"
#include "toolkit/Transition.h"

namespace tav {

namespace {

// The fade only paints: the pointer's moves pass through to the screen (it
// takes no mouse events, so its coming and going moves nothing under the
// pointer). Clicks and keys for the screen made during the fade are dropped,
// and input still queued when it ends is flushed.
class TBlendOverlay : public QWidget {
public:
    TBlendOverlay(QWidget* screen, QPixmap before, QPixmap after, int ms)
        : QWidget(screen), before_(std::move(before)), after_(std::move(after)), ms_(ms) {
        setObjectName(QStringLiteral("BlendOverlay"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(screen->rect());
        qApp->installEventFilter(this);
        clock_.start();
        connect(&frames_, &QTimer::timeout, this, [this] {
            if (clock_.elapsed() >= ms_) {
                TAppEvents::Instance().FlushInput();
                Retire();
            } else {
                update();
            }
        });
        frames_.start(15);
        raise();
        show();
    }

    // Out of sight and out of the search at once, deleted later.
    void Retire() {
        qApp->removeEventFilter(this);
        frames_.stop();
        setObjectName(QString());
        hide();
        deleteLater();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* w = qobject_cast<QWidget*>(watched);
            return w && parentWidget() && (w == parentWidget() || parentWidget()->isAncestorOf(w));
        }
        default: return false;
        }
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const double progress = ms_ > 0 ? std::min(1.0, double(clock_.elapsed()) / ms_) : 1.0;
        PaintTransitionFrame(painter, before_, after_, trBlend, progress);
    }

private:
    QPixmap before_, after_;
    int ms_;
    QElapsedTimer clock_;
    QTimer frames_;
};

TBlendOverlay* FindOverlay(const QWidget* screen) {
    return screen->findChild<TBlendOverlay*>(QStringLiteral("BlendOverlay"), Qt::FindDirectChildrenOnly);
}

} // namespace

void BlendChange(QWidget* screen, int ms, const std::function<void()>& change) {
    // A fade still running is finished first so it is not captured.
    // It may be the widget under the pointer in the event being delivered:
    // it goes out of sight now and is deleted later.
    if (TBlendOverlay* old = FindOverlay(screen)) old->Retire();
    const QPixmap before = Snapshot(screen);
    change();
    const QPixmap after = Snapshot(screen);
    new TBlendOverlay(screen, before, after, ms);
}

bool BlendRunning(const QWidget* screen) {
    return FindOverlay(screen) != nullptr;
}

} // namespace tav
