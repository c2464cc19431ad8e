// The recording studio on the fixture disc with the real clip pool: the actor
// choice, the recording screen's covers, takes (length, progress, early
// clicks), the dubbed scene's sound order, temporary files and the path
// without a microphone. Takes need SDL's disk driver, which feeds capture
// from a file; CTest runs those cases a second time under it.
#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>

#include <cmath>
#include <fstream>

#include "../app/AppFixture.h"
#include "tests/TestSupport.h"
#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "components/ZrButton.h"
#include "media/AudioOutput.h"
#include "media/MCIControl.h"
#include "media/Movie.h"
#include "media/WaveFile.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "program/Screens.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/Timer.h"
#include "viewer/RecSelect.h"
#include "viewer/Recording.h"
#include "viewer/ShadowView.h"

using namespace tav;
using namespace tavtest;

namespace {

bool DiskDriver() { return qgetenv("SDL_AUDIODRIVER") == "disk"; }

constexpr double kVoiceHz = 440.0;

// A 16-bit mono 22,050 Hz "voice": a steady tone, long enough for any take.
void WriteVoiceInput(const std::string& path, int seconds) {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < 22050 * seconds; ++i) {
        const auto s = int16_t(12000 * std::sin(2 * M_PI * kVoiceHz * i / 22050));
        out.put(char(s & 0xFF));
        out.put(char((s >> 8) & 0xFF));
    }
}

class Studio : public FixtureDiscScreens {
protected:
    TempFolder temp;
    QByteArray savedTmp;
    uint32_t tick = 100000;
    TForm_Recording* s = nullptr;

    void SetUp() override {
        FixtureDiscScreens::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // The takes go to a folder of this test's own.
        savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(temp.Path()));
        RegisterScreen(stRecSelect, [](TForm_Main& m, QWidget* p) { return new TForm_RecSelect(m, p); });
        RegisterScreen(stRecording, [](TForm_Main& m, QWidget* p) { return new TForm_Recording(m, p); });
    }
    void TearDown() override {
        SetTickSource(nullptr);
        TTimer::SetManualTimers(false);
        main.reset();
        delete Form_Movie;
        Form_Movie = nullptr;
        qputenv("TMPDIR", savedTmp);
        FixtureDiscScreens::TearDown();
    }
    void StartStudioMain() {
        StartMain();
        ASSERT_NE(main, nullptr);
        ASSERT_FALSE(main->RecordEntries.empty()) << "the fixture disc has actors";
        Form_Movie = new TForm_Movie(MovieSettingsFrom(*main));
    }
    // The recording screen for an actor, started.
    void OpenRecording(const TRecordEntry& actor, int number = 1) {
        main->CurrentRecord = actor;
        main->RecordNumber = number;
        main->PostStateChange(stRecording, 1);
        ASSERT_TRUE(WaitUntil([&] { return (s = dynamic_cast<TForm_Recording*>(main->CurrentScreen())) != nullptr; }));
        ASSERT_TRUE(WaitUntil([&] { return s->EButton_BigPlay->isVisible(); }));
    }
    void OpenFirstActor() {
        StartStudioMain();
        if (HasFailure()) return;
        OpenRecording(main->RecordEntries[0]);
    }
    void UseManualTicks() {
        SetTickSource([this] { return tick; });
    }
    // Writes a take for line k as if it had been recorded.
    void FakeTake(int k) {
        TWaveData w{1, 22050, 16, std::vector<uint8_t>(22050, 0)};
        WriteWaveFile(NativePath(s->TempFiles[size_t(k)]), w);
        s->PlayButtons[size_t(k)]->show();
    }
    bool FilmMuted() const {
        const int part = Form_Movie->CurrentPart;
        return part > 0 && Form_Movie->PartPlayers[size_t(part)] && Form_Movie->PartPlayers[size_t(part)]->Muted;
    }
    bool SoundPlaying(const std::string& file) const {
        for (int k = 1; k <= 5; ++k) {
            const auto& p = Form_Movie->SoundPlayers[size_t(k)];
            if (p && p->IsOpen && p->FileName == file && p->IsPlaying()) return true;
        }
        return false;
    }
};

// ---- the actor choice --------------------------------------------------------------------

TEST_F(Studio, ActorChoiceHighlightsOnlyActorsWithScenesAndOpensTheChosenOne) {
    StartStudioMain();
    main->PostStateChange(stRecSelect, 1);
    TForm_RecSelect* r = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (r = dynamic_cast<TForm_RecSelect*>(main->CurrentScreen())) != nullptr; }));
    const int actors = int(main->RecordEntries.size());
    ASSERT_LT(actors, 9) << "the fixture leaves circles without actors";

    r->Shape1MouseMove(9); // no actor there: the circle stays inactive
    EXPECT_EQ(r->HoveredActor, 0);
    EXPECT_FALSE(r->Shapes[9]->Outlined());

    r->Shape1MouseMove(1);
    EXPECT_EQ(r->HoveredActor, 1);
    EXPECT_TRUE(r->Shapes[1]->Outlined());
    EXPECT_EQ(r->fcLabel_Name->Caption(), main->RecordEntries[0].Title);
    if (actors >= 2) {
        r->Shape1MouseMove(2);
        EXPECT_FALSE(r->Shapes[1]->Outlined()) << "one outline at a time";
        EXPECT_TRUE(r->Shapes[2]->Outlined());
    }
    r->BackgroundMouseMove();
    EXPECT_EQ(r->HoveredActor, 0);
    EXPECT_TRUE(r->fcLabel_Name->Caption().empty());

    r->Shape1MouseDown(1); // not highlighted: nothing
    Pump(50);
    EXPECT_EQ(main->CurrentScreen(), r);

    r->Shape1MouseMove(1);
    r->Shape1MouseDown(1);
    ASSERT_TRUE(WaitUntil([&] { return dynamic_cast<TForm_Recording*>(main->CurrentScreen()) != nullptr; }));
    EXPECT_EQ(main->RecordNumber, 1);
    EXPECT_EQ(main->CurrentRecord.Title, main->RecordEntries[0].Title);
}

TEST_F(Studio, AFilmWithoutActorsSaysItHasNoRolesInsteadOfEmptyCircles) {
    StartStudioMain();
    main->RecordEntries.clear(); // subtitles that name no speakers
    main->PostStateChange(stRecSelect, 1);
    TForm_RecSelect* r = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (r = dynamic_cast<TForm_RecSelect*>(main->CurrentScreen())) != nullptr; }));
    ASSERT_NE(r->fcLabel_NoRoles, nullptr);
    EXPECT_TRUE(r->fcLabel_NoRoles->isVisible());
    EXPECT_NE(r->fcLabel_NoRoles->Caption().find("no roles"), std::string::npos);
}

// ---- scenes -------------------------------------------------------------------------------

TEST_F(Studio, CoversFollowTheScenesLineCountAndTheFilmPanelShows) {
    StartStudioMain();
    // One actor with a three-, a four- and a five-line scene on the fixture's lines.
    TRecordEntry actor;
    actor.Title = "Test";
    for (int k = 0; k < 3; ++k) actor.Parts[0][k] = 2 + k;
    for (int k = 0; k < 4; ++k) actor.Parts[1][k] = 2 + k;
    for (int k = 0; k < 5; ++k) actor.Parts[2][k] = 2 + k;
    ASSERT_GE(main->MovieEntries.size(), 6u);
    OpenRecording(actor);
    EXPECT_TRUE(s->Panel_Video->isVisible()) << "the panel shows once the film is in it";
    EXPECT_EQ(s->LineCount, 3);
    EXPECT_TRUE(s->Image_Cover4->isVisible());
    EXPECT_TRUE(s->Image_Cover5->isVisible());
    EXPECT_EQ(s->CuePosition(), main->MovieEntries[0].StartFrame) << "the line before the actor's first";

    s->EButton_ClapperClick();
    for (int n = 1; n <= 9; ++n) EXPECT_EQ(s->SceneImages[size_t(n)]->isVisible(), n <= 3) << n;
    EXPECT_FALSE(s->SoundButtons[1]->isEnabled());
    s->Image_DSelClick(2);
    EXPECT_EQ(s->CurrentScene, 2);
    EXPECT_EQ(s->LineCount, 4);
    EXPECT_FALSE(s->Image_Cover4->isVisible());
    EXPECT_TRUE(s->Image_Cover5->isVisible());
    EXPECT_FALSE(s->SceneImages[1]->isVisible());

    s->EButton_ClapperClick();
    s->Image_DSelClick(3);
    EXPECT_EQ(s->LineCount, 5);
    EXPECT_FALSE(s->Image_Cover4->isVisible());
    EXPECT_FALSE(s->Image_Cover5->isVisible());
    EXPECT_TRUE(s->SoundButtons[5]->isEnabled());
}

TEST_F(Studio, ClapperDoesNothingForAnActorWithOneScene) {
    StartStudioMain();
    TRecordEntry actor = main->RecordEntries[0];
    for (int p = 1; p < 9; ++p)
        for (int k = 0; k < 5; ++k) actor.Parts[p][k] = 0;
    OpenRecording(actor);
    s->EButton_ClapperClick();
    for (int n = 1; n <= 9; ++n) EXPECT_FALSE(s->SceneImages[size_t(n)]->isVisible());
    EXPECT_TRUE(s->SoundButtons[1]->isEnabled());
}

// ---- the dubbed scene ---------------------------------------------------------------------

TEST_F(Studio, DubbedSceneReplacesOnlyTheRecordedLine) {
    OpenFirstActor();
    ASSERT_NE(s, nullptr);
    FakeTake(2);
    s->EButton_BigPlayClick();
    EXPECT_TRUE(s->EButton_BigStop->isVisible());
    EXPECT_FALSE(s->SoundButtons[1]->isEnabled());
    // Stand the film on each place in turn and let the dubbing timer look.
    Form_Movie->StopFilm();
    const auto at = [&](const TMovieEntry* e) {
        Form_Movie->SeekFilm(e->StartFrame + 1);
        s->Timer_CaptionsTimer();
    };
    at(s->LineEntry(1));
    EXPECT_FALSE(FilmMuted()) << "line 1 has no take: the film's own sound";
    EXPECT_EQ(s->NextDubLine, 2);
    EXPECT_EQ(s->fcLabel_Caption->Caption(), s->LineEntry(1)->LineText);

    // Whatever lies between the actor's lines keeps the film's sound.
    const int between = s->LineEntry(1)->LineNumber + 1;
    if (between < s->LineEntry(2)->LineNumber) {
        at(&main->MovieEntries[size_t(between - 1)]);
        EXPECT_FALSE(FilmMuted());
        EXPECT_EQ(s->NextDubLine, 2);
    }
    at(s->LineEntry(2));
    EXPECT_TRUE(FilmMuted()) << "the take replaces line 2";
    EXPECT_TRUE(SoundPlaying(s->TempFiles[2]));
    EXPECT_EQ(s->NextDubLine, 3);

    at(&main->MovieEntries[size_t(s->LineEntry(2)->LineNumber)]); // the next index entry
    EXPECT_FALSE(FilmMuted()) << "the film's sound returns at the next entry";

    s->StopScenePlay();
    EXPECT_FALSE(s->EButton_BigStop->isVisible());
    EXPECT_TRUE(s->SoundButtons[1]->isEnabled());
}

TEST_F(Studio, SceneEndStopsThePlayBack) {
    OpenFirstActor();
    ASSERT_NE(s, nullptr);
    s->EButton_BigPlayClick();
    ASSERT_TRUE(s->EButton_BigStop->isVisible());
    // The pool forwards the end of the range as a posted completion.
    QCoreApplication::postEvent(s, new TMessageEvent(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 9999));
    ASSERT_TRUE(WaitUntil([&] { return !s->EButton_BigStop->isVisible(); }));
    EXPECT_FALSE(s->Timer_Captions.Enabled());
    EXPECT_TRUE(s->SoundButtons[1]->isEnabled());
}

// ---- temporary files ----------------------------------------------------------------------

TEST_F(Studio, TemporaryFilesAreDistinctAndGoWhenTheScreenGoes) {
    OpenFirstActor();
    ASSERT_NE(s, nullptr);
    std::vector<std::string> files;
    for (int k = 1; k <= 5; ++k) {
        const std::string& f = s->TempFiles[size_t(k)];
        EXPECT_EQ(f.rfind(temp.Path() + "/allrecord", 0), 0u) << f;
        EXPECT_TRUE(IsStudioRecordingName(f.substr(temp.Path().size() + 1))) << f;
        EXPECT_EQ(std::count(files.begin(), files.end(), f), 0) << "names differ";
        files.push_back(f);
    }
    FakeTake(1);
    FakeTake(3);
    QPointer<TForm_Recording> leaving = s;
    s->EButton_BackClick();
    ASSERT_TRUE(WaitUntil([&] { return dynamic_cast<TForm_RecSelect*>(main->CurrentScreen()) != nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return leaving.isNull(); })) << "the recording screen is destroyed";
    for (const std::string& f : files) EXPECT_FALSE(FileExists(f)) << f;
    // Coming back starts without takes.
    OpenRecording(main->RecordEntries[0]);
    for (int k = 1; k <= 5; ++k) EXPECT_FALSE(s->PlayButtons[size_t(k)]->isVisible());
}

TEST(StudioFiles, LeftoverRecordingsAreRemovedAndNothingElse) {
    TempFolder dir;
    const QByteArray saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(dir.Path()));
    WriteFile(dir.File("allrecord12.wav"), "x");
    WriteFile(dir.File("allrecord999.wav"), "x");
    WriteFile(dir.File("allrecordings.wav"), "x");
    WriteFile(dir.File("other.wav"), "x");
    EXPECT_EQ(RemoveLeftoverRecordings(), 2);
    qputenv("TMPDIR", saved);
    EXPECT_FALSE(FileExists(dir.File("allrecord12.wav")));
    EXPECT_FALSE(FileExists(dir.File("allrecord999.wav")));
    EXPECT_TRUE(FileExists(dir.File("allrecordings.wav")));
    EXPECT_TRUE(FileExists(dir.File("other.wav")));
}

// ---- no microphone ------------------------------------------------------------------------

TEST_F(Studio, WithoutAMicrophoneRecordSaysSoAndTheRestWorks) {
    if (DiskDriver()) qputenv("SDL_DISKAUDIOFILEIN", "/nonexistent-folder/none.raw");
    OpenFirstActor();
    ASSERT_NE(s, nullptr);
    FakeTake(2); // an earlier take
    MessageCapture messages;
    s->EButton_SoundClick(1);
    ASSERT_TRUE(s->RecordButtons[1]->isVisible());
    s->EButton_RecordClick(1);
    if (messages.Messages.empty() && s->Recording) GTEST_SKIP() << "this machine has a microphone";
    ASSERT_EQ(messages.Messages.size(), 1u);
    EXPECT_NE(messages.Last().find("no microphone"), std::string::npos) << messages.Last();
    EXPECT_FALSE(s->Recording);
    EXPECT_FALSE(s->Recorder->IsOpen());
    EXPECT_FALSE(s->PlayButtons[1]->isVisible());
    for (int k = 1; k <= s->LineCount; ++k) EXPECT_TRUE(s->SoundButtons[size_t(k)]->isEnabled()) << k;
    EXPECT_TRUE(s->EButton_BigPlay->isEnabled());
    // The earlier take and the dubbed scene still play.
    s->EButton_PlayClick(2);
    s->EButton_BigPlayClick();
    EXPECT_TRUE(s->EButton_BigStop->isVisible());
    s->StopScenePlay();
}

// ---- takes (SDL's disk driver) ------------------------------------------------------------

class StudioDisk : public Studio {
protected:
    void SetUp() override {
        if (!DiskDriver()) GTEST_SKIP() << "needs SDL's disk driver";
        Studio::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        WriteVoiceInput(temp.File("voice.raw"), 30);
        qputenv("SDL_DISKAUDIOFILEIN", QByteArray::fromStdString(temp.File("voice.raw")));
    }
};

TEST_F(StudioDisk, TakeLastsAsLongAsTheLineAndIsSaved) {
    OpenFirstActor();
    ASSERT_NE(s, nullptr);
    const TMovieEntry* line = s->LineEntry(1);
    s->EButton_SoundClick(1);
    s->EButton_RecordClick(1);
    ASSERT_TRUE(s->Recording);
    EXPECT_EQ(s->RecordMs, (line->EndFrame - line->StartFrame) * 40);
    EXPECT_FALSE(s->SoundButtons[1]->isEnabled()) << "buttons wait while recording";
    EXPECT_FALSE(s->EButton_BigPlay->isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return !s->Recording; }, s->RecordMs + 5000));
    EXPECT_TRUE(s->PlayButtons[1]->isVisible());
    EXPECT_TRUE(s->SoundButtons[1]->isEnabled());
    EXPECT_EQ(s->ProgressWidth(), 0);
    const TWaveData w = ReadWaveFile(NativePath(s->TempFiles[1]));
    EXPECT_EQ(w.SampleRate, 22050);
    EXPECT_EQ(w.Channels, 1);
    EXPECT_EQ(w.BitsPerSample, 16);
    EXPECT_EQ(w.Pcm.size(), size_t(s->RecordMs) * 22050 / 1000 * 2);
    int loud = 0;
    for (size_t i = 0; i + 1 < w.Pcm.size(); i += 2)
        loud += std::abs(int16_t(w.Pcm[i] | (w.Pcm[i + 1] << 8))) > 6000;
    EXPECT_GT(loud, int(w.Pcm.size() / 2 / 4)) << "the voice was captured";
}

TEST_F(StudioDisk, LengthAndProgressFollowTheLine) {
    OpenFirstActor();
    ASSERT_NE(s, nullptr);
    // Line 1 lasting 75 film units records for 3000 ms.
    auto& entry = main->MovieEntries[size_t(s->LineEntry(1)->LineNumber - 1)];
    entry.EndFrame = entry.StartFrame + 75;
    TTimer::SetManualTimers(true);
    UseManualTicks();
    s->EButton_RecordClick(1);
    ASSERT_TRUE(s->Recording);
    EXPECT_EQ(s->RecordMs, 3000);
    tick += 1500;
    TTimer::AdvanceTimers(50);
    EXPECT_EQ(s->ProgressWidth(), 300);
    tick += 1499;
    TTimer::AdvanceTimers(50);
    EXPECT_EQ(s->ProgressWidth(), 599);
    tick += 1;
    TTimer::AdvanceTimers(50);
    EXPECT_EQ(s->ProgressWidth(), 0) << "emptied at 600";
    EXPECT_FALSE(s->Timer_ProgressBar.Enabled());
    ASSERT_TRUE(WaitUntil([&] { return !s->Recording; }, 8000));
}

TEST_F(StudioDisk, EarlyClickIsIgnoredALaterClickEndsTheTakeAndKeepsIt) {
    OpenFirstActor();
    ASSERT_NE(s, nullptr);
    UseManualTicks();
    auto& entry = main->MovieEntries[size_t(s->LineEntry(1)->LineNumber - 1)];
    entry.EndFrame = entry.StartFrame + 250; // ten seconds: the click comes first
    s->EButton_RecordClick(1);
    ASSERT_TRUE(s->Recording);
    tick += 500;
    QTest::mouseClick(s->fcLabel_Caption, Qt::LeftButton);
    Pump(300);
    EXPECT_TRUE(s->Recording) << "a click in the first 500 ms does not stop it";
    EXPECT_TRUE(s->Recorder->IsRecording());
    tick += 1;
    QTest::mouseClick(s->fcLabel_Caption, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !s->Recording; }, 3000));
    EXPECT_TRUE(s->PlayButtons[1]->isVisible());
    const TWaveData w = ReadWaveFile(NativePath(s->TempFiles[1]));
    EXPECT_GT(w.Pcm.size(), 0u) << "the cut-short take is kept";
    EXPECT_LT(w.Pcm.size(), size_t(10000) * 22050 / 1000 * 2);
    // The hook is given back: a click is an ordinary click again.
    EXPECT_TRUE(s->SoundButtons[1]->isEnabled());
    s->EButton_PlayClick(1);
}

TEST_F(StudioDisk, EscapeEndsATakeAsAClickDoesAndStaysInTheStudio) {
    OpenFirstActor();
    ASSERT_NE(s, nullptr);
    UseManualTicks();
    auto& entry = main->MovieEntries[size_t(s->LineEntry(1)->LineNumber - 1)];
    entry.EndFrame = entry.StartFrame + 250;
    s->EButton_RecordClick(1);
    ASSERT_TRUE(s->Recording);
    tick += 501;
    QTest::keyClick(main.get(), Qt::Key_Escape);
    ASSERT_TRUE(WaitUntil([&] { return !s->Recording; }, 3000));
    EXPECT_TRUE(s->PlayButtons[1]->isVisible()) << "the take is kept";
    Pump(100);
    EXPECT_EQ(main->CurrentScreen(), s) << "Escape ended the take, it did not leave the screen";
}

TEST_F(StudioDisk, AfterATakeTheShadowingViewComparesItWithTheActorsLine) {
    OpenFirstActor();
    ASSERT_NE(s, nullptr);
    const TMovieEntry* line = s->LineEntry(1);
    s->EButton_SoundClick(1);
    s->EButton_RecordClick(1);
    ASSERT_TRUE(WaitUntil([&] { return !s->Recording; }, s->RecordMs + 5000));
    EXPECT_TRUE(s->ShadowView->isVisible()) << "shown over the film after the take";
    EXPECT_EQ(s->ShadowLine, 1);
    ASSERT_TRUE(WaitUntil([&] { return !s->ShadowPending() && s->ShadowView->Analysis().Seconds > 0; }, 8000));
    const TShadowAnalysis& a = s->ShadowView->Analysis();
    const double lineSeconds = (line->EndFrame - line->StartFrame) * 0.04;
    EXPECT_NEAR(a.Actor.Seconds(), lineSeconds, 0.03);
    EXPECT_NEAR(a.Learner.Seconds(), lineSeconds, 0.03);
    // The "voice" fed to the microphone is a steady 440 Hz tone.
    std::vector<float> voiced;
    for (float hz : a.Learner.PitchHz)
        if (hz > 0) voiced.push_back(hz);
    ASSERT_GT(voiced.size(), a.Learner.PitchHz.size() / 2);
    std::nth_element(voiced.begin(), voiced.begin() + ptrdiff_t(voiced.size() / 2), voiced.end());
    EXPECT_NEAR(voiced[voiced.size() / 2], kVoiceHz, 10.0);
    EXPECT_GT(*std::max_element(a.Actor.Peak.begin(), a.Actor.Peak.end()), 0.05f) << "the actor's line is heard";
    // Hearing the take keeps it; the next action elsewhere puts it away.
    s->EButton_PlayClick(1);
    EXPECT_TRUE(s->ShadowView->isVisible());
    s->EButton_SoundClick(2);
    EXPECT_FALSE(s->ShadowView->isVisible());
    EXPECT_TRUE(s->Panel_Video->isVisible());
}

// The whole scene dubbed, heard on the disk driver's output: the learner's
// voice (a steady tone fed as the microphone) sits at the recorded line's
// place and the film's own sound is heard before it. Needs its own process:
// the output file is named when the output device first opens.
TEST_F(StudioDisk, DubbedSceneOutputHoldsTheVoiceAtTheRecordedLine) {
    const std::string out = qgetenv("TAVOLIN_STUDIO_OUT").toStdString();
    if (out.empty()) GTEST_SKIP() << "needs TAVOLIN_STUDIO_OUT, the disk driver's output file";
    OpenFirstActor();
    ASSERT_NE(s, nullptr);
    s->EButton_RecordClick(2);
    ASSERT_TRUE(s->Recording);
    ASSERT_TRUE(WaitUntil([&] { return !s->Recording; }, s->RecordMs + 5000));
    ASSERT_TRUE(s->PlayButtons[2]->isVisible());
    const int rate = TAudioOutput::Instance().Rate();
    Pump(300);
    const auto sizeNow = [&] { std::ifstream f(out, std::ios::binary | std::ios::ate); return int64_t(f.tellg()); };
    const int64_t from = sizeNow();
    s->EButton_BigPlayClick();
    ASSERT_TRUE(WaitUntil([&] { return !s->EButton_BigStop->isVisible(); }, 60000));
    Pump(500);

    // The scene's output as mono samples.
    std::ifstream f(out, std::ios::binary);
    f.seekg(from - from % 8);
    std::vector<float> mono;
    float frame[2];
    while (f.read(reinterpret_cast<char*>(frame), sizeof frame)) mono.push_back((frame[0] + frame[1]) / 2);
    ASSERT_GT(mono.size(), size_t(rate)) << "the scene was heard";

    // Per 20 ms window: the correlation with the voice's tone against the whole energy.
    const int win = rate / 50;
    std::vector<double> tone, energy;
    for (size_t w = 0; (w + 1) * size_t(win) <= mono.size(); ++w) {
        double c = 0, sn = 0, e = 0;
        for (int i = 0; i < win; ++i) {
            const double x = mono[w * size_t(win) + size_t(i)], ph = 2 * M_PI * kVoiceHz * double(i) / rate;
            c += x * std::cos(ph);
            sn += x * std::sin(ph);
            e += x * x;
        }
        tone.push_back(2 * (c * c + sn * sn) / win);
        energy.push_back(e);
    }
    const auto toned = [&](size_t w) { return energy[w] > 1e-3 && tone[w] > 0.7 * energy[w]; };
    size_t firstSound = 0, firstTone = 0, lastTone = 0;
    while (firstSound < energy.size() && energy[firstSound] < 1e-3) ++firstSound;
    while (firstTone < tone.size() && !toned(firstTone)) ++firstTone;
    ASSERT_LT(firstTone, tone.size()) << "the voice is in the dubbed scene";
    for (size_t w = firstTone; w < tone.size(); ++w)
        if (toned(w)) lastTone = w;
    EXPECT_LT(firstSound, firstTone) << "the film's own sound comes first";
    int filmWindows = 0;
    for (size_t w = firstSound; w < firstTone; ++w) filmWindows += energy[w] > 1e-3 && !toned(w);
    EXPECT_GT(filmWindows, 5) << "the film's own sound is heard before the take";

    // Where the take landed against where the line stands in the film.
    const int expectedMs = (s->LineEntry(2)->StartFrame - s->CuePosition()) * 40;
    const int measuredMs = int(firstTone - firstSound) * 20;
    const int lengthMs = int(lastTone - firstTone + 1) * 20;
    std::printf("dubbed take: expected at %d ms after the cue's sound, heard at %d ms (offset %+d ms); "
                "take %d ms of %d ms\n", expectedMs, measuredMs, measuredMs - expectedMs, lengthMs, s->RecordMs);
    EXPECT_NEAR(measuredMs, expectedMs, 200);
    EXPECT_NEAR(lengthMs, s->RecordMs, 200);
}

} // namespace
