#pragma once
// The learner list of a target's profile: names in comma-text form (names
// with blanks, commas or quotes are quoted, inner quotes doubled), kept best
// total score first. The comma text and the section names hold each name in
// its profile form (content/NameCharset.h); the program works with UTF-8.
#include <string>
#include <vector>

namespace tav {

using TNames = std::vector<std::string>;

// Splits comma text: a quoted name ends at its closing quote ("" stands for
// one quote), an unquoted name at a comma or a blank.
TNames SplitCommaText(const std::string& text);
// Joins names as comma text, quoting those that need it.
std::string JoinCommaText(const TNames& names);

// The [Defaults] "Students" value as UTF-8 names, and back (without the
// outer quotes the caller adds).
TNames NamesFromProfileList(const std::string& commaText, int charset);
std::string ProfileListOfNames(const TNames& names, int charset);

// The profile section of a learner's results, "Student " and the name. A
// profile file holds the name in its profile form; the classroom manager
// (remote) keeps sections as Unicode text, so there it is the name itself.
std::string StudentSection(const std::string& name, int charset, bool remote);

// Sorts names by their totals, highest first, by repeated passes of adjacent
// exchanges (equal totals keep their order). Returns true when any exchange
// was made. totals[i] belongs to names[i] and moves with it.
bool SortByTotal(TNames& names, std::vector<int>& totals);

// The total of a "Scores" value: four numbers, missing or bad ones count 0.
int TotalOfScores(const std::string& scores);

} // namespace tav
