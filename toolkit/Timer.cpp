#include "toolkit/Timer.h"

#include <QPointer>

#include <algorithm>
#include <vector>

#include "toolkit/ErrorHandler.h"

namespace tav {

namespace {
bool g_manual = false;
int64_t g_now = 0;
std::vector<TTimer*>& AllTimers() {
    static std::vector<TTimer*> timers;
    return timers;
}
} // namespace

TTimer::TTimer(QObject* parent, int intervalMs) : QObject(parent), interval_(intervalMs) {
    AllTimers().push_back(this);
    connect(&timer_, &QTimer::timeout, this, [this] { Fire(); });
}

TTimer::~TTimer() {
    auto& all = AllTimers();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void TTimer::SetInterval(int ms) {
    interval_ = std::max(ms, 0);
    if (enabled_) Start();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled)
        Start();
    else
        timer_.stop();
}

void TTimer::Start() {
    if (g_manual) {
        timer_.stop();
        due_ = g_now + interval_;
    } else {
        timer_.start(interval_);
    }
}

void TTimer::Fire() {
    if (!enabled_) return;
    if (g_manual) due_ += std::max(interval_, 1);
    if (OnTimer) RunGuarded(OnTimer);
}

void TTimer::SetManualTimers(bool manual) {
    g_manual = manual;
    for (TTimer* t : AllTimers())
        if (t->enabled_) t->Start();
}

bool TTimer::ManualTimers() { return g_manual; }
int64_t TTimer::ManualNow() { return g_now; }

void TTimer::AdvanceTimers(int ms) {
    const int64_t target = g_now + ms;
    for (;;) {
        // The enabled timer due first; ties go in creation order.
        TTimer* next = nullptr;
        for (TTimer* t : AllTimers())
            if (t->enabled_ && t->due_ <= target && (!next || t->due_ < next->due_)) next = t;
        if (!next) break;
        g_now = std::max(g_now, next->due_);
        next->Fire();
    }
    g_now = target;
}

} // namespace tav
