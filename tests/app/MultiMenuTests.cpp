// The multi menu: a button per target, loading a target, switching targets.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTest>

#include "AppFixture.h"
#include "app/MultiMenu.h"
#include "components/ZrButton.h"

using namespace tav;
using namespace tavtest;

namespace {

class MultiMenu : public ::testing::Test {
protected:
    TempFolder program, data;
    std::unique_ptr<TForm_Main> main;

    void SetUp() override {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
        ScreenLog.clear();
        RegisterProbeScreens();
        RegisterScreen(stMultiMenu, [](TForm_Main& m, QWidget* p) { return new TForm_MultiMenu(m, p); });
        TForm_Main::LanguageFromSystem = [] { return 2; };
    }
    void TearDown() override {
        main.reset();
        UnregisterScreens();
    }
    static void Picture(const std::string& file, int w, int h) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(Qt::darkGreen);
        QDir().mkpath(QFileInfo(QString::fromStdString(file)).absolutePath());
        img.save(QString::fromStdString(file), "PNG");
    }
    void Start(const std::string& targets) {
        MakeProgramFolder(program.Path(), {.multiMenu = true, .config = "[Defaults]\r\nRecords=2\r\nFast=1\r\n"});
        WriteFile(program.File("Target.txt"), "MultiMenu|back.jpg\r\nSourceHelpLangs|2,5\r\n" + targets);
        Picture(program.File("multi/back.jpg"), 800, 600);
        Picture(program.File("multi/fr.jpg"), 400, 50);
        Picture(program.File("multi/es.jpg"), 400, 50);
        // A second target: the same film in Spanish.
        MakeFixtureDisc(program.Path(), "Spanish");
        WriteFile(program.File("Target.txt"), "MultiMenu|back.jpg\r\nSourceHelpLangs|2,5\r\n" + targets);
        WriteFile(program.File("Spanish/settings.txt"), "PCCaption|Tavolin - Espa\x96ol\r\nTargetLang|5\r\nMovieNames|es.mpg\r\n");
        main = std::make_unique<TForm_Main>(std::vector<std::string>{}, program.Path());
        main->show();
        ASSERT_TRUE(WaitUntil([&] { return Menu() != nullptr; }));
    }
    TForm_MultiMenu* Menu() { return dynamic_cast<TForm_MultiMenu*>(main->CurrentScreen()); }
    void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5)); }
};

} // namespace

TEST_F(MultiMenu, OneButtonPerEntryAtItsPlace) {
    Start("Target1|fr.jpg|100,200|French|\r\nTarget2|es.jpg|100,300|Spanish|\r\n");
    ASSERT_EQ(Menu()->TargetButtons.size(), 2u);
    EXPECT_EQ(Menu()->TargetButtons[0]->pos(), QPoint(100, 200));
    EXPECT_EQ(Menu()->TargetButtons[1]->pos(), QPoint(100, 300));
    EXPECT_EQ(Menu()->TargetButtons[1]->Tag, 1);
    EXPECT_EQ(Menu()->EButton_Back->pos(), QPoint(0, 555));
}

TEST_F(MultiMenu, NoEntriesShowsOnlyBackAndBackEndsTheProgram) {
    Start("");
    EXPECT_TRUE(Menu()->TargetButtons.empty());
    Click(Menu()->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return !main->isVisible(); }));
}

TEST_F(MultiMenu, ChoosingATargetLoadsItAndASecondReplacesIt) {
    Start("Target1|fr.jpg|100,200|French|\r\nTarget2|es.jpg|100,300|Spanish|\r\n");
    Click(Menu()->TargetButtons[0]);
    ASSERT_TRUE(WaitUntil([&] { return LogHas("create 2"); }));
    EXPECT_EQ(main->TargetFolderName, "French");
    EXPECT_EQ(main->windowTitle(), "Tavolin - Fixture");
    EXPECT_EQ(main->ProfileFile, program.Path() + "\\Scores\\French.ini");
    EXPECT_EQ(main->MovieEntries.size(), 3u);

    main->PostStateChange(stMultiMenu, trWipeLeft);
    ASSERT_TRUE(WaitUntil([&] { return Menu() != nullptr; }));
    main->MovieEntries.clear(); // the new target must bring its own index
    Click(Menu()->TargetButtons[1]);
    ASSERT_TRUE(WaitUntil([&] { return main->TargetFolderName == "Spanish" && !Menu(); }));
    EXPECT_EQ(main->TargetFolder, program.Path() + "\\Spanish");
    EXPECT_EQ(main->TargetLanguage, 5);
    EXPECT_EQ(main->windowTitle(), QString::fromUtf8("Tavolin - Español"));
    EXPECT_EQ(main->MovieNames, (TStringList{"es.mpg"}));
    EXPECT_EQ(main->ProfileFile, program.Path() + "\\Scores\\Spanish.ini");
    EXPECT_EQ(main->MovieEntries.size(), 3u);
}

TEST_F(MultiMenu, ABrokenTargetReportsItsErrorAndTheMenuStays) {
    Start("Target1|fr.jpg|100,200|Missing|\r\n");
    MessageCapture box(TModalResult::Ignore);
    Click(Menu()->TargetButtons[0]);
    ASSERT_EQ(box.Messages.size(), 1u);
    EXPECT_EQ(box.Last().rfind("System error: ", 0), 0u);
    EXPECT_NE(box.Last().find("settings.txt"), std::string::npos);
    Pump(50);
    EXPECT_NE(Menu(), nullptr);
    EXPECT_FALSE(LogHas("create 2"));
}
