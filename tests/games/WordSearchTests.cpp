// The word search on the fixture disc with the real clip pool: the first
// word searched at the start, one and two matches, a word in no line, the
// scene's start kept at the film's start, a second search while one runs,
// a word chosen during the start's search, Back during a search,
// the accelerating arrows, a missing or empty word list, and leaving.
#include <gtest/gtest.h>

#include <QDir>
#include <QMetaObject>
#include <QPointer>
#include <QTest>

#include "../app/AppFixture.h"
#include "tests/TestSupport.h"
#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "components/ZrButton.h"
#include "games/WordSearch.h"
#include "media/Movie.h"
#include "program/Screens.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"
#include "toolkit/Panel.h"
#include "toolkit/Timer.h"

using namespace tav;
using namespace tavtest;

namespace {

class WordSearch : public FixtureDiscScreens {
protected:
    TForm_WordSearch* s = nullptr;

    void SetUp() override {
        FixtureDiscScreens::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        RegisterScreen(stWordSearch, [](TForm_Main& m, QWidget* p) { return new TForm_WordSearch(m, p); });
    }
    void TearDown() override {
        TTimer::SetManualTimers(false);
        main.reset();
        delete Form_Movie;
        Form_Movie = nullptr;
        FixtureDiscScreens::TearDown();
    }
    // The screen once its first word was searched; targetFolder replaces the
    // target's folder (where the word list is read) when given.
    void Open(const std::string& targetFolder = {}) {
        StartMain();
        ASSERT_NE(main, nullptr);
        Form_Movie = new TForm_Movie(MovieSettingsFrom(*main));
        if (!targetFolder.empty()) main->TargetFolder = targetFolder;
        main->PostStateChange(stWordSearch, 1);
        ASSERT_TRUE(WaitUntil([&] { return (s = dynamic_cast<TForm_WordSearch*>(main->CurrentScreen())) != nullptr; }));
        ASSERT_TRUE(WaitUntil([&] { return main->ReadyScreen == nullptr || s->CurrentMatch || s->CoolListBox->Count() == 0; }));
        QTest::qWait(50);
    }
    int Row(const std::string& entry) const {
        const auto& items = s->CoolListBox->Items();
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == entry) return int(i);
        return -1;
    }
    void ChooseWord(const std::string& entry) {
        const int row = Row(entry);
        ASSERT_GE(row, 0) << entry << " is on the fixture's word list";
        s->CoolListBox->SetItemIndex(row);
        s->CoolListBoxClick();
    }
    const TMovieEntry* LineWith(const std::string& text) const {
        for (const TMovieEntry& e : main->MovieEntries)
            if (e.LineText == text) return &e;
        return nullptr;
    }
};

} // namespace

TEST_F(WordSearch, StartShowsTheFirstWordsLineAsAStillFrame) {
    Open();
    ASSERT_GT(s->CoolListBox->Count(), 2);
    EXPECT_EQ(s->CoolListBox->ItemIndex(), 0);
    EXPECT_EQ(s->SearchWord, "biscuit");
    const TMovieEntry* line = LineWith("Biscuit, reviens ici !");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(s->CurrentMatch, line);
    EXPECT_EQ(s->PaintBox_Caption->Text(), line->LineText);
    EXPECT_TRUE(s->CoolListBox2->isHidden()) << "one match: no line list";
    EXPECT_FALSE(s->Panel_Video->isHidden());
    // The still frame stands a second before the line and nothing plays on.
    const int still = line->StartFrame - main->ExtraStart;
    EXPECT_NEAR(Form_Movie->GetFilmPosition(), still, 1);
    QTest::qWait(300);
    EXPECT_NEAR(Form_Movie->GetFilmPosition(), still, 1);
}

TEST_F(WordSearch, TwoMatchesFillTheLineListAndALinePlaysItsScene) {
    Open();
    ChooseWord("chien");
    ASSERT_EQ(s->Matches.size(), 2u);
    EXPECT_FALSE(s->CoolListBox2->isHidden());
    EXPECT_EQ(s->CoolListBox2->Count(), 2);
    EXPECT_EQ(s->CoolListBox2->ItemIndex(), 0);
    EXPECT_TRUE(s->Panel_Scroll3->isHidden()) << "two lines fit: no arrows";
    const TMovieEntry* first = LineWith("Hugo, regarde le chien !");
    const TMovieEntry* second = LineWith("Quel chien gourmand !");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(s->CurrentMatch, first);
    EXPECT_EQ(s->PaintBox_Caption->Text(), first->LineText);
    // The scene plays from a second before the line to a fifth of a second after it.
    EXPECT_EQ(Form_Movie->RangeTo, first->EndFrame + main->ExtraEnd);
    EXPECT_TRUE(WaitUntil([&] { return Form_Movie->GetFilmPosition() > first->StartFrame - main->ExtraStart + 3; }));

    s->CoolListBox2->SetItemIndex(1);
    s->CoolListBox2Click();
    EXPECT_EQ(s->CurrentMatch, second);
    EXPECT_EQ(s->PaintBox_Caption->Text(), second->LineText);
    EXPECT_EQ(Form_Movie->RangeTo, second->EndFrame + main->ExtraEnd);

    // Then a word with one line hides the list again.
    ChooseWord("chat");
    EXPECT_EQ(s->Matches.size(), 1u);
    EXPECT_TRUE(s->CoolListBox2->isHidden());
    EXPECT_EQ(s->SearchWord, "chat");
}

TEST_F(WordSearch, AWordInNoLineSaysSoAndKeepsThePreviousLine) {
    // "eau" occurs only inside "gâteau" on the fixture disc.
    TempFolder target;
    WriteFile(target.File("Search.txt"), "chien\r\neau\r\nchat\r\n");
    Open(target.Path());
    ChooseWord("chien");
    const TMovieEntry* before = s->CurrentMatch;
    ASSERT_NE(before, nullptr);
    ChooseWord("eau");
    EXPECT_TRUE(s->Matches.empty());
    EXPECT_TRUE(s->CoolListBox2->isHidden());
    EXPECT_EQ(s->CoolListBox2->Count(), 0);
    EXPECT_EQ(s->CurrentMatch, before);
    EXPECT_EQ(s->SearchWord, "chien");
    EXPECT_EQ(s->PaintBox_Caption->Text(), before->LineText);
    EXPECT_FALSE(s->Label_Notice->isHidden());
    EXPECT_EQ(s->Label_Notice->Caption(), "No line of the film holds \"eau\".");
    EXPECT_FALSE(s->Searching);
    // Play plays the previous line again; the next search takes the notice away.
    s->EButton_PlayClick();
    EXPECT_EQ(Form_Movie->RangeTo, before->EndFrame + main->ExtraEnd);
    ChooseWord("chat");
    EXPECT_TRUE(s->Label_Notice->isHidden());
}

TEST_F(WordSearch, ASceneNearTheFilmsStartPlaysFromZero) {
    Open();
    const TMovieEntry* line = s->CurrentMatch;
    ASSERT_NE(line, nullptr);
    main->ExtraStart = line->StartFrame + 50;
    s->EButton_PlayClick();
    EXPECT_LE(Form_Movie->GetFilmPosition(), 2);
    EXPECT_TRUE(WaitUntil([&] { return Form_Movie->GetFilmPosition() > 3; })) << "it plays from there";
}

TEST_F(WordSearch, ASecondWordChosenWhileASearchRunsIsIgnored) {
    Open();
    const int chat = Row("chat");
    ASSERT_GE(chat, 0);
    bool ranInside = false;
    std::string wordAfterSecond;
    // The second click arrives while the first search lets queued messages run.
    QMetaObject::invokeMethod(
        s,
        [&] {
            ranInside = s->Searching;
            s->CoolListBox->SetItemIndex(chat);
            s->CoolListBoxClick();
            wordAfterSecond = s->SearchWord;
        },
        Qt::QueuedConnection);
    ChooseWord("chien");
    EXPECT_TRUE(ranInside) << "the second click came during the first search";
    EXPECT_NE(wordAfterSecond, "chat") << "the second click searched nothing";
    EXPECT_EQ(s->SearchWord, "chien");
    EXPECT_EQ(s->Matches.size(), 2u);
    EXPECT_EQ(s->CoolListBox->ItemIndex(), Row("chien")) << "the selection shows the word searched";
    EXPECT_FALSE(s->Searching);
    ChooseWord("chat");
    EXPECT_EQ(s->SearchWord, "chat") << "after the search, choices work again";
}

TEST_F(WordSearch, AWordChosenDuringTheStartSearchIsTheOneShown) {
    Open();
    const int chien = Row("chien");
    ASSERT_GE(chien, 0);
    const TMovieEntry* first = LineWith("Hugo, regarde le chien !");
    ASSERT_NE(first, nullptr);
    // The learner's click arrives while the start's search lets queued messages run.
    QMetaObject::invokeMethod(
        s,
        [&] {
            s->CoolListBox->SetItemIndex(chien);
            s->CoolListBoxClick();
        },
        Qt::QueuedConnection);
    s->ScreenReady();
    EXPECT_EQ(s->CoolListBox->ItemIndex(), chien);
    EXPECT_EQ(s->SearchWord, "chien") << "the marked word is the one whose lines are shown";
    ASSERT_EQ(s->Matches.size(), 2u);
    EXPECT_EQ(s->CurrentMatch, first);
    EXPECT_EQ(s->PaintBox_Caption->Text(), first->LineText);
    EXPECT_EQ(s->CoolListBox2->Count(), 2);
    EXPECT_EQ(Form_Movie->RangeTo, first->EndFrame + main->ExtraEnd) << "the chosen word's scene plays on";
}

TEST_F(WordSearch, BackDuringASearchEndsItWithoutPlaying) {
    Open();
    const TMovieEntry* before = s->CurrentMatch;
    ASSERT_NE(before, nullptr);
    const int rangeBefore = Form_Movie->RangeTo;
    QPointer<TForm_WordSearch> screen = s;
    QMetaObject::invokeMethod(s, [&] { s->EButton_BackClick(); }, Qt::QueuedConnection);
    ChooseWord("chien");
    ASSERT_FALSE(screen.isNull());
    EXPECT_TRUE(s->Matches.empty()) << "the search stopped at Back";
    EXPECT_EQ(s->SearchWord, "biscuit");
    EXPECT_EQ(Form_Movie->RangeTo, rangeBefore) << "nothing plays for a screen that is leaving";
    EXPECT_FALSE(Form_Movie->IsFilmPlaying());
    EXPECT_EQ(Form_Movie->DisplayPanel, nullptr);
    // Choices made while the screen leaves are not taken either.
    ChooseWord("chat");
    s->EButton_PlayClick();
    EXPECT_TRUE(s->Matches.empty());
    EXPECT_EQ(Form_Movie->RangeTo, rangeBefore);
    EXPECT_TRUE(WaitUntil([&] { return AtState(*main, stMainMenu) && screen.isNull(); }));
}

TEST_F(WordSearch, HeldArrowsScrollFasterAndStopAtTheEnds) {
    Open();
    EXPECT_FALSE(s->EButton_Up->isEnabled());
    EXPECT_FALSE(s->EButton_Down->isEnabled()) << "the fixture's short list fits";
    std::vector<std::string> many;
    for (int i = 0; i < 60; ++i) many.push_back("mot" + std::to_string(i));
    s->CoolListBox->SetItems(many);
    TTimer::SetManualTimers(true);
    s->ArrowDown(false, 1);
    std::vector<int> tops{s->CoolListBox->TopIndex()};
    for (int i = 0; i < 5; ++i) {
        TTimer::AdvanceTimers(100);
        tops.push_back(s->CoolListBox->TopIndex());
    }
    // 1, 2, 4, 8, 16 rows a tick, held at the last page (60 - 22).
    EXPECT_EQ(tops, (std::vector<int>{1, 3, 7, 15, 31, 38}));
    EXPECT_TRUE(s->EButton_Up->isEnabled());
    EXPECT_FALSE(s->EButton_Down->isEnabled());
    s->ArrowUp(false);
    s->ArrowDown(false, -1);
    EXPECT_EQ(s->CoolListBox->TopIndex(), 37) << "a press scrolls at once";
    EXPECT_TRUE(s->EButton_Down->isEnabled());
    s->ArrowUp(false);
    TTimer::AdvanceTimers(300);
    EXPECT_EQ(s->CoolListBox->TopIndex(), 37) << "released: it stays";

    // The line list doubles only up to 4 rows a tick and pages by 7.
    std::vector<std::string> lines(30, "ligne");
    s->CoolListBox2->SetItems(lines);
    s->ArrowDown(true, 1);
    tops = {s->CoolListBox2->TopIndex()};
    for (int i = 0; i < 5; ++i) {
        TTimer::AdvanceTimers(100);
        tops.push_back(s->CoolListBox2->TopIndex());
    }
    EXPECT_EQ(tops, (std::vector<int>{1, 3, 7, 11, 15, 19}));
    TTimer::AdvanceTimers(300);
    EXPECT_EQ(s->CoolListBox2->TopIndex(), 23);
    EXPECT_FALSE(s->EButton_Down2->isEnabled());
    s->ArrowUp(true);
}

TEST_F(WordSearch, MissingOrEmptyWordListSaysSoInTheCaption) {
    TempFolder target;
    Open(target.Path());
    EXPECT_EQ(s->CoolListBox->Count(), 0);
    EXPECT_EQ(s->PaintBox_Caption->Text(), "This disc has no word list (Search.txt).");
    EXPECT_EQ(s->CurrentMatch, nullptr);
    s->EButton_PlayClick(); // nothing to play, nothing breaks
    s->EButton_BackClick();
    EXPECT_TRUE(WaitUntil([&] { return AtState(*main, stMainMenu); }));

    WriteFile(target.File("Search.txt"), "\r\n\r\n");
    main->PostStateChange(stWordSearch, 1);
    ASSERT_TRUE(WaitUntil([&] { return (s = dynamic_cast<TForm_WordSearch*>(main->CurrentScreen())) != nullptr; }));
    EXPECT_EQ(s->PaintBox_Caption->Text(), "The word list (Search.txt) is empty.");
}

TEST_F(WordSearch, BackDetachesTheFilmAndGoesToTheMainMenu) {
    Open();
    s->EButton_BackClick();
    EXPECT_EQ(Form_Movie->DisplayPanel, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return AtState(*main, stMainMenu); }));
}
