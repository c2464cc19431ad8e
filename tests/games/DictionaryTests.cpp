// The picture dictionary: filtered rows keep their entry numbers, the held
// arrows accelerate and stop at the ends, and the screen on the fixture disc
// shows the first word silently, says a chosen word, and copes with an
// empty word list.
#include <gtest/gtest.h>

#include "../activities/ActivityFixture.h"
#include "components/ZrButton.h"
#include "content/DictionaryWords.h"
#include "games/Dictionary.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"

using namespace tav;
using namespace tavtest;

TEST(DictionaryRows, FilteredEntriesAreLeftOutAndTheOthersKeepTheirNumbers) {
    TTargetIndex filter;
    filter.Filter1 = true;
    filter.FilterWords = {"chat"};
    const auto entries = DictionaryEntries({"le chien", "", "la pomme", "le chat noir", "", "la cl\xC3\xA9", "   "});
    ASSERT_EQ(entries.size(), 5u); // empty lines are not entries; blanks are
    const auto rows = DictionaryRows(entries, filter);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2].Text, "la cl\xC3\xA9");
    EXPECT_EQ(rows[2].Index, 3);
    EXPECT_EQ(DictionaryPicture("T", rows[2].Index), "T\\DictPic\\Dict4.jpg");
    EXPECT_EQ(DictionarySound("T", rows[3].Index), "T\\DictSnd\\Dict5.aif");
    filter.Filter1 = false;
    EXPECT_EQ(DictionaryRows(entries, filter).size(), 5u);
}

TEST(DictionaryScroll, HeldArrowsAccelerateAndStopAtTheEnds) {
    // Down from the top of 100 rows: 1, 2, 4, 8, 8 rows per tick.
    TDictionaryScroll s{0, 1};
    std::vector<int> tops;
    for (int n = 0; n < 5; ++n) {
        s = ScrollTick(s.TopRow, s.Step, 100, 20);
        tops.push_back(s.TopRow);
    }
    EXPECT_EQ(tops, (std::vector<int>{1, 3, 7, 15, 23}));
    EXPECT_EQ(s.Step, 8);
    for (int n = 0; n < 20; ++n) s = ScrollTick(s.TopRow, s.Step, 100, 20);
    EXPECT_EQ(s.TopRow, 80); // the last row at the bottom
    s = ScrollTick(3, -1, 100, 20);
    s = ScrollTick(s.TopRow, s.Step, 100, 20);
    s = ScrollTick(s.TopRow, s.Step, 100, 20);
    EXPECT_EQ(s.TopRow, 0); // Up stops at row 0
    EXPECT_EQ(ScrollTick(0, 1, 12, 20).TopRow, 0); // a short list does not move
}

namespace {

class DictionaryScreen : public ActivityScreensFixture {
protected:
    void SetUp() override {
        ActivityScreensFixture::SetUp();
        if (IsSkipped()) return;
        RegisterScreen(stDictionary, [](TForm_Main& m, QWidget* p) { return new TForm_Dictionary(m, p); });
    }
    TForm_Dictionary* Open() {
        main->PostStateChange(stDictionary, 1);
        EXPECT_TRUE(WaitUntil([&] { return dynamic_cast<TForm_Dictionary*>(main->CurrentScreen()) != nullptr; }));
        auto* s = dynamic_cast<TForm_Dictionary*>(main->CurrentScreen());
        EXPECT_TRUE(WaitUntil([&] { return s && s->Timer_UpDown.Enabled(); }));
        TTimer::SetManualTimers(true);
        return s;
    }
};

} // namespace

TEST_F(DictionaryScreen, FirstWordShownSilentlyThenAChosenWordIsSaid) {
    Start();
    auto* s = Open();
    ASSERT_GE(s->Rows.size(), 2u);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), s->Rows[0].Text);
    EXPECT_FALSE(s->Image->Picture().isNull());
    EXPECT_TRUE(media.sounds.empty());

    s->CoolListBox->SetItemIndex(1);
    s->CoolListBoxClick();
    EXPECT_EQ(s->fcLabel_Caption->Caption(), s->Rows[1].Text);
    EXPECT_EQ(media.sounds, (std::vector<std::string>{"Dict" + std::to_string(s->Rows[1].Index + 1) + ".aif"}));
    const qint64 picture = s->Image->Picture().cacheKey();
    Click(s->fcLabel_Caption);
    Click(s->Image);
    EXPECT_EQ(media.sounds.size(), 3u);
    EXPECT_EQ(s->Image->Picture().cacheKey(), picture); // said again, not reloaded

    // Eight rows: after a tick with no arrow held both arrows are off.
    TTimer::AdvanceTimers(100);
    EXPECT_FALSE(s->EButton_Up->isEnabled());
    EXPECT_FALSE(s->EButton_Down->isEnabled());
    TTimer::SetManualTimers(false);
    Click(s->EButton_Back);
    EXPECT_TRUE(WaitUntil([&] { return AtState(*main, stMainMenu); }));
}

TEST_F(DictionaryScreen, AnEmptyWordListSaysSoAndBackLeaves) {
    Start();
    TempFolder target;
    WriteFile(target.File("DicWords.txt"), "\r\n\r\n");
    main->TargetFolder = target.Path();
    auto* s = Open();
    EXPECT_TRUE(s->Rows.empty());
    EXPECT_EQ(s->fcLabel_Caption->Caption(), TForm_Dictionary::kNoWordsText);
    TTimer::AdvanceTimers(300);
    TTimer::SetManualTimers(false);
    Click(s->EButton_Back);
    EXPECT_TRUE(WaitUntil([&] { return AtState(*main, stMainMenu); }));
}
