#pragma once
// The base of every screen: a full-window 800 x 600 widget hosted by the
// screen container. The main window posts the screen-ready message
// (WM_USER, 0, 0) when the entry transition is over; the screen starts its
// work then. Errors in its event handlers reach the application's handler.
#include <QWidget>

#include <string>

namespace tav {

class TScreen : public QWidget {
    Q_OBJECT
public:
    explicit TScreen(QWidget* parent = nullptr);

    // The screen-ready message: the transition is over.
    virtual void ScreenReady() {}
    // A character typed on the main window (only for activity screens).
    virtual void KeyPressed(const std::string& character) {}
    // The screen handles other posted messages (e.g. media completion) here.
    virtual void MessageReceived(int message, intptr_t wParam, intptr_t lParam) {}

protected:
    bool event(QEvent* e) override;
};

} // namespace tav
