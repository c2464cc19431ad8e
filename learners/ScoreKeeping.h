#pragma once
// Results of one learner: four practice percentages and four test scores
// (slot 1 vocabulary, 2 missing word, 3 next line, 4 spelling), stored in the
// profile as "%d,%d,%d,%d", and the award the test total earns.
#include <array>
#include <string>

namespace tav {

using TResults = std::array<int, 5>; // [1..4] used, [0] unused

int AwardLevel(int total);          // 0 none, 1 bronze, 2 silver, 3 gold
std::string AwardName(int total);   // "", "Bronze", "Silver", "Gold"

// "a,b,c,d" into slots 1..4; missing or bad numbers read as 0.
TResults ParseResults(const std::string& text);
std::string FormatResults(const TResults& results);

} // namespace tav
