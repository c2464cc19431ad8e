#pragma once
// The course material around the film, in French: the picture dictionary, the
// pool of wrong words, the word-search list, the quiz and its host's phrases.
#include <string>
#include <vector>

#include "Story.h"

namespace demodisc {

struct TDictWord {
    std::string Word;  // as shown, e.g. "le chien"
    std::string Glyph; // an emoji that pictures it
};

struct TQuizQuestion {
    int FromLine = 0, ToLine = 0; // story line indexes: the film range shown
    std::string Question;
    std::string Answers[3];
    int Correct = 1; // 1 .. 3
};

std::vector<TDictWord> DictionaryWords(bool fixture);
std::vector<std::string> DistractorWords();
// Word-search entries: a word of the film, optionally "," and a comment.
std::vector<std::string> SearchWords(const TStory& story, bool fixture);
// Written questions plus "who says ...?" questions to reach count.
std::vector<TQuizQuestion> QuizQuestions(const TStory& story, bool fixture, int count);
// French number words for the spoken scores, e.g. 85 -> "quatre-vingt-cinq".
std::string FrenchNumber(int n);

} // namespace demodisc
