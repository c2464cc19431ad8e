#pragma once
// The drawing side of the vocabulary activity, without a screen: the shuffle
// bags of 4-digit entry indexes and the six pictures of a question.
#include <array>
#include <string>

namespace tav {

constexpr int kVocabChoices = 6;

// "0000", "0001", ... one 4-digit index per entry.
std::string AllEntryNumbers(int count);

// One question: the entry asked and the entry in each of the six places.
struct TVocabQuestion {
    int Word = 0;
    std::array<int, kVocabChoices + 1> Entries{}; // [1..6]
};

// Draws the next word from bag (refilled from allNumbers when it runs out: a
// new round) and five different other entries for the wrong places; the
// word goes to correctSlot (1..6). allNumbers must hold at least six
// entries.
TVocabQuestion DrawVocabQuestion(std::string& bag, const std::string& allNumbers, int correctSlot);

} // namespace tav
