#pragma once
// The application-wide event filter: the replaceable application message hook,
// input blocking during transitions, and FlushInput.
#include <QObject>
#include <cstdint>
#include <functional>

class QEvent;

namespace tav {

// Returns true when the event was consumed.
using TAppMessageHook = std::function<bool(QObject* receiver, QEvent* event)>;

class TAppEvents : public QObject {
    Q_OBJECT
public:
    static TAppEvents& Instance();

    // Installs the filter on the application (once).
    void Install();

    // The current hook; screens install their own and give the old one back.
    TAppMessageHook Hook() const { return hook_; }
    void SetHook(TAppMessageHook hook) { hook_ = std::move(hook); }

    // Drops every mouse and key event queued now; input made later is kept.
    void FlushInput();
    // While blocked (a transition runs) every mouse and key event is dropped.
    void SetInputBlocked(bool blocked) { blocked_ = blocked; }
    bool InputBlocked() const { return blocked_; }

    static bool IsMouseEvent(const QEvent* e);
    static bool IsKeyEvent(const QEvent* e);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TAppEvents() = default;
    TAppMessageHook hook_;
    bool installed_ = false;
    bool blocked_ = false;
    bool stampedInput_ = false; // window-system input carries monotonic time stamps
    bool flushed_ = false;
    uint32_t flushTime_ = 0;    // monotonic milliseconds of the last FlushInput
};

} // namespace tav
