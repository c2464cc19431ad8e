// Field cutting, number conversion, random chunks and version numbers.
#include <gtest/gtest.h>

#include <set>

#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "../TestSupport.h"
#include "Version.h"

using namespace tav;

TEST(NextToken, CutsAtTheFirstSeparator) {
    std::string t = "12|abc";
    EXPECT_EQ(NextToken(t, '|'), "12");
    EXPECT_EQ(t, "abc");
    EXPECT_EQ(NextToken(t, '|'), "abc");
    EXPECT_EQ(t, "");
    EXPECT_EQ(NextToken(t, '|'), "");
    EXPECT_EQ(t, "");
}

TEST(NextToken, EmptyFieldsAndTrailingSeparator) {
    std::string t = "|a||b|";
    EXPECT_EQ(NextToken(t, '|'), "");
    EXPECT_EQ(NextToken(t, '|'), "a");
    EXPECT_EQ(NextToken(t, '|'), "");
    EXPECT_EQ(NextToken(t, '|'), "b");
    EXPECT_EQ(t, "");
}

TEST(NextInt, DefaultWhenTheFieldIsNotANumber) {
    std::string t = "x|5";
    EXPECT_EQ(NextInt(t, '|', 7), 7);
    EXPECT_EQ(t, "5");
    EXPECT_EQ(NextInt(t, '|', 7), 5);
    EXPECT_EQ(NextInt(t, '|', 7), 7); // empty
    std::string neg = "-12,+3, 4,5 ,99999999999";
    EXPECT_EQ(NextInt(neg, ',', 0), -12);
    EXPECT_EQ(NextInt(neg, ',', 0), 3);
    EXPECT_EQ(NextInt(neg, ',', 0), 4);
    EXPECT_EQ(NextInt(neg, ',', -1), -1); // trailing blank is not a number
    EXPECT_EQ(NextInt(neg, ',', -1), -1); // overflow
}

TEST(StrToIntDef, HexAndLimits) {
    EXPECT_EQ(StrToIntDef("$1F", 0), 31);
    EXPECT_EQ(StrToIntDef("2147483647", 0), 2147483647);
    EXPECT_EQ(StrToIntDef("-2147483648", 0), -2147483647 - 1);
    EXPECT_EQ(StrToIntDef("2147483648", 9), 9);
    EXPECT_EQ(StrToIntDef("", 9), 9);
    EXPECT_EQ(StrToIntDef("-", 9), 9);
    EXPECT_EQ(StrToIntDef("1.5", 9), 9);
}

TEST(TakeRandomChunk, DrawsEveryPieceExactlyOnce) {
    SetRandSeed(7);
    std::string pool = "001002003004005006007008009010";
    std::multiset<std::string> drawn;
    while (!pool.empty()) {
        std::string piece = TakeRandomChunk(pool, 3);
        ASSERT_EQ(piece.size(), 3u);
        drawn.insert(piece);
    }
    EXPECT_EQ(drawn.size(), 10u);
    EXPECT_EQ(std::set<std::string>(drawn.begin(), drawn.end()).size(), 10u);
    EXPECT_EQ(TakeRandomChunk(pool, 3), "");
}

TEST(TakeRandomChunk, IsNotAlwaysTheSamePieceAndShortPoolsEnd) {
    std::set<std::string> firsts;
    for (unsigned seed = 1; seed < 40; ++seed) {
        SetRandSeed(seed);
        std::string pool = "abcdef";
        firsts.insert(TakeRandomChunk(pool, 1));
    }
    EXPECT_GT(firsts.size(), 3u);
    std::string shortPool = "ab";
    EXPECT_EQ(TakeRandomChunk(shortPool, 3), "ab");
    EXPECT_TRUE(shortPool.empty());
}

TEST(Random, StaysInRange) {
    SetRandSeed(1);
    for (int i = 0; i < 1000; ++i) {
        int r = Random(5);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 5);
    }
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(-3), 0);
}

TEST(SystemErrorText, DescribesTheLastError) {
    SetLastSystemError(ENOENT);
    EXPECT_EQ(SystemErrorText(), "No such file or directory");
    SetLastSystemError(EACCES);
    EXPECT_EQ(SystemErrorText(), "Permission denied");
}

TEST(KeyFiles, LookupKeyFirstMatchWithoutRegardToCase) {
    TStringList lines = {"Other|x", "targetfoldername|French", "TargetFolderName|Second", "NoBar",
                         "Pipes|a|b|c"};
    EXPECT_EQ(LookupKey(lines, "TargetFolderName", "d"), "French");
    EXPECT_EQ(LookupKey(lines, "Missing", "d"), "d");
    EXPECT_EQ(LookupKey(lines, "nobar", "d"), "");
    EXPECT_EQ(LookupKey(lines, "Pipes", ""), "a|b|c");
}

TEST(KeyFiles, SplitKeyListStopsAtTheFirstEmptyPiece) {
    TStringList lines = {"MovieNames|a.mpg|b.mpg||c.mpg", "SourceHelpLangs|2,5", "Empty|"};
    EXPECT_EQ(SplitKeyList(lines, "MovieNames", '|'), (TStringList{"a.mpg", "b.mpg"}));
    EXPECT_EQ(SplitKeyList(lines, "sourcehelplangs", ','), (TStringList{"2", "5"}));
    EXPECT_TRUE(SplitKeyList(lines, "Empty", '|').empty());
    EXPECT_TRUE(SplitKeyList(lines, "Missing", '|').empty());
}

TEST(KeyFiles, ReadTextLinesAcceptsEveryLineEnding) {
    tavtest::TempFolder dir;
    tavtest::WriteFile(dir.File("t.txt"), "a\r\nb\nc\rd\r\n\r\ne");
    EXPECT_EQ(ReadTextLines(dir.File("t.txt")), (TStringList{"a", "b", "c", "d", "", "e"}));
    try {
        ReadTextLines(dir.File("missing.txt"));
        FAIL();
    } catch (const EProgramError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.txt"), std::string::npos);
    }
}
