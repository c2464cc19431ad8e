// Subtitle times fitted to a film's speech, on films made here with espeak-ng
// sentences at known times over music and noise: cues shifted and stretched
// as for another frame rate come back to the speech, cues that fit stay as
// they are, one scene off on its own is put back, a film without speech keeps
// the times and says why, and films that cannot be read give plain errors.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "SpeechAlign.h"
#include "SpeechFilm.h"

using namespace discbuild;

namespace {

struct TFilms {
    QTemporaryDir Dir;
    tavtest::TSpeechFilm Speech, Noise, Silent, Surround;
    TSpeechTrack SpeechTrack, NoiseTrack, SurroundTrack;
};

// Made once for the whole program (espeak-ng and ffmpeg take a few seconds),
// removed at its exit.
TFilms& Films() {
    static const std::unique_ptr<TFilms> films = [] {
        auto f = std::make_unique<TFilms>();
        const std::string dir = f->Dir.path().toStdString();
        f->Speech = tavtest::MakeSpeechFilm(dir + "/speech.mkv", 75, 11);
        // Music louder than under the speech, and more noise.
        f->Noise = tavtest::MakeSpeechFilm(dir + "/noise.mkv", 75, 12, tavtest::TFilmSound::NoiseOnly, {0.08f, 0.03f});
        f->Silent = tavtest::MakeSpeechFilm(dir + "/silent.mkv", 4, 13, tavtest::TFilmSound::None);
        // 5.1 sound with loud music and noise on every channel but the centre.
        f->Surround = tavtest::MakeSpeechFilm(dir + "/surround.mkv", 40, 14, tavtest::TFilmSound::Speech,
                                              {0.3f, 0.1f, true});
        f->SpeechTrack = ReadSpeech(f->Speech.Path);
        f->SurroundTrack = ReadSpeech(f->Surround.Path);
        f->NoiseTrack = ReadSpeech(f->Noise.Path);
        return f;
    }();
    return *films;
}

// Times in order, never negative, never overlapping.
void ExpectWellFormed(const std::vector<TSubtitleCue>& cues) {
    for (size_t i = 0; i < cues.size(); ++i) {
        EXPECT_GE(cues[i].StartMs, 0) << i;
        EXPECT_GT(cues[i].EndMs, cues[i].StartMs) << i;
        if (i) {
            EXPECT_GE(cues[i].StartMs, cues[i - 1].EndMs) << i;
        }
    }
}

} // namespace

TEST(SpeechAlign, ShiftedAndStretchedCuesComeBackToTheSpeech) {
    const TFilms& f = Films();
    ASSERT_GE(f.Speech.Cues.size(), 15u);
    EXPECT_EQ(f.SpeechTrack.DurationMs / 1000, 75);
    EXPECT_NE(f.SpeechTrack.Source.find("flac"), std::string::npos) << f.SpeechTrack.Source;
    // The speech found is where the voices are: inside the true times
    // clearly more than outside them.
    EXPECT_GT(SpeechFitScore(f.Speech.Cues, f.SpeechTrack), 0.6);
    EXPECT_GT(f.SpeechTrack.SpeechFraction(), 0.4);
    // In surround sound the voices are found in the centre channel.
    EXPECT_NE(f.SurroundTrack.Source.find("(ac3, "), std::string::npos) << f.SurroundTrack.Source;
    EXPECT_NE(f.SurroundTrack.Source.find(", 6 channels)"), std::string::npos) << f.SurroundTrack.Source;
    EXPECT_GT(SpeechFitScore(f.Surround.Cues, f.SurroundTrack), 0.3); // about 0.06 with all channels mixed alike

    // Timed for the film at 25 frames a second, and 3.2 s late, held on
    // after the voice as subtitles are.
    const std::vector<TSubtitleCue> off = tavtest::Distort(tavtest::HeldOn(f.Speech.Cues), 25 / 23.976, 3200);
    ASSERT_EQ(off.size(), f.Speech.Cues.size());
    const tavtest::TErrors before = tavtest::StartErrors(off, f.Speech.Cues);
    ASSERT_GT(before.Median, 3000);

    const TAlignment a = AlignCues(off, f.SpeechTrack);
    EXPECT_TRUE(a.Confident);
    EXPECT_TRUE(a.Changed);
    EXPECT_EQ(a.RateText, "23.976/25");
    EXPECT_NEAR(a.OffsetMs, -3200 * 23.976 / 25, 80);
    char report[64];
    std::snprintf(report, sizeof report, "moved %+.2f s, rate 23.976/25", a.OffsetMs / 1000.0);
    EXPECT_EQ(a.Report, report);
    EXPECT_GT(a.ScoreAfter, a.ScoreBefore + 0.2);

    ASSERT_EQ(a.Cues.size(), off.size());
    const tavtest::TErrors after = tavtest::StartErrors(a.Cues, f.Speech.Cues);
    EXPECT_LE(after.Median, 80);
    EXPECT_LE(after.P90, 200);
    ExpectWellFormed(a.Cues);
    for (size_t i = 0; i < off.size(); ++i) {
        EXPECT_EQ(a.Cues[i].Text, off[i].Text);
        EXPECT_EQ(a.Cues[i].SourceLine, off[i].SourceLine);
        // Lengths follow the rate.
        EXPECT_NEAR(a.Cues[i].EndMs - a.Cues[i].StartMs, (off[i].EndMs - off[i].StartMs) * a.Rate, 2) << i;
    }
}

TEST(SpeechAlign, CuesThatFitAreLeftAloneAndOneSceneOffIsPutBack) {
    const TFilms& f = Films();
    const TAlignment kept = AlignCues(f.Speech.Cues, f.SpeechTrack);
    EXPECT_TRUE(kept.Confident);
    EXPECT_FALSE(kept.Changed);
    EXPECT_EQ(kept.StretchesMoved, 0);
    EXPECT_EQ(kept.Report, "times kept: they already fit the speech");
    ASSERT_EQ(kept.Cues.size(), f.Speech.Cues.size());
    for (size_t i = 0; i < kept.Cues.size(); ++i) {
        EXPECT_EQ(kept.Cues[i].StartMs, f.Speech.Cues[i].StartMs);
        EXPECT_EQ(kept.Cues[i].EndMs, f.Speech.Cues[i].EndMs);
    }

    // The cues between two long pauses (a scene longer in this cut of the
    // film) are 0.9 s early; the rest fit. Which part the whole file's fit
    // follows is its own choice, as long as every cue comes back.
    std::vector<TSubtitleCue> cues = f.Speech.Cues;
    size_t cut = 0;
    for (size_t i = 1; i < cues.size() && !cut; ++i)
        if (cues[i].StartMs - cues[i - 1].EndMs >= 4200) cut = i;
    ASSERT_GT(cut, 2u);
    size_t next = cues.size();
    for (size_t i = cut + 1; i < cues.size(); ++i)
        if (cues[i].StartMs - cues[i - 1].EndMs >= 4200) {
            next = i;
            break;
        }
    ASSERT_GE(next - cut, 2u);
    for (size_t i = cut; i < next; ++i) {
        cues[i].StartMs -= 900;
        cues[i].EndMs -= 900;
    }
    const TAlignment a = AlignCues(cues, f.SpeechTrack);
    EXPECT_TRUE(a.Confident) << a.Report;
    EXPECT_EQ(a.RateText, "1");
    EXPECT_GE(a.Stretches, 2);
    EXPECT_EQ(a.StretchesMoved, 1) << a.Report;
    EXPECT_NE(a.Report.find("(1 stretch adjusted)"), std::string::npos) << a.Report;
    ExpectWellFormed(a.Cues);
    const tavtest::TErrors after = tavtest::StartErrors(a.Cues, f.Speech.Cues);
    EXPECT_LE(after.Median, 80);
    EXPECT_LE(after.P90, 200);
    for (size_t i = 0; i < cues.size(); ++i) EXPECT_NEAR(a.Cues[i].StartMs, f.Speech.Cues[i].StartMs, 200) << i;
}

TEST(SpeechAlign, WithoutSpeechTheTimesAreKept) {
    const TFilms& f = Films();
    EXPECT_LT(f.NoiseTrack.SpeechFraction(), 0.1); // the tune's notes are not taken for speech
    const std::vector<TSubtitleCue> cues = tavtest::Distort(f.Speech.Cues, 1, 2000);
    const TAlignment a = AlignCues(cues, f.NoiseTrack);
    EXPECT_FALSE(a.Confident);
    EXPECT_FALSE(a.Changed);
    EXPECT_NE(a.Report.find("times kept: the fit to the speech is not confident"), std::string::npos) << a.Report;
    ASSERT_EQ(a.Cues.size(), cues.size());
    for (size_t i = 0; i < cues.size(); ++i) EXPECT_EQ(a.Cues[i].StartMs, cues[i].StartMs);

    // Too few cues, or none, are kept too.
    EXPECT_FALSE(AlignCues({}, f.SpeechTrack).Changed);
    const std::vector<TSubtitleCue> two(f.Speech.Cues.begin(), f.Speech.Cues.begin() + 2);
    EXPECT_EQ(AlignCues(two, f.SpeechTrack).Report, "times kept: too few spoken subtitles to fit them to the speech");
}

TEST(SpeechAlign, FilmsThatCannotBeReadGivePlainErrors) {
    const TFilms& f = Films();
    auto failure = [](const std::string& path, int track = -1, const TSpeechProgressFn& progress = {}) {
        try {
            ReadSpeech(path, track, progress);
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(failure(f.Silent.Path).find("has no sound track"), std::string::npos) << failure(f.Silent.Path);
    EXPECT_NE(failure(f.Speech.Path, 1).find("has 1 sound track; there is no sound track 2"), std::string::npos);
    EXPECT_NE(failure(f.Dir.filePath("missing.mkv").toStdString()).find("cannot open the film"), std::string::npos);
    EXPECT_NE(failure(f.Speech.Path, 0, [](double) { return false; }).find("was stopped"), std::string::npos);

    const std::string junk = f.Dir.filePath("junk.mkv").toStdString();
    std::ofstream(junk, std::ios::binary) << std::string(20000, '\x5a');
    EXPECT_NE(failure(junk).find(junk), std::string::npos) << failure(junk);

    // A film cut off in the middle: what is there is read.
    const std::string cut = f.Dir.filePath("cut.mkv").toStdString();
    {
        std::ifstream in(f.Speech.Path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bytes.resize(bytes.size() / 2);
        std::ofstream(cut, std::ios::binary) << bytes;
    }
    const TSpeechTrack half = ReadSpeech(cut, 0);
    EXPECT_GT(half.DurationMs, 20000);
    EXPECT_LT(half.DurationMs, 60000);
    for (size_t k = 0; k + 300 < half.Speech.size(); k += 50) EXPECT_FLOAT_EQ(half.Speech[k], f.SpeechTrack.Speech[k]) << k;
}
