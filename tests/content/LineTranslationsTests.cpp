// The help-language translations beside the movie index: what the reader keeps
// and skips, and that the writer's file reads back the same.
#include <gtest/gtest.h>

#include "tests/TestSupport.h"
#include "content/LineTranslations.h"
#include "platform/Paths.h"

using namespace tav;
using namespace tavtest;

TEST(LineTranslations, ReaderKeepsNumberedTextsInWindows1252AndSkipsTheRest) {
    TempFolder dir;
    const std::string file = LineTranslationFile(dir.Path(), 2);
    EXPECT_TRUE(LoadLineTranslations(file).empty()); // no file: no translations, no error
    // Mac 0x8E is e acute (0xE9 in Windows-1252); CR, LF and CR LF line ends mixed.
    WriteFile(NativePath(file), "1|Where is the dog?\r\n2|Caf\x8E time\rjunk line\n0|zero\n|none\n3|\n 4 | spaced \n2|again\n");
    const auto t = LoadLineTranslations(file);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t.at(1), "Where is the dog?");
    EXPECT_EQ(t.at(2), "again");
    EXPECT_EQ(t.at(4), "spaced");
}

TEST(LineTranslations, WrittenFileReadsBackWithSeparatorsFlattened) {
    TempFolder dir;
    const std::string file = LineTranslationFile(dir.Path(), 5);
    ASSERT_TRUE(WriteLineTranslations(file, {{7, "a|b\nc"}, {3, "Caf\x8E"}}));
    const auto t = LoadLineTranslations(file);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t.at(3), "Caf\xC3\xA9");
    EXPECT_EQ(t.at(7), "a b c");
    EXPECT_FALSE(WriteLineTranslations(dir.Path() + "\\missing\\movietr5.txt", {{1, "x"}}));
}
