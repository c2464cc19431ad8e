// The screenplay viewer on the fixture disc with the real clip pool: captions
// that follow the film, winding, the script drop-down, the film strip and
// leaving. Timers run on the manual clock where timing matters.
#include <gtest/gtest.h>

#include <QMetaObject>

#include <QApplication>
#include <QWheelEvent>

#include <QTest>

#include "../app/AppFixture.h"
#include "tests/TestSupport.h"
#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "components/ZrButton.h"
#include "content/OurUtils.h"
#include "media/Movie.h"
#include "program/Screens.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"
#include "toolkit/Panel.h"
#include "toolkit/Timer.h"
#include "viewer/AnkiButton.h"
#include "viewer/ScreenPlay.h"

#include <QLabel>
#include <QShortcut>

using namespace tav;
using namespace tavtest;

namespace {

class ScreenPlay : public FixtureDiscScreens {
protected:
    TForm_ScreenPlay* s = nullptr;

    void SetUp() override {
        FixtureDiscScreens::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        RegisterScreen(stScreenPlay, [](TForm_Main& m, QWidget* p) { return new TForm_ScreenPlay(m, p); });
    }
    void TearDown() override {
        TTimer::SetManualTimers(false);
        main.reset();
        delete Form_Movie;
        Form_Movie = nullptr;
        FixtureDiscScreens::TearDown();
    }
    // The viewer, playing; with a clip pool unless told otherwise.
    void Open(bool withPool = true) {
        StartMain();
        ASSERT_NE(main, nullptr);
        if (withPool) Form_Movie = new TForm_Movie(MovieSettingsFrom(*main));
        main->PostStateChange(stScreenPlay, 1);
        ASSERT_TRUE(WaitUntil([&] { return (s = dynamic_cast<TForm_ScreenPlay*>(main->CurrentScreen())) != nullptr; }));
        ASSERT_TRUE(WaitUntil([&] { return s->Playing; }));
        TTimer::SetManualTimers(true);
    }
    // Stops the film and stands it at a position, then lets the captions follow.
    void StandAt(int position) {
        if (s->Playing) s->EButton_PlayClick();
        Form_Movie->SeekFilm(position);
        TTimer::AdvanceTimers(100);
    }
    const TMovieEntry& Line(int n) const { return main->MovieEntries[size_t(n)]; }
    int FirstRow(TScriptRowKind kind) const {
        for (size_t i = 0; i < main->ScriptLines.size(); ++i)
            if (main->ScriptLines[i].Kind == kind) return int(i);
        return -1;
    }
    void OpenDropDown(void (TForm_ScreenPlay::*button)()) {
        (s->*button)();
        TTimer::AdvanceTimers(50 * 30);
    }
    bool AtMainMenu() { return AtState(*main, stMainMenu); }
};

} // namespace

TEST_F(ScreenPlay, OpensPlayingFromTheStartWithTheStopButtonOverPlay) {
    Open();
    EXPECT_FALSE(s->EButton_Stop->isHidden());
    EXPECT_EQ(s->EButton_Stop->pos(), s->EButton_Play->pos());
    EXPECT_TRUE(main->InactivityPaused) << "no inactivity time-out while the film plays";
    EXPECT_LT(Form_Movie->GetFilmPosition(), 100);
    s->EButton_PlayClick();
    EXPECT_FALSE(s->Playing);
    EXPECT_TRUE(s->EButton_Stop->isHidden());
    EXPECT_FALSE(main->InactivityPaused);
}

TEST_F(ScreenPlay, LeftByAScreenChangeFromElsewhereTheFilmStopsEvenInFullScreen) {
    Open();
    TTimer::SetManualTimers(false);
    s->EButton_ExpandClick();
    ASSERT_TRUE(WaitUntil([&] { return Form_Movie->CurrentPart && Form_Movie->PartPlayers[Form_Movie->CurrentPart]->IsPlaying(); }));
    main->PostStateChange(stMainMenu, 0);
    ASSERT_TRUE(WaitUntil([&] { return AtMainMenu(); }));
    // The screen left is deleted once the event loop comes round to it.
    EXPECT_TRUE(WaitUntil([&] { return Form_Movie->DisplayPanel == nullptr; }));
    EXPECT_EQ(Form_Movie->CurrentPart, 0) << "the film plays on behind the main menu";
}

TEST_F(ScreenPlay, CaptionsFollowTheFilmAndAreEmptyBetweenLines) {
    Open();
    ASSERT_GE(main->MovieEntries.size(), 3u);
    const TMovieEntry& a = Line(1);
    StandAt(a.StartFrame);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), a.LineText);
    EXPECT_EQ(s->CurrentEntry, &a);
    // The last unit of a line still shows it; the gap after it shows nothing.
    StandAt(a.EndFrame - 1);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), a.LineText);
    ASSERT_LT(a.EndFrame, Line(2).StartFrame) << "the fixture has a pause between these lines";
    StandAt(a.EndFrame);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), "");
    StandAt(Line(2).StartFrame);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), Line(2).LineText);
    EXPECT_EQ(s->fcLabel_Caption2->Caption(), Line(2).LineText);
}

TEST_F(ScreenPlay, WindingDoublesItsStepAndStopsAtTheEnds) {
    Open();
    const int length = Form_Movie->FilmLength;
    StandAt(length - 40);
    s->WindDown(4);
    EXPECT_FALSE(s->Panel_Scale->isHidden());
    std::vector<int> steps{s->JumpStep};
    for (int i = 0; i < 12; ++i) {
        TTimer::AdvanceTimers(250);
        steps.push_back(s->JumpStep);
    }
    EXPECT_EQ(steps, (std::vector<int>{4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 4096, 4096}));
    // Forward ran into the end: the film and the scale stand at the film's length.
    EXPECT_EQ(Form_Movie->GetFilmPosition(), length);
    EXPECT_EQ(s->fcLabel_HMSF->Caption(), FramesToTimecode(length));
    EXPECT_EQ(s->Image_Arrow->x(), 4 + 323);
    s->WindUp();
    EXPECT_TRUE(s->Panel_Scale->isHidden());
    EXPECT_FALSE(s->Timer_RwdFwd.Enabled());
    EXPECT_FALSE(s->Playing) << "a stopped film stays stopped after winding";

    s->WindDown(-4);
    TTimer::AdvanceTimers(250 * 12);
    EXPECT_EQ(Form_Movie->GetFilmPosition(), 0);
    EXPECT_EQ(s->fcLabel_HMSF->Caption(), "00:00:00:00");
    EXPECT_EQ(s->Image_Arrow->x(), 4);
    s->WindUp();
}

TEST_F(ScreenPlay, WindingWhilePlayingPlaysOnFromTheNewPosition) {
    Open();
    s->WindDown(4);
    TTimer::AdvanceTimers(250 * 3);
    const int wound = Form_Movie->GetFilmPosition();
    s->WindUp();
    EXPECT_TRUE(s->Playing);
    TTimer::SetManualTimers(false);
    EXPECT_TRUE(WaitUntil([&] { return Form_Movie->GetFilmPosition() > wound + 5; }));
}

TEST_F(ScreenPlay, ScriptDropsDownClosesAndSwitchesToTheFilmStrip) {
    Open();
    OpenDropDown(&TForm_ScreenPlay::EButton_ScriptClick);
    EXPECT_EQ(s->DropDownMode, 1);
    EXPECT_EQ(s->Panel_DropDown->height(), TForm_ScreenPlay::kDropOpen);
    EXPECT_FALSE(s->ListBox_DropDown->isHidden());
    EXPECT_FALSE(s->Panel_Scrollbar->isHidden());
    EXPECT_EQ(s->ListBox_DropDown->Count(), int(main->ScriptLines.size()));
    EXPECT_EQ(s->MaxTopLine, int(main->ScriptLines.size()) - 10);
    // Find while the script is open switches without closing.
    s->EButton_FindClick();
    EXPECT_EQ(s->DropDownMode, 2);
    EXPECT_TRUE(s->ListBox_DropDown->isHidden());
    TTimer::AdvanceTimers(50);
    EXPECT_FALSE(s->Image_Find->isHidden());
    EXPECT_FALSE(s->fcLabel_Caption2->isHidden());
    // A second click on the same button closes, five pixels a tick.
    s->EButton_FindClick();
    EXPECT_EQ(s->DropDownMode, 0);
    TTimer::AdvanceTimers(50);
    EXPECT_EQ(s->Panel_DropDown->height(), TForm_ScreenPlay::kDropOpen - 5);
    TTimer::AdvanceTimers(50 * 30);
    EXPECT_TRUE(s->Panel_DropDown->isHidden());
    EXPECT_EQ(s->Panel_DropDown->height(), TForm_ScreenPlay::kDropClosed);
    EXPECT_FALSE(s->Timer_DropDown.Enabled());
}

TEST_F(ScreenPlay, TheScriptFollowsThePlayingLineSixthFromTheTop) {
    Open();
    OpenDropDown(&TForm_ScreenPlay::EButton_ScriptClick);
    const TMovieEntry& late = main->MovieEntries.back();
    ASSERT_GT(late.ScriptIndex, 5);
    s->Playing = true; // as while the film plays on through this line
    s->ShowEntry(&late, true);
    EXPECT_EQ(s->ListBox_DropDown->ItemIndex(), late.ScriptIndex);
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), std::min(late.ScriptIndex - 5, s->MaxTopLine));
    s->ShowEntry(&Line(0), true);
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), 0);
}

TEST_F(ScreenPlay, ClickingAScriptLinePlaysItAndHeadingsDoNothing) {
    Open();
    OpenDropDown(&TForm_ScreenPlay::EButton_ScriptClick);
    s->EButton_PlayClick(); // stopped: a clicked line plays alone
    const int heading = FirstRow(TScriptRowKind::Heading);
    ASSERT_GE(heading, 0);
    const int before = Form_Movie->GetFilmPosition();
    s->ListBox_DropDown->SetItemIndex(heading);
    s->ListBox_DropDownMouseDown();
    EXPECT_EQ(Form_Movie->GetFilmPosition(), before);
    EXPECT_EQ(Form_Movie->RangeTo, -1);

    const TMovieEntry& line = Line(2);
    s->ListBox_DropDown->SetItemIndex(line.ScriptIndex);
    s->ListBox_DropDownMouseDown();
    EXPECT_EQ(s->fcLabel_Caption->Caption(), line.LineText);
    EXPECT_FALSE(s->Playing);
    EXPECT_EQ(Form_Movie->RangeTo, line.EndFrame - 1) << "only the line, to one unit before its end";
    TTimer::SetManualTimers(false);
    ASSERT_TRUE(WaitUntil([&] { return Form_Movie->GetFilmPosition() >= line.EndFrame - 2; },
                          (line.EndFrame - line.StartFrame) * 40 + 3000));
    Pump(300);
    EXPECT_LT(Form_Movie->GetFilmPosition(), line.EndFrame);

    // While playing, the film runs on from the clicked line to the end.
    s->EButton_PlayClick();
    ASSERT_TRUE(s->Playing);
    s->ListBox_DropDown->SetItemIndex(Line(1).ScriptIndex);
    s->ListBox_DropDownMouseDown();
    EXPECT_EQ(Form_Movie->RangeTo, -1);
    EXPECT_TRUE(s->Playing);
}

TEST_F(ScreenPlay, ScrollingStopsTheFilmAndStandsItAtTheFirstVisibleLine) {
    Open();
    OpenDropDown(&TForm_ScreenPlay::EButton_ScriptClick);
    ASSERT_GT(s->MaxTopLine, 9) << "the fixture script is long enough to scroll";
    s->ListBox_DropDown->SetTopIndex(0);
    s->ScrollButtonDown(1);
    EXPECT_FALSE(s->Playing);
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), 1);
    TTimer::AdvanceTimers(500); // the first repeat after half a second
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), 2);
    TTimer::AdvanceTimers(300); // then ten lines a second
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), 5);
    s->ScrollMouseUp();
    EXPECT_FALSE(s->Timer_ScrollBar.Enabled());
    int first = -1;
    for (int i = 5; i < 15 && first < 0; ++i)
        if (main->ScriptLines[size_t(i)].Kind == TScriptRowKind::Line) first = main->ScriptLines[size_t(i)].Entry;
    ASSERT_GE(first, 0);
    EXPECT_EQ(Form_Movie->GetFilmPosition(), Line(first).StartFrame);

    // The track pages by nine lines, never past the last page.
    s->Image_ScrollbarMouseDown(s->KnobTop + 40);
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), std::min(14, s->MaxTopLine));
    TTimer::AdvanceTimers(500 + 100 * 20);
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), s->MaxTopLine);
    EXPECT_EQ(s->KnobTop, 26 + 104);
    s->ScrollMouseUp();
    // Pressing on the knob itself pages nowhere.
    s->Image_ScrollbarMouseDown(s->KnobTop + 3);
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), s->MaxTopLine);
    s->ScrollMouseUp();
}

TEST_F(ScreenPlay, TheWheelStopsTheFilmAndStandsItAtTheFirstVisibleLineWhenItRests) {
    Open();
    OpenDropDown(&TForm_ScreenPlay::EButton_ScriptClick);
    ASSERT_GT(s->MaxTopLine, 9);
    s->ListBox_DropDown->SetTopIndex(0);
    const QPoint at(100, 50);
    for (int i = 0; i < 4; ++i) {
        QWheelEvent wheel(at, s->ListBox_DropDown->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(s->ListBox_DropDown, &wheel);
    }
    EXPECT_FALSE(s->Playing);
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), 4);
    TTimer::AdvanceTimers(1000);
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), 4) << "no caption moves the list back";
    int first = -1;
    for (int i = 4; i < 14 && first < 0; ++i)
        if (main->ScriptLines[size_t(i)].Kind == TScriptRowKind::Line) first = main->ScriptLines[size_t(i)].Entry;
    ASSERT_GE(first, 0);
    EXPECT_EQ(Form_Movie->GetFilmPosition(), Line(first).StartFrame);
}

TEST_F(ScreenPlay, WhatRunsAsAScrollEndsHasTheLastWordOverWhereTheFilmStands) {
    Open();
    OpenDropDown(&TForm_ScreenPlay::EButton_ScriptClick);
    ASSERT_GT(s->MaxTopLine, 9);
    s->ListBox_DropDown->SetTopIndex(0);
    s->ScrollButtonDown(1);
    ASSERT_FALSE(s->Playing);
    const int before = Form_Movie->GetFilmPosition();
    // Play is clicked while the scroll's end lets queued messages run: the film plays on from where it stood.
    QMetaObject::invokeMethod(s, [this] { s->EButton_PlayClick(); }, Qt::QueuedConnection);
    s->ScrollMouseUp();
    EXPECT_TRUE(s->Playing);
    EXPECT_TRUE(Form_Movie->IsFilmPlaying()) << "the play started is not cut off by the seek";
    EXPECT_NEAR(Form_Movie->GetFilmPosition(), before, 3);

    // A new press on an arrow meanwhile: its own release stands the film.
    s->EButton_PlayClick();
    ASSERT_FALSE(s->Playing);
    Form_Movie->SeekFilm(main->MovieEntries.back().StartFrame); // far from the lines in view
    const int stood = Form_Movie->GetFilmPosition();
    s->ScrollButtonDown(1);
    QMetaObject::invokeMethod(s, [this] { s->ScrollButtonDown(1); }, Qt::QueuedConnection);
    s->ScrollMouseUp();
    EXPECT_EQ(Form_Movie->GetFilmPosition(), stood) << "no seek while the list still scrolls";
    EXPECT_TRUE(s->Timer_ScrollBar.Enabled());
    s->ScrollMouseUp();
    EXPECT_NE(Form_Movie->GetFilmPosition(), stood) << "the last release stands the film at the script";
}

TEST_F(ScreenPlay, DraggingTheKnobMovesTheScript) {
    Open();
    OpenDropDown(&TForm_ScreenPlay::EButton_ScriptClick);
    ASSERT_GT(s->MaxTopLine, 0);
    s->EButton_PlayClick(); // stopped: the script stays where it is put
    s->ListBox_DropDown->SetTopIndex(0);
    TTimer::AdvanceTimers(100);
    ASSERT_EQ(s->KnobTop, 26);
    s->Image_ScrollButtonMouseDown(5);
    s->Image_ScrollButtonMouseMove(5 + 52); // half the travel down
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), 52 * s->MaxTopLine / 104);
    s->Image_ScrollButtonMouseMove(5 + 500); // held far below: the bottom
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), s->MaxTopLine);
    s->ScrollMouseUp();
    EXPECT_FALSE(s->KnobDragging);
    s->Image_ScrollButtonMouseMove(5 - 500); // no drag any more: nothing moves
    EXPECT_EQ(s->ListBox_DropDown->TopIndex(), s->MaxTopLine);
}

TEST_F(ScreenPlay, ThumbnailsStartTheFilmAndOutOfRangeOnesDoNothing) {
    Open();
    OpenDropDown(&TForm_ScreenPlay::EButton_FindClick);
    s->EButton_PlayClick();
    const int p = s->ThumbPositions[3];
    ASSERT_GE(p, 0);
    s->Shape1MouseDown(3);
    EXPECT_TRUE(s->Playing);
    EXPECT_EQ(s->SelectedThumb, 3);
    EXPECT_TRUE(s->Shapes[3]->Outlined());
    EXPECT_GE(Form_Movie->GetFilmPosition(), p);
    s->Shape1MouseDown(4);
    EXPECT_FALSE(s->Shapes[3]->Outlined());
    EXPECT_TRUE(s->Shapes[4]->Outlined());

    s->ThumbPositions[5] = Form_Movie->FilmLength; // at the end of the film
    s->ThumbPositions[6] = -1;                     // no thumbnail
    s->Shape1MouseDown(5);
    s->Shape1MouseDown(6);
    EXPECT_EQ(s->SelectedThumb, 4);
}

TEST_F(ScreenPlay, StripFileLinesGiveTimecodesAndHints) {
    Open();
    const std::string strip = program.File("strip.txt");
    std::string text;
    for (int n = 1; n <= 9; ++n) text += "0:0:" + std::to_string(n) + ":00,Hint " + std::to_string(n) + "\r\n";
    text += "1:02:03\r\n"; // no comma: all timecode, no hint
    text[text.find("Hint 2")] = char(0x8E); // a Mac "é" at the start of hint 2
    text.replace(text.find("Hint 3"), 6, "a, b, c");
    WriteFile(strip, text);
    s->LoadStrip(strip);
    EXPECT_EQ(s->ThumbPositions[1], 25);
    EXPECT_EQ(s->ThumbHints[1], "Hint 1");
    EXPECT_EQ(s->ThumbHints[2], "\xC3\xA9" "int 2");
    EXPECT_EQ(s->ThumbHints[3], "a, b, c") << "further commas belong to the hint";
    EXPECT_EQ(s->ThumbPositions[10], 1552);
    EXPECT_EQ(s->ThumbHints[10], "");
    for (int n = 11; n <= TForm_ScreenPlay::kThumbs; ++n) {
        EXPECT_EQ(s->ThumbPositions[size_t(n)], -1) << n;
        EXPECT_TRUE(s->Shapes[size_t(n)]->toolTip().isEmpty()) << n;
    }
    // A missing list leaves every thumbnail inactive rather than the screen broken.
    s->LoadStrip(program.File("nothere.txt"));
    EXPECT_EQ(s->ThumbPositions[1], -1);
}

TEST_F(ScreenPlay, BackLeavesForTheMainMenuWithTheLastPictureInPlace) {
    Open();
    s->EButton_BackClick();
    EXPECT_FALSE(main->InactivityPaused);
    EXPECT_EQ(Form_Movie->CurrentPart, 0) << "the display is detached";
    ASSERT_TRUE(WaitUntil([&] { return AtMainMenu(); }));
}

TEST_F(ScreenPlay, WithoutAClipPoolTheScreenStillOpensAndLeaves) {
    Open(false);
    s->WindDown(4);
    s->WindUp();
    s->Shape1MouseDown(1);
    s->EButton_BackClick();
    ASSERT_TRUE(WaitUntil([&] { return AtMainMenu(); }));
}

TEST_F(ScreenPlay, KeyAExportsTheCurrentLineToTheFilmsDeckFileInTheDocuments) {
    // The documents folder follows HOME; without Anki the deck file goes there.
    TempFolder home;
    const QByteArray savedHome = qgetenv("HOME"), savedDocs = qgetenv("XDG_DOCUMENTS_DIR");
    qputenv("HOME", QByteArray::fromStdString(home.Path()));
    qunsetenv("XDG_DOCUMENTS_DIR");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.File(".config")));
    Open();
    EXPECT_EQ(s->AnkiExport->Button->geometry(), QRect(164, 224, 42, 36));
    EXPECT_FALSE(s->AnkiExport->Button->toolTip().isEmpty());
    EXPECT_EQ(s->AnkiExport->Key->key(), QKeySequence(Qt::Key_A));
    const TMovieEntry& a = Line(2);
    StandAt(a.StartFrame + 1);
    ASSERT_EQ(s->CurrentEntry, &a);
    std::optional<TExportOutcome> outcome;
    s->AnkiExport->OnExported = [&](const TExportOutcome& o) { outcome = o; };
    s->AnkiExport->ExportClick();
    EXPECT_FALSE(s->AnkiExport->Button->isEnabled()) << "one export at a time";
    EXPECT_TRUE(s->AnkiExport->Label_Message->isVisible());
    ASSERT_TRUE(WaitUntil([&] { return outcome.has_value(); }, 20000));
    qputenv("HOME", savedHome);
    qunsetenv("XDG_CONFIG_HOME");
    if (!savedDocs.isEmpty()) qputenv("XDG_DOCUMENTS_DIR", savedDocs);
    ASSERT_TRUE(outcome->Ok) << outcome->Message.toStdString();
    EXPECT_TRUE(s->AnkiExport->Button->isEnabled());
    EXPECT_EQ(s->AnkiExport->Message(), outcome->Message);
    EXPECT_TRUE(outcome->ToAnki || QFile::exists(QString::fromStdString(outcome->FilePath)));
    if (!outcome->ToAnki) {
        EXPECT_EQ(QFileInfo(QString::fromStdString(outcome->FilePath)).absolutePath(),
                  QDir(QString::fromStdString(home.File("Documents"))).absolutePath());
        EXPECT_TRUE(outcome->FilePath.ends_with(".apkg"));
    }
}
