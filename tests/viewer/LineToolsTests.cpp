// The screenplay viewer's line tools on the fixture disc with the real clip
// pool: exact line replays and stepping, looping, auto-pause with Play going
// on, the slow speeds, the translation under the caption, and their keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "../app/AppFixture.h"
#include "tests/TestSupport.h"
#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "components/ZrButton.h"
#include "content/LineTranslations.h"
#include "media/Movie.h"
#include "program/Screens.h"
#include "toolkit/Label.h"
#include "toolkit/Timer.h"
#include "viewer/ScreenPlay.h"

using namespace tav;
using namespace tavtest;

namespace {

class LineTools : public FixtureDiscScreens {
protected:
    TForm_ScreenPlay* s = nullptr;

    void SetUp() override {
        FixtureDiscScreens::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        RegisterScreen(stScreenPlay, [](TForm_Main& m, QWidget* p) { return new TForm_ScreenPlay(m, p); });
    }
    void TearDown() override {
        main.reset();
        delete Form_Movie;
        Form_Movie = nullptr;
        FixtureDiscScreens::TearDown();
    }
    void Open() {
        StartMain();
        ASSERT_NE(main, nullptr);
        Form_Movie = new TForm_Movie(MovieSettingsFrom(*main));
        main->PostStateChange(stScreenPlay, 1);
        ASSERT_TRUE(WaitUntil([&] { return (s = dynamic_cast<TForm_ScreenPlay*>(main->CurrentScreen())) != nullptr; }));
        ASSERT_TRUE(WaitUntil([&] { return s->Playing; }));
        s->EButton_PlayClick(); // stopped: each test starts its own play
        ASSERT_GE(main->MovieEntries.size(), 4u);
    }
    const TMovieEntry& Line(int n) const { return main->MovieEntries[size_t(n)]; }
    bool WaitStopped(int ms = 8000) { return WaitUntil([&] { return !s->Playing; }, ms); }
    // Waits until the film stands still (a play ended) and the captions caught up.
    void Settle() { Pump(250); }
};

} // namespace

TEST_F(LineTools, ReplayPlaysTheLineExactlyAndStopsOnItsLastFrame) {
    Open();
    const TMovieEntry& line = Line(2);
    Form_Movie->SeekFilm(line.StartFrame + 5);
    Settle();
    ASSERT_EQ(s->CurrentEntry, &line);
    s->ReplayLine();
    EXPECT_TRUE(s->Playing);
    EXPECT_FALSE(s->EButton_Stop->isHidden());
    EXPECT_EQ(Form_Movie->RangeTo, line.EndFrame);
    EXPECT_LE(Form_Movie->GetFilmPosition(), line.StartFrame + 2) << "from the line's first frame";
    ASSERT_TRUE(WaitStopped());
    Settle();
    EXPECT_EQ(Form_Movie->GetFilmPosition(), line.EndFrame - 1) << "on the line's last frame, not the next one's";
    EXPECT_EQ(s->CurrentEntry, &line);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), line.LineText);
    // Play goes on right after the line, at its end.
    s->EButton_PlayClick();
    EXPECT_TRUE(s->Playing);
    EXPECT_EQ(Form_Movie->RangeTo, -1);
    ASSERT_TRUE(WaitUntil([&] { return Form_Movie->GetFilmPosition() > line.EndFrame + 3; }));
}

TEST_F(LineTools, PreviousAndNextStepThroughTheLinesAndStopAtTheEnds) {
    Open();
    Form_Movie->SeekFilm(Line(1).StartFrame);
    Settle();
    s->StepLine(1);
    EXPECT_EQ(s->CurrentEntry, &Line(2));
    EXPECT_EQ(Form_Movie->RangeTo, Line(2).EndFrame);
    s->StepLine(-1);
    s->StepLine(-1);
    EXPECT_EQ(s->CurrentEntry, &Line(0));
    ASSERT_TRUE(WaitStopped());
    Settle();
    EXPECT_EQ(Form_Movie->GetFilmPosition(), Line(0).EndFrame - 1);
    s->StepLine(-1); // nothing before the first line
    EXPECT_FALSE(s->Playing);
    EXPECT_EQ(s->CurrentEntry, &Line(0));
    // In the gap after a line, back is that line and on is the next.
    const TMovieEntry& a = Line(1);
    ASSERT_LT(a.EndFrame, Line(2).StartFrame);
    Form_Movie->SeekFilm(a.EndFrame);
    Settle();
    ASSERT_EQ(s->CurrentEntry, nullptr);
    s->StepLine(-1);
    EXPECT_EQ(s->CurrentEntry, &a);
    Form_Movie->SeekFilm(a.EndFrame);
    Settle();
    s->StepLine(1);
    EXPECT_EQ(s->CurrentEntry, &Line(2));
}

TEST_F(LineTools, LoopRepeatsTheLineUntilStopped) {
    Open();
    const TMovieEntry& line = Line(0);
    Form_Movie->SeekFilm(line.StartFrame);
    Settle();
    s->ToggleLoop();
    EXPECT_TRUE(s->LoopLine);
    EXPECT_TRUE(s->Playing);
    // Past the end twice: each time it comes back to the line's start.
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_TRUE(WaitUntil([&] { return Form_Movie->GetFilmPosition() >= line.EndFrame - 2; }, 8000));
        ASSERT_TRUE(WaitUntil([&] { return Form_Movie->GetFilmPosition() < line.StartFrame + 5; }, 3000)) << pass;
        EXPECT_TRUE(s->Playing);
    }
    EXPECT_LT(Form_Movie->GetFilmPosition(), line.EndFrame) << "never into the next line";
    s->EButton_PlayClick();
    EXPECT_FALSE(s->Playing);
    EXPECT_FALSE(s->LoopLine) << "stopping ends the loop";
    Pump(300);
    EXPECT_FALSE(Form_Movie->IsFilmPlaying());
    // Off while looping: the line in play ends and the film stops there.
    s->ToggleLoop();
    ASSERT_TRUE(s->Playing);
    s->ToggleLoop();
    EXPECT_FALSE(s->LoopLine);
    ASSERT_TRUE(WaitStopped());
    Settle();
    EXPECT_EQ(Form_Movie->GetFilmPosition(), line.EndFrame - 1);
}

TEST_F(LineTools, AutoPauseStopsAtEveryLineEndAndPlayGoesOn) {
    Open();
    Form_Movie->SeekFilm(Line(0).StartFrame);
    Settle();
    s->ToggleAutoPause();
    EXPECT_TRUE(s->AutoPause);
    EXPECT_FALSE(s->Playing) << "switching it on does not start the film";
    for (int n = 0; n < 3; ++n) {
        s->EButton_PlayClick();
        ASSERT_TRUE(s->Playing);
        EXPECT_EQ(Form_Movie->RangeTo, Line(n).EndFrame) << n;
        ASSERT_TRUE(WaitStopped()) << n;
        Settle();
        EXPECT_EQ(Form_Movie->GetFilmPosition(), Line(n).EndFrame - 1) << n;
        EXPECT_EQ(s->fcLabel_Caption->Caption(), Line(n).LineText) << "the caption stays on the line just heard";
        EXPECT_TRUE(s->EButton_Stop->isHidden());
    }
    // Off while playing: the film runs on past the line's end.
    s->EButton_PlayClick();
    s->ToggleAutoPause();
    EXPECT_EQ(Form_Movie->RangeTo, -1);
    ASSERT_TRUE(WaitUntil([&] { return Form_Movie->GetFilmPosition() > Line(3).EndFrame + 2; }, 10000));
    EXPECT_TRUE(s->Playing);
}

TEST_F(LineTools, SlowSpeedsStretchTheLineAndLeavingRestoresTheSpeed) {
    Open();
    const TMovieEntry& line = Line(1);
    const double seconds = (line.EndFrame - line.StartFrame) * 0.04;
    s->ToggleSpeed(0.5);
    EXPECT_EQ(s->Speed, 0.5);
    EXPECT_EQ(Form_Movie->FilmRate, 0.5);
    QElapsedTimer t;
    t.start();
    Form_Movie->SeekFilm(line.StartFrame);
    Settle();
    t.restart();
    s->ReplayLine();
    ASSERT_TRUE(WaitStopped(int(seconds * 4000) + 2000));
    EXPECT_GT(t.elapsed(), seconds * 2000 * 0.95) << "half speed takes twice as long";
    Settle();
    EXPECT_EQ(Form_Movie->GetFilmPosition(), line.EndFrame - 1);
    // The other speed replaces it; the same button again is normal speed.
    s->ToggleSpeed(0.75);
    EXPECT_EQ(Form_Movie->FilmRate, 0.75);
    s->ToggleSpeed(0.75);
    EXPECT_EQ(Form_Movie->FilmRate, 1.0);
    s->ToggleSpeed(0.5);
    s->EButton_BackClick();
    EXPECT_EQ(Form_Movie->FilmRate, 1.0) << "the other screens play the film at its own speed";
}

TEST_F(LineTools, TranslationShowsUnderTheCaptionInTheHelpLanguage) {
    Open();
    const auto translations = LoadLineTranslations(LineTranslationFile(main->TargetFolder, main->HelpLanguage));
    ASSERT_FALSE(translations.empty()) << "the fixture disc carries translations for help language "
                                       << main->HelpLanguage;
    EXPECT_TRUE(s->EButton_Translation->isEnabled());
    const TMovieEntry& line = Line(2);
    Form_Movie->SeekFilm(line.StartFrame);
    Settle();
    EXPECT_TRUE(s->fcLabel_Translation->isHidden()) << "off until asked for";
    s->ToggleTranslation();
    EXPECT_FALSE(s->fcLabel_Translation->isHidden());
    EXPECT_EQ(s->fcLabel_Translation->Caption(), translations.at(line.SequenceNumber));
    EXPECT_NE(s->fcLabel_Translation->Caption(), line.LineText);
    // Between lines there is nothing to translate.
    Form_Movie->SeekFilm(Line(1).EndFrame);
    Settle();
    EXPECT_EQ(s->fcLabel_Translation->Caption(), "");
    s->ToggleTranslation();
    EXPECT_TRUE(s->fcLabel_Translation->isHidden());
}

TEST_F(LineTools, EveryToolHasAKeyAndAHint) {
    Open();
    s->window()->activateWindow();
    QApplication::setActiveWindow(s->window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(s->window()));
    for (TZrButton* b : {s->EButton_PrevLine, s->EButton_Replay, s->EButton_NextLine, s->EButton_Loop, s->EButton_Slow75,
                         s->EButton_Slow50, s->EButton_AutoPause, s->EButton_Translation})
        EXPECT_FALSE(b->toolTip().isEmpty()) << b->objectName().toStdString();
    const TMovieEntry& line = Line(1);
    Form_Movie->SeekFilm(line.StartFrame + 3);
    Settle();
    QTest::keyClick(s, Qt::Key_R);
    EXPECT_EQ(Form_Movie->RangeTo, line.EndFrame);
    QTest::keyClick(s, Qt::Key_Right);
    EXPECT_EQ(s->CurrentEntry, &Line(2));
    QTest::keyClick(s, Qt::Key_Left);
    EXPECT_EQ(s->CurrentEntry, &Line(1));
    QTest::keyClick(s, Qt::Key_H);
    EXPECT_EQ(s->Speed, 0.5);
    QTest::keyClick(s, Qt::Key_S);
    EXPECT_EQ(s->Speed, 0.75);
    QTest::keyClick(s, Qt::Key_P);
    EXPECT_TRUE(s->AutoPause);
    QTest::keyClick(s, Qt::Key_T);
    EXPECT_TRUE(s->ShowTranslation);
    QTest::keyClick(s, Qt::Key_Space);
    EXPECT_FALSE(s->Playing);
    QTest::keyClick(s, Qt::Key_L);
    EXPECT_TRUE(s->LoopLine);
    EXPECT_TRUE(s->Playing);
    QTest::keyClick(s, Qt::Key_Space);
    EXPECT_FALSE(s->LoopLine);
}
