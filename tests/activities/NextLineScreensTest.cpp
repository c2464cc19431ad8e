// The next-line practice and test screens on the fixture disc, with media
// that only records what was asked and a manual clock.
#include <gtest/gtest.h>

#include <QTest>

#include <set>

#include "ActivityFixture.h"
#include "activities/NextLine.h"
#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "components/ZrButton.h"
#include "content/DebugLog.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/Timer.h"

using namespace tav;
using namespace tavtest;

namespace {

class NextLineScreens : public ActivityScreensFixture {
protected:
    void SetUp() override {
        ActivityScreensFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        RegisterScreen(stNextLinePrac, [](TForm_Main& m, QWidget* p) { return new TForm_NextLinePrac(m, p); });
        RegisterScreen(stNextLineTest, [](TForm_Main& m, QWidget* p) { return new TForm_NextLineTest(m, p); });
    }
    TForm_NextLinePrac* Practice() { return Go<TForm_NextLinePrac>(stNextLinePrac); }
    TForm_NextLineTest* Test() { return Go<TForm_NextLineTest>(stNextLineTest); }
    static int WrongBar(TForm_NextLine* s) {
        for (int k = 1; k <= TForm_NextLine::kBars; ++k)
            if (k != s->CorrectSlot && !s->Bars[size_t(k)]->isHidden()) return k;
        return 0;
    }
    std::set<int> StartNumbers() const {
        std::set<int> out;
        for (const std::string& n : SplitKeyList(main->SettingsLines, "NextGameStartLines", '|')) out.insert(std::stoi(n));
        return out;
    }
};

} // namespace

TEST_F(NextLineScreens, AQuestionPlaysAStartLineAndOffersItsNextLineOnceHeard) {
    Start();
    TForm_NextLinePrac* s = Practice();
    ASSERT_NE(s->CurrentLine, nullptr);
    EXPECT_TRUE(StartNumbers().count(s->CurrentLine->SequenceNumber));
    EXPECT_EQ(s->fcLabel_Caption->Caption(), s->CurrentLine->LineText);
    EXPECT_EQ(s->AnswerLine, main->NextSpokenLine(s->CurrentLine));
    EXPECT_EQ(media.calls.back(),
              "film " + std::to_string(s->CurrentLine->StartFrame) + "-" + std::to_string(s->CurrentLine->EndFrame));
    EXPECT_EQ(s->Bars[size_t(s->CorrectSlot)]->Caption(), s->AnswerLine->LineText);
    // No answer before the line has been heard: the choices are hidden.
    EXPECT_TRUE(s->Panel_Bars->isHidden());
    const TMovieEntry* before = s->CurrentLine;
    s->fcLabel_Bar1Click(s->CorrectSlot);
    EXPECT_EQ(s->CurrentLine, before);
    EXPECT_EQ(s->Attempts, 0);
    LineEnds(s);
    EXPECT_FALSE(s->Panel_Bars->isHidden());
}

TEST_F(NextLineScreens, ARunningReplayKeepsTheChoicesHiddenUntilItEnds) {
    Start();
    TForm_NextLinePrac* s = Practice();
    s->EButton_PlayClick(); // Play pressed again: the first play reports superseded, the replay runs
    Deliver(s);
    EXPECT_TRUE(s->Panel_Bars->isHidden());
    LineEnds(s);
    EXPECT_FALSE(s->Panel_Bars->isHidden());
}

TEST_F(NextLineScreens, AnAnswerDuringAReplayKeepsTheTestClockRunning) {
    Start();
    TForm_NextLineTest* s = Test();
    LineEnds(s);
    TTimer::AdvanceTimers(2000);
    s->EButton_PlayClick();
    Deliver(s);
    s->fcLabel_Bar1Click(WrongBar(s)); // stops the replay; its end arrives during the wrong sound
    Deliver(s);
    EXPECT_TRUE(s->Timer_LED.Enabled());
    EXPECT_FALSE(s->Panel_Bars->isHidden());
    TTimer::AdvanceTimers(1000);
    EXPECT_EQ(s->TimeLeft, 7000);
}

TEST_F(NextLineScreens, PracticeWalksForwardThroughConsecutiveLines) {
    Start();
    TForm_NextLinePrac* s = Practice();
    // From the film's second line, so five answers stay clear of its end.
    s->AnswerLine = &main->MovieEntries[1];
    LineEnds(s);
    s->fcLabel_Bar1Click(s->CorrectSlot);
    ASSERT_EQ(s->CurrentLine, &main->MovieEntries[1]);
    for (int q = 0; q < 5; ++q) {
        ASSERT_NE(s->AnswerLine, nullptr);
        const TMovieEntry* next = s->AnswerLine;
        LineEnds(s);
        s->fcLabel_Bar1Click(s->CorrectSlot);
        ASSERT_EQ(s->CurrentLine, next) << "question " << q;
        EXPECT_TRUE(s->Panel_Bars->isHidden()) << "the next line plays before its choices";
    }
    EXPECT_EQ(s->Attempts, 6);
    EXPECT_EQ(s->fcLabel_Score->Caption(), "100");
}

TEST_F(NextLineScreens, AWrongBarGoesTheOthersStayAndPlayReplaysTheLine) {
    Start();
    TForm_NextLinePrac* s = Practice();
    LineEnds(s);
    const TMovieEntry* line = s->CurrentLine;
    const int wrong = WrongBar(s);
    ASSERT_GT(wrong, 0);
    s->fcLabel_Bar1Click(wrong);
    EXPECT_TRUE(s->Bars[size_t(wrong)]->isHidden());
    EXPECT_FALSE(s->Bars[size_t(s->CorrectSlot)]->isHidden());
    EXPECT_EQ(s->CurrentLine, line);
    EXPECT_EQ(s->fcLabel_Score->Caption(), "0");
    s->fcLabel_Bar1Click(wrong); // a hidden bar takes no answer
    EXPECT_EQ(s->Attempts, 1);
    const int films = media.films;
    s->EButton_PlayClick();
    EXPECT_EQ(media.films, films + 1);
    EXPECT_EQ(s->CurrentLine, line);
}

TEST_F(NextLineScreens, HintRemovesAWrongBarAndCountsAsAnAttempt) {
    Start();
    TForm_NextLinePrac* s = Practice();
    s->EButton_HintClick(); // nothing to hint at before the choices are up
    EXPECT_EQ(s->Attempts, 0);
    LineEnds(s);
    s->EButton_HintClick();
    s->EButton_HintClick();
    EXPECT_EQ(s->Attempts, 2);
    EXPECT_EQ(WrongBar(s), 0);
    EXPECT_FALSE(s->Bars[size_t(s->CorrectSlot)]->isHidden());
    s->EButton_HintClick(); // only the right bar is left
    EXPECT_EQ(s->Attempts, 2);
    s->fcLabel_Bar1Click(s->CorrectSlot);
    EXPECT_EQ(s->fcLabel_Score->Caption(), "33");
}

TEST_F(NextLineScreens, TestClockStartsWithTheChoicesAndATimeOutMovesOnThroughTheFilm) {
    Start();
    TForm_NextLineTest* s = Test();
    EXPECT_FALSE(s->ClockStarted);
    TTimer::AdvanceTimers(20000);
    EXPECT_FALSE(s->SorryShown) << "no clock while the line plays";
    LineEnds(s);
    EXPECT_TRUE(s->ClockStarted);
    const TMovieEntry* next = s->AnswerLine;
    TTimer::AdvanceTimers(10100);
    ASSERT_TRUE(s->SorryShown);
    s->DismissSorry();
    EXPECT_EQ(s->QuestionNumber, 2);
    EXPECT_EQ(s->CurrentLine, next);
    EXPECT_EQ(s->Score, 0);
    // Right at once moves on at once, five points.
    LineEnds(s);
    next = s->AnswerLine;
    s->fcLabel_Bar1Click(WrongBar(s));
    s->fcLabel_Bar1Click(s->CorrectSlot);
    EXPECT_EQ(s->Score, 5);
    EXPECT_EQ(s->QuestionNumber, 3);
    EXPECT_EQ(s->CurrentLine, next);
    EXPECT_EQ(s->fcLabel_Count->Caption(), "3/20");
}

TEST_F(NextLineScreens, TwentyAnswersEndTheTestAndRecordTheScore) {
    Start();
    TForm_NextLineTest* s = Test();
    for (int q = 1; q <= 20; ++q) {
        ASSERT_EQ(s->QuestionNumber, q);
        ASSERT_FALSE(s->NoQuestion) << "the walk goes on past the film's end";
        LineEnds(s);
        s->fcLabel_Bar1Click(s->CorrectSlot);
    }
    EXPECT_EQ(main->Scores[3], 100);
    EXPECT_FALSE(s->Image_Spinner->isHidden());
    ASSERT_TRUE(WaitUntil([&] {
        TTimer::AdvanceTimers(100);
        return AtActivitiesMenu();
    }));
}

TEST_F(NextLineScreens, AtTheFilmsEndTheWalkStartsAgainFromAStartLine) {
    Start();
    TForm_NextLinePrac* s = Practice();
    s->AnswerLine = &main->MovieEntries.back(); // the last line is the answer
    LineEnds(s);
    s->fcLabel_Bar1Click(s->CorrectSlot);
    ASSERT_NE(s->CurrentLine, nullptr);
    EXPECT_FALSE(s->NoQuestion);
    EXPECT_TRUE(StartNumbers().count(s->CurrentLine->SequenceNumber));
    EXPECT_EQ(s->AnswerLine, main->NextSpokenLine(s->CurrentLine));
}

TEST_F(NextLineScreens, WithoutStartLinesTheScreenSaysSoAndBackWorks) {
    Start();
    main->SettingsLines.clear();
    main->StartLinePool.clear();
    TForm_NextLinePrac* s = Practice();
    EXPECT_TRUE(s->NoQuestion);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), TForm_NextLine::kNoStartText);
    EXPECT_TRUE(s->Panel_Bars->isHidden());
    s->EButton_BackClick();
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
}

TEST_F(NextLineScreens, CheatWritesTheAnswerLineToTheDebugLog) {
    std::vector<std::string> lines;
    SetDebugSink([&](const std::string& l) { lines.push_back(l); });
    StartMain("[Defaults]\r\nRecords=0\r\nFast=1\r\nCheat=1\r\nDebug=1\r\n");
    TForm_NextLinePrac* s = Practice();
    ASSERT_NE(s->AnswerLine, nullptr);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Next line: " + s->AnswerLine->LineText), lines.end());
}
