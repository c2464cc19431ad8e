#pragma once
// The program's own media beside it in the "PC" folder: answer sounds, the
// score spinner, award pictures and star strips, the letter trays, the quiz
// opponent's clip with its action script and the quiz pictures, the read-me.
#include <string>
#include <vector>

namespace demodisc {

void WriteProgramMedia(const std::string& pcDir, const std::string& cacheDir);

// The opponent clip's actions in order with their lengths in film units.
struct TOpponentAction {
    std::string Name;
    int Units;
};
const std::vector<TOpponentAction>& OpponentActions();

} // namespace demodisc
