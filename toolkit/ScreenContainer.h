#pragma once
// The screen container: hosts exactly one screen at a time and changes screens
// with a timed transition. The outgoing screen is hidden and deleted at once
// (its snapshot is what the transition shows); the new one is shown when the
// transition ends, and `done` runs then.
#include <QElapsedTimer>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "toolkit/Transition.h"

namespace tav {

class TScreen;

class TScreenContainer : public QWidget {
    Q_OBJECT
public:
    explicit TScreenContainer(QWidget* parent = nullptr);
    ~TScreenContainer() override;

    TScreen* Current() const { return current_; }
    bool InTransition() const { return overlay_ != nullptr; }

    // Puts screen in place of the current one. With trNone the change is
    // immediate and `done` runs before this returns.
    void ShowScreen(TScreen* screen, TTransition effect, std::function<void()> done);

    // Deletes the current screen (program shutting down).
    void ClearScreen();

    // Ends a running transition now (tests, shutdown).
    void FinishTransition();

private:
    class Overlay;
    void Tick();

    QPointer<TScreen> current_;
    Overlay* overlay_ = nullptr;
    QTimer frameTimer_;
    QElapsedTimer clock_;
    std::function<void()> done_;
};

} // namespace tav
