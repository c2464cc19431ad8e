// Missing disc files: each file of the fixture disc is taken away in turn,
// the program is started on what is left and the screens that read the file
// are visited. Every visit must end with the screen up or with a message box
// (no crash, no hang), and Back must lead off the screen that is shown.
// Families of numbered files (quiz question sounds, letter tiles, help
// bubbles, score pictures) are represented by their first file unless
// TAVOLIN_MISSING_ALL is set.
#include <algorithm>
#include <filesystem>
#include <set>

#include "DiscTour.h"
#include "platform/Paths.h"
#include "app/ScreenRegistry.h"

using namespace tav;
using namespace tavtest;
namespace fs = std::filesystem;

namespace {

// A family is a folder of numbered variations: only its first file stands for it.
bool StandsForFamily(const std::string& relative, std::set<std::string>& seenFamilies) {
    const std::string folder = fs::path(relative).parent_path().string();
    std::string family = folder;
    // quiz/q1 .. quiz/q20 are one family of folders.
    const std::string base = fs::path(folder).filename().string();
    if (base.size() > 1 && base[0] == 'q' && std::all_of(base.begin() + 1, base.end(), ::isdigit))
        family = fs::path(folder).parent_path().string() + "/q*";
    const std::string name = Lower(fs::path(relative).filename().string());
    const bool numbered = std::any_of(name.begin(), name.end(), ::isdigit);
    if (!numbered) return true;
    return seenFamilies.insert(family).second;
}

using MissingDiscFiles = DiscTour;

} // namespace

TEST_F(MissingDiscFiles, EveryScreenComesUpOrSaysWhatIsMissingAndBackWorks) {
    // The intact disc first: every screen of the tour comes up without a message.
    std::vector<int> everyScreen;
    for (int s = stHelpMenu; s <= kLastState; ++s)
        if (s != stRecording) everyScreen.push_back(s);
    for (const TVisit& v : Tour("(none)", everyScreen)) {
        EXPECT_TRUE(v.Shown) << "state " << v.State << " on the intact disc";
        EXPECT_TRUE(v.Messages.empty()) << "state " << v.State << ": " << (v.Messages.empty() ? "" : v.Messages[0]);
    }

    const bool all = qEnvironmentVariableIsSet("TAVOLIN_MISSING_ALL");
    // TAVOLIN_MISSING_ONLY=<part of a path> takes away only the files that match.
    const std::string only = qEnvironmentVariable("TAVOLIN_MISSING_ONLY").toStdString();
    std::set<std::string> families;
    int files = 0, visits = 0, withMessage = 0, naming = 0;
    for (const std::string& relative : AllFiles()) {
        if (!all && !StandsForFamily(relative, families)) continue;
        if (!only.empty() && relative.find(only) == std::string::npos) continue;
        ++files;
        const fs::path path = fs::path(work.Path()) / relative;
        const fs::path away = fs::path(work.Path()) / "away";
        fs::rename(path, away);
        InvalidatePathCache();
        const std::string name = Lower(path.filename().string());
        for (const TVisit& v : Tour(relative, ScreensFor(relative))) {
            ++visits;
            SCOPED_TRACE(relative + ", state " + std::to_string(v.State));
            EXPECT_TRUE(v.Shown || !v.Messages.empty()) << "neither the screen nor a message";
            if (BackExpected(v)) {
                EXPECT_TRUE(v.BackWorked) << "Back did not leave the screen: " << v.Where
                                          << (v.Messages.empty() ? "" : ", after \"" + v.Messages[0] + "\"");
            }
            for (const std::string& m : v.Messages) EXPECT_FALSE(m.empty());
            if (!v.Messages.empty()) {
                ++withMessage;
                const bool named = Lower(v.Messages[0]).find(name.substr(0, name.rfind('.'))) != std::string::npos;
                naming += named;
                if (!named) std::printf("  %s (state %d): \"%s\"\n", relative.c_str(), v.State, v.Messages[0].c_str());
            }
        }
        fs::rename(away, path);
        InvalidatePathCache();
    }
    std::printf("missing files: %d files taken away, %d screen visits, %d with a message, %d of those name the file\n",
                files, visits, withMessage, naming);
}
