#include "platform/HeldInput.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWheelEvent>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <cstdint>

namespace tav {

namespace {

// Held input still undelivered this long after its press no longer cuts
// waits short (the window it was for may have gone, and the window system
// then drops it).
constexpr qint64 kInterruptLifetimeMs = 2000;
// Input this soon after the press that ended a wait belongs to it (its
// release, a double click) and is not flushed as input made during the wait.
constexpr qint64 kFollowUpMs = 1000;
// Far more than a learner makes during one sound; the rest is dropped.
constexpr size_t kMaxHeld = 64;

bool IsHeldType(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

bool IsModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

} // namespace

THeldInput& THeldInput::Instance() {
    static THeldInput* instance = new THeldInput; // lives for the whole run
    return *instance;
}

THeldInput::TWait::TWait(std::function<void()> stop) { Instance().Begin(std::move(stop)); }
THeldInput::TWait::~TWait() { Instance().End(); }

bool THeldInput::Interrupted() const {
    return interrupted_ && sinceInterrupt_.isValid() && sinceInterrupt_.elapsed() < kInterruptLifetimeMs;
}

bool THeldInput::SurvivesFlush(const QEvent* event) const {
    if (!sinceInterrupt_.isValid() || sinceInterrupt_.elapsed() > kFollowUpMs || !event->spontaneous() ||
        !IsHeldType(event->type()) || event->type() == QEvent::Close)
        return false;
    // Handed-back input carries later stamps than the press, so this holds
    // for it as well. Stamps wrap after 49 days: compared as a difference.
    const ulong stamp = static_cast<const QInputEvent*>(event)->timestamp();
    return static_cast<int32_t>(uint32_t(stamp) - uint32_t(interruptStamp_)) >= 0;
}

void THeldInput::Begin(std::function<void()> stop) {
    if (!installed_ && QCoreApplication::instance()) {
        // Installed after the program's own filter, so it sees input first.
        QCoreApplication::instance()->installEventFilter(this);
        installed_ = true;
    }
    if (stops_.empty()) modalAtStart_ = QGuiApplication::modalWindow();
    stops_.push_back(std::move(stop));
}

void THeldInput::End() {
    if (stops_.empty()) return;
    stops_.pop_back();
    if (stops_.empty()) Release();
}

bool THeldInput::eventFilter(QObject* watched, QEvent* event) {
    if (stops_.empty()) return NoteDelivery(watched, event);
    // A dialog opened inside the wait runs its own loop and takes its input.
    if (QGuiApplication::modalWindow() != modalAtStart_) return false;
    if (event->type() == QEvent::ShortcutOverride && event->spontaneous()) {
        // Claimed for the focus widget, so no shortcut fires inside the wait:
        // the key then arrives as a key press and is held with the rest.
        event->accept();
        return true;
    }
    // Only what the window system delivers to a window is held; events sent
    // straight to a widget by the program itself pass.
    if (!event->spontaneous() || !watched->isWindowType() || !IsHeldType(event->type())) return false;
    return Hold(static_cast<QWindow*>(watched), event);
}

bool THeldInput::Hold(QWindow* window, QEvent* event) {
    event->accept();
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonDblClick) return true; // presses are handed back; Qt pairs them again
    THeld h;
    h.Window = window;
    h.Type = type;
    if (type != QEvent::Close) {
        const auto* input = static_cast<const QInputEvent*>(event);
        h.Timestamp = input->timestamp();
        h.Modifiers = int(input->modifiers());
    }
    bool press = type == QEvent::Close;
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease || type == QEvent::MouseMove) {
        const auto* m = static_cast<const QMouseEvent*>(event);
        h.Local = m->position();
        h.Global = m->globalPosition();
        h.Buttons = int(m->buttons());
        h.Button = int(m->button());
        press = type == QEvent::MouseButtonPress;
        // Only where the pointer ended up matters between presses.
        if (type == QEvent::MouseMove && !held_.empty() && held_.back().Type == QEvent::MouseMove &&
            held_.back().Window == window) {
            held_.back() = h;
            return true;
        }
    } else if (type == QEvent::Wheel) {
        const auto* w = static_cast<const QWheelEvent*>(event);
        h.Local = w->position();
        h.Global = w->globalPosition();
        h.PixelDelta = w->pixelDelta();
        h.AngleDelta = w->angleDelta();
    } else if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const auto* k = static_cast<const QKeyEvent*>(event);
        h.Key = k->key();
        h.ScanCode = k->nativeScanCode();
        h.VirtualKey = k->nativeVirtualKey();
        h.NativeModifiers = k->nativeModifiers();
        h.Text = k->text();
        h.AutoRepeat = k->isAutoRepeat();
        h.Count = k->count();
        press = type == QEvent::KeyPress && !k->isAutoRepeat() && !IsModifierKey(k->key());
    }
    if (held_.size() < kMaxHeld) held_.push_back(h);
    if (press && !Interrupted()) {
        interrupted_ = true;
        interruptStamp_ = h.Timestamp;
        sinceInterrupt_.start();
        // Every wait running ends: the innermost returns first and the outer
        // ones find their play stopped.
        const auto stops = stops_;
        for (const auto& stop : stops)
            if (stop) stop();
    }
    return true;
}

void THeldInput::Release() {
    std::vector<THeld> held;
    held.swap(held_);
    toDeliver_.clear();
    if (held.empty()) {
        interrupted_ = false;
        return;
    }
    // Handed back as new window-system input, so every loop that holds input
    // (another step's start of a play) keeps holding it, and the screens get
    // it from the main loop once this step is over. The stamps move on past
    // a double-click interval: Qt has already seen the presses once, and a
    // press handed back must not pair with its own first sighting.
    const ulong shift = ulong(QGuiApplication::styleHints()->mouseDoubleClickInterval()) + 10;
    for (const THeld& h : held) {
        if (!h.Window) continue;
        const ulong stamp = h.Timestamp + shift;
        const auto mods = Qt::KeyboardModifiers(h.Modifiers);
        bool queued = false;
        switch (h.Type) {
        case QEvent::Close:
            queued = QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(h.Window);
            break;
        case QEvent::Wheel:
            queued = QWindowSystemInterface::handleWheelEvent(h.Window, stamp, h.Local, h.Global, h.PixelDelta,
                                                              h.AngleDelta, mods);
            break;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            // Shortcuts are tried when the key is delivered (NoteDelivery), not now
            // inside the step that waited.
            queued = QWindowSystemInterface::handleExtendedKeyEvent(
                h.Window, stamp, QEvent::Type(h.Type), h.Key, mods, h.ScanCode, h.VirtualKey, h.NativeModifiers,
                h.Text, h.AutoRepeat, ushort(h.Count), false);
            break;
        default:
            queued = QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                h.Window, stamp, h.Local, h.Global, Qt::MouseButtons(h.Buttons), Qt::MouseButton(h.Button),
                QEvent::Type(h.Type), mods);
            break;
        }
        if (!queued || h.Type == QEvent::Close) continue;
        toDeliver_.emplace_back(h.Type, stamp);
    }
    if (toDeliver_.empty()) interrupted_ = false;
}

bool THeldInput::NoteDelivery(QObject* watched, QEvent* event) {
    if (toDeliver_.empty() || !event->spontaneous() || !watched->isWindowType()) return false;
    const QEvent::Type type = event->type();
    if (!IsHeldType(type) || type == QEvent::Close) return false;
    const ulong stamp = static_cast<const QInputEvent*>(event)->timestamp();
    const auto it = std::find(toDeliver_.begin(), toDeliver_.end(), std::make_pair(int(type), stamp));
    if (it == toDeliver_.end()) return false;
    toDeliver_.erase(toDeliver_.begin(), it + 1);
    if (toDeliver_.empty()) interrupted_ = false;
    if (type != QEvent::KeyPress) return false;
    // The shortcut the key would have fired had it come now.
    const auto* k = static_cast<const QKeyEvent*>(event);
    return QWindowSystemInterface::handleShortcutEvent(static_cast<QWindow*>(watched), stamp, k->key(), k->modifiers(),
                                                       k->nativeScanCode(), k->nativeVirtualKey(),
                                                       k->nativeModifiers(), k->text(), k->isAutoRepeat(),
                                                       ushort(k->count()));
}

} // namespace tav
