// Errors that leave event handlers reach the program's handler instead of
// crossing the event loop; the container changes screens and blocks input
// while a transition runs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "../TestSupport.h"
#include "content/OurUtils.h"
#include "platform/Messages.h"
#include "toolkit/AppEvents.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Screen.h"
#include "toolkit/ScreenContainer.h"

using namespace tav;

namespace {

struct HandlerCapture {
    std::vector<std::string> texts;
    HandlerCapture() {
        SetExceptionHandler([this](std::exception_ptr e) { texts.push_back(ExceptionText(e)); });
    }
    ~HandlerCapture() { SetExceptionHandler(nullptr); }
};

class ThrowingObject : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw EProgramError("handler failed");
        return QObject::event(e);
    }
};

class CountingScreen : public TScreen {
public:
    explicit CountingScreen(int* alive) : alive_(alive) { ++*alive_; }
    ~CountingScreen() override { --*alive_; }
    int ready = 0;
    void ScreenReady() override {
        ++ready;
        if (ready == 2) throw EProgramError("ready failed");
    }

private:
    int* alive_;
};

} // namespace

TEST(ErrorRouting, ExceptionFromAnEventHandlerReachesTheHandler) {
    HandlerCapture capture;
    ThrowingObject obj;
    QCoreApplication::postEvent(&obj, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&obj);
    ASSERT_EQ(capture.texts.size(), 1u);
    EXPECT_EQ(capture.texts[0], "handler failed");
}

TEST(ErrorRouting, GuardedSlotsAndScreenMessagesReportInsteadOfThrowing) {
    HandlerCapture capture;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, Guarded([] { throw std::runtime_error("timer failed"); }));
    timer.start(0);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return !capture.texts.empty(); }));
    EXPECT_EQ(capture.texts[0], "timer failed");

    int alive = 0;
    CountingScreen screen(&alive);
    QCoreApplication::sendEvent(&screen, new TMessageEvent(WM_USER, 0, 0));
    QCoreApplication::sendEvent(&screen, new TMessageEvent(WM_USER, 0, 0));
    EXPECT_EQ(screen.ready, 2);
    EXPECT_EQ(capture.texts.back(), "ready failed");
}

TEST(ScreenContainer, ImmediateChangeDeletesTheOldScreenAndRunsDone) {
    int alive = 0;
    TScreenContainer container;
    container.show();
    bool done = false;
    container.ShowScreen(new CountingScreen(&alive), trNone, [&] { done = true; });
    EXPECT_TRUE(done);
    container.ShowScreen(new CountingScreen(&alive), trNone, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(alive, 1);
    container.ClearScreen();
    EXPECT_EQ(alive, 0);
}

TEST(ScreenContainer, TransitionBlocksInputForHalfASecond) {
    int alive = 0;
    TScreenContainer container;
    container.show();
    container.ShowScreen(new CountingScreen(&alive), trNone, nullptr);
    bool done = false;
    QElapsedTimer clock;
    clock.start();
    container.ShowScreen(new CountingScreen(&alive), trBlend, [&] { done = true; });
    EXPECT_TRUE(container.InTransition());
    EXPECT_TRUE(TAppEvents::Instance().InputBlocked());
    ASSERT_TRUE(tavtest::WaitUntil([&] { return done; }, 3000));
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_FALSE(TAppEvents::Instance().InputBlocked());
    EXPECT_FALSE(container.InTransition());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(alive, 1);
}
