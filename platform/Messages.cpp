#include "platform/Messages.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>

namespace tav {

QEvent::Type TMessageEvent::TypeFor(int message) {
    static QMutex mutex;
    static QHash<int, int> types;
    QMutexLocker lock(&mutex);
    auto it = types.find(message);
    if (it != types.end()) return static_cast<QEvent::Type>(*it);
    int t = QEvent::registerEventType();
    types.insert(message, t);
    return static_cast<QEvent::Type>(t);
}

TMessageEvent::TMessageEvent(int message, intptr_t wParam, intptr_t lParam, uint32_t serial)
    : QEvent(TypeFor(message)), message_(message), wParam_(wParam), lParam_(lParam), serial_(serial) {}

void PostMessage(QObject* receiver, int message, intptr_t wParam, intptr_t lParam, uint32_t serial) {
    if (!receiver) return;
    QCoreApplication::postEvent(receiver, new TMessageEvent(message, wParam, lParam, serial));
}

uint32_t NextPlaySerial() {
    // Plays start on the user-interface thread only.
    static uint32_t next = 0;
    if (++next == 0) ++next;
    return next;
}

const TMessageEvent* AsMessage(const QEvent* e, int message) {
    if (!e || e->type() != TMessageEvent::TypeFor(message)) return nullptr;
    return static_cast<const TMessageEvent*>(e);
}

} // namespace tav
