// Profiles survive a writer killed at any moment: a child process adds
// learners one profile write at a time and reports each finished write; it is
// SIGKILLed after a random delay (following the writer's speed), again and
// again, until 1000 learners are written. After every kill the profile must parse, hold every learner whose
// write was reported, and contain no half-written line.
#include <gtest/gtest.h>

#include <unistd.h>


#include "TestSupport.h"
#include "content/IniFile.h"
#include "content/KeyFiles.h"
#include "content/OurUtils.h"

using namespace tav;

namespace {

constexpr int kLearners = 1000;

std::string LearnerSection(int i) { return "Learner " + std::to_string(i); }
std::string LearnerScores(int i) { return Format("%d,%d,%d,%d", i % 100, i % 7, i % 13, i); }

// Learners 0..n-1 as the profile holds them; -1 when one is wrong or one
// past the first missing one is present (writes happen in order).
int LearnersPresent(const TIniFile& ini) {
    int n = 0;
    while (ini.SectionExists(LearnerSection(n))) {
        if (ini.ReadString(LearnerSection(n), "Scores", "") != LearnerScores(n)) return -1;
        ++n;
    }
    if (ini.SectionExists(LearnerSection(n + 1))) return -1;
    return n;
}

// The child: writes learners from `first` on, one write each, and reports
// each finished write as one byte on the pipe. Never returns.
[[noreturn]] void Writer(const std::string& file, int first, int reportFd) {
    for (int i = first; i < kLearners; ++i) {
        if (!WriteProfile(LearnerSection(i), "Scores", LearnerScores(i), file)) _exit(3);
        if (!WriteProfile("Defaults", "Count", std::to_string(i + 1), file)) _exit(3);
        const char done = 1;
        if (::write(reportFd, &done, 1) != 1) _exit(4);
    }
    _exit(0);
}

} // namespace

TEST(ProfileKill, EveryReportedLearnerSurvivesRandomKills) {
    tavtest::TempFolder dir;
    const std::string file = dir.File("profile.ini");
    tavtest::TKillDelay delay(20261209);
    int present = 0, kills = 0, rounds = 0;
    while (present < kLearners) {
        ASSERT_LT(++rounds, 5000) << "the writer makes no progress";
        const int delayUs = delay.NextUs();
        const tavtest::TKillRound round =
            tavtest::RunAndKill([&](int reportFd) { Writer(file, present, reportFd); }, delayUs);
        kills += round.Killed;
        ASSERT_EQ(round.ExitStatus, 0) << "the writer failed";
        const int reported = int(round.Report.size());
        delay.Observed(delayUs, reported);

        TIniFile ini;
        ASSERT_TRUE(ini.LoadFromFile(file));
        const std::string text = tavtest::ReadFile(file);
        for (const std::string& line : SplitTextLines(text))
            ASSERT_TRUE(line.empty() || (line.front() == '[' && line.back() == ']') || line.find('=') != std::string::npos)
                << "half-written line \"" << line << "\" after kill " << kills;
        ASSERT_TRUE(text.empty() || (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")) << "file cut short";
        const int now = LearnersPresent(ini);
        ASSERT_GE(now, present + reported) << "a reported learner was lost after kill " << kills;
        // At most the write in flight lands beyond the reported ones.
        ASSERT_LE(now, present + reported + 1);
        present = now;
    }
    RecordProperty("kills", kills);
    std::printf("profile writes: %d learners, %d kills survived in %d rounds\n", present, kills, rounds);
    // Most rounds must really cut the writer off, or the test proves nothing.
    EXPECT_GT(kills, 30);
}
