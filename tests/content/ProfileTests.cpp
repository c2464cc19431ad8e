// Profile (INI) files: the reading and writing rules the learner records rely on.
#include <gtest/gtest.h>

#include <QDir>
#include <sys/stat.h>
#include <unistd.h>

#include "../TestSupport.h"
#include "content/IniFile.h"
#include "content/OurUtils.h"

using namespace tav;
using tavtest::ReadFile;
using tavtest::TempFolder;
using tavtest::WriteFile;

TEST(Profile, ReadsSectionsAndKeysWithoutRegardToCaseAndTrimsBlanks) {
    TempFolder dir;
    WriteFile(dir.File("p.ini"), "[Defaults]\r\n  Language =  5  \r\n[Student Ann]\nScores=1,2,3,4\n");
    EXPECT_EQ(GetProfile("defaults", "LANGUAGE", "x", dir.File("p.ini")), "5");
    EXPECT_EQ(GetProfile("STUDENT ANN", "scores", "", dir.File("p.ini")), "1,2,3,4");
    EXPECT_EQ(GetProfile("Defaults", "Missing", "dflt", dir.File("p.ini")), "dflt");
    EXPECT_EQ(GetProfile("Nowhere", "Language", "dflt", dir.File("p.ini")), "dflt");
}

TEST(Profile, QuotedValueReadsWithoutQuotes) {
    TempFolder dir;
    const auto f = dir.File("p.ini");
    ASSERT_TRUE(WriteProfile("Students", "List", "\"Ann,Bob\"", f));
    EXPECT_EQ(GetProfile("Students", "List", "", f), "Ann,Bob");
    // A lone quote is part of the value.
    ASSERT_TRUE(WriteProfile("Students", "Odd", "\"Ann", f));
    EXPECT_EQ(GetProfile("Students", "Odd", "", f), "\"Ann");
}

TEST(Profile, MissingFileGivesDefaultAndWriteCreatesFileAndSection) {
    TempFolder dir;
    const auto f = dir.File("new.ini");
    EXPECT_EQ(GetProfile("A", "B", "d", f), "d");
    ASSERT_TRUE(WriteProfile("Defaults", "Language", "2", f));
    EXPECT_EQ(GetProfile("Defaults", "Language", "", f), "2");
    ASSERT_TRUE(WriteProfile("defaults", "LANGUAGE", "5", f));
    EXPECT_EQ(GetProfile("Defaults", "Language", "", f), "5");
    // Replaced, not duplicated.
    EXPECT_EQ(ReadFile(f).find("Language=2"), std::string::npos);
}

TEST(Profile, WritingAKeyKeepsOtherSectionsAndAddsToItsOwnSection) {
    TempFolder dir;
    const auto f = dir.File("p.ini");
    WriteFile(f, "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(WriteProfile("A", "z", "3", f));
    TIniFile ini;
    ASSERT_TRUE(ini.LoadFromFile(f));
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
    EXPECT_EQ(ini.ReadString("A", "z", ""), "3");
    EXPECT_EQ(ini.ReadString("B", "y", ""), "2");
    // z went into section A, before B's header.
    const std::string text = ReadFile(f);
    EXPECT_LT(text.find("z=3"), text.find("[B]"));
}

TEST(Profile, EmptyValueRemovesKeyAndEmptyKeyRemovesSection) {
    TempFolder dir;
    const auto f = dir.File("p.ini");
    WriteFile(f, "[Student Ann]\r\nScores=1\r\nPercents=2\r\n[Student Bob]\r\nScores=3\r\n");
    ASSERT_TRUE(WriteProfile("Student Ann", "Scores", "", f));
    EXPECT_EQ(GetProfile("Student Ann", "Scores", "gone", f), "gone");
    EXPECT_EQ(GetProfile("Student Ann", "Percents", "", f), "2");
    ASSERT_TRUE(WriteProfile("student ann", "", "", f));
    EXPECT_EQ(GetProfile("Student Ann", "Percents", "gone", f), "gone");
    EXPECT_EQ(GetProfile("Student Bob", "Scores", "", f), "3");
    EXPECT_EQ(ReadFile(f).find("Ann"), std::string::npos);
}

TEST(Profile, AValueOfAnyLengthIsReadWhole) {
    TempFolder dir;
    const auto f = dir.File("p.ini");
    std::string longValue;
    for (int i = 0; i < 3000; ++i) longValue += "Name" + std::to_string(i) + ",";
    ASSERT_GT(longValue.size(), 4095u * 4);
    ASSERT_TRUE(WriteProfile("Students", "List", longValue, f));
    EXPECT_EQ(GetProfile("Students", "List", "", f), longValue);
    // A value of exactly 4095 characters too (the old buffer's edge).
    std::string edge(4095, 'x');
    ASSERT_TRUE(WriteProfile("S", "K", edge, f));
    EXPECT_EQ(GetProfile("S", "K", "", f), edge);
    EXPECT_EQ(GetProfile("Students", "List", "", f), longValue);
}

TEST(Profile, ErrorsForMissingFileNameOrSection) {
    try {
        GetProfile("Sec", "Key", "", "");
        FAIL();
    } catch (const EProgramError& e) {
        EXPECT_STREQ(e.what(), "No file specified for GetProfile Sec, Key");
    }
    try {
        WriteProfile("Sec", "Key", "v", "");
        FAIL();
    } catch (const EProgramError& e) {
        EXPECT_STREQ(e.what(), "No file specified for WriteProfile Sec, Key");
    }
    try {
        WriteProfile("", "Key", "v", "/tmp/x.ini");
        FAIL();
    } catch (const EProgramError& e) {
        EXPECT_STREQ(e.what(), "No section specified for WriteProfile");
    }
}

TEST(Profile, ReadOnlyProfileFailsWithTheSystemsReasonAndStaysIntact) {
    if (::geteuid() == 0) {
        // root may write anything; use a folder that cannot take the file instead.
        TempFolder dir;
        const auto f = dir.File("blocked/p.ini");
        WriteFile(dir.File("blocked"), "a file where a folder should be");
        try {
            WriteProfileChecked("A", "B", "C", f);
            FAIL() << "write should fail";
        } catch (const EProgramError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Write to " + f + " failed - ", 0), 0u) << e.what();
            EXPECT_GT(std::string(e.what()).size(), ("Write to " + f + " failed - ").size());
        }
        return;
    }
    TempFolder dir;
    const auto f = dir.File("p.ini");
    WriteFile(f, "[A]\r\nB=old\r\n");
    ::chmod(f.c_str(), 0444);
    try {
        WriteProfileChecked("A", "B", "new", f);
        FAIL() << "write should fail";
    } catch (const EProgramError& e) {
        EXPECT_EQ(std::string(e.what()), "Write to " + f + " failed - Permission denied");
    }
    EXPECT_EQ(GetProfile("A", "B", "", f), "old");
}

TEST(Profile, ReadOnlyFileIsRefusedEvenWhenTheFolderIsWritable) {
    TempFolder dir;
    const auto f = dir.File("p.ini");
    WriteFile(f, "[A]\r\nB=old\r\n");
    ::chmod(f.c_str(), 0444);
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores file permissions";
    EXPECT_FALSE(WriteProfile("A", "B", "new", f));
    EXPECT_EQ(ReadFile(f), "[A]\r\nB=old\r\n");
}

TEST(Profile, WritesLeaveNoTemporaryFilesBehind) {
    TempFolder dir;
    const auto f = dir.File("p.ini");
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(WriteProfile("S", "K" + std::to_string(i), "v", f));
    QDir d(QString::fromStdString(dir.Path()));
    EXPECT_EQ(d.entryList(QDir::Files).size(), 1);
}

TEST(Profile, FileNamesMatchWithoutRegardToCaseAndBackslashes) {
    TempFolder dir;
    WriteFile(dir.File("Scores/French.ini"), "[Defaults]\r\nLanguage=5\r\n");
    EXPECT_EQ(GetProfile("Defaults", "Language", "", dir.Path() + "\\scores\\FRENCH.INI"), "5");
    ASSERT_TRUE(WriteProfile("Defaults", "Language", "2", dir.Path() + "\\SCORES\\french.ini"));
    EXPECT_EQ(GetProfile("Defaults", "Language", "", dir.File("Scores/French.ini")), "2");
}
