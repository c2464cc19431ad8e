// The custom start screen: its file, its areas and where a click leads.
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include "AppFixture.h"
#include "app/CustomStart.h"
#include "platform/ShellOpen.h"

using namespace tav;
using namespace tavtest;

TEST(CustomStartFile, LaterLinesWinAndOtherKeywordsAreIgnored) {
    TCustomStartFile f = ParseCustomStart({"start.jpg", "WEB|10,20,110,70|www.example.org/caf\xC3\xA9",
                                           "Start|0,500,x,600", "other|1,1,1,1", "start|200,500,400,600"});
    EXPECT_EQ(f.PictureName, "start.jpg");
    EXPECT_EQ(f.WebAddress, "www.example.org/caf\xC3\xA9");
    EXPECT_EQ(f.WebArea.Left, 10);
    EXPECT_EQ(f.WebArea.Bottom, 70);
    EXPECT_EQ(f.StartArea.Left, 200);
    EXPECT_EQ(f.StartArea.Right, 400);
}

TEST(CustomStartFile, EdgesAndBadNumbers) {
    TCustomStartFile f = ParseCustomStart({"p.jpg", "start|10,20,30,40", "web|a,b,50,60|x"});
    EXPECT_TRUE(f.StartArea.Contains(10, 20));
    EXPECT_TRUE(f.StartArea.Contains(29, 39));
    EXPECT_FALSE(f.StartArea.Contains(30, 25)) << "the right edge is outside";
    EXPECT_FALSE(f.StartArea.Contains(15, 40)) << "the bottom edge is outside";
    EXPECT_TRUE(f.WebArea.Contains(0, 0)) << "a bad number reads as 0";
    TCustomStartFile only = ParseCustomStart({"p.jpg"});
    EXPECT_FALSE(only.StartArea.Contains(0, 0));
    EXPECT_FALSE(only.WebArea.Contains(0, 0));
}

namespace {

class CustomStartScreen : public ::testing::Test {
protected:
    TempFolder program, data;
    std::unique_ptr<TForm_Main> main;
    std::vector<std::string> opened;
    void SetUp() override {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
        SetShellOpener([this](const std::string& a) { opened.push_back(a); return true; });
        ScreenLog.clear();
        RegisterProbeScreens();
        RegisterScreen(stCustomStart, [](TForm_Main& m, QWidget* p) { return new TForm_CustomStart(m, p); });
    }
    void TearDown() override {
        main.reset();
        UnregisterScreens();
        SetShellOpener(nullptr);
    }
    void Start(bool multi, const std::string& file) {
        MakeProgramFolder(program.Path(), {.multiMenu = multi, .config = "[Defaults]\r\nRecords=0\r\nFast=1\r\n"});
        WriteFile(program.File("CustomStart/CustomStart.txt"), file);
        QImage img(640, 480, QImage::Format_RGB32);
        img.fill(Qt::darkBlue);
        img.save(QString::fromStdString(program.File("CustomStart/Start.png")));
        main = std::make_unique<TForm_Main>(std::vector<std::string>{}, program.Path());
        main->show();
        ASSERT_TRUE(WaitUntil([&] { return dynamic_cast<TForm_CustomStart*>(main->CurrentScreen()) != nullptr; }));
    }
};

} // namespace

TEST_F(CustomStartScreen, OverlappingAreasOpenTheAddressOnly) {
    Start(false, "start.png\r\nweb|0,0,200,200|www.example.org\r\nstart|100,100,300,300\r\n");
    QTest::mouseClick(main->CurrentScreen(), Qt::LeftButton, {}, QPoint(150, 150));
    // The address names no scheme: the desktop gets it as a web address.
    EXPECT_EQ(opened, (std::vector<std::string>{"http://www.example.org"}));
    Pump(50);
    EXPECT_FALSE(LogHas("create 2"));
    QTest::mouseClick(main->CurrentScreen(), Qt::LeftButton, {}, QPoint(250, 250));
    ASSERT_TRUE(WaitUntil([&] { return LogHas("create 2"); })) << "start area leads to the start menu";
}

TEST_F(CustomStartScreen, StartGoesToTheMultiMenuWhenTheDiscHasOne) {
    Start(true, "START.PNG\r\nstart|0,0,800,600\r\n");
    QTest::mouseClick(main->CurrentScreen(), Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_TRUE(WaitUntil([&] { return LogHas("create 1"); }));
}

TEST_F(CustomStartScreen, OnlyThePictureLineMeansNothingIsActive) {
    Start(false, "start.png\r\n");
    QTest::mouseClick(main->CurrentScreen(), Qt::LeftButton, {}, QPoint(10, 10));
    Pump(50);
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(LogHas("create 2"));
}
