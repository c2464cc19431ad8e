// The help overlay and hover hints, driven through the same mouse events a
// screen receives and with the timers on a manual clock.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QStyleHints>

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QTest>

#include <memory>

#include "components/ZrButton.h"
#include "content/OurUtils.h"
#include "components/HelpOverlay.h"
#include "tests/TestSupport.h"
#include "toolkit/Blend.h"
#include "toolkit/Image.h"

using tav::THelpOverlay;
using tav::THelpVariant;
using tav::TTimer;

namespace {

void SavePicture(const std::string& path, int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path), "JPG"));
}

void MoveOver(QWidget* w, QPoint pos = {3, 3}) {
    QMouseEvent e(QEvent::MouseMove, QPointF(pos), w->mapToGlobal(QPointF(pos)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

class HelpOverlayFixture : public ::testing::Test {
protected:
    void SetUp() override {
        TTimer::SetManualTimers(true);
        SavePicture(folder.File("mainhelp.jpg"), 300, 200, qRgb(200, 220, 240));
        for (int n = 1; n <= 3; ++n) SavePicture(folder.File("mmhint" + std::to_string(n) + ".jpg"), 60, 40, qRgb(250, 250, 200));
        screen = std::make_unique<QWidget>();
        screen->resize(800, 600);
        background = new tav::TImage(screen.get());
        background->setGeometry(0, 0, 800, 600);
        buttonA = new tav::TZrButton(screen.get());
        buttonA->SetPicture(QImage(160, 40, QImage::Format_RGB32));
        buttonA->move(100, 100);
        buttonA->Tag = 1;
        buttonB = new tav::TZrButton(screen.get());
        buttonB->SetPicture(QImage(160, 40, QImage::Format_RGB32));
        buttonB->move(300, 100);
        buttonB->Tag = 2;
    }
    void TearDown() override { TTimer::SetManualTimers(false); }

    // The overlay as a screen's creation step builds it.
    void Build(THelpVariant variant, bool hintsEnabled = true) {
        help = new THelpOverlay(screen.get(), variant);
        help->FlushInput = [this] { ++flushes; };
        help->OnHelpShown = [this] { ++shown; };
        help->OnHelpHidden = [this] { ++hidden; };
        help->LoadHelp(folder.Path(), "\\mainhelp.jpg");
        help->LoadHints(folder.Path(), "\\mmhint", {{120, 150}, {320, 150}, {500, 150}}, hintsEnabled);
        help->WireBackground(background);
        help->WireHintControl(buttonA, 1);
        help->WireHintControl(buttonB, 2);
    }

    QPoint RingPoint() const {
        for (int y = 0; y < 53; ++y)
            for (int x = 0; x < 59; ++x)
                if (!help->Image_Lifebelt->IsTransparentAt(x, y)) return {x, y};
        return {-1, -1};
    }

    tavtest::TempFolder folder;
    std::unique_ptr<QWidget> screen;
    tav::TImage* background = nullptr;
    tav::TZrButton* buttonA = nullptr;
    tav::TZrButton* buttonB = nullptr;
    THelpOverlay* help = nullptr;
    int flushes = 0, shown = 0, hidden = 0;
};

} // namespace

// ---- the help overlay -------------------------------------------------------------

TEST_F(HelpOverlayFixture, ElementsArePlacedAsTheScreenExpects) {
    Build(THelpVariant::Plain);
    EXPECT_EQ(help->Image_Lifebelt->geometry(), QRect(741, 547, 59, 53));
    EXPECT_EQ(help->Panel_Help->geometry(), QRect(455, 355, 300, 200)); // bottom-right at (755, 555)
    EXPECT_FALSE(help->HelpVisible());
    EXPECT_EQ(help->HintImages.size(), 3u);
    EXPECT_EQ(help->HintImages[1]->pos(), QPoint(320, 150));
    EXPECT_EQ(help->VisibleHint(), 0);
}

TEST_F(HelpOverlayFixture, OnlyTheRingShowsTheHelpAndOnlyOnce) {
    Build(THelpVariant::Plain);
    const tav::TImage* belt = help->Image_Lifebelt;
    ASSERT_TRUE(belt->IsTransparentAt(0, 0)); // corner
    ASSERT_TRUE(belt->IsTransparentAt(29, 26)); // the hole
    MoveOver(help->Image_Lifebelt, {0, 0});
    MoveOver(help->Image_Lifebelt, {29, 26});
    EXPECT_FALSE(help->HelpVisible());

    const QPoint ring = RingPoint();
    ASSERT_GE(ring.x(), 0);
    MoveOver(help->Image_Lifebelt, ring);
    EXPECT_TRUE(help->HelpVisible());
    MoveOver(help->Image_Lifebelt, ring);
    EXPECT_EQ(shown, 1);
}

TEST_F(HelpOverlayFixture, ButtonsLeaveTheHelpUpTheBackgroundTakesItDown) {
    Build(THelpVariant::Plain);
    help->ShowHelp();
    MoveOver(buttonA);
    EXPECT_TRUE(help->HelpVisible());
    MoveOver(background);
    EXPECT_FALSE(help->HelpVisible());
    EXPECT_EQ(hidden, 1);
    EXPECT_EQ(flushes, 1);
    // Nothing to hide: no flush.
    MoveOver(background);
    EXPECT_EQ(flushes, 1);
}

TEST_F(HelpOverlayFixture, MovingOverTheHelpPictureHidesIt) {
    Build(THelpVariant::Plain);
    help->ShowHelp();
    MoveOver(help->Image_Help);
    EXPECT_FALSE(help->HelpVisible());
    EXPECT_EQ(flushes, 1);
}

TEST_F(HelpOverlayFixture, BlendVariantCrossFadesPlainDoesNot) {
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    Build(THelpVariant::Blend);
    help->ShowHelp();
    EXPECT_TRUE(help->HelpVisible());
    EXPECT_TRUE(tav::BlendRunning(screen.get()));
    EXPECT_TRUE(tavtest::WaitUntil([&] { return !tav::BlendRunning(screen.get()); }, 3000));
    MoveOver(background);
    EXPECT_FALSE(help->HelpVisible());
    EXPECT_TRUE(tav::BlendRunning(screen.get()));
    EXPECT_TRUE(tavtest::WaitUntil([&] { return !tav::BlendRunning(screen.get()); }, 3000));
}

TEST_F(HelpOverlayFixture, ClicksDuringTheFadeDoNotReachTheScreen) {
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    Build(THelpVariant::Blend);
    int clicks = 0;
    background->OnClick = [&](tav::TImage*) { ++clicks; };
    help->ShowHelp();
    ASSERT_TRUE(tavtest::WaitUntil([&] { return !tav::BlendRunning(screen.get()); }, 3000));
    help->HideHelp();
    ASSERT_TRUE(tav::BlendRunning(screen.get()));
    QTest::mouseClick(screen->windowHandle(), Qt::LeftButton, {}, QPoint(600, 450));
    EXPECT_EQ(clicks, 0);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return !tav::BlendRunning(screen.get()); }, 3000));
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50); // not a double click
    QTest::mouseClick(screen->windowHandle(), Qt::LeftButton, {}, QPoint(600, 450));
    EXPECT_EQ(clicks, 1);
}

TEST_F(HelpOverlayFixture, PlainVariantShowsAtOnce) {
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    Build(THelpVariant::Plain);
    help->ShowHelp();
    EXPECT_FALSE(tav::BlendRunning(screen.get()));
}

TEST_F(HelpOverlayFixture, MissingHelpPictureFailsTheCreationStep) {
    help = new THelpOverlay(screen.get(), THelpVariant::Plain);
    EXPECT_THROW(help->LoadHelp(folder.Path(), "\\nohelp.jpg"), tav::EProgramError);
    EXPECT_THROW(help->LoadHints(folder.Path(), "\\nohint", {{0, 0}}, true), tav::EProgramError);
}

// ---- hover hints ------------------------------------------------------------------

TEST_F(HelpOverlayFixture, LeavingAForBAfterHalfASecondShowsOnlyBsHint) {
    Build(THelpVariant::Plain);
    MoveOver(buttonA);
    TTimer::AdvanceTimers(500);
    MoveOver(buttonB);
    for (int t = 0; t < 999; t += 111) {
        TTimer::AdvanceTimers(111);
        ASSERT_EQ(help->VisibleHint(), 0) << "at " << t;
    }
    TTimer::AdvanceTimers(1000 - 999);
    EXPECT_EQ(help->VisibleHint(), 2);
    TTimer::AdvanceTimers(5000);
    EXPECT_EQ(help->VisibleHint(), 2);
    EXPECT_FALSE(help->Timer_Hint.Enabled()); // one shot
}

TEST_F(HelpOverlayFixture, MovingWithinAButtonNeitherRestartsNorCancels) {
    Build(THelpVariant::Plain);
    MoveOver(buttonA, {2, 2});
    TTimer::AdvanceTimers(600);
    MoveOver(buttonA, {20, 10});
    TTimer::AdvanceTimers(400);
    EXPECT_EQ(help->VisibleHint(), 1);
    MoveOver(buttonA, {30, 10});
    EXPECT_EQ(help->VisibleHint(), 1);
}

TEST_F(HelpOverlayFixture, HintStaysWhenThePointerMovesOverIt) {
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    Build(THelpVariant::Plain);
    MoveOver(buttonA);
    TTimer::AdvanceTimers(1000);
    ASSERT_EQ(help->VisibleHint(), 1);
    MoveOver(help->HintImages[0]);
    EXPECT_EQ(help->VisibleHint(), 1);
    EXPECT_EQ(help->CurrentHint, 1);
}

TEST_F(HelpOverlayFixture, NextControlOrBackgroundEndsTheHint) {
    Build(THelpVariant::Plain);
    MoveOver(buttonA);
    TTimer::AdvanceTimers(1000);
    MoveOver(buttonB);
    EXPECT_EQ(help->VisibleHint(), 0); // A's hint went, B counts down
    TTimer::AdvanceTimers(1000);
    EXPECT_EQ(help->VisibleHint(), 2);
    MoveOver(background);
    EXPECT_EQ(help->VisibleHint(), 0);
    EXPECT_EQ(help->CurrentHint, 0);
    TTimer::AdvanceTimers(3000);
    EXPECT_EQ(help->VisibleHint(), 0);
}

TEST_F(HelpOverlayFixture, BackgroundDuringTheCountdownCancelsIt) {
    Build(THelpVariant::Plain);
    MoveOver(buttonA);
    TTimer::AdvanceTimers(900);
    MoveOver(background);
    TTimer::AdvanceTimers(2000);
    EXPECT_EQ(help->VisibleHint(), 0);
}

TEST_F(HelpOverlayFixture, SameLanguageMeansNoHintsAndNoHintFilesRead) {
    help = new THelpOverlay(screen.get(), THelpVariant::Plain);
    help->LoadHelp(folder.Path(), "\\mainhelp.jpg");
    // The hint files do not exist: reading one would fail.
    EXPECT_NO_THROW(help->LoadHints(folder.Path(), "\\nohint", {{0, 0}, {10, 10}}, false));
    help->WireHintControl(buttonA, 1);
    EXPECT_TRUE(help->HintImages.empty());
    MoveOver(buttonA);
    TTimer::AdvanceTimers(3000);
    EXPECT_EQ(help->CurrentHint, 0);
    EXPECT_FALSE(help->Timer_Hint.Enabled());
}

TEST_F(HelpOverlayFixture, ScreensExtraWorkRunsOnBackgroundMoves) {
    Build(THelpVariant::Plain);
    int extra = 0;
    help->OnBackgroundMove = [&] { ++extra; };
    MoveOver(background);
    MoveOver(help->Image_Help);
    EXPECT_EQ(extra, 2);
}

TEST_F(HelpOverlayFixture, AlwaysShownHelpHasNoLifebeltAndStaysUp) {
    help = new THelpOverlay(screen.get(), THelpVariant::AlwaysShown);
    help->FlushInput = [this] { ++flushes; };
    help->LoadHelp(folder.Path(), "\\mainhelp.jpg");
    help->LoadHints(folder.Path(), "\\mmhint", {{120, 150}}, true);
    help->WireBackground(background);
    help->WireHintControl(buttonA, 1);
    EXPECT_EQ(help->Image_Lifebelt, nullptr);
    EXPECT_TRUE(help->HelpVisible());
    MoveOver(buttonA);
    TTimer::AdvanceTimers(1000);
    EXPECT_EQ(help->VisibleHint(), 1);
    MoveOver(background); // ends the hint, leaves the help
    EXPECT_EQ(help->VisibleHint(), 0);
    EXPECT_TRUE(help->HelpVisible());
    EXPECT_EQ(flushes, 0);
}

TEST_F(HelpOverlayFixture, SecondLifebeltBehavesLikeTheFirst) {
    Build(THelpVariant::Plain);
    tav::TImage* second = help->AddLifebelt({741, 207});
    EXPECT_EQ(second->geometry(), QRect(741, 207, 59, 53));
    MoveOver(second, {0, 0});
    EXPECT_FALSE(help->HelpVisible());
    MoveOver(second, RingPoint());
    EXPECT_TRUE(help->HelpVisible());
}

TEST_F(HelpOverlayFixture, ScreenWithoutLifebeltShowsAndHidesTheHelpItself) {
    help = new THelpOverlay(screen.get(), THelpVariant::Plain, false);
    help->LoadHelp(folder.Path(), "\\mainhelp.jpg");
    EXPECT_EQ(help->Image_Lifebelt, nullptr);
    EXPECT_FALSE(help->HelpVisible());
    help->ShowHelp();
    EXPECT_TRUE(help->HelpVisible());
    help->HideHelp();
    EXPECT_FALSE(help->HelpVisible());
}
