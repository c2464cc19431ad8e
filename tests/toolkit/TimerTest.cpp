// Timers: the screens' Enabled/Interval/OnTimer rules, on the manual clock
// and once on the real one.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/TestSupport.h"
#include "toolkit/Timer.h"

using tav::TTimer;

namespace {
class ManualClock : public ::testing::Test {
protected:
    void SetUp() override { TTimer::SetManualTimers(true); }
    void TearDown() override { TTimer::SetManualTimers(false); }
};
} // namespace

TEST_F(ManualClock, RepeatsUntilDisabled) {
    TTimer timer(nullptr, 100);
    std::vector<int64_t> fired;
    timer.OnTimer = [&] { fired.push_back(TTimer::ManualNow()); };
    const int64_t start = TTimer::ManualNow();
    TTimer::AdvanceTimers(350);
    EXPECT_TRUE(fired.empty()); // created disabled
    timer.SetEnabled(true);
    TTimer::AdvanceTimers(350);
    ASSERT_EQ(fired.size(), 3u);
    EXPECT_EQ(fired[0] - start, 450);
    EXPECT_EQ(fired[2] - start, 650);
    timer.SetEnabled(false);
    TTimer::AdvanceTimers(1000);
    EXPECT_EQ(fired.size(), 3u);
}

TEST_F(ManualClock, EnablingAgainWhileEnabledKeepsTheCountdown) {
    TTimer timer(nullptr, 1000);
    int fired = 0;
    timer.OnTimer = [&] { ++fired; };
    timer.SetEnabled(true);
    TTimer::AdvanceTimers(600);
    timer.SetEnabled(true);
    TTimer::AdvanceTimers(400);
    EXPECT_EQ(fired, 1);
    // Off and on starts afresh.
    TTimer::AdvanceTimers(600);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    TTimer::AdvanceTimers(600);
    EXPECT_EQ(fired, 1);
    TTimer::AdvanceTimers(400);
    EXPECT_EQ(fired, 2);
}

TEST_F(ManualClock, OneShotPatternAndNewInterval) {
    TTimer timer(nullptr, 1000);
    int fired = 0;
    timer.OnTimer = [&] {
        ++fired;
        timer.SetEnabled(false);
    };
    timer.SetEnabled(true);
    TTimer::AdvanceTimers(5000);
    EXPECT_EQ(fired, 1);
    timer.SetEnabled(true);
    TTimer::AdvanceTimers(500);
    timer.SetInterval(200); // restarts the running countdown
    TTimer::AdvanceTimers(199);
    EXPECT_EQ(fired, 1);
    TTimer::AdvanceTimers(1);
    EXPECT_EQ(fired, 2);
}

TEST_F(ManualClock, TimersFireInTimeOrderAndMayDeleteThemselves) {
    std::vector<char> order;
    auto slow = std::make_unique<TTimer>(nullptr, 300);
    TTimer fast(nullptr, 200);
    slow->OnTimer = [&] {
        order.push_back('s');
        slow.reset(); // a handler that frees its own timer
    };
    fast.OnTimer = [&] { order.push_back('f'); };
    slow->SetEnabled(true);
    fast.SetEnabled(true);
    TTimer::AdvanceTimers(650);
    EXPECT_EQ(std::string(order.begin(), order.end()), "fsff"); // 200, 300, 400, 600
}

TEST_F(ManualClock, ErrorsInHandlersDoNotStopTheClock) {
    TTimer timer(nullptr, 10);
    int fired = 0;
    timer.OnTimer = [&] {
        ++fired;
        throw std::runtime_error("handler failed");
    };
    timer.SetEnabled(true);
    TTimer::AdvanceTimers(30);
    EXPECT_EQ(fired, 3);
}

TEST(RealClock, FiresOnTheEventLoop) {
    TTimer timer(nullptr, 10);
    int fired = 0;
    timer.OnTimer = [&] { ++fired; };
    timer.SetEnabled(true);
    EXPECT_TRUE(tavtest::WaitUntil([&] { return fired >= 2; }, 3000));
}
