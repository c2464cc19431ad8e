// The quiz's content files: questions with their numbers and pool, the
// opponent's script and name.
#include <gtest/gtest.h>

#include "../TestSupport.h"
#include "content/TargetIndex.h"
#include "games/QuizData.h"
#include "content/UnicodeText.h"

using namespace tav;

TEST(QuizData, RejectedLinesKeepTheNumberingAndThePoolCountsAcceptedOnes) {
    const TQuizFile f = ParseQuizLines({
        "00:00:01:00|00:00:02:00|Q one?|a|b|c|2",
        "00:00:03:00|00:00:04:00|Q two?|a|b|c|1|extra",
        "",
        "00:00:05:00|00:00:06:00|Q four?|x|y|z|3",
        "00:00:05:00|00:00:00:00|no end|x|y|z|3",
        "00:00:07:00|00:00:08:00|Q six?|x|y",
    });
    ASSERT_EQ(f.Questions.size(), 4u);
    EXPECT_EQ(f.Rejected, 2);
    EXPECT_EQ(f.QuestionPool, "00010203");
    // The question of line 4 is drawn through position "02" and keeps Number 4.
    EXPECT_EQ(f.Questions[2].Number, 4);
    EXPECT_EQ(f.Questions[2].StartFrame, TimecodeToFrames("00:00:05:00"));
    EXPECT_EQ(f.Questions[2].Answer(3), "z");
    EXPECT_EQ(f.Questions[2].Correct, 3);
    EXPECT_EQ(f.Questions[1].Correct, 1) << "extra fields are ignored";
    EXPECT_EQ(f.Questions[3].Number, 6);
    EXPECT_EQ(f.Questions[3].Answer3, "") << "missing fields are empty";
    EXPECT_EQ(f.Questions[3].Correct, 0) << "a missing number counts as 0";
}

TEST(QuizData, TextsAreConvertedFromMacRoman) {
    TQuizEntry e;
    SetContentEncoding(TContentEncoding::MacRoman);
    const TStringList lines = DecodeContentLines("00:00:01:00|00:00:02:00|L\x8E" "a ?|\x88|b|c|1");
    ASSERT_TRUE(ParseQuizLine(lines.at(0), 1, e));
    EXPECT_EQ(e.Question, "L\xC3\xA9" "a ?");
    EXPECT_EQ(e.Answer1, "\xC3\xA0");
}

TEST(QuizData, MoreThanAHundredQuestionsKeepsTheFirstHundred) {
    std::vector<std::string> lines;
    for (int i = 0; i < 104; ++i) lines.push_back("00:00:01:00|00:00:02:00|Q " + std::to_string(i) + "|a|b|c|1");
    const TQuizFile f = ParseQuizLines(lines);
    ASSERT_EQ(f.Questions.size(), 100u);
    EXPECT_EQ(f.Dropped, 4);
    EXPECT_EQ(f.QuestionPool.size(), 200u);
    EXPECT_EQ(f.QuestionPool.substr(198), "99");
    EXPECT_EQ(f.Questions.back().Number, 100);
}

TEST(QuizData, OpponentScriptAndName) {
    const auto actions = ParseOpponentScript({"IDLE|00:00:00:00|00:00:02:00", "|00:00:02:00|00:00:03:00",
                                              "wave|00:00:02:00|00:00:00:00", "Wave|00:00:02:00|00:00:03:15"});
    ASSERT_EQ(actions.size(), 2u);
    const TPlayer2Entry* idle = FindAction(actions, "idle");
    ASSERT_NE(idle, nullptr) << "names match without regard to case";
    EXPECT_EQ(idle->Name, "IDLE");
    EXPECT_EQ(idle->EndFrame, 50);
    ASSERT_NE(FindAction(actions, "wave"), nullptr);
    EXPECT_EQ(FindAction(actions, "wave")->StartFrame, 50);
    EXPECT_EQ(FindAction(actions, "think1"), nullptr);

    tavtest::TempFolder dir;
    EXPECT_EQ(ReadOpponentName(dir.File("none.txt")), "Computer");
    tavtest::WriteFile(dir.File("empty.txt"), "");
    EXPECT_EQ(ReadOpponentName(dir.File("empty.txt")), "Computer");
    tavtest::WriteFile(dir.File("opp.txt"), "Zo\x8E\rsecond\r");
    EXPECT_EQ(ReadOpponentName(dir.File("opp.txt")), "Zo\xC3\xA9");
}

TEST(QuizData, TheGameLeavesOutLinesWithoutARightAnswerAndSaysWhere) {
    tavtest::TempFolder dir;
    tavtest::WriteFile(dir.File("quiz.txt"), "00:00:01:00|00:00:02:00|Q1|a|b|c|2\r\n"
                                             "00:00:01:00|00:00:02:00|Q2|a|b|c|0\r\n"
                                             "\r\n"
                                             "00:00:01:00|00:00:02:00|Q4|a|b|c|3\r\n"
                                             "00:00:01:00|00:00:02:00|Q5|a|b|c|-1\r\n");
    // The file's form: every line that parses, whatever its right answer.
    EXPECT_EQ(LoadQuizFile(dir.File("quiz.txt")).Questions.size(), 4u);
    const TQuizFile game = LoadGameQuestions(dir.File("quiz.txt"));
    ASSERT_EQ(game.Questions.size(), 2u);
    EXPECT_EQ(game.Questions[0].Number, 1);
    EXPECT_EQ(game.Questions[1].Number, 4) << "numbers follow the file's lines";
    EXPECT_EQ(game.QuestionPool, "0001");
    ASSERT_EQ(game.Refused.size(), 2u);
    EXPECT_NE(game.Refused[0].find("quiz.txt:2: right answer 0 is not 1, 2 or 3"), std::string::npos) << game.Refused[0];
    EXPECT_NE(game.Refused[1].find("quiz.txt:5: right answer -1 is not 1, 2 or 3"), std::string::npos) << game.Refused[1];
}
