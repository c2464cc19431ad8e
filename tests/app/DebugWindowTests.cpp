// The debug log window: shown only with Debug set, on the first line; reopens
// after the tester closed it; Clear and Save.
#include <gtest/gtest.h>

#include "app/Debug.h"
#include "content/DebugLog.h"
#include "tests/TestSupport.h"

#include <QGuiApplication>
#include <QScreen>

using namespace tav;

namespace {
class DebugWindowTest : public ::testing::Test {
protected:
    void SetUp() override { DebugEnabled = false; }
    void TearDown() override {
        DebugEnabled = false;
        TForm_Debug::SaveDialog1 = saved_;
    }
    std::function<std::string(QWidget*)> saved_ = TForm_Debug::SaveDialog1;
};
} // namespace

TEST_F(DebugWindowTest, CreatedHiddenAsAnAlwaysOnTopToolWindowAtTheRightEdge) {
    TForm_Debug window;
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tavolin Debug"));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window.windowType(), Qt::Tool);
    EXPECT_EQ(window.size(), QSize(220, 260));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window.x() + window.width(), screen.right() + 1);
    EXPECT_LE(window.y() + window.height(), screen.bottom() + 1);
    EXPECT_EQ(window.Button_Clear->text(), QStringLiteral("Clear"));
    EXPECT_EQ(window.Button_Save->text(), QStringLiteral("Save"));
    EXPECT_EQ(window.Button_Save->geometry(), QRect(90, 8, 75, 25));
    EXPECT_EQ(window.Panel1->height(), 41);
}

TEST_F(DebugWindowTest, WithDebugOffNothingShowsOrIsKept) {
    TForm_Debug window;
    DebugLog("answer: chat");
    DebugLogFmt("score %d", 5);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.Lines().empty());
}

TEST_F(DebugWindowTest, FirstLineShowsTheWindowAndAClosedWindowReopens) {
    TForm_Debug window;
    DebugEnabled = true;
    DebugLog("first");
    EXPECT_TRUE(window.isVisible());
    DebugLogFmt("question %d: %s", 3, "chat");
    EXPECT_EQ(window.Lines(), (std::vector<std::string>{"first", "question 3: chat"}));
    EXPECT_EQ(window.ListBox1->currentRow(), 1); // the newest line is selected
    window.close();
    EXPECT_FALSE(window.isVisible());
    DebugLog("after closing");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.Lines().size(), 3u);
}

TEST_F(DebugWindowTest, ClearEmptiesAndSaveWritesOneLinePerLine) {
    tavtest::TempFolder dir;
    TForm_Debug window;
    DebugEnabled = true;
    DebugLog("caf\xC3\xA9");
    DebugLog("two");
    const std::string file = dir.File("log.txt");
    TForm_Debug::SaveDialog1 = [&](QWidget*) { return file; };
    window.Button_Save->click();
    EXPECT_EQ(tavtest::ReadFile(file), "caf\xC3\xA9\ntwo\n");
    window.Button_Clear->click();
    EXPECT_TRUE(window.Lines().empty());
    // Cancelling the dialog writes nothing.
    TForm_Debug::SaveDialog1 = [](QWidget*) { return std::string(); };
    window.Button_Save->click();
    EXPECT_EQ(tavtest::ReadFile(file), "caf\xC3\xA9\ntwo\n");
}
