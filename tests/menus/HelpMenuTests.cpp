// The help-language screen: flags of the offered languages, choosing one,
// the greeting by time of day, the arrows and Back.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "../learners/ScreenFixture.h"
#include "components/ZrButton.h"
#include "content/OurUtils.h"
#include "media/MCIControl.h"
#include "menus/HelpMenu.h"
#include "components/HelpOverlay.h"
#include "toolkit/Image.h"
#include "toolkit/ListBox.h"
#include "toolkit/Panel.h"

using namespace tav;
using namespace tavtest;

TEST(Greeting, ByTimeOfDay) {
    EXPECT_EQ(GreetingSuffix(QTime(0, 0)), "gm");
    EXPECT_EQ(GreetingSuffix(QTime(11, 59)), "gm");
    EXPECT_EQ(GreetingSuffix(QTime(11, 59, 59, 999)), "gm");
    EXPECT_EQ(GreetingSuffix(QTime(12, 0)), "ga");
    EXPECT_EQ(GreetingSuffix(QTime(17, 59, 59)), "ga");
    EXPECT_EQ(GreetingSuffix(QTime(18, 0)), "ge");
    EXPECT_EQ(GreetingSuffix(QTime(23, 59, 59)), "ge");
}

namespace {

class HelpMenu : public ScreenTest {
protected:
    std::vector<std::string> played;
    int closed = 0;

    void TearDown() override {
        TForm_HelpMenu::Now = nullptr;
        ScreenTest::TearDown();
    }
    TForm_HelpMenu* Open() {
        auto* screen = dynamic_cast<TForm_HelpMenu*>(GoTo(stHelpMenu));
        if (screen) {
            screen->PlayGreeting = [this](const std::string& file) { played.push_back(file); };
            screen->CloseGreeting = [this] { ++closed; };
        }
        return screen;
    }
    void ClickRow(TForm_HelpMenu* s, int row) {
        const int y = (row - s->ListBox_Flags->TopIndex()) * 30 + 15;
        QTest::mouseClick(s->ListBox_Flags, Qt::LeftButton, {}, QPoint(40, y));
    }
    std::string Greeting(const std::string& name) {
        return main->ContentRoot + "\\shared\\source\\helpsnds\\" + name;
    }
    static void LangPictures(const std::string& bubb) {
        SolidPicture(bubb + "/langhelp.jpg", 280, 150, Qt::yellow);
        SolidPicture(bubb + "/lnghint1.jpg", 120, 20, Qt::cyan);
    }
};

} // namespace

TEST_F(HelpMenu, EveryControlAtItsPlace) {
    StartProgram();
    TForm_HelpMenu* s = Open();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Image_Background->geometry(), QRect(0, 0, 800, 600));
    EXPECT_EQ(s->ListBox_Flags->geometry(), QRect(277, 73, 213, 240));
    EXPECT_EQ(s->ListBox_Flags->ItemHeight(), 30);
    EXPECT_EQ(s->RowsShown, 8);
    EXPECT_EQ(s->Panel_HideScroll->geometry(), QRect(474, 72, 16, 241));
    EXPECT_EQ(s->EButton_Up->geometry(), QRect(508, 70, 26, 65));
    EXPECT_EQ(s->EButton_Down->geometry(), QRect(509, 255, 26, 66));
    EXPECT_EQ(s->EButton_Back->geometry(), QRect(0, 556, 38, 44));
    EXPECT_EQ(s->Help->Panel_Help->pos(), QPoint(231, 371));
    EXPECT_TRUE(s->Help->Panel_Help->isVisible());
    EXPECT_EQ(s->Help->Image_Lifebelt, nullptr);
    ASSERT_EQ(s->Help->HintImages.size(), 1u);
    EXPECT_EQ(s->Help->HintImages[0]->pos(), QPoint(38, 577));
    EXPECT_EQ(s->Timer_UpDown.Interval(), 100);
    // Two offered languages, help language 2 picked.
    EXPECT_EQ(s->ListBox_Flags->Items(), (std::vector<std::string>{"2", "5"}));
    EXPECT_EQ(s->ListBox_Flags->ItemIndex(), 0);
    EXPECT_EQ(s->CurrentRow, 0);
    EXPECT_FALSE(s->Panel_HideScroll->isVisible());
    EXPECT_FALSE(s->EButton_Up->isEnabled());
    EXPECT_FALSE(s->EButton_Down->isEnabled());
}

TEST_F(HelpMenu, RowsShowTheirBandOfTheFlagStrip) {
    StartProgram();
    QImage strip(213, 60, QImage::Format_RGB32);
    {
        QPainter p(&strip);
        p.fillRect(0, 0, 213, 30, QColor(220, 0, 0));
        p.fillRect(0, 30, 213, 30, QColor(0, 0, 220));
    }
    ASSERT_TRUE(strip.save(QString::fromStdString(program.File("shared/source/TheFlags.jpg")), "JPEG", 100));
    TForm_HelpMenu* s = Open();
    ASSERT_TRUE(s);
    const QImage shot = s->ListBox_Flags->grab().toImage();
    const qreal r = shot.devicePixelRatio();
    const QColor first = shot.pixelColor(int(100 * r), int(15 * r));
    const QColor second = shot.pixelColor(int(100 * r), int(45 * r));
    EXPECT_GT(first.red(), 180);
    EXPECT_LT(first.blue(), 60);
    EXPECT_GT(second.blue(), 180);
    EXPECT_LT(second.red(), 60);
}

TEST_F(HelpMenu, ChoosingALanguageSwitchesHelpAndGreetsByTimeOfDay) {
    StartProgram();
    TForm_HelpMenu::Now = [] { return QTime(11, 59); };
    TForm_HelpMenu* s = Open();
    ASSERT_TRUE(s);
    const int helpWidthBefore = s->Help->Image_Help->Picture().width();
    ClickRow(s, 1);
    EXPECT_EQ(main->HelpLanguage, 5);
    EXPECT_EQ(s->CurrentRow, 1);
    EXPECT_EQ(Profile("Defaults", "Language"), "5");
    EXPECT_NE(s->Help->Image_Help->Picture().width(), helpWidthBefore); // bubb5's picture
    EXPECT_EQ(s->Help->Panel_Help->pos(), QPoint(231, 371));
    ASSERT_EQ(played, (std::vector<std::string>{Greeting("5gm.aif")}));

    TForm_HelpMenu::Now = [] { return QTime(12, 0); };
    ClickRow(s, 0);
    EXPECT_EQ(played.back(), Greeting("2ga.aif"));
    TForm_HelpMenu::Now = [] { return QTime(18, 0); };
    ClickRow(s, 1);
    EXPECT_EQ(played.back(), Greeting("5ge.aif"));
}

TEST_F(HelpMenu, ClickingTheCurrentLanguageGreetsAgainWritesNothing) {
    StartProgram();
    TForm_HelpMenu* s = Open();
    ASSERT_TRUE(s);
    SetProfile("Defaults", "Language", "2");
    const std::string before = ReadFile(main->ProfileFile);
    ClickRow(s, 0);
    EXPECT_EQ(played.size(), 1u);
    EXPECT_EQ(ReadFile(main->ProfileFile), before);
}

TEST_F(HelpMenu, MissingGreetingIsSkipped) {
    StartProgram();
    QFile::remove(QString::fromStdString(program.File("shared/source/helpsnds/5gm.aif")));
    TForm_HelpMenu::Now = [] { return QTime(9, 0); };
    TForm_HelpMenu* s = Open();
    ASSERT_TRUE(s);
    ClickRow(s, 1);
    EXPECT_EQ(main->HelpLanguage, 5);
    EXPECT_TRUE(played.empty());
}

TEST_F(HelpMenu, LanguageWithoutItsFolderCannotBeChosen) {
    StartProgram("2,5,4");
    TForm_HelpMenu* s = Open();
    ASSERT_TRUE(s);
    WriteFile(program.File("shared/source/helpsnds/4gm.aif"), "FORM");
    WriteFile(program.File("shared/source/helpsnds/4ga.aif"), "FORM");
    WriteFile(program.File("shared/source/helpsnds/4ge.aif"), "FORM");
    ClickRow(s, 2);
    EXPECT_EQ(s->ListBox_Flags->ItemIndex(), 0);
    EXPECT_EQ(s->CurrentRow, 0);
    EXPECT_EQ(main->HelpLanguage, 2);
    EXPECT_TRUE(played.empty());
}

TEST_F(HelpMenu, HintsOnlyWhileTheHelpLanguageDiffersFromTheFilms) {
    StartProgram("2,3");
    LangPictures(program.File("shared/source/bubb3"));
    TForm_HelpMenu* s = Open();
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->Help->HintsEnabled);
    ClickRow(s, 1); // French, the film's own language
    EXPECT_EQ(main->HelpLanguage, 3);
    EXPECT_FALSE(s->Help->HintsEnabled);
    EXPECT_TRUE(s->Help->HintImages.empty());
    ClickRow(s, 0);
    EXPECT_TRUE(s->Help->HintsEnabled);
    EXPECT_EQ(s->Help->HintImages.size(), 1u);
}

TEST_F(HelpMenu, NineLanguagesShowTheScrollCoverAndTheArrowsScroll) {
    StartProgram("2,5,4,6,7,8,9,10,11,12");
    TForm_HelpMenu* s = Open();
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->Panel_HideScroll->isVisible());
    s->Timer_UpDownTimer();
    EXPECT_FALSE(s->EButton_Up->isEnabled());
    EXPECT_TRUE(s->EButton_Down->isEnabled());
    QTest::mousePress(s->EButton_Down, Qt::LeftButton, {}, QPoint(5, 5));
    for (int i = 0; i < 4; ++i) s->Timer_UpDownTimer();
    EXPECT_EQ(s->ListBox_Flags->TopIndex(), 2);
    QTest::mouseRelease(s->EButton_Down, Qt::LeftButton, {}, QPoint(5, 5));
    s->Timer_UpDownTimer();
    EXPECT_TRUE(s->EButton_Up->isEnabled());
    EXPECT_FALSE(s->EButton_Down->isEnabled());
}

TEST_F(HelpMenu, BackClosesTheGreetingAndGoesToTheStartMenu) {
    StartProgram();
    TForm_HelpMenu* s = Open();
    ASSERT_TRUE(s);
    ScreenLog.clear();
    QTest::mouseClick(s->EButton_Back, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(WaitUntil([&] { return LogHas("create 2"); }));
}

TEST_F(HelpMenu, MissingFlagStripIsAnError) {
    StartProgram();
    QFile::remove(QString::fromStdString(program.File("shared/source/TheFlags.jpg")));
    EXPECT_THROW(TForm_HelpMenu(*main, nullptr), EProgramError);
}

TEST_F(HelpMenu, GreetingPlaysThroughTheMediaPlayer) {
    StartProgram();
    const std::string disc = FixtureDiscFolder();
    ASSERT_FALSE(disc.empty()) << "the fixture disc was not generated (build fixture_disc)";
    const std::string target = program.File("shared/source/helpsnds/5ga.aif");
    QFile::remove(QString::fromStdString(target));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(disc + "/shared/source/helpsnds/5ga.aif"),
                            QString::fromStdString(target)));
    TForm_HelpMenu::Now = [] { return QTime(15, 0); };
    auto* s = dynamic_cast<TForm_HelpMenu*>(GoTo(stHelpMenu)); // the real player stays in place
    ASSERT_TRUE(s);
    ClickRow(s, 1);
    ASSERT_TRUE(s->GreetingPlayer->IsOpen);
    EXPECT_NE(s->GreetingPlayer->FileName.find("5ga.aif"), std::string::npos);
    EXPECT_GT(s->GreetingPlayer->GetLength(), 0);
    s->EButton_BackClick();
    EXPECT_FALSE(s->GreetingPlayer->IsOpen);
}
