// Steps that wait or start plays let queued messages run; these tests put
// something in the queue at those moments (a key no tile carries, a drop
// beside the slots, a stop report that comes late, a click queued while the
// next question is built, Back after an answer) and check that the screens
// go on soundly: the test clock runs when the learner may answer, the film
// stops when a test is left, and a question that cannot be built leaves the
// screen as it was.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include "ActivityFixture.h"
#include "activities/Missing.h"
#include "activities/Spelling.h"
#include "content/UnicodeText.h"
#include "activities/SpellingTiles.h"
#include "activities/Vocab.h"
#include "app/ScreenRegistry.h"
#include "platform/Paths.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/Timer.h"

using namespace tav;
using namespace tavtest;

namespace {

// Sounds that end at once: what a stopped line reports comes only after
// the feedback, when the event loop runs again.
struct QuickSounds : FakeMedia {
    void PlaySound(const std::string& path, bool) override { FakeMedia::PlaySound(path, false); }
};

class SpellingReentry : public ActivityScreensFixture {
protected:
    QuickSounds quick;
    void SetUp() override {
        ActivityScreensFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        RegisterScreen(stSpellingPrac, [](TForm_Main& m, QWidget* p) { return new TForm_SpellingPrac(m, p); });
        RegisterScreen(stSpellingTest, [](TForm_Main& m, QWidget* p) { return new TForm_SpellingTest(m, p); });
    }
    static int TileWith(TForm_Spelling* s, const std::string& c) {
        for (int t = 1; t <= kSpellTiles; ++t)
            if (!s->Tiles[size_t(t)]->isHidden() && s->TileLetters[size_t(t)] == c) return t;
        return 0;
    }
    static int TileWithout(TForm_Spelling* s, const std::string& c) {
        for (int t = 1; t <= kSpellTiles; ++t)
            if (!s->Tiles[size_t(t)]->isHidden() && s->TileLetters[size_t(t)] != c) return t;
        return 0;
    }
    static void TypeAll(TForm_Spelling* s) {
        const std::string word = s->Word;
        for (const std::string& c : Graphemes(word)) s->KeyPressed(c);
    }
    // A key that no tile carries.
    static std::string KeyOnNoTile(TForm_Spelling* s) {
        for (const std::string c : {"7", "#", "Z", "Q", "X", "W"}) {
            bool carried = false;
            for (int t = 1; t <= kSpellTiles; ++t) carried = carried || s->TileLetters[size_t(t)] == c;
            if (!carried) return c;
        }
        return "7";
    }
    static void Drag(TForm_Spelling* s, int tile, QPoint to) {
        TImage* t = s->Tiles[size_t(tile)];
        QTest::mousePress(t, Qt::LeftButton, {}, QPoint(20, 40));
        QTest::mouseMove(s->Panel_Bottom, to);
        QTest::mouseRelease(s->Panel_Bottom, Qt::LeftButton, {}, to);
    }
    // The clock counts down from here.
    static void ExpectClockRuns(TForm_Spelling* s, const char* what) {
        EXPECT_TRUE(s->Timer_LED.Enabled()) << what;
        const int before = s->TimeLeft;
        TTimer::AdvanceTimers(1000);
        EXPECT_LT(s->TimeLeft, before) << what;
    }
};

} // namespace

TEST_F(SpellingReentry, KeysOnNoTileAndDropsBesideTheSlotsWhileTheLinePlaysLeaveTheClockToStart) {
    Start();
    // A digit and a sign typed while the line plays.
    auto* s = Go<TForm_SpellingTest>(stSpellingTest);
    ASSERT_FALSE(s->NoQuestion);
    s->KeyPressed("7");
    s->KeyPressed("#");
    s->KeyPressed(KeyOnNoTile(s));
    EXPECT_FALSE(s->Timer_LED.Enabled()); // the line still plays
    LineEnds(s);
    ExpectClockRuns(s, "after keys on no tile");
    EXPECT_EQ(s->Score, 0);

    // The next word: a tile dropped beside the slots while its line plays.
    TypeAll(s);
    Deliver(s);
    ASSERT_EQ(s->QuestionNumber, 2);
    ASSERT_TRUE(s->QuestionActive);
    Drag(s, TileWith(s, Graphemes(s->Word)[0]), QPoint(20, 240));
    EXPECT_FALSE(s->Timer_LED.Enabled());
    LineEnds(s);
    ExpectClockRuns(s, "after a drop beside the slots");
}

TEST_F(SpellingReentry, AStopReportThatComesAfterTheFeedbackStillLetsTheClockRun) {
    Start();
    SetActivityMedia(&quick);
    auto* s = Go<TForm_SpellingTest>(stSpellingTest);
    ASSERT_FALSE(s->NoQuestion);
    // A wrong letter while the line plays: the line stops, its report comes later.
    const std::string wrong = s->TileLetters[size_t(TileWithout(s, Graphemes(s->Word)[0]))];
    s->KeyPressed(wrong);
    Deliver(s);
    ExpectClockRuns(s, "after a wrong letter");
    // A right letter on the next word while its line plays.
    s->KeyPressed(Graphemes(s->Word)[0]);
    for (size_t i = 1; i < Graphemes(s->Word).size(); ++i) s->KeyPressed(Graphemes(s->Word)[i]);
    Deliver(s);
    ASSERT_EQ(s->QuestionNumber, 2);
    s->KeyPressed(Graphemes(s->Word)[0]);
    Deliver(s);
    ExpectClockRuns(s, "after a right letter");
    // A wrong drop on the same word.
    const int score = s->Score;
    Drag(s, TileWithout(s, Graphemes(s->Word)[1]), s->Slots[2]->geometry().center());
    Deliver(s);
    EXPECT_EQ(s->Score, score >= 5 ? score - 1 : 0);
    ExpectClockRuns(s, "after a wrong drop");
}

TEST_F(SpellingReentry, BackAfterAnAnswerStopsTheFilmBeforeTheSpinner) {
    Start();
    main->Scores[4] = 17;
    auto* s = Go<TForm_SpellingTest>(stSpellingTest);
    ASSERT_FALSE(s->NoQuestion);
    LineEnds(s);
    s->KeyPressed(Graphemes(s->Word)[0]);
    // The line again (Play), then Back while it plays.
    s->EButton_PlayClick();
    ASSERT_TRUE(media.playing);
    media.calls.clear();
    s->EButton_BackClick();
    EXPECT_EQ(main->Scores[4], 1);
    ASSERT_FALSE(media.calls.empty());
    EXPECT_EQ(media.calls.front(), "detach"); // before the spinner turns
    EXPECT_FALSE(s->Image_Spinner->isHidden());
    TTimer::AdvanceTimers(1000);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
}

TEST_F(SpellingReentry, AKeyQueuedWhileTheNextWordIsBuiltIsNotTypedIntoIt) {
    Start();
    auto* s = Go<TForm_SpellingPrac>(stSpellingPrac);
    ASSERT_FALSE(s->NoQuestion);
    // Queued on the main window: it reaches the screen as a typed letter.
    for (char c : std::string("abcdefghijklmnopqrstuvwxyz"))
        QCoreApplication::postEvent(main.get(), new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c))));
    s->NextQuestion();
    EXPECT_EQ(s->Attempts, 0);
    EXPECT_EQ(s->RemainingWord, Graphemes(s->Word));
    QCoreApplication::processEvents();
    EXPECT_EQ(s->Attempts, 0); // dropped with the input queued before the line
    EXPECT_EQ(s->RemainingWord, Graphemes(s->Word));
}

namespace {

class MissingReentry : public ActivityScreensFixture {
protected:
    void SetUp() override {
        ActivityScreensFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        RegisterScreen(stMissingPrac, [](TForm_Main& m, QWidget* p) { return new TForm_MissingPrac(m, p); });
        RegisterScreen(stMissingTest, [](TForm_Main& m, QWidget* p) { return new TForm_MissingTest(m, p); });
    }
    static int WrongSlot(TForm_Missing* s) {
        for (int k = 1; k <= TForm_Missing::kChoices; ++k)
            if (k != s->CorrectSlot && !s->Labels[k]->isHidden()) return k;
        return 0;
    }
};

} // namespace

TEST_F(MissingReentry, AClickQueuedWhileTheNextQuestionIsBuiltDoesNotAnswerIt) {
    Start();
    auto* s = Go<TForm_MissingPrac>(stMissingPrac);
    ASSERT_FALSE(s->NoQuestion);
    // Clicks queued on every plaque, as if made while the last answer's feedback played.
    for (int k = 1; k <= TForm_Missing::kChoices; ++k) {
        TImage* plaque = s->Images[size_t(k)];
        const QPointF at(plaque->width() / 2.0, plaque->height() / 2.0);
        const QPointF global = plaque->mapToGlobal(at);
        QCoreApplication::postEvent(plaque, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                            Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(plaque, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                            Qt::NoButton, Qt::NoModifier));
    }
    s->Timer_NextQuestionTimer();
    EXPECT_EQ(s->Attempts, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(s->Attempts, 0);
    for (int k = 1; k <= TForm_Missing::kChoices; ++k) EXPECT_FALSE(s->Images[size_t(k)]->isHidden()) << k;
}

TEST_F(MissingReentry, TheHelpPictureHiddenAfterBackDoesNotStartTheClockUnderTheSpinner) {
    Start();
    main->Scores[2] = 17;
    auto* s = Go<TForm_MissingTest>(stMissingTest);
    ASSERT_FALSE(s->NoQuestion);
    LineEnds(s);
    s->Image1Click(WrongSlot(s));
    ASSERT_TRUE(s->Timer_LED.Enabled());
    s->Help->ShowHelp(); // the clock pauses
    EXPECT_FALSE(s->Timer_LED.Enabled());
    s->EButton_BackClick(); // the test ends with its points
    EXPECT_TRUE(s->Finishing);
    s->Help->HideHelp();
    EXPECT_FALSE(s->Timer_LED.Enabled());
    TTimer::AdvanceTimers(500);
    EXPECT_FALSE(s->SorryShown);
    TTimer::AdvanceTimers(1000);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(main->Scores[2], 0);
}

namespace {

class VocabReentry : public ActivityScreensFixture {
protected:
    QTemporaryDir target;
    void SetUp() override {
        ActivityScreensFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        RegisterScreen(stVocabPrac, [](TForm_Main& m, QWidget* p) { return new TForm_VocabPrac(m, p); });
    }
    // A copy of the target's dictionary pictures and sounds without entry 1's picture.
    std::string TargetWithoutFirstPicture() {
        for (const char* folder : {"DictPic", "DictSnd"}) {
            const QDir from(QString::fromStdString(NativePath(main->TargetFolder + "\\" + folder)));
            QDir(target.path()).mkpath(folder);
            for (const QString& name : from.entryList(QDir::Files))
                QFile::copy(from.filePath(name), target.path() + "/" + folder + "/" + name);
        }
        for (const QString& name : QDir(target.path() + "/DictPic").entryList(QDir::Files))
            if (name.compare("Dict1.jpg", Qt::CaseInsensitive) == 0) QFile::remove(target.path() + "/DictPic/" + name);
        InvalidatePathCache();
        return target.path().toStdString();
    }
};

} // namespace

TEST_F(VocabReentry, AMissingPictureLeavesTheQuestionAsItWasAndNamesTheFile) {
    Start();
    main->PostStateChange(stVocabPrac, 1);
    ASSERT_TRUE(WaitUntil([&] { return dynamic_cast<TForm_VocabPrac*>(main->CurrentScreen()) != nullptr; }));
    auto* s = dynamic_cast<TForm_VocabPrac*>(main->CurrentScreen());
    ASSERT_TRUE(WaitUntil([&] { return s->CurrentWord >= 0 || s->NoQuestion; }));
    TTimer::SetManualTimers(true);
    ASSERT_FALSE(s->NoQuestion);
    ASSERT_TRUE(target.isValid());
    main->TargetFolder = TargetWithoutFirstPicture();
    int failures = 0;
    for (int round = 0; round < 200 && failures < 3; ++round) {
        const int slot = s->CorrectSlot, word = s->CurrentWord;
        const std::string caption = s->fcLabel_Caption->Caption(), sound = s->WordSound, bag = s->NumberBag;
        std::vector<QImage> pictures;
        for (int k = 1; k <= kVocabChoices; ++k) pictures.push_back(s->Images[size_t(k)]->Picture());
        try {
            s->NextQuestion();
            continue;
        } catch (const std::exception& e) {
            ++failures;
            EXPECT_NE(std::string(e.what()).find("Dict1.jpg"), std::string::npos) << e.what();
        }
        EXPECT_EQ(s->CorrectSlot, slot);
        EXPECT_EQ(s->CurrentWord, word);
        EXPECT_EQ(s->fcLabel_Caption->Caption(), caption);
        EXPECT_EQ(s->WordSound, sound);
        EXPECT_EQ(s->NumberBag, bag); // the word was not used up
        for (int k = 1; k <= kVocabChoices; ++k)
            EXPECT_TRUE(s->Images[size_t(k)]->Picture() == pictures[size_t(k - 1)]) << "picture " << k;
    }
    EXPECT_GT(failures, 0) << "the missing picture was never drawn";
}
