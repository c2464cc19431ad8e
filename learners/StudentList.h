#pragma once
// The learner list of a target's profile: names in comma-text form (names
// with blanks, commas or quotes are quoted, inner quotes doubled), kept best
// total score first.
#include <string>
#include <vector>

namespace tav {

using TNames = std::vector<std::string>;

// Splits comma text: a quoted name ends at its closing quote ("" stands for
// one quote), an unquoted name at a comma or a blank.
TNames SplitCommaText(const std::string& text);
// Joins names as comma text, quoting those that need it.
std::string JoinCommaText(const TNames& names);

// Sorts names by their totals, highest first, by repeated passes of adjacent
// exchanges (equal totals keep their order). Returns true when any exchange
// was made. totals[i] belongs to names[i] and moves with it.
bool SortByTotal(TNames& names, std::vector<int>& totals);

// The total of a "Scores" value: four numbers, missing or bad ones count 0.
int TotalOfScores(const std::string& scores);

} // namespace tav
