// Corrupt media on the disc: a film part, sounds and pictures of the fixture
// disc are replaced in turn by damaged copies (zero-length, cut short, a
// flipped header, another kind of file under the name, a picture stating a
// huge size) and the screens that use them are visited. Each visit ends with
// the screen up or with a message, never with a crash or a hang, and Back
// leads off the screen that is shown.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "DiscTour.h"
#include "app/ScreenRegistry.h"
#include "platform/Paths.h"

using namespace tav;
using namespace tavtest;
namespace fs = std::filesystem;

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Spill(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The damaged versions of a file: name and bytes. `foreign` is a file of
// another kind put under this one's name.
std::vector<std::pair<std::string, std::string>> Damaged(const std::string& good, const std::string& foreign,
                                                         const std::string& ext) {
    std::vector<std::pair<std::string, std::string>> out;
    out.push_back({"zero-length", ""});
    out.push_back({"cut to 5%", good.substr(0, good.size() / 20)});
    out.push_back({"cut to 60%", good.substr(0, good.size() * 6 / 10)});
    std::mt19937 rng(unsigned(good.size()));
    std::string flipped = good;
    for (int k = 0; k < 24; ++k) flipped[rng() % std::min<size_t>(flipped.size(), 512)] ^= char(1u << (rng() % 8));
    out.push_back({"header bits flipped", flipped});
    out.push_back({"another kind of file", foreign});
    if (ext == "jpg") {
        // The frame header states 65535 x 65535 pictures elements.
        const size_t sof = good.find("\xFF\xC0");
        if (sof != std::string::npos && sof + 9 <= good.size()) {
            std::string huge = good;
            huge[sof + 5] = huge[sof + 6] = huge[sof + 7] = huge[sof + 8] = char(0xFF);
            out.push_back({"huge stated size", huge});
        }
    }
    return out;
}

using CorruptDiscFiles = DiscTour;

} // namespace

TEST_F(CorruptDiscFiles, EveryScreenComesUpOrGivesItsErrorAndBackWorks) {
    const std::vector<std::string> files = AllFiles();
    // One file of each kind the screens play or show, found by where it lies.
    auto first = [&](std::initializer_list<const char*> parts) -> std::string {
        for (const std::string& f : files) {
            const std::string l = Lower(f);
            if (std::all_of(parts.begin(), parts.end(), [&](const char* p) { return l.find(p) != std::string::npos; }))
                return f;
        }
        return "";
    };
    const std::vector<std::string> chosen = {
        first({"disc/", "part1.mpg"}),    first({"dictpic/", ".jpg"}),     first({"dictsnd/", ".aif"}),
        first({"menus/mainmenu.jpg"}),    first({"recpic", ".jpg"}),       first({"practile/", ".jpg"}),
        first({"pc/quiz/oppmoov.mpg"}),   first({"pc/quiz/musak.aif"}),    first({"pc/quiz/cover.bmp"}),
    };
    const std::string aSound = Slurp(work.File(first({"dictsnd/", ".aif"})));
    const std::string aPicture = Slurp(work.File(first({"dictpic/", ".jpg"})));
    int tried = 0, visits = 0, withMessage = 0;
    for (const std::string& relative : chosen) {
        if (relative.empty()) continue;
        const std::string path = work.File(relative);
        const std::string good = Slurp(path);
        const std::string ext = Lower(fs::path(relative).extension().string().substr(1));
        const std::string& foreign = ext == "aif" ? aPicture : aSound;
        for (const auto& [damage, bytes] : Damaged(good, foreign, ext)) {
            ++tried;
            Spill(path, bytes);
            InvalidatePathCache();
            // The quiz starts its music and the opponent's film a moment after it shows.
            dwellMs = ScreensFor(relative) == std::vector<int>{stQuiz} ? 800 : 200;
            for (const TVisit& v : Tour(relative, ScreensFor(relative))) {
                ++visits;
                SCOPED_TRACE(relative + " " + damage + ", state " + std::to_string(v.State));
                EXPECT_TRUE(v.Shown || !v.Messages.empty()) << "neither the screen nor a message";
                if (BackExpected(v))
                    EXPECT_TRUE(v.BackWorked) << "Back did not leave the screen: " << v.Where
                                              << (v.Messages.empty() ? "" : ", after \"" + v.Messages[0] + "\"");
                for (const std::string& m : v.Messages) EXPECT_FALSE(m.empty());
                if (!v.Messages.empty()) {
                    ++withMessage;
                    std::printf("  %s, %s (state %d): \"%s\"\n", relative.c_str(), damage.c_str(), v.State,
                                v.Messages[0].c_str());
                }
            }
        }
        Spill(path, good);
        InvalidatePathCache();
    }
    std::printf("corrupt disc files: %d damaged files, %d screen visits, %d with a message\n", tried, visits,
                withMessage);
    EXPECT_GE(tried, 45) << "a kind of disc file was not found";
}
