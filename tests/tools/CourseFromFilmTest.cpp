// A course from a film with its subtitles inside: the film's own track,
// timed for another cut (late and at another frame rate), is found by its
// language, fitted back to the speech and built into a disc; a track that
// is not there is refused before the long work and leaves nothing.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "SpeechFilm.h"

namespace {

std::string SrtTime(int ms) {
    char t[32];
    std::snprintf(t, sizeof t, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return t;
}

void WriteSrt(const std::string& path, const std::vector<discbuild::TSubtitleCue>& cues) {
    std::ofstream out(path);
    for (size_t i = 0; i < cues.size(); ++i)
        out << i + 1 << '\n'
            << SrtTime(cues[i].StartMs) << " --> " << SrtTime(cues[i].EndMs) << '\n'
            << cues[i].Text << "\n\n";
}

int RunProgram(const QString& program, const QStringList& args, QString* output = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(240000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (output) *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

class CourseFromFilm : public ::testing::Test {
protected:
    QTemporaryDir dir;
    tavtest::TSpeechFilm speech;
    std::string film;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const std::string d = dir.path().toStdString();
        speech = tavtest::MakeSpeechFilm(d + "/speech.mkv", 70, 11);
        ASSERT_GE(speech.Cues.size(), 10u);
        // The subtitles of another release: 3.2 s late and timed at 25 frames for a 23.976 film.
        WriteSrt(d + "/other-cut.srt", tavtest::Distort(tavtest::HeldOn(speech.Cues), 25 / 23.976, 3200));
        film = d + "/film.mkv";
        ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-i", QString::fromStdString(d + "/speech.mkv"), "-i",
                                 QString::fromStdString(d + "/other-cut.srt"), "-map", "0", "-map", "1", "-c", "copy",
                                 "-c:s", "srt", "-metadata:s:s:0", "language=eng", QString::fromStdString(film)}),
                  0);
    }
};

} // namespace

TEST_F(CourseFromFilm, TheFilmsOwnMistimedTrackIsFittedToTheSpeechAndBuilt) {
    const std::string root = dir.path().toStdString() + "/course";
    QString output;
    ASSERT_EQ(RunProgram(TAVOLIN_DISC_TOOL, {"build", QString::fromStdString(film), "--lang", "en", "--title", "Voices", "--out",
                                      QString::fromStdString(root)},
                  &output),
              0)
        << output.toStdString();
    EXPECT_TRUE(output.contains("track 0 (English (subrip)")) << output.toStdString();
    EXPECT_TRUE(output.contains("rate 23.976/25")) << output.toStdString();

    // Each built line starts where its voice does (film units of 40 ms).
    QString index;
    ASSERT_EQ(RunProgram(TAVOLIN_DISC_TOOL, {"index", QString::fromStdString(root)}, &index), 0);
    std::map<std::string, int> startOf;
    for (const discbuild::TSubtitleCue& c : speech.Cues) startOf[c.Text] = c.StartMs;
    std::vector<int> errors;
    std::istringstream lines(index.toStdString());
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string x; std::getline(fields, x, '\t');) f.push_back(x);
        if (f.size() < 8 || f[0] == "line") continue;
        const auto truth = startOf.find(f[7]);
        if (truth != startOf.end()) errors.push_back(std::abs(std::atoi(f[2].c_str()) * 40 - truth->second));
    }
    ASSERT_GE(errors.size(), speech.Cues.size() * 8 / 10) << index.toStdString();
    std::sort(errors.begin(), errors.end());
    // Half a film unit of rounding on top of the fit's goals.
    EXPECT_LE(errors[errors.size() / 2], 80 + 20);
    EXPECT_LE(errors[errors.size() * 9 / 10], 200 + 20);
}

TEST_F(CourseFromFilm, ATrackThatIsNotThereIsRefusedAndLeavesNothing) {
    const std::string root = dir.path().toStdString() + "/course";
    QString output;
    EXPECT_EQ(RunProgram(TAVOLIN_DISC_TOOL, {"build", QString::fromStdString(film), "--subtitle-track", "3", "--lang", "en",
                                      "--title", "Voices", "--out", QString::fromStdString(root)},
                  &output),
              1);
    EXPECT_TRUE(output.contains("has 1 subtitle track(s); there is no track 3")) << output.toStdString();
    // No subtitles in the language asked for either.
    EXPECT_EQ(RunProgram(TAVOLIN_DISC_TOOL, {"build", QString::fromStdString(film), "--lang", "fr", "--title", "Voices",
                                      "--out", QString::fromStdString(root)},
                  &output),
              1);
    EXPECT_TRUE(output.contains("has no subtitle track in \"fr\" (its tracks: en)")) << output.toStdString();
    const QStringList left =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : left) EXPECT_FALSE(name.contains("course")) << name.toStdString();
}
