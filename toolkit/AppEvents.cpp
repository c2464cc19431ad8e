#include "toolkit/AppEvents.h"

#include "toolkit/ErrorHandler.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace tav {

TAppEvents& TAppEvents::Instance() {
    static TAppEvents* instance = new TAppEvents; // lives for the whole run
    return *instance;
}

void TAppEvents::Install() {
    if (installed_ || !QCoreApplication::instance()) return;
    QCoreApplication::instance()->installEventFilter(this);
    // Input still waiting in the window system's queue when FlushInput ran is
    // delivered before the event loop next goes idle; it is dropped until then.
    if (auto* d = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread()))
        connect(d, &QAbstractEventDispatcher::aboutToBlock, this, [this] { flushing_ = false; });
    installed_ = true;
}

bool TAppEvents::IsMouseEvent(const QEvent* e) {
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

bool TAppEvents::IsKeyEvent(const QEvent* e) {
    return e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease ||
           e->type() == QEvent::ShortcutOverride;
}

void TAppEvents::FlushInput() {
    static const QEvent::Type inputTypes[] = {
        QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
        QEvent::MouseMove,        QEvent::Wheel,              QEvent::KeyPress,
        QEvent::KeyRelease};
    for (QEvent::Type t : inputTypes) QCoreApplication::removePostedEvents(nullptr, t);
    flushing_ = true;
}

bool TAppEvents::eventFilter(QObject* watched, QEvent* event) {
    const bool input = IsMouseEvent(event) || IsKeyEvent(event);
    // Posted input was removed by FlushInput itself; what remains to drop is
    // input from the window system (spontaneous) that was already waiting.
    if (input && (blocked_ || (flushing_ && event->spontaneous()))) return true;
    if (hook_) {
        bool consumed = false;
        RunGuarded([&] { consumed = hook_(watched, event); });
        if (consumed) return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tav
