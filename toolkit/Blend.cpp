#include "toolkit/Blend.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "toolkit/Transition.h"

namespace tav {

namespace {

// Input passes through to the screen; the fade only paints.
class TBlendOverlay : public QWidget {
public:
    TBlendOverlay(QWidget* screen, QPixmap before, QPixmap after, int ms)
        : QWidget(screen), before_(std::move(before)), after_(std::move(after)), ms_(ms) {
        setObjectName(QStringLiteral("BlendOverlay"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(screen->rect());
        clock_.start();
        connect(&frames_, &QTimer::timeout, this, [this] {
            if (clock_.elapsed() >= ms_)
                deleteLater();
            else
                update();
        });
        frames_.start(15);
        raise();
        show();
    }

protected:
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
    if (TBlendOverlay* old = FindOverlay(screen)) delete old;
    const QPixmap before = screen->grab();
    change();
    const QPixmap after = screen->grab();
    new TBlendOverlay(screen, before, after, ms);
}

bool BlendRunning(const QWidget* screen) {
    return FindOverlay(screen) != nullptr;
}

} // namespace tav
