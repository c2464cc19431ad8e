#pragma once
// A program folder with content for main-window tests, probe screens that
// record what happens to them, and a fake classroom link.
#include <gtest/gtest.h>

#include <QMouseEvent>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../TestSupport.h"
#include "app/ClassroomLink.h"
#include "app/Main.h"
#include "toolkit/Screen.h"

namespace tavtest {

// Everything that happened to probe screens, in order ("create 5", "ready 5",
// "key 10 a", "click 5", "destroy 5").
extern std::vector<std::string> ScreenLog;

class ProbeScreen : public tav::TScreen {
public:
    ProbeScreen(int state, QWidget* parent);
    ~ProbeScreen() override;
    void ScreenReady() override;
    void KeyPressed(const std::string& key) override;
    int State;
    int Clicks = 0;

protected:
    void mousePressEvent(QMouseEvent* e) override;
};

// Registers probe screens for states 1..20 (and the custom start screen, -1);
// the state `failing` gets a factory that throws "broken screen".
void RegisterProbeScreens(int failing = -100);
void UnregisterScreens();

bool LogHas(const std::string& entry);
// True when the main window shows the probe screen of `state`.
bool AtState(tav::TForm_Main& main, int state);

struct ProgramFolderOptions {
    bool multiMenu = false;   // Target.txt names a multi menu (no target is loaded at start)
    std::string config;       // sconfig.txt beside the program ("" = none)
    bool withPC = true;
};

// A program folder that is also the content root.
void MakeProgramFolder(const std::string& dir, const ProgramFolderOptions& options);

// Copies a folder tree.
void CopyFolder(const std::string& from, const std::string& to);

// Sets a test's program folder up for the generated fixture disc (or the
// disc at discRoot when given): its PC media are copied into the program
// folder, the disc search answers with the disc, and the system language is
// English. Returns the disc's root, or "" when the disc was not generated.
std::string UseFixtureDisc(const std::string& programFolder, const std::string& discRoot = {});

class FakeLink : public tav::IClassroomLink {
public:
    std::vector<std::string>* Calls; // shared with the test after the main window takes ownership
    tav::TStudentInfo Info;
    bool ConnectResult = true;
    bool ConnectedResult = true;
    std::map<std::string, std::string> Store;

    explicit FakeLink(std::vector<std::string>* calls) : Calls(calls) {}
    bool Connect() override;
    void Disconnect(bool closedByTimeout) override;
    bool IsConnected() override;
    void HideHubrell() override;
    tav::TStudentInfo GetStudentInfo() override;
    std::string GetRemoteProfileString(const std::string& s, const std::string& k, const std::string& d) override;
    void WriteRemoteProfileString(const std::string& s, const std::string& k, const std::string& v) override;
    void SendStartActivity(int code) override;
    void SendEndActivity(int code, int lastScore) override;
    void SendScore(int total, int awardLevel) override;
};

// Real screens on the fixture disc: a program folder using it, a private data
// folder, probe screens for every state the test does not register itself.
class FixtureDiscScreens : public ::testing::Test {
protected:
    TempFolder program, data;
    std::unique_ptr<tav::TForm_Main> main;
    std::string disc;
    // The content disc the screens run on, set before SetUp; empty: the
    // generated French fixture disc.
    std::string discRoot;

    // A test's own screens are registered after this.
    void SetUp() override;
    void TearDown() override;
    // The main window with this configuration, once its first screen is up.
    void StartMain(const std::string& config = "[Defaults]\r\nRecords=0\r\nFast=1\r\n");
};

} // namespace tavtest
