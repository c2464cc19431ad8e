// The student records screen on a running main window: the stored list and
// its order, signing in, deleting, scrolling and going back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QTest>

#include <fstream>

#include "ScreenFixture.h"
#include "components/ZrButton.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "learners/ShortDate.h"
#include "learners/StudRec.h"
#include "learners/StudentList.h"
#include "platform/Paths.h"
#include "components/HelpOverlay.h"
#include "toolkit/Edit.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"
#include "toolkit/Panel.h"

using namespace tav;
using namespace tavtest;

namespace {

class StudRec : public ScreenTest {
protected:
    int beeps = 0;

    void TearDown() override {
        SetTodaySource(nullptr);
        ScreenTest::TearDown();
    }
    TForm_StudRec* Open() {
        auto* screen = dynamic_cast<TForm_StudRec*>(GoTo(stStudRec));
        if (screen) screen->Beep = [this] { ++beeps; };
        return screen;
    }
    void ClickRow(TForm_StudRec* s, int row) {
        const int y = (row - s->ListBox_Names->TopIndex()) * s->ListBox_Names->ItemHeight() + 9;
        QTest::mouseClick(s->ListBox_Names, Qt::LeftButton, {}, QPoint(20, y));
    }
    std::vector<std::string> StoredNames() { return SplitCommaText(Profile("Defaults", "Students")); }
    bool LeftForMainMenu() { return WaitUntil([&] { return LogHas("create 5"); }, 3000); }
    // Types into the name box as a keyboard of any alphabet does (QTest::keyClicks takes ASCII only).
    void TypeName(TForm_StudRec* s, const char* utf8) {
        for (char32_t c : QString::fromUtf8(utf8).toUcs4()) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&c, 1));
            QApplication::sendEvent(s->CoolEdit_Name, &press);
        }
    }
};

} // namespace

TEST_F(StudRec, EveryControlAtItsPlace) {
    StartProgram();
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->fcImager_Background->geometry(), QRect(0, 0, 800, 600));
    EXPECT_EQ(s->Panel_StudRec->geometry(), QRect(250, 145, 304, 348));
    EXPECT_EQ(s->ListBox_Names->geometry(), QRect(31, 23, 213, 144));
    EXPECT_EQ(s->ListBox_Names->ItemHeight(), 18);
    EXPECT_EQ(s->RowsShown, 8);
    EXPECT_EQ(s->Panel_HideScroll->geometry(), QRect(228, 21, 16, 148));
    EXPECT_EQ(s->EButton_Up->geometry(), QRect(252, 26, 23, 51));
    EXPECT_EQ(s->EButton_Down->geometry(), QRect(252, 119, 23, 51));
    EXPECT_EQ(s->fcLabel_LastUsed->pos(), QPoint(88, 238));
    EXPECT_EQ(s->fcLabel_Score->pos(), QPoint(224, 239));
    EXPECT_EQ(s->fcLabel_Sessions->pos(), QPoint(88, 269));
    EXPECT_EQ(s->Image_Award->pos(), QPoint(222, 268));
    EXPECT_EQ(s->EButton_Start->geometry(), QRect(100, 296, 102, 49));
    EXPECT_EQ(s->CoolEdit_Name->geometry(), QRect(273, 336, 258, 19));
    EXPECT_EQ(s->CoolEdit_Name->MaxLength(), 28); // characters
    EXPECT_EQ(s->CoolEdit_Name->font().family(), QString::fromStdString(main->NameFont));
    EXPECT_EQ(s->EButton_Back->geometry(), QRect(0, 556, 38, 44));
    EXPECT_EQ(s->EButton_Back->Tag, 1);
    EXPECT_EQ(s->Timer_UpDown.Interval(), 100);
    EXPECT_TRUE(s->Timer_UpDown.Enabled());
    // Help language 2 differs from the film's 3: the Back button has its hint.
    ASSERT_EQ(s->Help->HintImages.size(), 1u);
    EXPECT_EQ(s->Help->HintImages[0]->pos(), QPoint(38, 577));
    EXPECT_EQ(s->Help->Panel_Help->geometry().bottomRight() + QPoint(1, 1), QPoint(755, 555));
}

TEST_F(StudRec, FirstLearnerSeesTheSystemUserName) {
    StartProgram();
    main->LogonName = "Pat";
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->ListBox_Names->Count(), 0);
    EXPECT_EQ(s->CoolEdit_Name->Text(), "Pat");
    EXPECT_TRUE(s->EButton_Start->isEnabled());
    EXPECT_EQ(s->Image_Award->width(), 0);
    // The name box has the keyboard and typing replaces the offered name.
    ASSERT_TRUE(WaitUntil([&] { return s->CoolEdit_Name->hasFocus(); }, 2000));
    QTest::keyClicks(s->CoolEdit_Name, "Kim");
    EXPECT_EQ(s->CoolEdit_Name->Text(), "Kim");
    s->CoolEdit_Name->SetText("   ");
    EXPECT_FALSE(s->EButton_Start->isEnabled());
}

TEST_F(StudRec, ProfilesOfEarlierVersionsReadBackWithTheirNamesAndScores) {
    StartProgram();
    // Cyrillic names as earlier versions kept them under character set 204:
    // Windows-1251 bytes, in the list and in the section names.
    main->NameCharset = 204;
    SetProfile("Defaults", "Students", "\"\xC8\xE2\xE0\xED,\xCF\xE5\xF2\xF0\"");
    SetProfile("Student \xC8\xE2\xE0\xED", "Scores", "90,90,90,90");
    SetProfile("Student \xC8\xE2\xE0\xED", "Sessions", "3");
    SetProfile("Student \xCF\xE5\xF2\xF0", "Scores", "10,0,0,0");
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->ListBox_Names->Items(), (std::vector<std::string>{"Иван", "Петр"}));
    EXPECT_EQ(s->ListBox_Names->ShownItem(1), QString::fromUtf8("Петр"));
    EXPECT_EQ(Profile("Defaults", "Students"), "\xC8\xE2\xE0\xED,\xCF\xE5\xF2\xF0"); // in order: not rewritten
    ClickRow(s, 0);
    EXPECT_EQ(s->CoolEdit_Name->Text(), "Иван");
    EXPECT_EQ(s->fcLabel_Score->Caption(), "360");
    EXPECT_EQ(s->fcLabel_Sessions->Caption(), "3");
    ClickRow(s, 1);
    EXPECT_EQ(s->fcLabel_Score->Caption(), "10");

    // A new Cyrillic learner is stored as earlier versions stored one.
    s->CoolEdit_Name->clear();
    TypeName(s, "Жанна");
    EXPECT_EQ(s->CoolEdit_Name->Text(), "Жанна");
    s->SignIn();
    ASSERT_TRUE(LeftForMainMenu());
    EXPECT_EQ(main->StudentName, "Жанна");
    EXPECT_EQ(Profile("Defaults", "Students"), "\xC8\xE2\xE0\xED,\xCF\xE5\xF2\xF0,\xC6\xE0\xED\xED\xE0");
    EXPECT_EQ(Profile("Student \xC6\xE0\xED\xED\xE0", "Sessions"), "1");

    // And a Windows-1252 name under the default character set.
    main->NameCharset = 1;
    SetProfile("Defaults", "Students", "Ren\xE9");
    SetProfile("Student Ren\xE9", "Scores", "100,100,100,100");
    s = Open();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->ListBox_Names->Items(), (std::vector<std::string>{"René"}));
    ClickRow(s, 0);
    EXPECT_EQ(s->fcLabel_Score->Caption(), "400");
}

TEST_F(StudRec, CyrillicNamesUnderWindows1252HaveARecordEachAndWindows1252NamesAreWrittenAsBefore) {
    StartProgram();
    SetTodaySource([] { return QDate(2026, 3, 14); });
    ASSERT_EQ(main->NameCharset, 1);
    const std::string ivan = "\\1048;\\1074;\\1072;\\1085;", petr = "\\1055;\\1077;\\1090;\\1088;";
    for (const char* name : {"Иван", "Петр"}) {
        TForm_StudRec* s = Open();
        ASSERT_TRUE(s);
        s->CoolEdit_Name->clear();
        TypeName(s, name);
        s->SignIn();
        ASSERT_TRUE(LeftForMainMenu());
        EXPECT_EQ(main->StudentName, name);
        ScreenLog.clear();
    }
    EXPECT_EQ(Profile("Defaults", "Students"), ivan + "," + petr);
    EXPECT_EQ(Profile("Student " + ivan, "Sessions"), "1");
    EXPECT_EQ(Profile("Student " + petr, "Sessions"), "1");
    SetProfile("Student " + petr, "Scores", "50,50,50,50");

    // Read again: two learners, each with their own results.
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->ListBox_Names->Items(), (std::vector<std::string>{"Петр", "Иван"}));
    ClickRow(s, 0);
    EXPECT_EQ(s->fcLabel_Score->Caption(), "200");
    ClickRow(s, 1);
    EXPECT_EQ(s->fcLabel_Score->Caption(), "0");
    // The same name in other letters is the same learner: typing it is refused.
    s->CoolEdit_Name->clear();
    TypeName(s, "ИВАН");
    s->SignIn();
    EXPECT_EQ(beeps, 1);

    // A name Windows-1252 holds: the file is what earlier versions wrote.
    const std::string profile = NativePath(main->ProfileFile), before = ReadFile(profile);
    ASSERT_NE(before.find("[Student " + ivan + "]"), std::string::npos);
    const std::string expected = data.File("expected.ini");
    {
        std::ofstream out(expected, std::ios::binary);
        out << before;
    }
    ASSERT_TRUE(WriteProfile("Defaults", "Students", "\"" + petr + "," + ivan + ",\"Zo\xEB M\xFCller\"\"", expected));
    ASSERT_TRUE(WriteProfile("Student Zo\xEB M\xFCller", "LastUsed",
                             FromQString(QLocale::system().toString(QDate(2026, 3, 14), QLocale::ShortFormat)), expected));
    ASSERT_TRUE(WriteProfile("Student Zo\xEB M\xFCller", "Sessions", "1", expected));
    // A typed name cannot pass for the escaped form of another.
    s->CoolEdit_Name->clear();
    TypeName(s, "\\1048;");
    EXPECT_EQ(s->CoolEdit_Name->Text(), "1048;");
    s->CoolEdit_Name->clear();
    TypeName(s, "Zoë Müller");
    s->SignIn();
    ASSERT_TRUE(LeftForMainMenu());
    EXPECT_EQ(main->StudentName, "Zoë Müller");
    EXPECT_EQ(ReadFile(profile), ReadFile(expected));
    // Typed with a combining diaeresis, it is the same learner.
    s = Open();
    ASSERT_TRUE(s);
    s->CoolEdit_Name->clear();
    TypeName(s, "Zoe\u0308 M\u00FCller");
    s->SignIn();
    EXPECT_EQ(beeps, 2);
}

TEST_F(StudRec, ListSortedByTotalEqualTotalsKeepTheirOrder) {
    StartProgram();
    SetProfile("Defaults", "Students", "\"Bob,Ann,Cid\"");
    SetProfile("Student Bob", "Scores", "50,0,0,0");
    SetProfile("Student Ann", "Scores", "100,100,100,100");
    SetProfile("Student Cid", "Scores", "20,30,0,0");
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->ListBox_Names->Items(), (std::vector<std::string>{"Ann", "Bob", "Cid"}));
    EXPECT_EQ(Profile("Defaults", "Students"), "Ann,Bob,Cid");
    EXPECT_TRUE(s->CoolEdit_Name->Text().empty()); // names exist: no user name offered
    EXPECT_FALSE(s->EButton_Start->isEnabled());
}

TEST_F(StudRec, ListInOrderIsNotRewritten) {
    StartProgram();
    // A blank after the comma would disappear if the list were written again.
    SetProfile("Defaults", "Students", "Ann, Bob");
    SetProfile("Student Ann", "Scores", "10,0,0,0");
    SetProfile("Student Bob", "Scores", "10,0,0,0");
    ASSERT_TRUE(Open());
    EXPECT_EQ(Profile("Defaults", "Students"), "Ann, Bob");
}

TEST_F(StudRec, PickingShowsTheLearnerAndTypingClearsIt) {
    StartProgram();
    SetProfile("Defaults", "Students", "\"Gil,Sil,Bea,Non\"");
    SetProfile("Student Gil", "Scores", "100,90,95,90"); // 375 gold
    SetProfile("Student Gil", "LastUsed", "01/02/2026");
    SetProfile("Student Gil", "Sessions", "7");
    SetProfile("Student Sil", "Scores", "100,100,100,50"); // 350 silver
    SetProfile("Student Bea", "Scores", "100,100,100,49"); // 349 bronze
    SetProfile("Student Non", "Scores", "100,100,99,0");   // 299 nothing
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    ClickRow(s, 0);
    EXPECT_EQ(s->CoolEdit_Name->Text(), "Gil");
    EXPECT_EQ(s->fcLabel_LastUsed->Caption(), "01/02/2026");
    EXPECT_EQ(s->fcLabel_Score->Caption(), "375");
    EXPECT_EQ(s->fcLabel_Sessions->Caption(), "7");
    EXPECT_EQ(s->Image_Award->width(), 57);
    ClickRow(s, 1);
    EXPECT_EQ(s->Image_Award->width(), 38);
    EXPECT_TRUE(s->fcLabel_Sessions->Caption().empty());
    ClickRow(s, 2);
    EXPECT_EQ(s->Image_Award->width(), 19);
    ClickRow(s, 3);
    EXPECT_EQ(s->Image_Award->width(), 0);
    EXPECT_EQ(s->fcLabel_Score->Caption(), "299");

    ClickRow(s, 0);
    QTest::keyClick(s->CoolEdit_Name, Qt::Key_X);
    EXPECT_EQ(s->ListBox_Names->ItemIndex(), -1);
    EXPECT_TRUE(s->fcLabel_LastUsed->Caption().empty());
    EXPECT_TRUE(s->fcLabel_Score->Caption().empty());
    EXPECT_EQ(s->Image_Award->width(), 0);
    EXPECT_TRUE(s->EButton_Start->isEnabled());
}

TEST_F(StudRec, TypedExistingNameBeepsAndClearsPickedNameSignsIn) {
    StartProgram();
    SetTodaySource([] { return QDate(2026, 3, 14); });
    SetProfile("Defaults", "Students", "Ann");
    SetProfile("Student Ann", "Sessions", "4");
    SetProfile("Student Ann", "Scores", "10,20,30,40");
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    s->CoolEdit_Name->setFocus();
    QTest::keyClicks(s->CoolEdit_Name, "ann");
    QTest::keyClick(s->CoolEdit_Name, Qt::Key_Return);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(s->CoolEdit_Name->Text(), "");
    EXPECT_EQ(Profile("Student Ann", "Sessions"), "4");
    Pump(50);
    EXPECT_FALSE(LogHas("create 5"));

    ClickRow(s, 0);
    QTest::mouseClick(s->EButton_Start, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_TRUE(LeftForMainMenu());
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(main->StudentName, "Ann");
    EXPECT_EQ(main->Scores, (TResults{0, 10, 20, 30, 40}));
    EXPECT_EQ(Profile("Student Ann", "Sessions"), "5");
    const std::string shortDate =
        FromQString(QLocale::system().toString(QDate(2026, 3, 14), QLocale::ShortFormat));
    EXPECT_EQ(Profile("Student Ann", "LastUsed"), shortDate);
    EXPECT_EQ(Profile("Defaults", "Students"), "Ann"); // nothing new to add
}

TEST_F(StudRec, NewNameWithABlankIsStoredQuotedAndReadsBackAsOneName) {
    StartProgram();
    SetProfile("Defaults", "Students", "Zoe");
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    s->CoolEdit_Name->SetText("  Mary Ann ");
    s->SignIn();
    ASSERT_TRUE(LeftForMainMenu());
    EXPECT_EQ(Profile("Defaults", "Students"), "Zoe,\"Mary Ann\"");
    EXPECT_EQ(Profile("Student Mary Ann", "Sessions"), "1");
    EXPECT_EQ(main->StudentName, "Mary Ann");

    TForm_StudRec* again = Open();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->ListBox_Names->Items(), (std::vector<std::string>{"Zoe", "Mary Ann"}));
}

TEST_F(StudRec, DoubleClickOnANameSignsIn) {
    StartProgram();
    SetProfile("Defaults", "Students", "Ann");
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    ClickRow(s, 0);
    QTest::mouseDClick(s->ListBox_Names, Qt::LeftButton, {}, QPoint(20, 9));
    ASSERT_TRUE(LeftForMainMenu());
    EXPECT_EQ(main->StudentName, "Ann");
    EXPECT_EQ(Profile("Student Ann", "Sessions"), "1");
}

TEST_F(StudRec, DeletingTheOnlyLearnerLeavesAnEmptyList) {
    StartProgram();
    SetProfile("Defaults", "Students", "Ann");
    SetProfile("Student Ann", "Scores", "1,2,3,4");
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    QTest::keyClick(s->ListBox_Names, Qt::Key_Delete); // nothing picked: nothing happens
    EXPECT_EQ(s->ListBox_Names->Count(), 1);
    ClickRow(s, 0);
    QTest::keyClick(s->ListBox_Names, Qt::Key_Delete);
    EXPECT_EQ(s->ListBox_Names->Count(), 0);
    EXPECT_EQ(s->CoolEdit_Name->Text(), "");
    EXPECT_EQ(Profile("Defaults", "Students"), "");
    EXPECT_EQ(Profile("Student Ann", "Scores"), "<none>");
    EXPECT_EQ(ReadFile(main->ProfileFile).find("[Student Ann]"), std::string::npos);
}

TEST_F(StudRec, EightNamesFitTheNinthShowsTheScrollCover) {
    StartProgram();
    SetProfile("Defaults", "Students", "\"A1,A2,A3,A4,A5,A6,A7,A8\"");
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->Panel_HideScroll->isVisible());
    EXPECT_FALSE(s->EButton_Up->isEnabled());
    EXPECT_FALSE(s->EButton_Down->isEnabled());

    s->CoolEdit_Name->SetText("A9");
    s->SignIn();
    EXPECT_TRUE(s->Panel_HideScroll->isVisible());
    EXPECT_EQ(StoredNames().size(), 9u);
    s->Timer_UpDownTimer();
    EXPECT_FALSE(s->EButton_Up->isEnabled());
    EXPECT_TRUE(s->EButton_Down->isEnabled());
}

TEST_F(StudRec, ArrowsScrollWithinTheList) {
    StartProgram();
    SetProfile("Defaults", "Students", "\"A1,A2,A3,A4,A5,A6,A7,A8,A9,A10\"");
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->Panel_HideScroll->isVisible());
    QTest::mousePress(s->EButton_Down, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(s->ScrollDirection, 1);
    for (int i = 0; i < 5; ++i) s->Timer_UpDownTimer();
    EXPECT_EQ(s->ListBox_Names->TopIndex(), 2); // 2 + 8 rows = 10 names: no further
    QTest::mouseRelease(s->EButton_Down, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(s->ScrollDirection, 0);
    s->Timer_UpDownTimer();
    EXPECT_TRUE(s->EButton_Up->isEnabled());
    EXPECT_FALSE(s->EButton_Down->isEnabled());
    QTest::mousePress(s->EButton_Up, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(s->ScrollDirection, -1);
    for (int i = 0; i < 5; ++i) s->Timer_UpDownTimer();
    EXPECT_EQ(s->ListBox_Names->TopIndex(), 0);
}

TEST_F(StudRec, BackGoesToTheStartMenu) {
    StartProgram();
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    ScreenLog.clear();
    QTest::mouseClick(s->EButton_Back, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(WaitUntil([&] { return LogHas("create 2"); }));
}

TEST_F(StudRec, WithoutStorageTheListStaysEmptyAndNothingIsWritten) {
    StartProgram("2,5", 0);
    ASSERT_TRUE(main->ProfileFile.empty());
    main->LogonName = "Pat";
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    s->SignIn();
    ASSERT_TRUE(LeftForMainMenu());
    EXPECT_EQ(main->StudentName, "Pat");
    TForm_StudRec* again = Open();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->ListBox_Names->Count(), 0);
}

TEST_F(StudRec, NamesNeverHoldAClosingBracket) {
    // "Ann]x" would be stored in a section that reads back as Ann's.
    StartProgram();
    SetProfile("Defaults", "Students", "Ann");
    SetProfile("Student Ann", "Scores", "90,90,90,90");
    TForm_StudRec* s = Open();
    ASSERT_TRUE(s);
    s->CoolEdit_Name->setFocus();
    QTest::keyClicks(s->CoolEdit_Name, "Ann]x");
    EXPECT_EQ(s->CoolEdit_Name->Text(), "Annx");
    s->SignIn();
    ASSERT_TRUE(LeftForMainMenu());
    EXPECT_EQ(main->StudentName, "Annx");
    EXPECT_EQ(main->TotalScore(), 0);
    EXPECT_EQ(Profile("Student Ann", "Scores"), "90,90,90,90");
}
