// quiz.txt: the film quiz's questions and their pool.
#include "content/OurUtils.h"
#include "games/QuizData.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(quiz) {
    using namespace tav;
    TQuizFile quiz;
    try {
        quiz = LoadQuizFile(tavfuzz::ScratchFile(data, size, "quiz.txt"));
    } catch (const EProgramError&) {
        return;
    }
    if (quiz.Questions.size() > size_t(kMaxQuizQuestions)) __builtin_trap();
    if (quiz.QuestionPool.size() != 2 * quiz.Questions.size()) __builtin_trap();
    for (const TQuizEntry& q : quiz.Questions) {
        for (int k = 1; k <= 3; ++k) AnswerSoundFile("/t", q.Number, k, "a");
        QuestionSoundFile("/t", q.Number);
    }
}
