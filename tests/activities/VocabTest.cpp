// The vocabulary activity: its drawing (rounds, wrong pictures), the
// horizontal light bar, and the practice and test screens on the fixture
// disc through the real main window. The word's sound goes to a fake that
// reports its end posted, when the test says the sound ended, and reports
// a cut-off sound when the sounds are closed, as the clip pool does.
#include <gtest/gtest.h>

#include <QDir>

#include <set>

#include "ActivityFixture.h"
#include "activities/LightBar.h"
#include "activities/Vocab.h"
#include "activities/VocabWords.h"
#include "components/ZrButton.h"
#include "content/DictionaryWords.h"
#include "components/HelpOverlay.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"

using namespace tav;
using namespace tavtest;

TEST(VocabWords, ARoundAsksEveryWordOnceAndTheNextRoundStartsAfresh) {
    SetRandSeed(7);
    const std::string all = AllEntryNumbers(30);
    EXPECT_EQ(all.substr(0, 12), "000000010002");
    std::string bag = all;
    std::set<int> asked;
    for (int n = 0; n < 30; ++n) asked.insert(DrawVocabQuestion(bag, all, 1 + n % 6).Word);
    EXPECT_EQ(asked.size(), 30u);
    EXPECT_TRUE(bag.empty());
    DrawVocabQuestion(bag, all, 3); // question 31: a new round
    EXPECT_EQ(bag.size(), 29u * 4);
}

TEST(VocabWords, WrongPicturesAreFiveDifferentEntriesNeverTheAnswer) {
    SetRandSeed(3);
    for (int count : {6, 7, 40}) {
        const std::string all = AllEntryNumbers(count);
        std::string bag = all;
        for (int n = 0; n < 200; ++n) {
            const int slot = 1 + n % 6;
            const TVocabQuestion q = DrawVocabQuestion(bag, all, slot);
            std::set<int> shown;
            for (int s = 1; s <= kVocabChoices; ++s) {
                shown.insert(q.Entries[size_t(s)]);
                EXPECT_LT(q.Entries[size_t(s)], count);
                if (s != slot) EXPECT_NE(q.Entries[size_t(s)], q.Word);
            }
            EXPECT_EQ(q.Entries[size_t(slot)], q.Word);
            EXPECT_EQ(shown.size(), 6u) << "count " << count;
        }
    }
}

TEST(VocabWords, HorizontalLightBarWidths) {
    EXPECT_LE(LightsOnWidth(0), 0);
    EXPECT_LE(LightsOnWidth(4), 0);
    EXPECT_EQ(LightsOnWidth(5), 7);
    EXPECT_EQ(LightsOnWidth(50), 106);
    EXPECT_EQ(LightsOnWidth(99), 205);
    EXPECT_EQ(LightsOnWidth(100), 219);
    EXPECT_EQ(HorizontalLightBar().size(), QSize(219, 27));
}

namespace {

// Word sounds end when the test says so; closing the sounds cuts the
// pending one off. Both reports are posted, as the clip pool posts them.
struct VocabMedia : FakeMedia {
    QPointer<QObject> word;
    void PlayNotifiedSound(const std::string& path, QObject* notify) override {
        CutOff();
        PlaySound(path, false);
        word = notify;
    }
    void CloseSounds() override { CutOff(); }
    void CutOff() {
        if (word) PostMessage(word, MM_MCINOTIFY, MCI_NOTIFY_ABORTED, 0);
        word = nullptr;
    }
    void WordEnds() {
        QObject* to = word;
        word = nullptr;
        if (to) PostMessage(to, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
        QCoreApplication::processEvents();
    }
};

class VocabScreens : public ActivityScreensFixture {
protected:
    VocabMedia words;
    void SetUp() override {
        ActivityScreensFixture::SetUp();
        if (IsSkipped()) return;
        SetActivityMedia(&words);
        RegisterScreen(stVocabPrac, [](TForm_Main& m, QWidget* p) { return new TForm_VocabPrac(m, p); });
        RegisterScreen(stVocabTest, [](TForm_Main& m, QWidget* p) { return new TForm_VocabTest(m, p); });
    }
    template <class T>
    T* Open(int state) {
        main->PostStateChange(state, 1);
        EXPECT_TRUE(WaitUntil([&] { return dynamic_cast<T*>(main->CurrentScreen()) != nullptr; }));
        auto* s = dynamic_cast<T*>(main->CurrentScreen());
        EXPECT_TRUE(WaitUntil([&] { return s && (s->CurrentWord >= 0 || s->NoQuestion); }));
        TTimer::SetManualTimers(true);
        return s;
    }
    static int WrongSlot(TForm_Vocab* s) {
        for (int k = 1; k <= kVocabChoices; ++k)
            if (k != s->CorrectSlot && s->Images[k]->isVisibleTo(s)) return k;
        return 0;
    }
    static void Advance(int ms) {
        TTimer::AdvanceTimers(ms);
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(VocabScreens, PracticeCountsAttemptsReplaysTheWordAndRecordsThePercentage) {
    Start("[Defaults]\r\nRecords=0\r\nFast=1\r\nCheat=1\r\n");
    std::vector<std::string> log;
    SetDebugSink([&](const std::string& line) { log.push_back(line); });
    auto* s = Open<TForm_VocabPrac>(stVocabPrac);
    ASSERT_FALSE(s->NoQuestion);
    const int first = s->CurrentWord;
    EXPECT_EQ(s->fcLabel_Caption->Caption(), s->Captions[size_t(first)]);
    EXPECT_EQ(words.sounds.back(), "Dict" + std::to_string(first + 1) + ".aif");
    EXPECT_FALSE(s->Image_LightsOn->isVisible()); // 0 %

    const int wrong = WrongSlot(s);
    words.sounds.clear();
    Click(s->Images[wrong]);
    EXPECT_FALSE(s->Images[wrong]->isVisibleTo(s));
    EXPECT_EQ(words.sounds.back(), "Dict" + std::to_string(first + 1) + ".aif"); // said again
    EXPECT_EQ(s->Percent, 0);
    EXPECT_FALSE(s->Image_LightsOn->isVisibleTo(s));

    Click(s->fcLabel_Caption); // the caption says it again
    EXPECT_EQ(words.sounds.back(), "Dict" + std::to_string(first + 1) + ".aif");
    Click(s->Images[s->CorrectSlot]);
    EXPECT_EQ(s->Attempts, 2);
    EXPECT_EQ(s->Percent, 50);
    EXPECT_EQ(s->Image_LightsOn->width(), 106);
    EXPECT_NE(s->CurrentWord, first); // the next question came at once
    for (int k = 1; k <= kVocabChoices; ++k) EXPECT_TRUE(s->Images[k]->isVisibleTo(s));
    EXPECT_NE(std::find(log.begin(), log.end(), std::to_string(s->CorrectSlot)), log.end());

    Click(s->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(main->Percents[1], 50);
}

TEST_F(VocabScreens, TheClockStartsWhenTheWordEndsAndRunsThroughTheReplay) {
    Start();
    auto* s = Open<TForm_VocabTest>(stVocabTest);
    ASSERT_FALSE(s->NoQuestion);
    EXPECT_EQ(s->QuestionNumber, 1);
    Advance(300);
    EXPECT_FALSE(s->ClockStarted);
    EXPECT_EQ(s->TimeLeft, 5000);
    words.WordEnds();
    ASSERT_TRUE(s->ClockStarted);
    Advance(1000);
    EXPECT_LE(s->TimeLeft, 4000);
    const int before = s->TimeLeft;
    Click(s->Images[WrongSlot(s)]); // the word is said again; the clock runs on
    EXPECT_TRUE(s->Timer_LED.Enabled());
    words.WordEnds();
    Advance(1000);
    EXPECT_LT(s->TimeLeft, before);
    EXPECT_EQ(s->Score, 0);

    // A right answer: the cut-off word of question 1 does not start question 2's clock.
    Click(s->Images[s->CorrectSlot]);
    EXPECT_EQ(s->QuestionNumber, 2);
    EXPECT_EQ(s->Score, 5);
    QCoreApplication::processEvents();
    Advance(200);
    EXPECT_FALSE(s->ClockStarted);
    EXPECT_EQ(s->TimeLeft, 5000);
}

TEST_F(VocabScreens, HelpPausesTheClockAndATimeOutWaitsForAClick) {
    Start();
    auto* s = Open<TForm_VocabTest>(stVocabTest);
    words.WordEnds();
    Advance(1000);
    s->Help->ShowHelp();
    QCoreApplication::processEvents();
    const int paused = s->TimeLeft;
    Advance(3000);
    EXPECT_EQ(s->TimeLeft, paused);
    s->Help->HideHelp();
    QCoreApplication::processEvents();
    Advance(5000);
    EXPECT_TRUE(s->SorryShown);
    EXPECT_TRUE(words.Played("boo.aif"));
    QTest::qWait(400); // clicks during the help's cross-fade are dropped
    Click(s->Images[s->CorrectSlot]); // the click only takes the picture away
    ASSERT_TRUE(WaitUntil([&] { return !s->SorryShown; }));
    EXPECT_EQ(s->QuestionNumber, 2);
    EXPECT_EQ(s->Score, 0);
}

TEST_F(VocabScreens, TwentyQuestionsEndWithTheScoreInSlotOne) {
    Start();
    auto* s = Open<TForm_VocabTest>(stVocabTest);
    for (int q = 1; q <= 20; ++q) {
        words.WordEnds();
        if (q == 2) Click(s->Images[WrongSlot(s)]); // 5 - 2
        Click(s->Images[s->CorrectSlot]);
    }
    EXPECT_TRUE(s->Finishing);
    Click(s->Images[1]); // ignored once the test is over
    EXPECT_EQ(s->Score, 98);
    EXPECT_TRUE(s->Panel_Spinner->isVisibleTo(s));
    for (int n = 0; n < 12; ++n) Advance(100);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(main->Scores[1], 98);
}

TEST_F(VocabScreens, TooFewWordsSayWhyAndBackLeaves) {
    Start();
    TempFolder target;
    WriteFile(target.File("DicWords.txt"), "un\r\n\r\ndeux\rtrois\n   \n");
    EXPECT_EQ(LoadDictionaryWords(target.File("DicWords.txt")).size(), 4u);
    main->TargetFolder = target.Path();
    for (int state : {int(stVocabPrac), int(stVocabTest)}) {
        TForm_Vocab* s = state == stVocabPrac ? static_cast<TForm_Vocab*>(Open<TForm_VocabPrac>(state))
                                              : Open<TForm_VocabTest>(state);
        ASSERT_TRUE(s->NoQuestion);
        EXPECT_EQ(s->fcLabel_Caption->Caption(), TForm_Vocab::kFewWordsText);
        for (int k = 1; k <= kVocabChoices; ++k) EXPECT_FALSE(s->Images[k]->isVisibleTo(s));
        TTimer::SetManualTimers(false);
        Click(s->EButton_Back);
        ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    }
}
