// Program paths: backslashes and file names matched without regard to case.
#include <gtest/gtest.h>

#include <QDir>

#include "../TestSupport.h"
#include "platform/Paths.h"

using namespace tav;

TEST(Paths, BackslashPathsResolveWithoutRegardToCase) {
    tavtest::TempFolder dir;
    tavtest::WriteFile(dir.File("Shared/Source/Bubb2/Hello.JPG"), "x");
    const std::string root = dir.Path();
    EXPECT_EQ(NativePath(root + "\\shared\\source\\bubb2\\hello.jpg"), root + "/Shared/Source/Bubb2/Hello.JPG");
    EXPECT_TRUE(FileExists(root + "\\SHARED\\source\\BUBB2\\hello.jpg"));
    EXPECT_TRUE(DirectoryExists(root + "\\shared\\source\\bubb2"));
    EXPECT_FALSE(FileExists(root + "\\shared\\source\\bubb2"));
    EXPECT_FALSE(DirectoryExists(root + "\\shared\\source\\bubb2\\hello.jpg"));
}

TEST(Paths, MissingTailKeepsItsSpellingAfterTheRealPrefix) {
    tavtest::TempFolder dir;
    QDir().mkpath(QString::fromStdString(dir.File("Data")));
    EXPECT_EQ(NativePath(dir.Path() + "\\data\\New\\File.ini"), dir.Path() + "/Data/New/File.ini");
    EXPECT_FALSE(FileExists(dir.Path() + "\\data\\New\\File.ini"));
}

TEST(Paths, ForceDirectoriesCreatesTheChainAndSeesNewFiles) {
    tavtest::TempFolder dir;
    ASSERT_TRUE(ForceDirectories(dir.Path() + "\\a\\b\\c"));
    EXPECT_TRUE(DirectoryExists(dir.Path() + "\\A\\B\\C"));
    // A file added after a listing was cached is still found.
    EXPECT_FALSE(FileExists(dir.Path() + "\\a\\NEW.txt"));
    tavtest::WriteFile(dir.File("a/new.txt"), "x");
    EXPECT_TRUE(FileExists(dir.Path() + "\\a\\NEW.txt"));
    // A file in the way of a folder fails.
    tavtest::WriteFile(dir.File("f"), "x");
    EXPECT_FALSE(ForceDirectories(dir.Path() + "\\f\\g"));
}

TEST(Paths, JoinAndExtract) {
    EXPECT_EQ(JoinPath("C:\\disc", "\\Target.txt"), "C:\\disc\\Target.txt");
    EXPECT_EQ(ExtractFileDir("/a/b\\c.txt"), "/a/b");
    EXPECT_EQ(ExtractFileDir("c.txt"), "");
}
