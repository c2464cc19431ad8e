// Input made during a waiting play: the first press ends the wait, nothing
// of it runs inside the wait, and it all arrives once the step is over.
// Clicks and keys are queued as the window system queues them.
#include <gtest/gtest.h>

#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTest>
#include <QTimer>
#include <qpa/qwindowsysteminterface.h>

#include "MediaClips.h"
#include "TestSupport.h"
#include "media/MCIControl.h"
#include "media/VideoPanel.h"
#include "platform/HeldInput.h"

using namespace tav;
using tavtest::MediaClips;

namespace {

void QueueClick(QWidget& w) {
    const QPointF at(w.width() / 2.0, w.height() / 2.0);
    QWindow* window = w.window()->windowHandle();
    const QPointF local = w.mapTo(w.window(), at.toPoint());
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, w.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, w.mapToGlobal(at), Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
}

void QueueKey(QWidget& w, int key, const QString& text) {
    QWindow* window = w.window()->windowHandle();
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(window, QEvent::KeyPress, key,
                                                                                        Qt::NoModifier, text);
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(window, QEvent::KeyRelease,
                                                                                        key, Qt::NoModifier, text);
}

// Counts the key presses a widget receives.
class TKeyCounter : public QObject {
public:
    explicit TKeyCounter(QObject* target) { target->installEventFilter(this); }
    int Presses = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) ++Presses;
        return false;
    }
};

class HeldInput : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(200, 100);
        button.setParent(&window);
        button.setGeometry(10, 10, 80, 40);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QObject::connect(&button, &QPushButton::clicked, [this] {
            ++clicks;
            if (inStep) ++clicksInsideStep;
        });
        player.Open(MediaClips().Mpeg1, &panel, ooFilmUnits);
    }
    // A step of a screen: a waiting play of a range far longer than the test.
    void WaitingStep(int to = 200) {
        inStep = true;
        player.Play(0, to, true, nullptr);
        inStep = false;
    }
    QWidget window;
    QPushButton button{QStringLiteral("Back")};
    TVideoPanel panel;
    TMCIPlayer player;
    QObject scope; // its timers die with the test
    int clicks = 0, clicksInsideStep = 0;
    bool inStep = false;
};

TEST_F(HeldInput, AClickEndsTheWaitAndActsOnceTheStepIsOver) {
    QTimer::singleShot(150, &scope, [this] { QueueClick(button); });
    WaitingStep();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_LT(player.GetPosition(), 150) << "the play was not cut short by the click";
    EXPECT_EQ(clicks, 0) << "the click ran inside the waiting step";
    // More waiting plays in the same step end at once: the learner moved on.
    WaitingStep();
    EXPECT_LT(player.GetPosition(), 20);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return clicks == 1; }, 3000));
    EXPECT_EQ(clicksInsideStep, 0);
    // Once it has been delivered, waiting plays wait again.
    EXPECT_FALSE(THeldInput::Instance().Interrupted());
    WaitingStep(10);
    EXPECT_EQ(player.GetPosition(), 10);
}

TEST_F(HeldInput, KeysEndTheWaitAndReachWidgetsAndShortcutsAfterIt) {
    int shortcuts = 0;
    bool shortcutInside = false;
    TKeyCounter keys(&button);
    button.setFocus();
    auto* w = new QShortcut(QKeySequence(Qt::Key_W), &window);
    QObject::connect(w, &QShortcut::activated, [&] {
        ++shortcuts;
        shortcutInside = shortcutInside || inStep;
    });
    QTimer::singleShot(150, &scope, [this] { QueueKey(button, Qt::Key_Escape, QStringLiteral("\x1b")); });
    WaitingStep();
    EXPECT_LT(player.GetPosition(), 150);
    EXPECT_EQ(keys.Presses, 0);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return keys.Presses == 1; }, 3000));

    QTimer::singleShot(150, &scope, [this] { QueueKey(button, Qt::Key_W, QStringLiteral("w")); });
    WaitingStep();
    EXPECT_LT(player.GetPosition(), 150);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return shortcuts >= 1; }, 3000));
    tavtest::Pump(100);
    EXPECT_EQ(shortcuts, 1) << "the held key fired its shortcut twice";
    EXPECT_FALSE(shortcutInside);
}

TEST_F(HeldInput, ADialogOpenedInsideTheWaitTakesItsOwnClicks) {
    bool dialogClosed = false;
    QTimer::singleShot(100, &scope, [&] {
        QDialog dialog(&window);
        QPushButton ok(QStringLiteral("OK"), &dialog);
        ok.setGeometry(5, 5, 60, 30);
        QObject::connect(&ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        QTimer::singleShot(200, &dialog, [&] { QueueClick(ok); });
        QTimer::singleShot(4000, &dialog, &QDialog::reject); // were the click held, the test still ends
        dialogClosed = dialog.exec() == QDialog::Accepted;
    });
    WaitingStep(30); // 1.2 s
    EXPECT_TRUE(dialogClosed) << "the dialog's click was held by the wait around it";
    EXPECT_EQ(player.GetPosition(), 30) << "a click on the dialog cut the sound short";
}

} // namespace
