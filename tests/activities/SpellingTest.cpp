// The spelling activity: the spelling table, the gap of question marks and
// the dealing of tiles alone; then the practice and test screens on the
// fixture disc through the real main window, with tiles dragged by mouse
// events and letters typed, the test's points and clock, the end of a
// test in result slot 4, and Back while a finished word's line replays.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPointer>
#include <QTest>

#include <map>

#include "../TestSupport.h"
#include "ActivityFixture.h"
#include "activities/MissingWords.h"
#include "activities/Spelling.h"
#include "content/UnicodeText.h"
#include "activities/SpellingTiles.h"
#include "content/OurUtils.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/Timer.h"
#include "components/ZrButton.h"

using namespace tav;
using namespace tavtest;

namespace {

const std::string kAlphabet = "abcdefghijklmnopqrstuvwxyz\xC3\xA9\xC3\xA8";

std::function<int(int)> Always(int pick) {
    return [=](int) { return pick; };
}

} // namespace

// ---- the text side -------------------------------------------------------------------

TEST(SpellingGap, OnlySpellableWordsAreHiddenBehindOneMarkPerLetter) {
    EXPECT_TRUE(IsSpellableWord("letter", kAlphabet));
    EXPECT_FALSE(IsSpellableWord("let", kAlphabet));        // too short
    EXPECT_FALSE(IsSpellableWord("abcdefghij", kAlphabet)); // too long
    EXPECT_FALSE(IsSpellableWord("Letter", kAlphabet));     // the tiles are lower case
    EXPECT_FALSE(IsSpellableWord("don't", kAlphabet));
    EXPECT_TRUE(IsSpellableWord("\xC3\xA9t\xC3\xA9s", kAlphabet));

    std::string line = "Where is my little dog?";
    EXPECT_EQ(MakeSpellingGap(line, kAlphabet, Always(0)), "where"); // put in lower case first
    EXPECT_EQ(line, "????? is my little dog?");
    line = "I don't know, Biscuit!";
    // "don't" is no candidate, so the draw is between know and biscuit.
    EXPECT_EQ(MakeSpellingGap(line, kAlphabet, Always(1)), "biscuit");
    EXPECT_EQ(line, "I don't know, ???????!");
    line = "Impossibilities, yes.";
    EXPECT_EQ(MakeSpellingGap(line, kAlphabet, Always(0)), "");
    EXPECT_EQ(line, "Impossibilities, yes.");
}

TEST(SpellingTiles, LetterGivesTwoTAndTwoEAndElevenOthersDistinct) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SetRandSeed(seed);
        const auto tiles = DealTiles("letter", kAlphabet);
        std::map<std::string, int> count;
        for (const std::string& c : tiles) ++count[c];
        EXPECT_EQ(count["t"], 2);
        EXPECT_EQ(count["e"], 2);
        EXPECT_EQ(count["l"], 1);
        EXPECT_EQ(count["r"], 1);
        int others = 0;
        for (auto [c, n] : count) {
            if (c == "t" || c == "e" || c == "l" || c == "r") continue;
            EXPECT_EQ(n, 1) << c;
            EXPECT_NE(kAlphabet.find(c), std::string::npos) << c;
            ++others;
        }
        EXPECT_EQ(others, 11);
    }
    // The word's letters land on different places from one deal to another.
    std::set<int> placesOfL;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SetRandSeed(seed);
        const auto tiles = DealTiles("letter", kAlphabet);
        placesOfL.insert(int(std::find(tiles.begin(), tiles.end(), "l") - tiles.begin()));
    }
    EXPECT_GT(placesOfL.size(), 5u);
}

// ---- the screens -----------------------------------------------------------------------

namespace {

// Media whose waiting film play can stand for what the learner does while
// the finished word's line replays.
struct ReplayMedia : FakeMedia {
    std::function<void()> duringWaitingFilm;
    std::vector<std::string> waitedFilms;
    void PlayFilm(int from, int to, bool wait, QObject* notify) override {
        if (wait) waitedFilms.push_back(std::to_string(from) + "-" + std::to_string(to));
        if (wait && duringWaitingFilm) duringWaitingFilm();
        FakeMedia::PlayFilm(from, to, wait, notify);
    }
};

class SpellingScreens : public ActivityScreensFixture {
protected:
    ReplayMedia replay;
    void SetUp() override {
        ActivityScreensFixture::SetUp();
        if (IsSkipped()) return;
        SetActivityMedia(&replay);
        RegisterScreen(stSpellingPrac, [](TForm_Main& m, QWidget* p) { return new TForm_SpellingPrac(m, p); });
        RegisterScreen(stSpellingTest, [](TForm_Main& m, QWidget* p) { return new TForm_SpellingTest(m, p); });
    }
    // The line has finished playing.
    void LineEnds(QObject* s) {
        replay.EndFilm();
        Deliver(s);
    }
    TForm_SpellingPrac* Practice() { return Go<TForm_SpellingPrac>(stSpellingPrac); }
    TForm_SpellingTest* Test() { return Go<TForm_SpellingTest>(stSpellingTest); }

    // The first visible tile carrying c, 0 = none.
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
    static QPoint SlotCentre(TForm_Spelling* s, int slot) { return s->Slots[size_t(slot)]->geometry().center(); }
    // Presses on the tile, moves the pointer in steps and releases it at
    // `to` (Panel_Bottom coordinates): the real mouse path of a drag.
    static void DragTile(TForm_Spelling* s, int tile, QPoint to, QPoint grab = {20, 40}) {
        TImage* t = s->Tiles[size_t(tile)];
        QTest::mousePress(t, Qt::LeftButton, {}, grab);
        const QPoint from = t->pos() + grab;
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(s->Panel_Bottom, from + (to - from) * step / 4);
        QTest::mouseRelease(s->Panel_Bottom, Qt::LeftButton, {}, to);
    }
    static void Type(TForm_Spelling* s, const std::string& c) { s->KeyPressed(c); }
    static void TypeWord(TForm_Spelling* s) {
        const TStringList word = Graphemes(s->Word);
        for (const std::string& c : word) Type(s, c);
    }
    int Films() const { return replay.films; }
};

} // namespace

TEST_F(SpellingScreens, AWordIsAskedWithItsSlotsTilesAndLine) {
    Start();
    TForm_SpellingPrac* s = Practice();
    ASSERT_NE(s, nullptr);
    ASSERT_FALSE(s->NoQuestion) << s->fcLabel_Caption->Caption();
    const std::string caption = s->fcLabel_Caption->Caption();
    EXPECT_NE(caption.find(std::string(Graphemes(s->Word).size(), '?')), std::string::npos) << caption;
    EXPECT_TRUE(IsSpellableWord(s->Word, s->SpellLetters));
    EXPECT_EQ(replay.calls.back(),
              "film " + std::to_string(s->CurrentLine->StartFrame) + "-" + std::to_string(s->CurrentLine->EndFrame));
    // The play reports to the screen (through its play's own notify object).
    ASSERT_NE(replay.lastNotify, nullptr);
    EXPECT_EQ(replay.lastNotify->parent(), s);
    // The tray is centred, the word's slots on it, the others hidden.
    EXPECT_FALSE(s->Image_Holder->isHidden());
    EXPECT_EQ(s->Image_Holder->x(), (800 - s->Image_Holder->width()) / 2);
    for (int i = 1; i <= kSpellMaxLetters; ++i) {
        EXPECT_EQ(s->Slots[size_t(i)]->isHidden(), i > s->WordLength);
        if (i <= s->WordLength) EXPECT_EQ(s->Slots[size_t(i)]->x(), s->Image_Holder->x() + 51 + 52 * (i - 1));
    }
    // Every letter of the word on a tile of its own.
    std::map<std::string, int> onTiles, inWord;
    for (int t = 1; t <= kSpellTiles; ++t) {
        EXPECT_FALSE(s->Tiles[size_t(t)]->isHidden());
        ++onTiles[s->TileLetters[size_t(t)]];
    }
    for (const std::string& c : Graphemes(s->Word)) ++inWord[c];
    for (auto [c, n] : inWord) EXPECT_GE(onTiles[c], n) << c;
    // Back is not covered by the tile area.
    const QPoint back = s->EButton_Back->mapTo(s, s->EButton_Back->rect().center());
    EXPECT_EQ(s->childAt(back), s->EButton_Back);
}

TEST_F(SpellingScreens, DraggedTilesGoIntoTheirSlotsInAnyOrderAndTheWordCompletes) {
    Start();
    TForm_SpellingPrac* s = Practice();
    ASSERT_FALSE(s->NoQuestion);
    const TStringList word = Graphemes(s->Word);
    const TMovieEntry* line = s->CurrentLine;
    const int films = Films();
    // The last letter first, then the rest from the right.
    for (int i = s->WordLength; i >= 1; --i) {
        const int t = TileWith(s, word[size_t(i - 1)]);
        ASSERT_NE(t, 0);
        DragTile(s, t, SlotCentre(s, i));
        EXPECT_TRUE(s->Tiles[size_t(t)]->isHidden()); // used up
        EXPECT_TRUE(s->Image_Drag->isHidden());
        EXPECT_EQ(s->RemainingWord[size_t(i - 1)], "");
    }
    EXPECT_EQ(s->Attempts, int(word.size()));
    EXPECT_EQ(s->fcLabel_Score->Caption(), "100");
    EXPECT_FALSE(s->QuestionActive);
    EXPECT_TRUE(replay.Played("applause2.aif"));
    // WordCompleted: the whole line plays again, waited for, then the next word.
    QCoreApplication::sendPostedEvents(s);
    EXPECT_EQ(Films(), films + 2);
    EXPECT_EQ(replay.waitedFilms,
              std::vector<std::string>{std::to_string(line->StartFrame) + "-" + std::to_string(line->EndFrame)});
    EXPECT_TRUE(s->QuestionActive);
    EXPECT_NE(s->CurrentLine, nullptr);
}

TEST_F(SpellingScreens, TheFloatingTileFollowsThePointerWithItsGrabPoint) {
    Start();
    TForm_SpellingPrac* s = Practice();
    ASSERT_FALSE(s->NoQuestion);
    const int t = TileWithout(s, Graphemes(s->Word)[0]);
    const QPoint home = s->Tiles[size_t(t)]->pos();
    QTest::mousePress(s->Tiles[size_t(t)], Qt::LeftButton, {}, QPoint(10, 12));
    EXPECT_TRUE(s->Tiles[size_t(t)]->isHidden());
    EXPECT_FALSE(s->Image_Drag->isHidden());
    EXPECT_EQ(s->Image_Drag->pos(), home);
    QTest::mouseMove(s->Panel_Bottom, QPoint(300, 40));
    EXPECT_EQ(s->Image_Drag->pos(), QPoint(290, 28));
    // Moves beyond the tile area still reach the drag.
    QTest::mouseMove(s->Panel_Background, QPoint(100, 100));
    EXPECT_EQ(s->Image_Drag->pos(), QPoint(90, 100 - 340 - 12));
    // A drop beside the slots: back to its place, no sound, nothing counted.
    QTest::mouseRelease(s->Panel_Bottom, Qt::LeftButton, {}, QPoint(20, 240));
    EXPECT_FALSE(s->Tiles[size_t(t)]->isHidden());
    EXPECT_EQ(s->Tiles[size_t(t)]->pos(), home);
    EXPECT_TRUE(s->Image_Drag->isHidden());
    EXPECT_EQ(s->Attempts, 0);
    EXPECT_TRUE(replay.sounds.empty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(SpellingScreens, EscapePutsTheDraggedTileBackAndKeysWaitForTheDrop) {
    Start();
    TForm_SpellingPrac* s = Practice();
    ASSERT_FALSE(s->NoQuestion);
    const int t = TileWith(s, Graphemes(s->Word)[0]);
    QTest::mousePress(s->Tiles[size_t(t)], Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseMove(s->Panel_Bottom, SlotCentre(s, 1));
    Type(s, Graphemes(s->Word)[0]); // typing while a tile is held places nothing
    EXPECT_EQ(s->RemainingWord, Graphemes(s->Word));
    Type(s, "\x1b");
    EXPECT_FALSE(s->Tiles[size_t(t)]->isHidden());
    EXPECT_TRUE(s->Image_Drag->isHidden());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // The release that follows is an ordinary one: no drop.
    QTest::mouseRelease(s->Panel_Bottom, Qt::LeftButton, {}, SlotCentre(s, 1));
    EXPECT_EQ(s->Attempts, 0);
    EXPECT_EQ(s->RemainingWord, Graphemes(s->Word));
}

TEST_F(SpellingScreens, AWrongTileOrAFilledSlotIsAWrongAttempt) {
    Start();
    TForm_SpellingPrac* s = Practice();
    ASSERT_FALSE(s->NoQuestion);
    const int wrong = TileWithout(s, Graphemes(s->Word)[0]);
    DragTile(s, wrong, SlotCentre(s, 1));
    EXPECT_FALSE(s->Tiles[size_t(wrong)]->isHidden()); // back in the tray
    EXPECT_EQ(s->Attempts, 1);
    EXPECT_EQ(s->RightAnswers, 0);
    EXPECT_EQ(s->RemainingWord, Graphemes(s->Word));
    ASSERT_EQ(replay.sounds.size(), 1u);
    EXPECT_EQ(replay.sounds[0].rfind("wrong", 0), 0u);
    // Slot 1 filled, then the same letter dropped on it again.
    const int right = TileWith(s, Graphemes(s->Word)[0]);
    DragTile(s, right, SlotCentre(s, 1));
    EXPECT_EQ(s->RightAnswers, 1);
    const int another = TileWithout(s, "");
    DragTile(s, another, SlotCentre(s, 1));
    EXPECT_EQ(s->Attempts, 3);
    EXPECT_EQ(s->RightAnswers, 1);
    EXPECT_FALSE(s->Tiles[size_t(another)]->isHidden());
    EXPECT_EQ(s->fcLabel_Score->Caption(), "33");
}

TEST_F(SpellingScreens, TypedLettersFillTheSlotsFromTheLeft) {
    Start();
    TForm_SpellingPrac* s = Practice();
    ASSERT_FALSE(s->NoQuestion);
    const TStringList word = Graphemes(s->Word);
    // An upper-case letter matches no tile: nothing at all.
    Type(s, UpperText(word[0]));
    EXPECT_EQ(s->Attempts, 0);
    EXPECT_TRUE(replay.sounds.empty());
    // The last letter first counts as wrong unless it is also the first.
    Type(s, word.back());
    EXPECT_EQ(s->Attempts, 1);
    EXPECT_EQ(s->RightAnswers, word.back() == word[0] ? 1 : 0);
    if (word.back() == word[0]) EXPECT_EQ(s->RemainingWord[0], "");
    else EXPECT_EQ(s->RemainingWord, word);
    // A key no visible tile carries counts nothing.
    Type(s, "#");
    EXPECT_EQ(s->Attempts, 1);
    for (size_t i = size_t(s->FirstOpenLetter()); i < word.size(); ++i) {
        Type(s, word[i]);
        EXPECT_EQ(TStringList(s->RemainingWord.begin(), s->RemainingWord.begin() + std::ptrdiff_t(i) + 1), TStringList(i + 1, ""));
    }
    EXPECT_EQ(s->LettersLeft, 0);
    EXPECT_FALSE(s->QuestionActive);
    EXPECT_TRUE(replay.Played("applause2.aif"));
}

TEST_F(SpellingScreens, TheHintPlacesTheNextLetterAndCountsAWrongAttempt) {
    Start();
    TForm_SpellingPrac* s = Practice();
    ASSERT_FALSE(s->NoQuestion);
    const TStringList word = Graphemes(s->Word);
    const int films = Films();
    for (size_t i = 0; i < word.size(); ++i) {
        s->EButton_HintClick();
        EXPECT_EQ(TStringList(s->RemainingWord.begin(), s->RemainingWord.begin() + std::ptrdiff_t(i) + 1), TStringList(i + 1, ""));
    }
    EXPECT_EQ(s->Attempts, int(word.size()));
    EXPECT_EQ(s->RightAnswers, 0);
    EXPECT_FALSE(replay.Played("applause2.aif"));
    EXPECT_EQ(std::count(replay.calls.begin(), replay.calls.end(), "stop"), 0); // the line plays on
    QCoreApplication::sendPostedEvents(s);
    EXPECT_EQ(Films(), films + 2); // the line again and the next word
    // Back records the practice percentage in slot 4.
    Click(s->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(main->Percents[4], 0);
}

TEST_F(SpellingScreens, BackWhileTheLineReplaysBuildsNoFurtherWord) {
    Start();
    QPointer<TForm_SpellingPrac> s = Practice();
    ASSERT_FALSE(s->NoQuestion);
    replay.duringWaitingFilm = [&] { s->EButton_BackClick(); };
    TypeWord(s);
    const int films = Films();
    QCoreApplication::sendPostedEvents(s);
    // The replay, and no new word after it, whether or not the screen is gone yet.
    EXPECT_EQ(Films(), films + 1);
    replay.duringWaitingFilm = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(Films(), films + 1);
    EXPECT_EQ(main->Percents[4], 100);
}

TEST_F(SpellingScreens, TestPointsPerLetterTenPerWordAndTheMinusOneRules) {
    Start();
    TForm_SpellingTest* s = Test();
    ASSERT_FALSE(s->NoQuestion);
    EXPECT_EQ(s->fcLabel_Count->Caption(), "1/10");
    const TStringList word = Graphemes(s->Word);
    LineEnds(s);
    EXPECT_TRUE(s->Timer_LED.Enabled());
    // A wrong drop at 3 falls to 0; at 6 to 5.
    s->ShowScore(3);
    DragTile(s, TileWithout(s, word[0]), SlotCentre(s, 1));
    EXPECT_EQ(s->Score, 0);
    EXPECT_TRUE(s->Timer_LED.Enabled()); // the clock runs on
    s->ShowScore(6);
    DragTile(s, TileWithout(s, word[0]), SlotCentre(s, 1));
    EXPECT_EQ(s->Score, 5);
    // A wrong key: minus one, never below 0.
    const std::string wrongKey = s->TileLetters[size_t(TileWithout(s, word[0]))];
    s->ShowScore(1);
    Type(s, wrongKey);
    EXPECT_EQ(s->Score, 0);
    Type(s, wrongKey);
    EXPECT_EQ(s->Score, 0);
    // A drop beside the slots is no answer.
    DragTile(s, TileWith(s, word[0]), QPoint(20, 240));
    EXPECT_EQ(s->Score, 0);
    EXPECT_TRUE(s->Timer_LED.Enabled());
    // Each letter one point; the finished word ten in all; the clock stops.
    for (size_t i = 0; i < word.size(); ++i) {
        DragTile(s, TileWith(s, word[i]), SlotCentre(s, int(i) + 1));
        if (i + 1 < word.size()) {
            EXPECT_EQ(s->Score, int(i) + 1);
            EXPECT_TRUE(s->Timer_LED.Enabled());
        }
    }
    EXPECT_EQ(s->Score, 10);
    EXPECT_FALSE(s->Timer_LED.Enabled());
    EXPECT_EQ(s->fcLabel_Score->Caption(), "10");
    QCoreApplication::sendPostedEvents(s);
    EXPECT_EQ(s->QuestionNumber, 2);
    EXPECT_EQ(s->fcLabel_Count->Caption(), "2/10");
}

TEST_F(SpellingScreens, TheClockGivesFiveSecondsALetterAndTheTimeOutAbandonsTheWord) {
    Start();
    TForm_SpellingTest* s = Test();
    ASSERT_FALSE(s->NoQuestion);
    for (int q = 1; q <= 4; ++q) {
        ASSERT_EQ(s->QuestionNumber, q);
        const int n = s->WordLength;
        // 5 letters show 25 00, 9 letters 45 00.
        EXPECT_EQ(s->TimeLeft, 5000 * n);
        EXPECT_EQ(s->Image_SecHi->Picture(), s->ImageList_LED[size_t(n * 5 / 10)].copy());
        EXPECT_EQ(s->Image_SecLo->Picture(), s->ImageList_LED[size_t(n * 5 % 10)].copy());
        EXPECT_EQ(s->Image_HunHi->Picture(), s->ImageList_LED[0].copy());
        LineEnds(s);
        const TStringList word = Graphemes(s->Word);
        Type(s, word[0]); // one letter placed keeps its point
        const int score = s->Score;
        TTimer::AdvanceTimers(5000 * n - 100);
        EXPECT_FALSE(s->SorryShown);
        TTimer::AdvanceTimers(200);
        ASSERT_TRUE(s->SorryShown);
        EXPECT_TRUE(replay.Played("boo.aif"));
        for (size_t i = 1; i < word.size(); ++i) Type(s, word[i]); // the word is abandoned
        EXPECT_EQ(s->Score, score);
        QTest::mouseClick(s->Image_Bottom, Qt::LeftButton); // only takes the picture away
        QCoreApplication::processEvents();
        EXPECT_FALSE(s->SorryShown);
        EXPECT_EQ(s->Score, score);
    }
    EXPECT_EQ(s->QuestionNumber, 5);
}

TEST_F(SpellingScreens, TenTypedWordsScoreAHundredInSlotFour) {
    Start();
    main->Scores[4] = 17;
    TForm_SpellingTest* s = Test();
    ASSERT_FALSE(s->NoQuestion);
    for (int q = 1; q <= 10; ++q) {
        ASSERT_EQ(s->QuestionNumber, q);
        LineEnds(s);
        TypeWord(s);
        QCoreApplication::sendPostedEvents(s);
    }
    EXPECT_EQ(s->fcLabel_Count->Caption(), "10/10");
    EXPECT_EQ(main->Scores[4], 100);
    EXPECT_TRUE(replay.Played("jingle.aif"));
    TTimer::AdvanceTimers(1000);
    EXPECT_EQ(s->fcLabel_EndScore->Caption(), "100");
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(main->Scores[4], 100);
}

TEST_F(SpellingScreens, BackOnTheTestRecordsOnlyAfterAnAnswer) {
    Start();
    main->Scores[4] = 17;
    TForm_SpellingTest* s = Test();
    Click(s->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
    EXPECT_EQ(main->Scores[4], 17);
}

TEST_F(SpellingScreens, BackAfterALetterEndsTheTestWithItsPoint) {
    Start();
    main->Scores[4] = 17;
    TForm_SpellingTest* s = Test();
    LineEnds(s);
    Type(s, Graphemes(s->Word)[0]);
    Click(s->EButton_Back);
    EXPECT_EQ(main->Scores[4], 1);
    TTimer::AdvanceTimers(1000);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
}

TEST_F(SpellingScreens, WithoutAnAlphabetOrASpellableWordTheCaptionSaysSoAndBackWorks) {
    Start();
    TForm_SpellingTest* s = Test();
    s->SpellLetters = "abcdefghij";
    s->NextQuestion();
    EXPECT_TRUE(s->NoQuestion);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), TForm_Spelling::kNoAlphabetText);
    for (int t = 1; t <= kSpellTiles; ++t) EXPECT_TRUE(s->Tiles[size_t(t)]->isHidden());
    s->SpellLetters = "bcdfghjklmnpqrstvwxz"; // no vowel: no word of the film
    s->NextQuestion();
    EXPECT_TRUE(s->NoQuestion);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), TForm_Spelling::kNoWordText);
    EXPECT_TRUE(s->Image_Holder->isHidden());
    Type(s, "b");
    EXPECT_FALSE(s->Timer_LED.Enabled());
    Click(s->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return AtActivitiesMenu(); }));
}
