#pragma once
// A film in parts made at test time: MPEG-1 parts with MP2 sound whose every
// frame shows its film position (the number FrameNumberOf reads): part k's
// numbers start where the pool's timeline puts the part.
#include <string>
#include <vector>

namespace tavtest {

struct TFilmParts {
    std::string Folder;             // the target folder
    std::vector<std::string> Names; // the MovieNames entries, as the settings write them
    std::vector<int> Starts;        // film position of each part's first frame, then the film length
};

// Parts of the given whole seconds, made once per (folder, seconds) request.
// Needs a running application (the parts' lengths are read with the player).
TFilmParts MakeFilmParts(const std::string& folder, const std::vector<int>& seconds);

} // namespace tavtest
