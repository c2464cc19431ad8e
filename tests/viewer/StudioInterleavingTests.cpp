// The recording studio against media that play nothing but report like the
// real ones (StudioFakes.h): a take retried after the silent film failed to
// start, clicks queued behind a take's end, a play-back's end arriving after
// it was stopped and started again, and random interleavings of
// clicks, time, the ends of plays and takes, film failures, Back and screen
// changes from elsewhere, with the screen's state checked after every event.
// TAVOLIN_INTERLEAVINGS sets the count (default 10,000; a third under the
// sanitizers), TAVOLIN_SEED the first seed.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QTest>

#include <functional>
#include <optional>
#include <random>

#include "../app/AppFixture.h"
#include "StudioFakes.h"
#include "tests/TestSupport.h"
#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "components/ZrButton.h"
#include "program/Screens.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Timer.h"
#include "viewer/RecSelect.h"
#include "viewer/Recording.h"

using namespace tav;
using namespace tavtest;

namespace {

// Counts the completions the screen has been given, by device.
class DeliveryCounter : public QObject {
public:
    std::map<int, int> delivered;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (const TMessageEvent* m = AsMessage(e, MM_MCINOTIFY)) ++delivered[int(m->LParam())];
        return false;
    }
};

class StudioFake : public FixtureDiscScreens {
protected:
    TempFolder temp;
    QByteArray savedTmp;
    FakeStudioMedia media;
    uint32_t tick = 100000;
    TForm_Recording* s = nullptr;
    TRecordEntry actor;

    void SetUp() override {
        FixtureDiscScreens::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(temp.Path()));
        SetStudioMedia(&media);
        SetTickSource([this] { return tick; });
        RegisterScreen(stRecSelect, [](TForm_Main& m, QWidget* p) { return new TForm_RecSelect(m, p); });
        RegisterScreen(stRecording, [](TForm_Main& m, QWidget* p) { return new TForm_Recording(m, p); });
        StartMain();
        ASSERT_NE(main, nullptr);
        ASSERT_GE(main->MovieEntries.size(), 6u);
        // Scenes of three and of four lines.
        actor.Title = "Test";
        for (int k = 0; k < 3; ++k) actor.Parts[0][k] = 2 + k;
        for (int k = 0; k < 4; ++k) actor.Parts[1][k] = 3 + k;
    }
    void TearDown() override {
        TTimer::SetManualTimers(false);
        main.reset();
        SetStudioMedia(nullptr);
        SetTickSource(nullptr);
        qputenv("TMPDIR", savedTmp);
        FixtureDiscScreens::TearDown();
    }
    void Open() {
        main->CurrentRecord = actor;
        main->RecordNumber = 1;
        main->PostStateChange(stRecording, 1);
        ASSERT_TRUE(WaitUntil([&] { return (s = dynamic_cast<TForm_Recording*>(main->CurrentScreen())) != nullptr; }));
        ASSERT_TRUE(WaitUntil([&] { return s->EButton_BigPlay->isVisible(); }));
    }
    void Deliver() { QCoreApplication::sendPostedEvents(s); }
};

// ---- faults of timing ------------------------------------------------------------------------

TEST_F(StudioFake, ATakeRetriedAfterTheFilmFailedRunsToItsEndAndIsSaved) {
    Open();
    ASSERT_NE(s, nullptr);
    MessageCapture messages;
    media.failNextTakeFilm = true;
    s->EButton_RecordClick(1);
    ASSERT_TRUE(s->Recording);
    EXPECT_FALSE(s->SyncRecording) << "the studio goes on without the film";
    EXPECT_EQ(media.takes, 2);
    Deliver(); // the abandoned take's "aborted" arrives
    EXPECT_TRUE(s->Recording) << "the first take's completion does not end the retried one";
    EXPECT_TRUE(s->Recorder->IsRecording());
    EXPECT_FALSE(s->PlayButtons[1]->isVisible());
    EXPECT_FALSE(s->SoundButtons[1]->isEnabled());

    tick += uint32_t(s->RecordMs);
    media.recorder->Finish();
    Deliver();
    EXPECT_FALSE(s->Recording);
    EXPECT_TRUE(s->PlayButtons[1]->isVisible());
    EXPECT_EQ(media.saved[s->TempFiles[1]].RecordedMs, s->RecordMs) << "the whole take is saved";
    EXPECT_TRUE(s->SoundButtons[1]->isEnabled());
    EXPECT_TRUE(messages.Messages.empty()) << messages.Last();

    // The next take, without the film, ends by itself as well.
    s->EButton_RecordClick(2);
    ASSERT_TRUE(s->Recording);
    Deliver();
    EXPECT_TRUE(s->Recording);
    tick += uint32_t(s->RecordMs);
    media.recorder->Finish();
    Deliver();
    EXPECT_EQ(media.saved[s->TempFiles[2]].RecordedMs, s->RecordMs);
}

TEST_F(StudioFake, ASceneChosenAsATakeEndsComesAfterTheTakeIsSaved) {
    Open();
    ASSERT_NE(s, nullptr);
    s->EButton_RecordClick(1);
    ASSERT_TRUE(s->Recording);
    tick += uint32_t(s->RecordMs);
    media.recorder->Finish();
    // The learner's clicks on the clapper and on scene 2 wait behind the take's end.
    QMetaObject::invokeMethod(s, [this] { s->EButton_ClapperClick(); }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(s, [this] { s->Image_DSelClick(2); }, Qt::QueuedConnection);
    Deliver();
    EXPECT_FALSE(s->Recording);
    EXPECT_EQ(media.saved[s->TempFiles[1]].RecordedMs, s->RecordMs) << "scene 1's take was saved";
    EXPECT_EQ(s->CurrentScene, 2);
    for (int k = 1; k <= 5; ++k)
        EXPECT_FALSE(s->PlayButtons[size_t(k)]->isVisible()) << "scene 2 starts without recordings: " << k;
    for (int k = 1; k <= s->LineCount; ++k) EXPECT_TRUE(s->SoundButtons[size_t(k)]->isEnabled()) << k;
}

TEST_F(StudioFake, TheEndOfAPlayBackStoppedAndStartedAgainDoesNotStopTheNewOne) {
    Open();
    ASSERT_NE(s, nullptr);
    s->EButton_BigPlayClick();
    ASSERT_TRUE(s->EButton_BigStop->isVisible());
    media.EndFilm(); // its end is on its way when the learner stops and starts again
    s->StopScenePlay();
    s->EButton_BigPlayClick();
    Deliver();
    EXPECT_TRUE(s->EButton_BigStop->isVisible()) << "the new play-back runs on";
    EXPECT_TRUE(s->Timer_Captions.Enabled());
    EXPECT_FALSE(s->SoundButtons[1]->isEnabled());
    media.EndFilm();
    Deliver();
    EXPECT_FALSE(s->EButton_BigStop->isVisible()) << "its own end stops it";
    EXPECT_TRUE(s->SoundButtons[1]->isEnabled());
}

TEST_F(StudioFake, AScreenChangeWhileALinePlaysLeavesTheScreenAlone) {
    Open();
    ASSERT_NE(s, nullptr);
    QPointer<TForm_Recording> screen = s;
    // A screen change from elsewhere (the inactivity timeout, the classroom)
    // runs while the line plays and waits.
    main->PostStateChange(stMainMenu, 0);
    s->EButton_SoundClick(1);
    EXPECT_TRUE(WaitUntil([&] { return screen.isNull(); }));
    // Back during a line's play: the step ends there.
    Open();
    ASSERT_NE(s, nullptr);
    screen = s;
    const int plays = media.filmPlays;
    QMetaObject::invokeMethod(s, [this] { s->EButton_BackClick(); }, Qt::QueuedConnection);
    s->EButton_SoundClick(1);
    if (screen) EXPECT_FALSE(s->RecordButtons[1]->isVisible()) << "no Record for a screen that is leaving";
    EXPECT_EQ(media.filmPlays, plays + 1);
    EXPECT_TRUE(WaitUntil([&] { return screen.isNull(); }));
}

// ---- random interleavings --------------------------------------------------------------------

class StudioInterleaving : public StudioFake {
protected:
    std::mt19937 rng;
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    static bool Clickable(QWidget* w) { return w && w->isVisible() && w->isEnabled(); }

    // A click as the learner makes it: never inside a waiting play (user
    // input waits there), so one that comes then is kept for later.
    struct TClick {
        QPointer<TForm_Recording> w;
        FakeStudioMedia* m;
        std::function<void(TForm_Recording*)> act;
        void operator()() const {
            if (!w) return;
            if (m->inWait > 0) {
                QMetaObject::invokeMethod(w.data(), TClick(*this), Qt::QueuedConnection);
                return;
            }
            act(w.data());
        }
    };
    std::function<void()> Click(std::function<void(TForm_Recording*)> act) {
        return TClick{s, &media, std::move(act)};
    }
    DeliveryCounter counter;
    bool changePosted = false;
    // The studio anew: completions to the screen before it are gone with it.
    void Reopen() {
        Open();
        if (!s) return;
        media.posted.clear();
        counter.delivered.clear();
        s->installEventFilter(&counter);
    }

    // The n-th (modulo their number) clickable button of a row of lines.
    static TZrButton* NthClickable(TForm_Recording* r, const std::array<TZrButton*, 6>& row, int n) {
        std::vector<TZrButton*> live;
        for (int k = 1; k <= r->LineCount; ++k)
            if (Clickable(row[size_t(k)])) live.push_back(row[size_t(k)]);
        return live.empty() ? nullptr : live[size_t(n) % live.size()];
    }

    // A learner's action (input = true) or something of the media or the clock.
    std::function<void()> RandomEvent(bool& input) {
        input = true;
        const int n = Pick(5);
        switch (Pick(16)) {
        case 0: case 1: case 2: case 3: {
            // Sound, Record or Play of one of the lines.
            const int rowKind = Pick(3);
            return Click([n, rowKind](TForm_Recording* r) {
                const auto& row = rowKind == 0 ? r->SoundButtons : rowKind == 1 ? r->RecordButtons : r->PlayButtons;
                if (TZrButton* b = NthClickable(r, row, n)) b->OnClick(b);
            });
        }
        case 4:
            return Click([](TForm_Recording* r) {
                if (Clickable(r->EButton_BigStop)) r->EButton_BigStop->OnClick(r->EButton_BigStop);
                else if (Clickable(r->EButton_BigPlay)) r->EButton_BigPlay->OnClick(r->EButton_BigPlay);
            });
        case 5:
            return Click([n](TForm_Recording* r) {
                const int scene = 1 + n % 2;
                if (Clickable(r->SceneImages[size_t(scene)])) r->SceneImages[size_t(scene)]->OnClick(r->SceneImages[size_t(scene)]);
                else if (Clickable(r->EButton_Clapper)) r->EButton_Clapper->OnClick(r->EButton_Clapper);
            });
        case 6:
            // A press anywhere: during a take, after its first half second, it ends the take.
            return Click([](TForm_Recording* r) { QTest::mouseClick(r->fcLabel_Caption, Qt::LeftButton); });
        case 7:
            if (Pick(30) == 0)
                return Click([](TForm_Recording* r) {
                    if (Clickable(r->EButton_Back)) r->EButton_Back->OnClick(r->EButton_Back);
                });
            [[fallthrough]];
        default:
            break;
        }
        input = false;
        switch (Pick(7)) {
        case 0: case 1: {
            static const int steps[] = {20, 100, 300, 700};
            const int ms = steps[Pick(4)];
            return [this, ms] {
                tick += uint32_t(ms);
                media.Advance(ms / 40);
                TTimer::AdvanceTimers(ms);
            };
        }
        case 2:
            return [this] {
                if (media.recorder) media.recorder->Finish();
            };
        case 3: return [this] { media.EndFilm(); };
        case 4: return [this] { media.failNextTakeFilm = true; };
        default:
            if (Pick(150) == 0)
                return [this] {
                    changePosted = true;
                    main->PostStateChange(stMainMenu, 0);
                };
            return [this] { Deliver(); };
        }
    }

    std::string Check(const MessageCapture& messages, int playsAtBack, int takesAtBack) const {
        if (!messages.Messages.empty()) return "a message box: " + messages.Last();
        const FakeStudioRecorder* rec = media.recorder;
        const auto inFlight = [&](int device) {
            const auto p = media.posted.find(device);
            const auto d = counter.delivered.find(device);
            return (p == media.posted.end() ? 0 : p->second) - (d == counter.delivered.end() ? 0 : d->second);
        };
        for (int k = 1; k <= 5; ++k) {
            if (!s->PlayButtons[size_t(k)]->isVisible()) continue;
            if (k > s->LineCount) return "a Play button beyond the scene's lines";
            const auto it = media.saved.find(s->TempFiles[size_t(k)]);
            if (it == media.saved.end()) return "a Play button without a saved take: " + std::to_string(k);
            const FakeStudioMedia::TSaved& t = it->second;
            if (t.RecordedMs != t.TakeMs && t.RecordedMs <= TForm_Recording::kEarlyClickMs)
                return "a take cut short by nobody was saved: " + std::to_string(t.RecordedMs) + " of " +
                       std::to_string(t.TakeMs) + " ms";
        }
        if (s->Leaving) {
            if (media.filmPlays != playsAtBack || media.takes != takesAtBack) return "media started after Back";
            return "";
        }
        if (s->Recording) {
            if (!rec || !rec->open) return "a take without an open recorder";
            if (!(rec->recording && rec->pending) && inFlight(rec->device) <= 0)
                return "a take that nothing will end";
            if (s->SoundButtons[1]->isEnabled() || s->EButton_BigPlay->isEnabled()) return "buttons live during a take";
            return "";
        }
        if (rec && rec->recording && rec->recordedMs < 0) return "the recorder records with no take running";
        if (s->EButton_BigStop->isVisible()) {
            if (!s->Timer_Captions.Enabled()) return "a scene play-back without its timer";
            if (!(media.playing && media.pending == s) && inFlight(kFakeFilmDevice) <= 0)
                return "a scene play-back that nothing will end";
            return "";
        }
        bool live = false;
        for (int k = 1; k <= s->LineCount; ++k) live = live || s->SoundButtons[size_t(k)]->isEnabled();
        for (int n = 1; n <= TForm_Recording::kScenes; ++n) live = live || s->SceneImages[size_t(n)]->isVisible();
        if (!live) return "the screen stands still: no take, no play-back, no button";
        return "";
    }

    // Ends what runs and starts the screen over at scene 1.
    void Reset() {
        // Clicks still queued may start a take or a play-back: end those too.
        for (int round = 0; round < 6 && (round < 2 || s->Recording || s->EButton_BigStop->isVisible()); ++round) {
            TTimer::AdvanceTimers(1000);
            if (media.recorder) media.recorder->Finish();
            media.EndFilm();
            Deliver();
        }
        if (s->Recording || s->EButton_BigStop->isVisible()) return;
        if (s->SceneImages[1]->isVisible()) s->Image_DSelClick(1);
        s->SyncRecording = true;
        s->ScreenReady();
        // Some lines already heard, so their Record buttons are there.
        for (int k = 1; k <= s->LineCount; ++k)
            if (Pick(2) == 0) s->EButton_SoundClick(k);
        Deliver();
    }
};

TEST_F(StudioInterleaving, TakesAreSavedOnlyWhenRecordedAndTheScreenNeverStandsStill) {
    Reopen();
    ASSERT_NE(s, nullptr);
    TTimer::SetManualTimers(true);
    const int runs = [] {
        const QByteArray n = qgetenv("TAVOLIN_INTERLEAVINGS");
        // Under the sanitizers, which run several times slower, a share of them.
        return n.isEmpty() ? 10000 / kSlowdown : std::max(1, n.toInt());
    }();
    const QByteArray seedText = qgetenv("TAVOLIN_SEED");
    const unsigned seed0 = seedText.isEmpty() ? unsigned(std::random_device{}()) : seedText.toUInt();
    int ended = 0, saved = 0;
    for (int run = 0; run < runs; ++run) {
        const unsigned seed = seed0 + unsigned(run);
        rng.seed(seed);
        MessageCapture messages;
        QPointer<TForm_Recording> screen = s;
        std::string wrong;
        int playsAtBack = -1, takesAtBack = -1;
        changePosted = false;
        const int savesBefore = media.saves;
        const int steps = 6 + Pick(15);
        for (int step = 0; wrong.empty() && step < steps && screen; ++step) {
            bool input = false;
            const std::function<void()> event = RandomEvent(input);
            if (input && Pick(3) == 0) QMetaObject::invokeMethod(s, event, Qt::QueuedConnection);
            else event();
            if (!screen) break;
            if (s->Leaving && playsAtBack < 0) {
                playsAtBack = media.filmPlays;
                takesAtBack = media.takes;
            }
            wrong = Check(messages, playsAtBack, takesAtBack);
        }
        saved += media.saves - savesBefore;
        if (wrong.empty() && screen && !s->Leaving && !changePosted) Deliver();
        if (wrong.empty() && (!screen || s->Leaving || changePosted)) {
            // Back or a screen change: the screen must go, and the studio open again.
            ++ended;
            TTimer::SetManualTimers(false);
            if (!WaitUntil([&] { return screen.isNull(); })) wrong = "the screen did not go";
            TTimer::SetManualTimers(true);
        }
        if (wrong.empty() && !messages.Messages.empty()) wrong = "a message box: " + messages.Last();
        if (!wrong.empty()) {
            ADD_FAILURE() << "interleaving " << run << ", seed " << seed << ": " << wrong;
            break;
        }
        if (screen) {
            Reset();
        } else {
            TTimer::SetManualTimers(false);
            Reopen();
            ASSERT_FALSE(HasFatalFailure()) << "seed " << seed;
            TTimer::SetManualTimers(true);
        }
    }
    std::printf("studio: %d interleavings, %d ended by leaving, %d takes saved (first seed %u)\n", runs, ended,
                saved, seed0);
}

} // namespace
