#pragma once
// Timers in the screens' style: an interval, an Enabled switch and an OnTimer
// handler. Enabling starts a fresh countdown; the timer repeats until it is
// disabled. Handlers run guarded (errors reach the application's handler).
//
// Tests switch every timer to a manual clock with SetManualTimers(true) and
// move time with AdvanceTimers(ms), so timing rules are checked exactly and
// without waiting.
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

namespace tav {

class TTimer : public QObject {
    Q_OBJECT
public:
    explicit TTimer(QObject* parent = nullptr, int intervalMs = 1000);
    ~TTimer() override;

    int Interval() const { return interval_; }
    // A new interval restarts a running countdown.
    void SetInterval(int ms);
    bool Enabled() const { return enabled_; }
    // Setting the value it already has changes nothing.
    void SetEnabled(bool enabled);

    std::function<void()> OnTimer;

    // The manual clock for tests.
    static void SetManualTimers(bool manual);
    static bool ManualTimers();
    static void AdvanceTimers(int ms);
    static int64_t ManualNow();

private:
    void Start();
    void Fire();

    QTimer timer_;
    int interval_;
    bool enabled_ = false;
    int64_t due_ = 0; // manual clock only
};

} // namespace tav
