#include "toolkit/ScreenContainer.h"

#include "toolkit/AppEvents.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Screen.h"
#include "toolkit/ScaledScene.h"

#include <QPainter>

namespace tav {

class TScreenContainer::Overlay : public QWidget {
public:
    Overlay(QWidget* parent, QPixmap oldShot, QPixmap newShot, TTransition effect)
        : QWidget(parent), old_(std::move(oldShot)), new_(std::move(newShot)), effect_(effect) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(0, 0, parent->width(), parent->height());
    }
    void SetProgress(double p) {
        if (p != progress_) { progress_ = p; update(); }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        PaintTransitionFrame(painter, old_, new_, effect_, progress_);
    }

private:
    QPixmap old_, new_;
    TTransition effect_;
    double progress_ = 0.0;
};

TScreenContainer::TScreenContainer(QWidget* parent) : QWidget(parent) {
    setFixedSize(800, 600);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    frameTimer_.setInterval(10);
    connect(&frameTimer_, &QTimer::timeout, this, [this] { RunGuarded([this] { Tick(); }); });
}

TScreenContainer::~TScreenContainer() {
    frameTimer_.stop();
    TAppEvents::Instance().SetInputBlocked(false);
}

void TScreenContainer::ShowScreen(TScreen* screen, TTransition effect, std::function<void()> done) {
    FinishTransition();
    QPointer<TScreen> old = current_;
    screen->setParent(this);
    screen->setGeometry(0, 0, width(), height());

    if (effect == trNone || !isVisible()) {
        current_ = screen;
        screen->show();
        if (old) { old->hide(); old->deleteLater(); }
        if (done) done();
        return;
    }

    QPixmap oldShot = Snapshot(old, rect());
    // Lay the new screen out and take its picture before anyone sees it.
    screen->ensurePolished();
    screen->show();
    QPixmap newShot = Snapshot(screen, rect());
    current_ = screen;
    if (old) { old->hide(); old->deleteLater(); }

    overlay_ = new Overlay(this, std::move(oldShot), std::move(newShot), effect);
    overlay_->show();
    overlay_->raise();
    done_ = std::move(done);
    TAppEvents::Instance().SetInputBlocked(true);
    clock_.start();
    frameTimer_.start();
}

void TScreenContainer::Tick() {
    if (!overlay_) { frameTimer_.stop(); return; }
    double p = double(clock_.elapsed()) / kTransitionMs;
    if (p >= 1.0) { FinishTransition(); return; }
    overlay_->SetProgress(p);
}

void TScreenContainer::FinishTransition() {
    if (!overlay_) return;
    frameTimer_.stop();
    overlay_->hide();
    overlay_->deleteLater();
    overlay_ = nullptr;
    TAppEvents::Instance().SetInputBlocked(false);
    auto done = std::move(done_);
    done_ = nullptr;
    if (done) done();
}

void TScreenContainer::ClearScreen() {
    frameTimer_.stop();
    if (overlay_) { overlay_->deleteLater(); overlay_ = nullptr; }
    done_ = nullptr;
    TAppEvents::Instance().SetInputBlocked(false);
    if (current_) { current_->hide(); delete current_.data(); }
}

} // namespace tav
