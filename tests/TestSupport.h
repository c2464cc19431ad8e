#pragma once
// Helpers shared by the tests: temporary folders, files, message capture and
// waiting on the event loop.
#include <QTemporaryDir>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/MessageBox.h"

namespace tavtest {

// A temporary folder removed at the end of the test.
class TempFolder {
public:
    TempFolder();
    std::string Path() const; // no trailing slash
    std::string File(const std::string& name) const { return Path() + "/" + name; }

private:
    QTemporaryDir dir_;
};

// The generated fixture disc: TAVOLIN_FIXTURE_DISC, else the one this build
// makes. Tests that need it fail (not skip) when it is not there.
std::string FixtureDiscFolder();

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// Records every message box and answers with a chosen result.
class MessageCapture {
public:
    explicit MessageCapture(tav::TModalResult answer = tav::TModalResult::OK);
    ~MessageCapture();
    std::vector<tav::TMessage> Messages;
    tav::TModalResult Answer;
    std::string Last() const { return Messages.empty() ? std::string() : Messages.back().Text; }
};

// Installed for every test: message boxes nobody expected are printed and
// answered (OK, or Ignore for Abort/Ignore) instead of waiting for a click.
void InstallUnexpectedMessageReporter();

// Runs the event loop until pred is true or the time is up; returns pred().
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);
// Runs the event loop for about ms milliseconds.
void Pump(int ms);

// One round of a kill test: `writer` runs in a forked child with the write
// end of a pipe (it must end with _exit) and is SIGKILLed after `delayUs`.
// With `fromFirstReport` the delay starts when the child first writes on the
// pipe (it is ready), so a slow start on a busy machine cannot eat every
// round's delay; a child silent for 30 s is killed.
struct TKillRound {
    std::string Report; // every byte the child wrote on the pipe before it died
    bool Killed = false; // still running when the kill came
    int ExitStatus = 0;  // when it ended by itself (0: it finished its work)
};
TKillRound RunAndKill(const std::function<void(int reportFd)>& writer, int delayUs, bool fromFirstReport = false);

// A minimal content disc: target.txt, Spelinfo.txt, a target folder with
// settings.txt, movieinf.txt, record.txt, the help folders 2 and 5, and PC.
void MakeFixtureDisc(const std::string& root, const std::string& targetFolder = "French");

} // namespace tavtest
