// The word search's list and its rule: whole-word matching of the first
// occurrence, the search word of an entry, the list file.
#include <gtest/gtest.h>

#include "tests/TestSupport.h"
#include "content/SearchList.h"

using namespace tav;
using namespace tavtest;

TEST(SearchList, FirstOccurrenceMustStandAsAWholeWord) {
    EXPECT_TRUE(LineHoldsWord("The end.", "the"));
    EXPECT_FALSE(LineHoldsWord("Other things", "the"));
    EXPECT_TRUE(LineHoldsWord("It was the,", "the"));
    EXPECT_TRUE(LineHoldsWord("to the", "the"));
    // Only the first occurrence is looked at, even when a later one stands alone.
    EXPECT_FALSE(LineHoldsWord("bathe, the sea", "the"));
    // Digits separate words; the apostrophe does not.
    EXPECT_TRUE(LineHoldsWord("the2", "the"));
    EXPECT_TRUE(LineHoldsWord("3the", "the"));
    EXPECT_FALSE(LineHoldsWord("Don't you", "don"));
    EXPECT_FALSE(LineHoldsWord("l'eau", "eau"));
    // The inverted marks of Windows-1252 separate, other accented letters belong to words.
    EXPECT_TRUE(LineHoldsWord("\xC2\xBF" "qu\xC3\xA9?", "qu\xC3\xA9"));
    EXPECT_TRUE(LineHoldsWord("\xC2\xA1" "hola!", "hola"));
    EXPECT_FALSE(LineHoldsWord("g\xC3\xA2teau", "teau"));
    // Case does not matter, also for accented capitals.
    EXPECT_TRUE(LineHoldsWord("\xC3\x89T\xC3\x89 ici", "\xC3\xA9t\xC3\xA9"));
    EXPECT_FALSE(LineHoldsWord("anything", ""));
    EXPECT_FALSE(LineHoldsWord("", "the"));
}

TEST(SearchList, SearchWordIsTheEntryUpToItsFirstCommaInLowerCase) {
    EXPECT_EQ(SearchWordOf("G\xC3\xA2teau, au chocolat"), "g\xC3\xA2teau");
    EXPECT_EQ(SearchWordOf("chien"), "chien");
    EXPECT_EQ(SearchWordOf("Lyon ,ville, grande"), "lyon ");
    EXPECT_EQ(SearchWordOf(",comment"), "");
}

TEST(SearchList, MatchesKeepIndexOrder) {
    std::vector<TMovieEntry> entries(4);
    entries[0].LineText = "Le chien dort.";
    entries[1].LineText = "Un chat.";
    entries[2].LineText = "Chien !";
    entries[3].LineText = "Les chiens";
    const auto matches = FindMatches(entries, "chien");
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0], &entries[0]);
    EXPECT_EQ(matches[1], &entries[2]);
    EXPECT_TRUE(FindMatches(entries, "oiseau").empty());
}

TEST(SearchList, WordListSkipsEmptyLinesAndConvertsFromMacRoman) {
    TempFolder dir;
    // 0x8E is "é" in Mac OS Roman; CR LF, lone CR and LF all end lines.
    WriteFile(dir.File("Search.txt"), "caf\x8E\r\n\r\nchat, un animal\rchien\n\n");
    const auto entries = LoadSearchList(dir.File("Search.txt"));
    EXPECT_EQ(entries, (std::vector<std::string>{"caf\xC3\xA9", "chat, un animal", "chien"}));
    EXPECT_THROW(LoadSearchList(dir.File("none.txt")), std::exception);
}

