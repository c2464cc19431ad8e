// The word card of the screenplay viewer on the fixture disc (French, with
// the installed French-English FreeDict): a click on a caption's word opens
// it beside the caption with the dictionary's meaning and pauses the film;
// its buttons play the line and keep the word in the learner's list; Escape
// closes it and the film goes on.
#include <gtest/gtest.h>

#include <QTest>

#include "../app/AppFixture.h"
#include "tests/TestSupport.h"
#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "components/WordCard.h"
#include "components/WordCardHost.h"
#include "components/ZrButton.h"
#include "learners/MyWords.h"
#include "media/Movie.h"
#include "program/Screens.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"
#include "toolkit/Timer.h"
#include "viewer/ScreenPlay.h"

using namespace tav;
using namespace tavtest;

namespace {

class WordCard : public FixtureDiscScreens {
protected:
    TForm_ScreenPlay* s = nullptr;

    void SetUp() override {
        FixtureDiscScreens::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (!QFile::exists("/usr/share/dictd/freedict-fra-eng.index")) GTEST_SKIP() << "dict-freedict-fra-eng is not installed";
        RegisterScreen(stScreenPlay, [](TForm_Main& m, QWidget* p) { return new TForm_ScreenPlay(m, p); });
    }
    void TearDown() override {
        TTimer::SetManualTimers(false);
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
        TTimer::SetManualTimers(true);
    }
    const TMovieEntry* LineWith(const std::string& word) const {
        for (const TMovieEntry& e : main->MovieEntries)
            if (e.LineText.find(word) != std::string::npos) return &e;
        return nullptr;
    }
    // A point of the label over the first character of word.
    static QPoint PointOver(const TfcLabel* label, const std::string& word) {
        for (int y = 2; y < label->height(); y += 4)
            for (int x = 0; x < label->width(); ++x) {
                std::string shown;
                size_t at = 0;
                if (label->CharacterAt({x, y}, shown, at) && shown.compare(at, word.size(), word) == 0) return {x + 2, y};
            }
        return {-1, -1};
    }
    std::string CardText() const {
        const TWordCardText& c = s->WordCards->Card->Card();
        std::string all = c.Word + "|" + c.Note;
        for (const auto& e : c.Entries)
            for (const auto& sense : e.Senses) all += "|" + sense;
        return all;
    }
};

} // namespace

TEST_F(WordCard, ACaptionWordShowsItsMeaningPausesTheFilmAndEscapeLetsItGoOn) {
    Open();
    const TMovieEntry* line = LineWith("maison");
    ASSERT_NE(line, nullptr) << "the fixture disc has a line with \"maison\"";
    s->EButton_PlayClick();
    Form_Movie->SeekFilm(line->StartFrame + 2);
    s->EButton_PlayClick();
    TTimer::AdvanceTimers(100);
    ASSERT_EQ(s->CurrentEntry, line);
    ASSERT_TRUE(s->Playing);

    const QPoint at = PointOver(s->fcLabel_Caption, "maison");
    ASSERT_GE(at.x(), 0) << "\"maison\" is drawn in the caption";
    QTest::mouseClick(s->fcLabel_Caption, Qt::LeftButton, {}, at);
    ASSERT_TRUE(s->WordCards->IsOpen());
    TWordCard* card = s->WordCards->Card;
    EXPECT_EQ(card->Card().Word, "maison");
    EXPECT_NE(CardText().find("house"), std::string::npos) << CardText();
    EXPECT_FALSE(s->Playing) << "the film pauses while the card is open";
    // Beside the caption: its foot on the caption's top edge, inside the scene.
    EXPECT_LE(card->geometry().bottom(), s->fcLabel_Caption->y());
    EXPECT_GE(card->y(), 0);

    // Hearing the line again keeps the card open while the line plays.
    card->ReplayButton->OnClick(card->ReplayButton);
    EXPECT_EQ(Form_Movie->RangeTo, line->EndFrame);
    TTimer::AdvanceTimers(300);
    EXPECT_TRUE(s->WordCards->IsOpen());

    QTest::keyClick(card, Qt::Key_Escape);
    EXPECT_FALSE(s->WordCards->IsOpen());
    TTimer::SetManualTimers(false);
    Pump(200);
    EXPECT_TRUE(s->Playing) << "the film goes on once the card is closed";
    // Playing on closes a card that is opened meanwhile... and a click on a
    // space between words opens none.
    const QPoint gap = PointOver(s->fcLabel_Caption, " ");
    if (gap.x() >= 0) {
        s->CaptionClicked(s->fcLabel_Caption, gap);
        EXPECT_FALSE(s->WordCards->IsOpen());
    }
}

TEST_F(WordCard, AddedWordsAreKeptInTheLearnersProfileOnceAndTheScriptOpensCardsToo) {
    Open();
    TempFolder profiles;
    main->ProfileFile = profiles.File("profiles.ini");
    main->LoadStudent("Иван");
    const TMovieEntry* line = LineWith("maison");
    ASSERT_NE(line, nullptr);
    s->EButton_PlayClick();
    Form_Movie->SeekFilm(line->StartFrame + 2);
    TTimer::AdvanceTimers(100);
    ASSERT_EQ(s->CurrentEntry, line);

    // The script's row of the caption's line: its words open cards.
    const TScriptRow& row = main->ScriptLines[size_t(line->ScriptIndex)];
    const size_t at = row.Text.find("maison");
    ASSERT_NE(at, std::string::npos);
    const int x = QFontMetrics(PixelFont("Arial", 13, true)).horizontalAdvance(QString::fromUtf8(row.Text.substr(0, at).c_str())) + 5;
    ASSERT_TRUE(s->ScriptWordClicked(line->ScriptIndex, {x, 8}));
    ASSERT_TRUE(s->WordCards->IsOpen());
    TWordCard* card = s->WordCards->Card;
    EXPECT_EQ(card->Card().Word, "maison");
    ASSERT_TRUE(card->AddButton->isEnabled()) << "a signed-in learner may keep words";
    card->AddButton->OnClick(card->AddButton);
    card->AddButton->OnClick(card->AddButton);

    TMyWords words(MyWordsSection(main->ResultsSection),
                   [&](const std::string& sec, const std::string& key) { return main->ReadProfileString(sec, key, ""); },
                   [&](const std::string& sec, const std::string& key, const std::string& v) { main->WriteProfileString(sec, key, v); });
    ASSERT_EQ(words.Size(), 1u) << "the same word of the same line is kept once; profile " << main->ProfileFile;
    const TMyWord& w = words.Words().front();
    EXPECT_EQ(w.Word, "maison");
    EXPECT_EQ(w.Line, line->LineText);
    EXPECT_EQ(w.SequenceNumber, line->SequenceNumber);
    EXPECT_EQ(w.StartFrame, line->StartFrame);
    EXPECT_NE(w.Sense.find("house"), std::string::npos) << w.Sense;
    EXPECT_EQ(w.Course, main->TargetFolderName);
}
