#pragma once
// The film quiz's content files as plain records: the questions of
// "\quiz\quiz.txt" with the pool of two-digit positions they are drawn from,
// the opponent's action script "\pc\quiz\oppmoov.txt" and its name in
// "\quiz\miscq\oppname.txt". The screen and the disc checker both read them
// through these functions.
#include <string>
#include <vector>

namespace tav {

struct TQuizEntry {
    int Number = 0; // 1-based line of the quiz file; names the sound folder "\quiz\q<Number>"
    int StartFrame = 0, EndFrame = 0;
    std::string Question, Answer1, Answer2, Answer3;
    int Correct = 0; // 1..3
    const std::string& Answer(int k) const { return k == 1 ? Answer1 : k == 2 ? Answer2 : Answer3; }
};

struct TPlayer2Entry {
    std::string Name;
    int StartFrame = 0, EndFrame = 0;
};

struct TQuizFile {
    std::vector<TQuizEntry> Questions; // accepted lines in file order
    std::string QuestionPool;          // "00", "01", ... one per accepted question
    int Rejected = 0;                  // lines not accepted (empty, bad timecodes, or refused)
    int Dropped = 0;                   // accepted lines beyond the first 100, left out
    // Lines the game leaves out although their form is right, each as
    // "FILE:LINE: reason" (LoadGameQuestions only).
    std::vector<std::string> Refused;
};

// The pool's two-digit positions hold at most this many questions.
constexpr int kMaxQuizQuestions = 100;

// One line of the quiz file; false when it is not accepted.
bool ParseQuizLine(const std::string& line, int number, TQuizEntry& entry);
// Every line of the file (the loader's error passes on when it cannot be read).
TQuizFile LoadQuizFile(const std::string& fileName);
TQuizFile ParseQuizLines(const std::vector<std::string>& lines);
// The questions a game can ask: as LoadQuizFile, but a line whose right
// answer is not 1, 2 or 3 is refused (named in Refused) and takes no pool
// position; the other lines keep their numbers.
TQuizFile LoadGameQuestions(const std::string& fileName);

std::vector<TPlayer2Entry> ParseOpponentScript(const std::vector<std::string>& lines);
std::vector<TPlayer2Entry> LoadOpponentScriptFile(const std::string& fileName);
// The first entry of that name, ignoring case; nullptr when there is none.
const TPlayer2Entry* FindAction(const std::vector<TPlayer2Entry>& actions, const std::string& name);
// Every action name the game asks for.
std::vector<std::string> RequiredOpponentActions();

// The first line of oppname.txt, or "Computer" when it cannot be read or is empty.
std::string ReadOpponentName(const std::string& fileName);

// The sound files of a question: its spoken question and answer k (1..3)
// read for order "a" or "b".
std::string QuestionSoundFile(const std::string& targetFolder, int number);
std::string AnswerSoundFile(const std::string& targetFolder, int number, int answer, const std::string& order);

// The miscellaneous quiz sounds in the target folder ("\quiz\miscq\welcome1.aif" ...).
std::vector<std::string> MiscQuizSounds();

} // namespace tav
