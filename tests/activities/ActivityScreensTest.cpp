// The missing-word practice and test screens on the generated fixture disc,
// driven through the real main window: question drawing, answers and
// points, the test clock (manual timers and tick counter), the help pause,
// the time-out, Back, and the end of a test with its spinner and record.
// The film and sounds go to a recording fake; one test plays a real line
// through the clip pool.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTest>

#include <set>

#include "ActivityFixture.h"
#include "activities/ActivityMedia.h"
#include "activities/Missing.h"
#include "activities/MissingWords.h"
#include "app/ContentLocation.h"
#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "platform/Paths.h"
#include "media/Movie.h"
#include "program/Screens.h"
#include "media/VolumeControl.h"
#include "components/HelpOverlay.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/Timer.h"
#include "components/ZrButton.h"

using namespace tav;
using namespace tavtest;

namespace {

class MissingScreens : public ActivityScreensFixture {
protected:
    void SetUp() override {
        ActivityScreensFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        RegisterScreen(stMissingPrac, [](TForm_Main& m, QWidget* p) { return new TForm_MissingPrac(m, p); });
        RegisterScreen(stMissingTest, [](TForm_Main& m, QWidget* p) { return new TForm_MissingTest(m, p); });
    }
    TForm_MissingTest* Test() { return Go<TForm_MissingTest>(stMissingTest); }
    TForm_MissingPrac* Practice() { return Go<TForm_MissingPrac>(stMissingPrac); }
    static int WrongSlot(TForm_Missing* s, int nth = 0) {
        for (int k = 1; k <= TForm_Missing::kChoices; ++k)
            if (k != s->CorrectSlot && !s->Labels[k]->isHidden() && nth-- == 0) return k;
        return 0;
    }
};

} // namespace

TEST_F(MissingScreens, AQuestionHidesAWordAndOffersTenDifferentChoices) {
    Start();
    TForm_MissingTest* s = Test();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(media.calls.front(), "attach");
    EXPECT_EQ(media.calls.back(),
              "film " + std::to_string(s->CurrentLine->StartFrame) + "-" + std::to_string(s->CurrentLine->EndFrame));
    // The play reports to the screen (through its play's own notify object).
    ASSERT_NE(media.lastNotify, nullptr);
    EXPECT_EQ(media.lastNotify->parent(), s);
    const std::string caption = s->fcLabel_Caption->Caption();
    EXPECT_NE(caption.find(kGapMark), std::string::npos) << caption;
    EXPECT_TRUE(s->CurrentLine->ForActivities);
    EXPECT_EQ(s->fcLabel_Count->Caption(), "1/20");
    std::set<std::string> shown;
    for (int k = 1; k <= 10; ++k) {
        EXPECT_FALSE(s->Labels[k]->isHidden());
        EXPECT_FALSE(s->Images[k]->isHidden());
        shown.insert(s->Labels[k]->Caption());
    }
    EXPECT_EQ(s->Labels[s->CorrectSlot]->Caption(), s->HiddenWord);
    EXPECT_EQ(shown.count(s->HiddenWord), 1u);
    // The gap put back gives the line again.
    std::string restored = caption;
    restored.replace(caption.find(kGapMark), kGapMark.size(), "");
    EXPECT_EQ(restored.size() + s->HiddenWord.size(), s->CurrentLine->LineText.size());
}

TEST_F(MissingScreens, TwoQuestionsInARowNeverShareASpeaker) {
    Start();
    TForm_MissingPrac* s = Practice();
    std::string last = s->CurrentLine->Speaker;
    for (int i = 0; i < 40; ++i) {
        s->NextQuestion();
        ASSERT_FALSE(s->NoQuestion);
        EXPECT_NE(s->CurrentLine->Speaker, last) << "question " << i;
        last = s->CurrentLine->Speaker;
    }
}

TEST_F(MissingScreens, CheatWritesTheAnswerToTheDebugLog) {
    std::vector<std::string> log;
    SetDebugSink([&](const std::string& line) { log.push_back(line); });
    Start("[Defaults]\r\nRecords=0\r\nFast=1\r\nCheat=1\r\n");
    TForm_MissingPrac* s = Practice();
    ASSERT_TRUE(main->Cheat);
    const std::string expected = "Missing word: " + s->HiddenWord;
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& l) { return l.rfind(expected, 0) == 0; }));
}

TEST_F(MissingScreens, ShortContentShowsAMessageAndBackStillWorks) {
    Start();
    TForm_MissingPrac* s = Practice();
    s->WordList.resize(5);
    s->NextQuestion();
    EXPECT_TRUE(s->NoQuestion);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), TForm_Missing::kFewWordsText);
    for (int k = 1; k <= 10; ++k) EXPECT_TRUE(s->Images[k]->isHidden());
    const int films = media.films;
    s->EButton_PlayClick();
    EXPECT_EQ(media.films, films); // nothing to play

    for (auto& e : main->MovieEntries) e.ForActivities = false;
    s->NextQuestion();
    EXPECT_EQ(s->fcLabel_Caption->Caption(), TForm_Missing::kNoLineText);
    Click(s->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(main->Percents[2], 0);
}

TEST_F(MissingScreens, TestShortOfWordsDoesNotArmTheClock) {
    Start();
    TForm_MissingTest* s = Test();
    s->WordList.clear();
    s->NextQuestion();
    EXPECT_TRUE(s->NoQuestion);
    LineEnds(s);
    EXPECT_FALSE(s->Timer_LED.Enabled());
    Click(s->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
}

TEST_F(MissingScreens, PracticeCountsAttemptsHintsAndLightsTheBar) {
    Start();
    TForm_MissingPrac* s = Practice();
    EXPECT_EQ(s->fcLabel_Score->Caption(), "0");
    EXPECT_EQ(s->Image_LightsOff->height(), 219);
    // Wrong: the choice goes, the question stays.
    const int wrong = WrongSlot(s);
    s->Image1Click(wrong);
    EXPECT_TRUE(s->Labels[wrong]->isHidden());
    EXPECT_TRUE(s->Image_Cross->isHidden());
    EXPECT_EQ(s->Percent, 0);
    EXPECT_TRUE(media.Played("wrong1.aif") || media.Played("wrong2.aif") || media.Played("wrong3.aif"));
    // Right: tick, full line, the other choices hidden, next question a second later.
    const TMovieEntry* line = s->CurrentLine;
    s->Image1Click(s->CorrectSlot);
    EXPECT_EQ(s->Percent, 50);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), line->LineText);
    EXPECT_FALSE(s->Image_Tick->isHidden());
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(s->Images[k]->isHidden(), k != s->CorrectSlot);
    s->Image1Click(s->CorrectSlot); // a second click on the right word counts nothing
    EXPECT_EQ(s->Attempts, 2);
    TTimer::AdvanceTimers(999);
    EXPECT_EQ(s->CurrentLine, line);
    TTimer::AdvanceTimers(1);
    EXPECT_TRUE(s->Image_Tick->isHidden());
    EXPECT_NE(s->fcLabel_Caption->Caption().find(kGapMark), std::string::npos);
    // Hints hide wrong choices one by one and count as wrong attempts.
    for (int i = 0; i < 9; ++i) s->EButton_HintClick();
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(s->Labels[k]->isHidden(), k != s->CorrectSlot);
    EXPECT_EQ(s->Attempts, 11);
    s->EButton_HintClick(); // only the right word is left: nothing happens
    EXPECT_EQ(s->Attempts, 11);
    EXPECT_EQ(s->Percent, 9);
    // 3 right out of 7 attempts: 42 %, eight steps lit.
    s->Attempts = 6;
    s->RightAnswers = 2;
    s->CountAttempt(true);
    EXPECT_EQ(s->fcLabel_Score->Caption(), "42");
    EXPECT_EQ(s->Image_LightsOff->height(), 135);
    s->ShowPercent(100);
    EXPECT_EQ(s->Image_LightsOff->height(), 0);
    s->ShowPercent(42);
    Click(s->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(main->Percents[2], 42);
    EXPECT_NE(std::find(media.calls.begin(), media.calls.end(), "detach"), media.calls.end());
}

TEST_F(MissingScreens, PracticeBackWithoutAnAttemptRecordsNothing) {
    Start();
    main->Percents[2] = 77;
    TForm_MissingPrac* s = Practice();
    Click(s->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(main->Percents[2], 77);
}

TEST_F(MissingScreens, TheClockStartsWhenTheLineEndsAndWrongAnswersKeepItRunning) {
    Start();
    TForm_MissingTest* s = Test();
    TTimer::AdvanceTimers(20000); // the line is still playing: no clock
    EXPECT_FALSE(s->Timer_LED.Enabled());
    EXPECT_EQ(s->TimeLeft, 10000);
    LineEnds(s);
    EXPECT_TRUE(s->Timer_LED.Enabled());
    TTimer::AdvanceTimers(2000);
    EXPECT_EQ(s->TimeLeft, 8000);
    s->Image1Click(WrongSlot(s));
    EXPECT_TRUE(s->Timer_LED.Enabled());
    EXPECT_EQ(s->Score, 0); // never below 0
    TTimer::AdvanceTimers(1000);
    EXPECT_EQ(s->TimeLeft, 7000);
    // A leftover completion does not restart the clock.
    StrayCompletion(s);
    TTimer::AdvanceTimers(50);
    EXPECT_EQ(s->TimeLeft, 6950);
    // Right: +5, the clock stops, the next question comes a second later.
    s->Image1Click(s->CorrectSlot);
    EXPECT_EQ(s->Score, 5);
    EXPECT_EQ(s->fcLabel_Score->Caption(), "5");
    EXPECT_FALSE(s->Timer_LED.Enabled());
    TTimer::AdvanceTimers(1000);
    EXPECT_EQ(s->QuestionNumber, 2);
    EXPECT_EQ(s->fcLabel_Count->Caption(), "2/20");
    EXPECT_EQ(s->TimeLeft, 10000);
    LineEnds(s);
    s->Image1Click(WrongSlot(s));
    EXPECT_EQ(s->Score, 3);
    s->Image1Click(WrongSlot(s));
    EXPECT_EQ(s->Score, 1);
    s->Image1Click(WrongSlot(s));
    EXPECT_EQ(s->Score, 0);
}

TEST_F(MissingScreens, ARightAnswerBeforeTheLineEndsNeverStartsTheClock) {
    Start();
    TForm_MissingTest* s = Test();
    s->Image1Click(s->CorrectSlot);
    Deliver(s); // the stopped line reports
    EXPECT_EQ(media.calls.back(), "stop");
    EXPECT_FALSE(s->Timer_LED.Enabled());
    TTimer::AdvanceTimers(1000);
    EXPECT_EQ(s->QuestionNumber, 2);
}

TEST_F(MissingScreens, AWrongAnswerBeforeTheLineEndsStartsTheClockWhenTheStoppedLineReports) {
    Start();
    TForm_MissingTest* s = Test();
    s->Image1Click(WrongSlot(s)); // the stopped line reports during the wrong sound
    Deliver(s);
    EXPECT_TRUE(s->ClockStarted);
    EXPECT_TRUE(s->Timer_LED.Enabled());
    TTimer::AdvanceTimers(4000);
    EXPECT_EQ(s->TimeLeft, 6000);
    s->Image1Click(WrongSlot(s)); // the clock runs on
    EXPECT_TRUE(s->Timer_LED.Enabled());
    TTimer::AdvanceTimers(6000);
    EXPECT_TRUE(s->SorryShown);
}

TEST_F(MissingScreens, PlayPressedAgainKeepsTheClockForTheReplaysEnd) {
    Start();
    TForm_MissingTest* s = Test();
    s->EButton_PlayClick(); // the first play is superseded
    Deliver(s);
    EXPECT_FALSE(s->ClockStarted);
    LineEnds(s);
    EXPECT_TRUE(s->Timer_LED.Enabled());
}

TEST_F(MissingScreens, TheHelpPicturePausesTheClock) {
    Start();
    TForm_MissingTest* s = Test();
    LineEnds(s);
    TTimer::AdvanceTimers(3000);
    s->Help->ShowHelp();
    EXPECT_FALSE(s->Timer_LED.Enabled());
    TTimer::AdvanceTimers(20000);
    EXPECT_EQ(s->TimeLeft, 7000);
    s->Help->BackgroundMouseMove();
    EXPECT_FALSE(s->Help->HelpVisible());
    TTimer::AdvanceTimers(50);
    EXPECT_EQ(s->TimeLeft, 6950);
    TTimer::AdvanceTimers(6950);
    EXPECT_TRUE(s->SorryShown);
}

TEST_F(MissingScreens, HelpUpWhenTheLineEndsStartsTheClockPaused) {
    Start();
    TForm_MissingTest* s = Test();
    s->Help->ShowHelp();
    LineEnds(s);
    EXPECT_TRUE(s->ClockStarted);
    EXPECT_FALSE(s->Timer_LED.Enabled());
    TTimer::AdvanceTimers(15000);
    EXPECT_FALSE(s->SorryShown);
    s->Help->BackgroundMouseMove();
    TTimer::AdvanceTimers(4000);
    EXPECT_EQ(s->TimeLeft, 6000);
}

TEST_F(MissingScreens, TimeOutBoosAndTheNextClickOnlyMovesOn) {
    Start();
    TForm_MissingTest* s = Test();
    s->Image1Click(s->CorrectSlot);
    TTimer::AdvanceTimers(1000);
    ASSERT_EQ(s->Score, 5);
    LineEnds(s);
    s->Help->ShowHelp();
    s->Help->BackgroundMouseMove();
    TTimer::AdvanceTimers(10000);
    EXPECT_TRUE(s->SorryShown);
    EXPECT_FALSE(s->Panel_Sorry->isHidden());
    EXPECT_FALSE(s->Timer_LED.Enabled());
    EXPECT_EQ(s->TimeLeft, 0);
    EXPECT_TRUE(media.Played("boo.aif"));
    const QRect sorry = s->Panel_Sorry->geometry();
    EXPECT_EQ(sorry.left(), (800 - sorry.width()) / 2);
    EXPECT_EQ(sorry.top(), (600 - sorry.height()) / 2);
    // Answers are no answers now; the click on a choice only dismisses the picture.
    const int wrong = WrongSlot(s);
    Click(s->Images[wrong]);
    ASSERT_TRUE(WaitUntil([&] { return !s->SorryShown; }));
    EXPECT_TRUE(s->Panel_Sorry->isHidden());
    EXPECT_EQ(s->Score, 5);
    EXPECT_EQ(s->QuestionNumber, 3);
    for (int k = 1; k <= 10; ++k) EXPECT_FALSE(s->Images[k]->isHidden());
    // The usual hook is back: clicks reach the screen again.
    s->Image1Click(WrongSlot(s));
    EXPECT_EQ(s->Score, 3);
}

TEST_F(MissingScreens, BackBeforeAnyAnswerRecordsNothing) {
    Start();
    main->Scores[2] = 40;
    TForm_MissingTest* s = Test();
    Click(s->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(main->Scores[2], 40);
    EXPECT_FALSE(media.Played("jingle.aif"));
}

TEST_F(MissingScreens, BackAfterAnAnswerEndsTheTestWithThePointsSoFar) {
    Start();
    main->Scores[2] = 40;
    TForm_MissingTest* s = Test();
    s->Image1Click(s->CorrectSlot);
    Click(s->EButton_Back);
    EXPECT_EQ(main->Scores[2], 5);
    EXPECT_TRUE(media.Played("jingle.aif"));
    EXPECT_FALSE(s->Image_Spinner->isHidden());
    // The final score takes the running score's place; the count stays on top of the reel.
    EXPECT_TRUE(s->fcLabel_Score->isHidden());
    EXPECT_FALSE(s->fcLabel_Count->isHidden());
    EXPECT_EQ(s->fcLabel_Count->Caption(), "1/20");
    const QList<QObject*> order = s->Image_Spinner->parent()->children();
    EXPECT_GT(order.indexOf(s->fcLabel_Count), order.indexOf(s->Image_Spinner));
    Click(s->EButton_Back); // a second Back changes nothing
    TTimer::AdvanceTimers(800);
    EXPECT_TRUE(s->fcLabel_EndScore->isHidden());
    TTimer::AdvanceTimers(300);
    // The question due a second after the right answer does not come.
    EXPECT_EQ(s->QuestionNumber, 1);
    EXPECT_EQ(s->fcLabel_EndScore->Caption(), "5");
    EXPECT_FALSE(s->fcLabel_EndScore->isHidden());
    // The spoken score is played when the disc has it.
    EXPECT_EQ(media.Played("Db5.aif"), QFile::exists(QString::fromStdString(disc + "/French/scores/Db5.aif")));
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(main->Scores[2], 5);
}

TEST_F(MissingScreens, TwentyRightAnswersScoreAHundredAndSpeakIt) {
    Start();
    TForm_MissingTest* s = Test();
    for (int q = 1; q <= 20; ++q) {
        ASSERT_EQ(s->QuestionNumber, q);
        LineEnds(s);
        s->Image1Click(s->CorrectSlot);
        TTimer::AdvanceTimers(1000);
    }
    EXPECT_EQ(s->fcLabel_Count->Caption(), "20/20");
    EXPECT_TRUE(s->fcLabel_Score->isHidden());
    EXPECT_EQ(main->Scores[2], 100);
    EXPECT_EQ(s->SpinnerFrame, 0);
    std::vector<int> frames;
    for (int i = 0; i < 8; ++i) {
        TTimer::AdvanceTimers(100);
        frames.push_back(s->SpinnerFrame);
    }
    EXPECT_EQ(frames, (std::vector<int>{2, 4, 6, 8, 10, 12, 14, 16}));
    EXPECT_TRUE(s->fcLabel_EndScore->isHidden());
    s->Image1Click(s->CorrectSlot); // after the last question answers are ignored
    EXPECT_EQ(s->Score, 100);
    TTimer::AdvanceTimers(100);
    EXPECT_FALSE(s->Timer_Spinner.Enabled());
    EXPECT_EQ(s->fcLabel_EndScore->Caption(), "100");
    EXPECT_TRUE(media.Played("Dbhh.aif"));
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
}

TEST_F(MissingScreens, ARealLineThroughTheClipPoolStartsTheClock) {
    SetActivityMedia(nullptr);
    SetTickSource(nullptr);
    Start();
    Form_Movie = new TForm_Movie(MovieSettingsFrom(*main));
    struct Free {
        ~Free() { delete Form_Movie; Form_Movie = nullptr; }
    } freePool;
    main->PostStateChange(stMissingTest, 1);
    ASSERT_TRUE(WaitUntil([&] { return dynamic_cast<TForm_MissingTest*>(main->CurrentScreen()) != nullptr; }));
    auto* s = dynamic_cast<TForm_MissingTest*>(main->CurrentScreen());
    ASSERT_TRUE(WaitUntil([&] { return s->CurrentLine != nullptr; }));
    QElapsedTimer playing;
    playing.start();
    const int lineMs = (s->CurrentLine->EndFrame - s->CurrentLine->StartFrame) * 40;
    EXPECT_FALSE(s->ClockStarted);
    ASSERT_TRUE(WaitUntil([&] { return s->ClockStarted; }, lineMs + 5000));
    // The whole line played before the clock started, not a cut piece of it.
    EXPECT_GE(playing.elapsed(), lineMs - 300);
    EXPECT_TRUE(s->Timer_LED.Enabled());
    Click(s->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
}

// The test screen as a learner sees it, with a real line played through the
// clip pool: the film picture is in the video panel and the end score shows
// on the spinner. With TAVOLIN_SHOTS set the pictures are written there.
TEST_F(MissingScreens, TheScreenAsALearnerSeesIt) {
    SetActivityMedia(nullptr);
    SetTickSource(nullptr);
    Start();
    Form_Movie = new TForm_Movie(MovieSettingsFrom(*main));
    struct Free {
        ~Free() { delete Form_Movie; Form_Movie = nullptr; }
    } freePool;
    main->PostStateChange(stMissingTest, 1);
    ASSERT_TRUE(WaitUntil([&] { return dynamic_cast<TForm_MissingTest*>(main->CurrentScreen()) != nullptr; }));
    auto* s = dynamic_cast<TForm_MissingTest*>(main->CurrentScreen());
    ASSERT_TRUE(WaitUntil([&] { return s->ClockStarted; }, 10000));
    const QString dir = qEnvironmentVariable("TAVOLIN_SHOTS");
    auto shot = [&](const char* name) {
        const QImage img = s->grab().toImage();
        if (!dir.isEmpty()) img.save(dir + "/" + name + ".png");
        return img;
    };
    const QImage question = shot("missing-question");
    // The video panel shows a film picture, not its plain navy.
    const QRect video = s->Panel_Video->geometry();
    std::set<QRgb> colours;
    for (int y = video.top(); y < video.bottom(); y += 7)
        for (int x = video.left(); x < video.right(); x += 7) colours.insert(question.pixel(x, y));
    EXPECT_GT(colours.size(), 20u);
    s->Image1Click(WrongSlot(s));
    s->Image1Click(s->CorrectSlot);
    shot("missing-right");
    s->Timer_NextQuestion.SetEnabled(false);
    s->TimeOut();
    shot("missing-timeout");
    s->DismissSorry();
    // The screen leaves by itself right after the score is spoken: take the
    // picture when the score comes up.
    struct ShowWatch : QObject {
        std::function<void()> onShow;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Show && onShow) onShow();
            return false;
        }
    } watch;
    QImage final;
    watch.onShow = [&] { final = shot("missing-final"); };
    s->fcLabel_EndScore->installEventFilter(&watch);
    s->FinishTest(2, 37);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_FALSE(final.isNull());
}

// The practice screen after a wrong answer, a hint and a right answer: the
// light bar and the percentage. With TAVOLIN_SHOTS set the picture is written.
TEST_F(MissingScreens, ThePracticeScreenAsALearnerSeesIt) {
    Start();
    TForm_MissingPrac* s = Practice();
    s->Image1Click(WrongSlot(s));
    s->EButton_HintClick();
    s->Image1Click(s->CorrectSlot);
    s->ShowPercent(65);
    const QImage img = s->grab().toImage();
    const QString dir = qEnvironmentVariable("TAVOLIN_SHOTS");
    if (!dir.isEmpty()) img.save(dir + "/missing-practice.png");
    // 13 steps of 11 pixels are lit: the "off" picture ends 143 pixels down.
    EXPECT_EQ(s->Image_LightsOff->geometry().bottom() + 1 - s->Image_LightsOn->y(), 223 - 11 * 13);
    EXPECT_NE(img.pixel(120, 41 + 219 - 5), img.pixel(120, 41 + 5)); // lit bottom, dark top
}

TEST_F(MissingScreens, LayoutOfTheTestScreenWithItsVolumeSlider) {
    Start();
    TForm_MissingTest* s = Test();
    EXPECT_EQ(s->Panel_Video->geometry(), QRect(264, 42, 272, 220));
    EXPECT_EQ(s->fcLabel_Caption->geometry(), QRect(19, 329, 760, 58));
    EXPECT_EQ(s->EButton_Play->geometry(), QRect(381, 265, 38, 27));
    EXPECT_EQ(s->EButton_Volume->geometry(), QRect(521, 266, 24, 24));
    EXPECT_EQ(s->EButton_Back->geometry(), QRect(0, 556, 38, 44));
    EXPECT_EQ(s->Help->Image_Lifebelt->geometry(), QRect(741, 547, 59, 53));
    EXPECT_EQ(s->Image_Spinner->geometry(), QRect(48, 68, 188, 185));
    EXPECT_EQ(s->Panel_Stopwatch->geometry(), QRect(638, 123, 101, 36));
    EXPECT_EQ(s->Images[1]->geometry(), QRect(0, 400, 196, 54));
    EXPECT_EQ(s->Images[10]->geometry(), QRect(500, 508, 196, 54));
    EXPECT_EQ(s->Labels[9]->geometry(), QRect(122, 528, 149, 16));
    EXPECT_EQ(s->Labels[1]->FontColor(), QColor(237, 225, 225));
    // The slider opens with the knob at the system volume and sets it live.
    unsigned written = 70000;
    s->Volume->ReadVolume = [] { return uint16_t(33135); };
    s->Volume->WriteVolume = [&](unsigned v) { written = v; };
    EXPECT_TRUE(s->Volume->Panel_VolScale->isHidden());
    Click(s->EButton_Volume);
    EXPECT_FALSE(s->Volume->Panel_VolScale->isHidden());
    EXPECT_EQ(s->Volume->Panel_VolScale->geometry(), QRect(541, 167, 18, 118));
    EXPECT_EQ(s->Volume->Image_VolSlide->y(), 45);
    s->Volume->Image_VolSlideMouseDown(4);
    s->Volume->Image_VolSlideMouseMove(4 - 45);
    EXPECT_EQ(written, 65535u);
    s->Volume->Image_VolSlideMouseUp();
}

TEST_F(MissingScreens, PracticePlaquesAndTheirColour) {
    Start();
    TForm_MissingPrac* s = Practice();
    EXPECT_EQ(s->Images[1]->geometry(), QRect(1, 400, 196, 54));
    EXPECT_EQ(s->Labels[1]->FontColor(), QColor(242, 145, 146));
    EXPECT_EQ(s->Image_LightsOn->geometry(), QRect(107, 41, 27, 219));
    EXPECT_EQ(s->EButton_Hint->geometry(), QRect(376, 550, 49, 47));
    // The caption replays the line like the Play button.
    const int films = media.films;
    Click(s->fcLabel_Caption);
    Click(s->EButton_Play);
    EXPECT_EQ(media.films, films + 2);
}

TEST_F(MissingScreens, ATimeOutOnTheLastQuestionEndsTheTest) {
    Start();
    TForm_MissingTest* s = Test();
    s->QuestionNumber = 20;
    s->ShowScore(12);
    LineEnds(s);
    TTimer::AdvanceTimers(10000);
    ASSERT_TRUE(s->SorryShown);
    Click(s->Panel_Sorry);
    ASSERT_TRUE(WaitUntil([&] { return s->Finishing; }));
    EXPECT_EQ(s->fcLabel_Count->Caption(), "1/20"); // the counter keeps the last number it showed
    EXPECT_EQ(main->Scores[2], 12);
    TTimer::AdvanceTimers(900);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
}

TEST_F(MissingScreens, AMissingRightSoundIsReportedAndTheTestGoesOn) {
    Start();
    for (int n = 1; n <= 3; ++n) QFile::remove(QString::fromStdString(program.File("PC/common/right" + std::to_string(n) + ".aif")));
    TForm_MissingTest* s = Test();
    MessageCapture box(TModalResult::Ignore);
    s->Image1Click(s->CorrectSlot);
    ASSERT_EQ(box.Messages.size(), 1u);
    EXPECT_NE(box.Last().find("Missing sound file "), std::string::npos) << box.Last();
    EXPECT_EQ(s->Score, 5);
    TTimer::AdvanceTimers(1000);
    EXPECT_EQ(s->QuestionNumber, 2);
}

TEST_F(MissingScreens, ARightAnswerWhileTheHelpIsUpKeepsTheClockStopped) {
    Start();
    TForm_MissingTest* s = Test();
    LineEnds(s);
    TTimer::AdvanceTimers(2000);
    s->Help->ShowHelp();
    s->Image1Click(s->CorrectSlot);
    s->Help->BackgroundMouseMove();
    EXPECT_FALSE(s->Timer_LED.Enabled());
    TTimer::AdvanceTimers(1000);
    ASSERT_EQ(s->QuestionNumber, 2);
    TTimer::AdvanceTimers(20000); // the new line has not ended: no clock, no time-out
    EXPECT_FALSE(s->SorryShown);
    EXPECT_EQ(s->TimeLeft, 10000);
}

TEST_F(MissingScreens, WhenOneSpeakerHasAllTheLinesTheSpeakerMayRepeat) {
    Start();
    TForm_MissingPrac* s = Practice();
    for (auto& e : main->MovieEntries) e.Speaker = "Hugo";
    for (int i = 0; i < 3; ++i) {
        s->NextQuestion();
        EXPECT_FALSE(s->NoQuestion);
        EXPECT_EQ(s->CurrentLine->Speaker, "Hugo");
    }
}

TEST_F(MissingScreens, LeavingKeepsTheFilmsLastPictureInItsPanel) {
    Start();
    TForm_MissingPrac* s = Practice();
    // A stand-in for the film's picture, taken away as the pool takes its
    // player away from the panel.
    auto* film = new QWidget(s->Panel_Video);
    film->setGeometry(s->Panel_Video->rect());
    film->setAutoFillBackground(true);
    QPalette red;
    red.setColor(QPalette::Window, QColor(200, 30, 30));
    film->setPalette(red);
    film->show();
    media.onDetach = [film] { delete film; };
    Click(s->EButton_Back);
    ASSERT_NE(s->Image_Still, nullptr);
    EXPECT_FALSE(s->Image_Still->isHidden());
    const QImage shown = s->Panel_Video->grab().toImage();
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(200, 30, 30));
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
}
