// The word search's rules: the word list file, whole-word matching of the
// first occurrence, the scene range around a line and the caption's display
// lines with their highlight.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "tests/TestSupport.h"
#include "content/OurUtils.h"
#include "games/SearchWords.h"
#include "toolkit/Label.h"

using namespace tav;
using namespace tavtest;

TEST(SearchWords, FirstOccurrenceMustStandAsAWholeWord) {
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
    EXPECT_TRUE(LineHoldsWord("\xBF" "qu\xE9?", "qu\xE9"));
    EXPECT_TRUE(LineHoldsWord("\xA1" "hola!", "hola"));
    EXPECT_FALSE(LineHoldsWord("g\xE2teau", "teau"));
    // Case does not matter, also for accented capitals.
    EXPECT_TRUE(LineHoldsWord("\xC9T\xC9 ici", "\xE9t\xE9"));
    EXPECT_FALSE(LineHoldsWord("anything", ""));
    EXPECT_FALSE(LineHoldsWord("", "the"));
}

TEST(SearchWords, SearchWordIsTheEntryUpToItsFirstCommaInLowerCase) {
    EXPECT_EQ(SearchWordOf("G\xE2teau, au chocolat"), "g\xE2teau");
    EXPECT_EQ(SearchWordOf("chien"), "chien");
    EXPECT_EQ(SearchWordOf("Lyon ,ville, grande"), "lyon ");
    EXPECT_EQ(SearchWordOf(",comment"), "");
}

TEST(SearchWords, MatchesKeepIndexOrder) {
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

TEST(SearchWords, WordListSkipsEmptyLinesAndConvertsFromMacRoman) {
    TempFolder dir;
    // 0x8E is "é" in Mac OS Roman; CR LF, lone CR and LF all end lines.
    WriteFile(dir.File("Search.txt"), "caf\x8E\r\n\r\nchat, un animal\rchien\n\n");
    const auto entries = LoadSearchList(dir.File("Search.txt"));
    EXPECT_EQ(entries, (std::vector<std::string>{"caf\xE9", "chat, un animal", "chien"}));
    EXPECT_THROW(LoadSearchList(dir.File("none.txt")), std::exception);
}

TEST(SearchWords, SceneRangeStaysInsideTheFilm) {
    TMovieEntry e;
    e.StartFrame = 100;
    e.EndFrame = 150;
    const TFilmRange normal = SceneRange(e, 25, 5, 1000);
    EXPECT_EQ(normal.From, 75);
    EXPECT_EQ(normal.To, 155);
    e.StartFrame = 10;
    EXPECT_EQ(SceneRange(e, 25, 5, 1000).From, 0) << "a line at the film's start plays from 0";
    e.EndFrame = 998;
    EXPECT_EQ(SceneRange(e, 25, 5, 1000).To, 1000) << "a line at the film's end stops at its length";
    EXPECT_EQ(SceneRange(e, 25, 5, 0).To, 1003) << "an unknown length does not limit the end";
}

TEST(SearchWords, CaptionHighlightsTheFirstOccurrenceOnEachDisplayLine) {
    const QFont font = PixelFont("Arial", 20);
    const QFontMetrics fm(font);
    // Long enough to wrap at 382 pixels; "the" appears only inside "brother" at the end.
    const std::string text = "Walking along a quiet river early in a grey morning, my brother";
    const auto lines = CaptionLines(text, "the", font, 382);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front().HighlightStart, -1);
    const TCaptionLine& last = lines.back();
    const int brother = int(last.Text.indexOf("brother"));
    ASSERT_GE(brother, 0) << "the last display line holds the last word";
    EXPECT_EQ(last.HighlightStart, brother + 3);
    EXPECT_EQ(last.HighlightLength, 3);
    QString joined;
    for (const TCaptionLine& l : lines) {
        EXPECT_LE(fm.horizontalAdvance(l.Text), 382) << l.Text.toStdString();
        joined += (joined.isEmpty() ? "" : " ") + l.Text;
    }
    EXPECT_EQ(joined.toStdString(), text) << "lines break at spaces and lose nothing";

    // Only the first occurrence on a line; positions count Windows-1252 characters.
    const auto one = CaptionLines("L'\xE9t\xE9 et l'\xE9t\xE9", "\xE9t\xE9", font, 382);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].HighlightStart, 2);
    EXPECT_EQ(CaptionLines("Nothing here", "", font, 382)[0].HighlightStart, -1);
}
