// Missing disc files: each file of the fixture disc is taken away in turn,
// the program is started on what is left and the screens that read the file
// are visited. Every visit must end with the screen up or with a message box
// (no crash, no hang), and Back must lead off the screen that is shown.
// Families of numbered files (quiz question sounds, letter tiles, help
// bubbles, score pictures) are represented by their first file unless
// TAVOLIN_MISSING_ALL is set.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QTest>

#include <algorithm>
#include <filesystem>

#include "../app/AppFixture.h"
#include "app/ClipPoolLink.h"
#include "app/ContentLocation.h"
#include "app/ScreenRegistry.h"
#include "content/OurUtils.h"
#include "platform/Paths.h"
#include "program/Screens.h"
#include "toolkit/MessageBox.h"

using namespace tav;
using namespace tavtest;
namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// The screens that read a file, by where it lies on the disc. Start-up (the
// first screen) is visited for every file.
std::vector<int> ScreensFor(const std::string& relative) {
    const std::string p = Lower(relative);
    auto has = [&](const char* part) { return p.find(part) != std::string::npos; };
    if (has("dictpic") || has("dictsnd") || has("dicwords")) return {stDictionary, stVocabPrac, stVocabTest};
    if (has("search.txt")) return {stWordSearch};
    if (has("quiz")) return {stQuiz};
    if (has("recpic") || has("record.txt")) return {stRecSelect};
    if (has("strip.txt") || has("minis.jpg")) return {stScreenPlay};
    if (has("part") && has(".mpg")) return {stScreenPlay, stNextLinePrac, stRecSelect};
    if (has("words.txt")) return {stMissingPrac, stMissingTest};
    if (has("spell")) return {stSpellingPrac, stSpellingTest};
    if (has("actmenu")) return {stActivitiesMenu};
    if (has("cert") || has("scores")) return {stStudRec};
    if (has("source")) return {stHelpMenu};
    if (has("menus")) return {stMainMenu};
    return {stMainMenu, stActivitiesMenu, stScreenPlay, stNextLinePrac, stSpellingPrac, stMissingPrac, stVocabPrac};
}

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

struct TVisit {
    std::string File;
    int State = 0;
    bool Shown = false;
    std::vector<std::string> Messages;
    bool BackWorked = false;
    int ShownState = 0;
    std::string Where; // the screen Back was clicked on
};

class MissingDiscFiles : public ::testing::Test {
protected:
    TempFolder work, data;
    std::string disc, program;
    std::vector<std::string> messages;
    int lastState = -100;

    void SetUp() override {
        const std::string fixture = FixtureDiscFolder();
        ASSERT_FALSE(fixture.empty()) << "the fixture disc was not generated (build fixture_disc)";
        disc = work.File("disc");
        program = work.File("program");
        CopyFolder(fixture, disc);
        // The program's own media: the PC folder of the disc, beside the program.
        QDir().mkpath(QString::fromStdString(program));
        QDir().rename(QString::fromStdString(disc + "/PC"), QString::fromStdString(program + "/PC"));
        WriteFile(program + "/sconfig.txt", "[Defaults]\r\nRecords=0\r\nFast=1\r\n");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
        SetContentAsker([this] { return disc; });
        TForm_Main::LanguageFromSystem = [] { return 2; };
        RegisterScreens();
        SetMessagePresenter([this](const TMessage& m) {
            messages.push_back(m.Text);
            return m.Buttons == TMsgButtons::AbortIgnore ? TModalResult::Ignore : TModalResult::OK;
        });
    }
    void TearDown() override {
        UnregisterScreens();
        ClipPoolLink() = TClipPoolLink{};
        SetContentAsker(nullptr);
        InstallUnexpectedMessageReporter();
    }

    // Every file of the disc and the program media, as paths relative to the work folder.
    std::vector<std::string> AllFiles() const {
        std::vector<std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(work.Path()))
            if (e.is_regular_file() && e.path().filename() != "sconfig.txt")
                files.push_back(fs::relative(e.path(), work.Path()).string());
        std::sort(files.begin(), files.end());
        return files;
    }

    // Starts the program, visits each screen, clicks Back; one record per visit.
    std::vector<TVisit> Tour(const std::string& file, const std::vector<int>& states) {
        std::vector<TVisit> visits;
        messages.clear();
        auto main = std::make_unique<TForm_Main>(std::vector<std::string>{}, program);
        QObject::connect(main.get(), &TForm_Main::ScreenChanged, [this](int s) { lastState = s; });
        main->show();
        const bool up = WaitUntil([&] { return main->CurrentScreen() != nullptr || !messages.empty(); }, 8000);
        TVisit first;
        first.File = file;
        first.Shown = up && main->CurrentScreen() != nullptr;
        first.Messages = messages;
        first.BackWorked = true;
        visits.push_back(first);
        if (!main->CurrentScreen()) return visits;
        for (int state : states) {
            messages.clear();
            TVisit v;
            v.File = file;
            v.State = state;
            TScreen* before = main->CurrentScreen();
            main->PostStateChange(state, 0);
            WaitUntil([&] { return (main->CurrentScreen() != before && main->CurrentScreen()) || !messages.empty(); }, 8000);
            Pump(200); // the screen's first timers: media opened when it is ready
            v.Shown = lastState == state;
            // Back, where the program's screens keep it: bottom left.
            TScreen* shown = main->CurrentScreen();
            if (shown) {
                QWidget* back = shown->childAt(19, 578);
                // Back deletes the screen and its buttons: name the button first.
                const std::string backKind = back ? back->metaObject()->className() : "nothing";
                if (back) {
                    const QPoint at = back->mapFrom(shown, QPoint(19, 578));
                    QTest::mouseClick(back, Qt::LeftButton, {}, at);
                    v.BackWorked = WaitUntil([&] { return main->CurrentScreen() && main->CurrentScreen() != shown; }, 5000);
                }
                v.ShownState = lastState;
                v.Where = Format("shown state %d, %s at Back", lastState, backKind.c_str());
            }
            v.Messages = messages;
            visits.push_back(v);
            if (!main->CurrentScreen()) break;
        }
        main.reset();
        Pump(20);
        return visits;
    }
};

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
            // A screen that could not be made leaves the program on its start
            // menu, which has no Back: there is nothing to go back from.
            if (v.State != 0 && v.ShownState != stStartMenu && v.ShownState != stMultiMenu) {
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
