#include "toolkit/AppEvents.h"

#include "platform/HeldInput.h"
#include "toolkit/ErrorHandler.h"

#include <QGuiApplication>
#include <QInputEvent>

#include <chrono>
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
    // X11 and Wayland stamp input with the monotonic clock in milliseconds,
    // which lets FlushInput tell input made before it from input made after.
    const QString platform = QGuiApplication::platformName();
    stampedInput_ = platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
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
    flushTime_ = static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
    flushed_ = true;
}

bool TAppEvents::eventFilter(QObject* watched, QEvent* event) {
    const bool input = IsMouseEvent(event) || IsKeyEvent(event);
    if (input && blocked_) return true;
    // Posted input was removed by FlushInput itself; what remains to drop is
    // window-system input that was already waiting, told by its time stamp.
    // A press that cut a waiting sound short is the learner moving on: it
    // and its release are not flushed by the step that waited.
    if (input && flushed_ && stampedInput_ && event->spontaneous() && !THeldInput::Instance().SurvivesFlush(event)) {
        const auto age = static_cast<int32_t>(flushTime_ - static_cast<uint32_t>(static_cast<QInputEvent*>(event)->timestamp()));
        if (age >= 0 && age < 60000) return true;
    }
    if (hook_) {
        bool consumed = false;
        RunGuarded([&] { consumed = hook_(watched, event); });
        if (consumed) return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tav
