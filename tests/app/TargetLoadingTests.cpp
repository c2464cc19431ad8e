// The indexes wired into the main window's start-up: a fixture disc loads its
// indexes with the configured filter, and a missing or broken index file stops
// start-up with "Error reading system files: " and the file's name.
#include <gtest/gtest.h>

#include "app/Main.h"
#include "tests/TestSupport.h"

#include <QFile>

using namespace tav;

namespace {
class TargetLoadingTest : public ::testing::Test {
protected:
    tavtest::TempFolder dir;
    std::string root = dir.Path();
    void SetUp() override {
        tavtest::MakeFixtureDisc(root, "French");
        // Nothing is written to the tester's own data folder; the filter is on.
        tavtest::WriteFile(root + "/sconfig.txt", "[Defaults]\r\nRecords=0\r\nFilter1=1\r\n");
        tavtest::WriteFile(root + "/French/filter1.txt", "salut\r\n");
    }
    // Runs start-up; returns the message box text ("" when none).
    std::string StartUp(bool& ok) {
        tavtest::MessageCapture capture;
        TForm_Main main({}, root);
        ok = main.StartUp();
        if (ok) {
            movieEntries = main.MovieEntries.size();
            activityLines = main.ActivityLineCount;
            actors = main.RecordEntries.size();
        }
        return capture.Last();
    }
    size_t movieEntries = 0, actors = 0;
    int activityLines = 0;
};
} // namespace

TEST_F(TargetLoadingTest, StartUpLoadsTheIndexesAfterTheFilter) {
    bool ok = false;
    EXPECT_EQ(StartUp(ok), "");
    ASSERT_TRUE(ok);
    EXPECT_EQ(movieEntries, 3u);
    EXPECT_EQ(activityLines, 2); // "Salut, Marie." is filtered out of the activities
    EXPECT_EQ(actors, 1u);
}

TEST_F(TargetLoadingTest, MissingOrBrokenIndexFilesStopStartUpNamingTheFile) {
    for (const char* file : {"movieinf.txt", "record.txt", "settings.txt"}) {
        tavtest::MakeFixtureDisc(root, "French");
        ASSERT_TRUE(QFile::remove(QString::fromStdString(root + "/French/" + file)));
        bool ok = true;
        const std::string message = StartUp(ok);
        EXPECT_FALSE(ok) << file;
        EXPECT_EQ(message.rfind("Error reading system files: ", 0), 0u) << message;
        EXPECT_NE(message.find(file), std::string::npos) << message;
    }
    tavtest::MakeFixtureDisc(root, "French");
    tavtest::WriteFile(root + "/French/record.txt", "Marie\r\n2|3|3\r\nPaul\r\n");
    bool ok = true;
    const std::string message = StartUp(ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(message.rfind("Error reading system files: ", 0), 0u) << message;
    EXPECT_NE(message.find("record.txt"), std::string::npos) << message;
}
