#include "AppFixture.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>

#include "app/ContentLocation.h"
#include "app/ScreenRegistry.h"
#include "content/OurUtils.h"

using namespace tav;

namespace tavtest {

std::vector<std::string> ScreenLog;

ProbeScreen::ProbeScreen(int state, QWidget* parent) : TScreen(parent), State(state) {
    ScreenLog.push_back("create " + std::to_string(state));
}
ProbeScreen::~ProbeScreen() { ScreenLog.push_back("destroy " + std::to_string(State)); }
void ProbeScreen::ScreenReady() { ScreenLog.push_back("ready " + std::to_string(State)); }
void ProbeScreen::KeyPressed(const std::string& key) { ScreenLog.push_back("key " + std::to_string(State) + " " + key); }
void ProbeScreen::mousePressEvent(QMouseEvent* e) {
    ++Clicks;
    ScreenLog.push_back("click " + std::to_string(State));
    e->accept();
}

void RegisterProbeScreens(int failing) {
    for (int s = -1; s <= kLastState; ++s) {
        if (s == 0) continue;
        if (s == failing)
            RegisterScreen(s, [](TForm_Main&, QWidget*) -> TScreen* { throw EProgramError("broken screen"); });
        else
            RegisterScreen(s, [s](TForm_Main&, QWidget* parent) { return new ProbeScreen(s, parent); });
    }
}

void UnregisterScreens() {
    for (int s = -1; s <= kLastState; ++s) RegisterScreen(s, nullptr);
}

bool LogHas(const std::string& entry) {
    for (const auto& e : ScreenLog)
        if (e == entry) return true;
    return false;
}

void MakeProgramFolder(const std::string& dir, const ProgramFolderOptions& options) {
    MakeFixtureDisc(dir);
    if (!options.withPC) QDir(QString::fromStdString(dir + "/PC")).removeRecursively();
    if (options.multiMenu)
        WriteFile(dir + "/Target.txt",
                  "MultiMenu|back.jpg\r\nTarget1|fr.jpg|100,200|French|\r\nSourceHelpLangs|2,5\r\n");
    if (!options.config.empty()) WriteFile(dir + "/sconfig.txt", options.config);
}

void CopyFolder(const std::string& from, const std::string& to) {
    const QString target = QString::fromStdString(to);
    QDir().mkpath(target);
    for (const QFileInfo& e : QDir(QString::fromStdString(from)).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const std::string dest = to + "/" + e.fileName().toStdString();
        if (e.isDir()) CopyFolder(e.absoluteFilePath().toStdString(), dest);
        else QFile::copy(e.absoluteFilePath(), QString::fromStdString(dest));
    }
}

std::string UseFixtureDisc(const std::string& programFolder, const std::string& discRoot) {
    const std::string disc =
        discRoot.empty() ? FixtureDiscFolder() : QDir(QString::fromStdString(discRoot)).exists() ? discRoot : std::string();
    if (disc.empty()) return {};
    CopyFolder(disc + "/PC", programFolder + "/PC");
    SetContentAsker([disc] { return disc; });
    TForm_Main::LanguageFromSystem = [] { return 2; };
    return disc;
}

bool FakeLink::Connect() { Calls->push_back("Connect"); return ConnectResult; }
void FakeLink::Disconnect(bool t) { Calls->push_back(std::string("Disconnect ") + (t ? "1" : "0")); }
bool FakeLink::IsConnected() { return ConnectedResult; }
void FakeLink::HideHubrell() { Calls->push_back("HideHubrell"); }
TStudentInfo FakeLink::GetStudentInfo() { Calls->push_back("GetStudentInfo"); return Info; }
std::string FakeLink::GetRemoteProfileString(const std::string& s, const std::string& k, const std::string& d) {
    Calls->push_back("Get " + s + "/" + k);
    auto it = Store.find(s + "/" + k);
    return it == Store.end() ? d : it->second;
}
void FakeLink::WriteRemoteProfileString(const std::string& s, const std::string& k, const std::string& v) {
    Calls->push_back("Write " + s + "/" + k + "=" + v);
    Store[s + "/" + k] = v;
}
void FakeLink::SendStartActivity(int code) { Calls->push_back("Start " + std::to_string(code)); }
void FakeLink::SendEndActivity(int code, int score) {
    Calls->push_back("End " + std::to_string(code) + " " + std::to_string(score));
}
void FakeLink::SendScore(int total, int level) {
    Calls->push_back("Score " + std::to_string(total) + " " + std::to_string(level));
}

bool AtState(tav::TForm_Main& main, int state) {
    auto* p = dynamic_cast<ProbeScreen*>(main.CurrentScreen());
    return p && p->State == state;
}

void FixtureDiscScreens::SetUp() {
    disc = UseFixtureDisc(program.Path(), discRoot);
    if (disc.empty() && discRoot.empty()) GTEST_FAIL() << "the fixture disc was not generated (build fixture_disc)";
    if (disc.empty()) GTEST_FAIL() << "the content disc " << discRoot << " was not generated";
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
    ScreenLog.clear();
    RegisterProbeScreens();
}

void FixtureDiscScreens::TearDown() {
    main.reset();
    UnregisterScreens();
}

void FixtureDiscScreens::StartMain(const std::string& config) {
    WriteFile(program.File("sconfig.txt"), config);
    main = std::make_unique<tav::TForm_Main>(std::vector<std::string>{}, program.Path());
    main->show();
    ASSERT_TRUE(WaitUntil([&] { return main->CurrentScreen() != nullptr; }));
}

} // namespace tavtest
