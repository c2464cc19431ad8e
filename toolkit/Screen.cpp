#include "toolkit/Screen.h"

#include "platform/Messages.h"
#include "toolkit/ErrorHandler.h"

namespace tav {

TScreen::TScreen(QWidget* parent) : QWidget(parent) {
    setFixedSize(800, 600);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
}

bool TScreen::event(QEvent* e) {
    if (e->type() >= QEvent::User) {
        if (const auto* m = dynamic_cast<const TMessageEvent*>(e)) {
            RunGuarded([&] {
                if (m->Message() == WM_USER && m->WParam() == 0 && m->LParam() == 0) ScreenReady();
                else MessageReceived(m->Message(), m->WParam(), m->LParam());
            });
            return true;
        }
    }
    bool handled = false;
    RunGuarded([&] { handled = QWidget::event(e); });
    return handled;
}

} // namespace tav
