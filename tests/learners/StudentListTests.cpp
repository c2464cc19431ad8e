// The learner list: comma text with quoting, sorting by total.
#include <gtest/gtest.h>

#include "../TestSupport.h"
#include "content/OurUtils.h"
#include "learners/StudentList.h"

using namespace tav;

TEST(CommaText, NamesWithBlanksCommasAndQuotesRoundTrip) {
    TNames names = {"Ann", "Mary Ann", "O\"Neil", "a,b", "Jos\xE9"};
    const std::string text = JoinCommaText(names);
    EXPECT_EQ(text, "Ann,\"Mary Ann\",\"O\"\"Neil\",\"a,b\",Jos\xE9");
    EXPECT_EQ(SplitCommaText(text), names);
}

TEST(CommaText, UnquotedNamesEndAtABlank) {
    EXPECT_EQ(SplitCommaText("Mary Ann,Bob"), (TNames{"Mary", "Ann", "Bob"}));
    EXPECT_EQ(SplitCommaText("  Ann , Bob  "), (TNames{"Ann", "Bob"}));
    EXPECT_EQ(SplitCommaText(""), TNames{});
    EXPECT_EQ(SplitCommaText("Ann,,Bob"), (TNames{"Ann", "", "Bob"}));
    EXPECT_EQ(SplitCommaText("\"unterminated"), (TNames{"unterminated"}));
}

TEST(CommaText, StoredThroughAProfileWithTheExtraQuotes) {
    tavtest::TempFolder dir;
    const std::string f = dir.File("p.ini");
    TNames names = {"Mary Ann", "Bob"};
    ASSERT_TRUE(WriteProfile("Defaults", "Students", "\"" + JoinCommaText(names) + "\"", f));
    EXPECT_EQ(SplitCommaText(GetProfile("Defaults", "Students", "", f)), names);
    TNames single = {"Mary Ann"};
    ASSERT_TRUE(WriteProfile("Defaults", "Students", "\"" + JoinCommaText(single) + "\"", f));
    EXPECT_EQ(SplitCommaText(GetProfile("Defaults", "Students", "", f)), single);
}

TEST(SortByTotal, HighestFirstAndEqualTotalsKeepTheirOrder) {
    TNames names = {"A", "B", "C", "D"};
    std::vector<int> totals = {10, 30, 10, 30};
    EXPECT_TRUE(SortByTotal(names, totals));
    EXPECT_EQ(names, (TNames{"B", "D", "A", "C"}));
    EXPECT_EQ(totals, (std::vector<int>{30, 30, 10, 10}));
    EXPECT_FALSE(SortByTotal(names, totals)) << "an ordered list is left alone";
    TNames same = {"X", "Y"};
    std::vector<int> equal = {5, 5};
    EXPECT_FALSE(SortByTotal(same, equal));
    EXPECT_EQ(same, (TNames{"X", "Y"}));
}

TEST(SortByTotal, TotalsOfStoredScores) {
    EXPECT_EQ(TotalOfScores("100,90,95,90"), 375);
    EXPECT_EQ(TotalOfScores("80,90"), 170);
    EXPECT_EQ(TotalOfScores("x,10,,5"), 15);
    EXPECT_EQ(TotalOfScores(""), 0);
}
