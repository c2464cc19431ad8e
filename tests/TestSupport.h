#pragma once
// Helpers shared by the tests: temporary folders, files, message capture and
// waiting on the event loop.
#include <QTemporaryDir>

#include <functional>
#include <random>
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

// Built with AddressSanitizer: everything runs several times slower, and
// freed memory waits in a quarantine.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif
// Time limits in tests are multiplied by this.
constexpr int kSlowdown = kSanitized ? 3 : 1;

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

// Kill delays that follow the writer's speed: each is drawn so that a round
// holds about `writesPerRound` writes (a tenth of one to twice as many), the
// time of a write learnt from what the rounds so far reported. A kill then
// lands inside a write on a fast machine and under a sanitizer alike, and a
// run takes about as many rounds on both.
class TKillDelay {
public:
    explicit TKillDelay(unsigned seed, int writesPerRound = 6) : rng_(seed), perRound_(writesPerRound) {}
    int NextUs();
    // What the round with that delay achieved: writes confirmed before the kill.
    void Observed(int delayUs, int writesConfirmed);

private:
    std::mt19937 rng_;
    int perRound_;
    double usPerWrite_ = 2000;
};

// A minimal content disc: target.txt, Spelinfo.txt, a target folder with
// settings.txt, movieinf.txt, record.txt, the help folders 2 and 5, and PC.
void MakeFixtureDisc(const std::string& root, const std::string& targetFolder = "French");

} // namespace tavtest
