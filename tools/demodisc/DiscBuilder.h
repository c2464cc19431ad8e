#pragma once
// Builds a whole content disc into a folder: the content root files, the
// target folder, the help-language folders, the shared media and the
// program's PC folder beside them.
#include <string>

namespace demodisc {

struct TDiscOptions {
    std::string Root;             // content root (also the program folder)
    std::string Cache;            // speech and film cache; kept between runs
    bool Fixture = false;         // the small disc for the tests
    bool MultiMenu = false;       // two targets behind a multi menu
    bool CustomStart = false;     // a custom start screen
    bool ProgramMedia = true;     // write the PC folder too
    bool Verbose = false;
};

void BuildDisc(const TDiscOptions& options);

// The letters of the French spelling table, Windows-1252.
std::string FrenchSpellingLetters();

} // namespace demodisc
