// The text side of the missing-word activity: which words may be hidden,
// the gap, the word list file and the drawing of the wrong choices.
#include <gtest/gtest.h>

#include <set>

#include "../TestSupport.h"
#include "activities/MissingWords.h"
#include "content/TargetIndex.h"
#include "content/UnicodeText.h"

using namespace tav;
using namespace tavtest;

namespace {

std::vector<std::string> Words(const std::vector<TGapCandidate>& c) {
    std::vector<std::string> out;
    for (const auto& x : c) out.push_back(x.Word);
    return out;
}

// A chooser that always takes choice `pick` (and checks the range it got).
std::function<int(int)> Always(int pick, int* seenRange = nullptr) {
    return [=](int n) {
        if (seenRange) *seenRange = n;
        return pick;
    };
}

} // namespace

TEST(MakeGap, LittleDogHidesLittleOrWhere) {
    const auto c = GapCandidates("Where is my little dog?");
    ASSERT_EQ(Words(c), (std::vector<std::string>{"Where", "little"}));
    EXPECT_EQ(c[1].SeparatorPos, 19);
    std::string line = "Where is my little dog?";
    int range = 0;
    EXPECT_EQ(MakeGap(line, Always(1, &range)), "little");
    EXPECT_EQ(range, 2);
    EXPECT_EQ(line, "Where is my \xC3\x97\xC3\x97\xC3\x97\xC3\x97\xC3\x97\xC3\x97 dog?");
    line = "Where is my little dog?";
    EXPECT_EQ(MakeGap(line, Always(0)), "where"); // lower case
    EXPECT_EQ(line, "\xC3\x97\xC3\x97\xC3\x97\xC3\x97\xC3\x97\xC3\x97 is my little dog?");
}

TEST(MakeGap, ALastWordWithoutSeparatorIsNeverHidden) {
    EXPECT_EQ(Words(GapCandidates("I know him well")), (std::vector<std::string>{"know"}));
    EXPECT_TRUE(GapCandidates("Hello").empty());
    std::string line = "Yes";
    EXPECT_EQ(MakeGap(line, Always(0)), "");
    EXPECT_EQ(line, "Yes");
}

TEST(MakeGap, ApostrophesJoinAndDigitsSplitWords) {
    EXPECT_EQ(Words(GapCandidates("I don't know.")), (std::vector<std::string>{"don't", "know"}));
    EXPECT_TRUE(GapCandidates("abc1defg").empty());
    EXPECT_EQ(Words(GapCandidates("abc1defg!")), (std::vector<std::string>{"defg"}));
    // Letters beyond ASCII belong to words; each occurrence counts.
    // (as separators they would leave "t" and "s", no word at all)
    EXPECT_EQ(Words(GapCandidates("\xC3\xA9t\xC3\xA9s \xC3\xA9t\xC3\xA9s, \xC3\xA9t\xC3\xA9s.")),
              (std::vector<std::string>{"\xC3\xA9t\xC3\xA9s", "\xC3\xA9t\xC3\xA9s", "\xC3\xA9t\xC3\xA9s"}));
    EXPECT_EQ(Words(GapCandidates("Allez allez allez !")).size(), 3u);
    std::string line = "Qu'est-ce que c'est ?";
    EXPECT_EQ(MakeGap(line, Always(0)), "qu'est");
    EXPECT_EQ(line, "\xC3\x97\xC3\x97\xC3\x97\xC3\x97\xC3\x97\xC3\x97-ce que c'est ?");
}

TEST(MakeGap, TheGapIsAlwaysSixMarks) {
    std::string line = "Extraordinairement, oui.";
    MakeGap(line, Always(0));
    EXPECT_EQ(line, kGapMark + ", oui.");
    EXPECT_EQ(GraphemeCount(kGapMark), 6);
}

TEST(WordList, FieldsAreTrimmedAndStopAtTheFirstEmptyOne) {
    TempFolder dir;
    // "Fen\x90tre" is Mac text for "Fenêtre" (0x90 = ê).
    WriteFile(dir.File("words.txt"),
              " maison |Jardin\t|Fen\x90tre\r\nchat||chien\rzebre| \n\n|lapin\nmaison\n");
    TTargetIndex none;
    const auto words = LoadWordList(dir.File("words.txt"), none);
    EXPECT_EQ(words, (std::vector<std::string>{"maison", "Jardin", "Fen\xC3\xAAtre", "chat", "zebre", "maison"}));
}

TEST(WordList, FilteredFieldsAreSkippedAndAMissingFileFails) {
    TempFolder dir;
    WriteFile(dir.File("words.txt"), "bonjour|zut|merci\n");
    WriteFile(dir.File("filter1.txt"), "zut\n");
    TTargetIndex index;
    index.LoadFilter(dir.File("filter1.txt"));
    index.Filter1 = true;
    EXPECT_EQ(LoadWordList(dir.File("words.txt"), index), (std::vector<std::string>{"bonjour", "merci"}));
    EXPECT_ANY_THROW(LoadWordList(dir.File("nothing.txt"), index));
}

TEST(WrongChoices, NineDistinctEntriesNeverTheHiddenWord) {
    const std::vector<std::string> list = {"Chat", "chien", "CHAT", "lapin", "souris", "cheval", "oiseau",
                                           "poisson", "vache", "mouton", "cochon", "chien"};
    for (int round = 0; round < 200; ++round) {
        const auto wrong = DrawWrongChoices(list, "chat", 9, [](int n) { return std::rand() % n; });
        ASSERT_EQ(wrong.size(), 9u);
        for (const auto& w : wrong) {
            EXPECT_NE(w, "chat");
            for (char c : w) EXPECT_FALSE(c >= 'A' && c <= 'Z') << w;
        }
        // Only "chien" appears twice in the list, so only it may repeat.
        std::multiset<std::string> seen(wrong.begin(), wrong.end());
        for (const auto& w : seen) EXPECT_LE(seen.count(w), w == "chien" ? 2u : 1u) << w;
    }
}

TEST(WrongChoices, TooFewWordsGiveNothingInsteadOfDrawingForever) {
    const std::vector<std::string> list = {"chat", "CHAT", "chien", "lapin", "souris", "cheval", "oiseau",
                                           "poisson", "vache"};
    EXPECT_TRUE(DrawWrongChoices(list, "chat", 9, [](int) { return 0; }).empty());
    EXPECT_TRUE(DrawWrongChoices({}, "chat", 9, [](int) { return 0; }).empty());
    EXPECT_EQ(DrawWrongChoices(list, "mouton", 9, [](int) { return 0; }).size(), 9u);
}
