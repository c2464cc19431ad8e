#include "games/QuizData.h"

#include <cstdio>

#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/TargetIndex.h"
#include "content/UnicodeText.h"
#include "platform/Paths.h"

namespace tav {

bool ParseQuizLine(const std::string& line, int number, TQuizEntry& entry) {
    std::string rest = line;
    entry = TQuizEntry();
    entry.Number = number;
    const std::string start = NextToken(rest, '|'), end = NextToken(rest, '|');
    entry.StartFrame = start.empty() ? 0 : TimecodeToFrames(start);
    entry.EndFrame = end.empty() ? 0 : TimecodeToFrames(end);
    entry.Question = NextToken(rest, '|');
    entry.Answer1 = NextToken(rest, '|');
    entry.Answer2 = NextToken(rest, '|');
    entry.Answer3 = NextToken(rest, '|');
    entry.Correct = StrToIntDef(NextToken(rest, '|'), 0);
    return entry.StartFrame >= 0 && entry.EndFrame > 0;
}

namespace {

// refuseFrom: the file's name when lines without a right answer are refused.
TQuizFile ParseLines(const std::vector<std::string>& lines, const std::string* refuseFrom) {
    TQuizFile file;
    for (size_t i = 0; i < lines.size(); ++i) {
        TQuizEntry entry;
        if (!ParseQuizLine(lines[i], int(i) + 1, entry)) {
            ++file.Rejected;
            continue;
        }
        if (refuseFrom && (entry.Correct < 1 || entry.Correct > 3)) {
            // Nobody could answer it rightly, and the opponent's right answer
            // would name no position.
            ++file.Rejected;
            file.Refused.push_back(NativePath(*refuseFrom) + ":" + IntToStr(entry.Number) + ": right answer " +
                                   IntToStr(entry.Correct) + " is not 1, 2 or 3");
            continue;
        }
        // Two-digit positions: the 101st accepted question has none.
        if (int(file.Questions.size()) >= kMaxQuizQuestions) {
            ++file.Dropped;
            continue;
        }
        char pos[8];
        std::snprintf(pos, sizeof pos, "%.2d", int(file.Questions.size()));
        file.QuestionPool += pos;
        file.Questions.push_back(std::move(entry));
    }
    return file;
}

} // namespace

TQuizFile ParseQuizLines(const std::vector<std::string>& lines) { return ParseLines(lines, nullptr); }

TQuizFile LoadQuizFile(const std::string& fileName) { return ParseQuizLines(ReadContentLines(fileName)); }

TQuizFile LoadGameQuestions(const std::string& fileName) { return ParseLines(ReadContentLines(fileName), &fileName); }

std::vector<TPlayer2Entry> ParseOpponentScript(const std::vector<std::string>& lines) {
    std::vector<TPlayer2Entry> actions;
    for (const std::string& line : lines) {
        std::string rest = line;
        TPlayer2Entry a;
        a.Name = NextToken(rest, '|');
        const std::string start = NextToken(rest, '|'), end = NextToken(rest, '|');
        a.StartFrame = start.empty() ? 0 : TimecodeToFrames(start);
        a.EndFrame = end.empty() ? 0 : TimecodeToFrames(end);
        if (!a.Name.empty() && a.StartFrame >= 0 && a.EndFrame > 0) actions.push_back(std::move(a));
    }
    return actions;
}

std::vector<TPlayer2Entry> LoadOpponentScriptFile(const std::string& fileName) {
    return ParseOpponentScript(ReadTextLines(fileName));
}

const TPlayer2Entry* FindAction(const std::vector<TPlayer2Entry>& actions, const std::string& name) {
    const std::string wanted = AsciiLower(name);
    for (const TPlayer2Entry& a : actions)
        if (AsciiLower(a.Name) == wanted) return &a;
    return nullptr;
}

std::vector<std::string> RequiredOpponentActions() {
    std::vector<std::string> names{"idle", "wave", "lookup1", "lookup2"};
    for (int i = 1; i <= 3; ++i) names.push_back("think" + IntToStr(i));
    for (int i = 1; i <= 6; ++i) names.push_back("yes" + IntToStr(i));
    for (int i = 1; i <= 8; ++i) names.push_back("no" + IntToStr(i));
    for (const char* kind : {"AnswerShort", "AnswerLong"})
        for (const char* letter : {"A", "B", "C"}) names.push_back(std::string(kind) + letter);
    return names;
}

std::string ReadOpponentName(const std::string& fileName) {
    try {
        const TStringList lines = ReadContentLines(fileName);
        if (!lines.empty()) return lines.front();
    } catch (...) {
        // The name file is optional.
    }
    return "Computer";
}

std::string QuestionSoundFile(const std::string& targetFolder, int number) {
    const std::string n = IntToStr(number);
    return targetFolder + "\\quiz\\q" + n + "\\tvq" + n + ".aif";
}

std::string AnswerSoundFile(const std::string& targetFolder, int number, int answer, const std::string& order) {
    const std::string n = IntToStr(number);
    return targetFolder + "\\quiz\\q" + n + "\\tva" + n + "_" + IntToStr(answer) + order + ".aif";
}

std::vector<std::string> MiscQuizSounds() {
    std::vector<std::string> names{"welcome1", "welcome2"};
    for (int r = 1; r <= 4; ++r) names.push_back("round" + IntToStr(r));
    for (int i = 1; i <= 6; ++i) names.push_back("play1y" + IntToStr(i));
    for (int i = 1; i <= 2; ++i) names.push_back("play2y" + IntToStr(i));
    for (int i = 1; i <= 3; ++i) names.push_back("P1Lead" + IntToStr(i));
    for (int i = 1; i <= 3; ++i) names.push_back("P2Lead" + IntToStr(i));
    for (int i = 1; i <= 2; ++i) names.push_back("Level" + IntToStr(i));
    for (int i = 1; i <= 2; ++i) names.push_back("P1Win" + IntToStr(i));
    for (int i = 1; i <= 2; ++i) names.push_back("P2Win" + IntToStr(i));
    for (const char* n : {"Draw", "TheEnd", "Bye"}) names.push_back(n);
    std::vector<std::string> files;
    for (const std::string& n : names) files.push_back("\\quiz\\miscq\\" + n + ".aif");
    return files;
}

} // namespace tav
