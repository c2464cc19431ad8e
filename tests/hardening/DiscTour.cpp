#include "DiscTour.h"

#include <QDir>
#include <QTest>

#include <algorithm>
#include <filesystem>

#include "../app/AppFixture.h"
#include "app/ClipPoolLink.h"
#include "app/ContentLocation.h"
#include "app/ScreenRegistry.h"
#include "content/OurUtils.h"
#include "program/Screens.h"
#include "toolkit/MessageBox.h"

using namespace tav;
namespace fs = std::filesystem;

namespace tavtest {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

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

void DiscTour::SetUp() {
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

void DiscTour::TearDown() {
    UnregisterScreens();
    ClipPoolLink() = TClipPoolLink{};
    SetContentAsker(nullptr);
    InstallUnexpectedMessageReporter();
}

std::vector<std::string> DiscTour::AllFiles() const {
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(work.Path()))
        if (e.is_regular_file() && e.path().filename() != "sconfig.txt")
            files.push_back(fs::relative(e.path(), work.Path()).string());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<TVisit> DiscTour::Tour(const std::string& file, const std::vector<int>& states) {
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
        Pump(dwellMs);
        v.Shown = lastState == state;
        v.ShownState = lastState;
        // Back, where the program's screens keep it: bottom left.
        TScreen* shown = main->CurrentScreen();
        // The start menus have no Back (what lies there is another button).
        if (shown && lastState != stStartMenu && lastState != stMultiMenu) {
            QWidget* back = shown->childAt(19, 578);
            // Back deletes the screen and its buttons: name the button first.
            const std::string backKind = back ? back->metaObject()->className() : "nothing";
            if (back) {
                const QPoint at = back->mapFrom(shown, QPoint(19, 578));
                QTest::mouseClick(back, Qt::LeftButton, {}, at);
                v.BackWorked = WaitUntil([&] { return main->CurrentScreen() && main->CurrentScreen() != shown; }, 5000);
            }
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

bool DiscTour::BackExpected(const TVisit& v) {
    // A screen that could not be made leaves the program on its start menu,
    // which has no Back: there is nothing to go back from.
    return v.State != 0 && v.ShownState != stStartMenu && v.ShownState != stMultiMenu;
}

} // namespace tavtest
