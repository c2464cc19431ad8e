// The film clip pool on a three-part film whose frames show their film
// position: the timeline, ranges inside and across parts, the run-on into
// the next part, completion forwarding, one or all players open, the sound
// ring, and full-screen play with its application hook.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QElapsedTimer>

#include <filesystem>

#include "FilmParts.h"
#include "MediaClips.h"
#include "NotifySink.h"
#include "TestSupport.h"
#include "media/AudioOutput.h"
#include "media/Movie.h"
#include "media/VideoPanel.h"
#include "platform/Paths.h"
#include "toolkit/AppEvents.h"

#include <qpa/qwindowsysteminterface.h>

using namespace tav;
using tavtest::FrameNumberOf;
using tavtest::TNotifySink;

namespace {

// Calls back when its target receives one type of event.
class TEventProbe : public QObject {
public:
    TEventProbe(QObject* target, QEvent::Type type, std::function<void()> seen)
        : type_(type), seen_(std::move(seen)) {
        target->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == type_) seen_();
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> seen_;
};

// Parts of 4, 3 and 2 seconds, made once for the whole program.
const tavtest::TFilmParts& Film() {
    static QTemporaryDir dir;
    static tavtest::TFilmParts film = tavtest::MakeFilmParts(dir.path().toStdString(), {4, 3, 2});
    return film;
}

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

class ClipPool : public ::testing::Test {
protected:
    TMovieSettings Settings(bool movieSingle = true) {
        TMovieSettings s;
        s.MovieNames = Film().Names;
        s.TargetFolder = Film().Folder;
        s.MovieSingle = movieSingle;
        return s;
    }
    void Make(bool movieSingle = true) {
        pool = std::make_unique<TForm_Movie>(Settings(movieSingle));
        panel.resize(320, 240);
    }
    int Start(int k) const { return Film().Starts[k - 1]; }
    int Shown() const { return FrameNumberOf(panel.Frame()); }
    bool Playing() const { return pool->CurrentPart && pool->PartPlayers[pool->CurrentPart]->IsPlaying(); }
    int OpenParts() const {
        int n = 0;
        for (int k = 1; k <= pool->PartCount; ++k) n += pool->PartPlayers[k]->IsOpen ? 1 : 0;
        return n;
    }
    void WaitNotes(TNotifySink& sink, size_t count) {
        ASSERT_TRUE(tavtest::WaitUntil([&] { return sink.Notes.size() >= count; }, 8000));
        tavtest::Pump(150); // stragglers would show now
    }

    TVideoPanel panel;
    std::unique_ptr<TForm_Movie> pool;
    TNotifySink sink;
};

} // namespace

// ---- creation and the timeline -------------------------------------------------------

TEST_F(ClipPool, JoinsThePartsIntoOneTimeline) {
    Make();
    ASSERT_EQ(pool->PartCount, 3);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(pool->PartStart[k], Start(k)) << k;
    EXPECT_EQ(pool->FilmLength, Start(4));
    EXPECT_GT(pool->PartStart[2], 90); // about four seconds of 25 units
    EXPECT_EQ(pool->CurrentPart, 0);
    EXPECT_EQ(pool->NextSoundSlot, 1);
    EXPECT_FALSE(pool->isVisible()); // hidden unless MovieVisible
    EXPECT_EQ(OpenParts(), 0) << "MovieSingle keeps only the lengths";
    EXPECT_EQ(pool->PartPlayers[4], nullptr);
}

TEST_F(ClipPool, MovieVisibleShowsTheParkedParts) {
    TMovieSettings s = Settings(false);
    s.MovieVisible = true;
    pool = std::make_unique<TForm_Movie>(s);
    EXPECT_TRUE(pool->isVisible());
    EXPECT_EQ(pool->size(), QSize(215, 160));
    EXPECT_EQ(pool->PartPanels[5]->geometry(), QRect(6, 46, 44, 36));
    EXPECT_EQ(pool->PartPanels[8]->objectName(), "Panel8");
    // Each open part shows its picture in its own panel, scaled to it.
    ASSERT_NE(pool->PartPlayers[2]->Panel(), nullptr);
    EXPECT_EQ(pool->PartPlayers[2]->Panel()->parentWidget(), pool->PartPanels[2]);
    EXPECT_EQ(pool->PartPlayers[2]->Panel()->geometry(), QRect(0, 0, 44, 36));
}

TEST_F(ClipPool, AllPartsStayOpenWithoutMovieSingle) {
    Make(false);
    EXPECT_EQ(OpenParts(), 3);
    EXPECT_EQ(pool->GetFilmPosition(), 0);
}

TEST_F(ClipPool, CreationFailsClearly) {
    TMovieSettings s = Settings();
    s.MovieNames.assign(9, Film().Names[0]);
    EXPECT_EQ(ErrorOf([&] { TForm_Movie pool(s); }), "Too many movie clips!");
    s.MovieNames = {Film().Names[0], "missing.mpg"};
    const std::string error = ErrorOf([&] { TForm_Movie pool(s); });
    EXPECT_EQ(error.rfind("MCI Error: ", 0), 0u) << error;
    EXPECT_NE(error.find("missing.mpg"), std::string::npos) << error;
}

TEST_F(ClipPool, PositionsFindTheirPart) {
    Make();
    int offset = -1;
    EXPECT_EQ(pool->PartOf(0, &offset), 1);
    EXPECT_EQ(offset, 0);
    EXPECT_EQ(pool->PartOf(Start(2) - 1, &offset), 1);
    EXPECT_EQ(offset, Start(2) - 1);
    EXPECT_EQ(pool->PartOf(Start(2), &offset), 2) << "the first position of part 2 belongs to it";
    EXPECT_EQ(offset, 0);
    EXPECT_EQ(pool->PartOf(Start(3) + 5, &offset), 3);
    EXPECT_EQ(offset, 5);
    EXPECT_EQ(pool->PartOf(pool->FilmLength, &offset), 3) << "the end belongs to the last part";
    EXPECT_EQ(pool->PartOf(pool->FilmLength + 100, &offset), 3);
}

// ---- playing ranges ------------------------------------------------------------------

TEST_F(ClipPool, NothingHappensWithoutADisplay) {
    Make();
    pool->PlayFilm(10, 20, false, &sink, false);
    pool->SeekFilm(30);
    tavtest::Pump(300);
    EXPECT_TRUE(sink.Notes.empty());
    EXPECT_EQ(pool->CurrentPart, 0);
    EXPECT_EQ(OpenParts(), 0);
    EXPECT_EQ(pool->GetFilmPosition(), 0);
}

TEST_F(ClipPool, RangeInsideAPartCompletesOnceOnItsLastFrame) {
    Make();
    pool->AttachDisplay(&panel, false);
    pool->PlayFilm(Start(2) + 10, Start(2) + 30, false, &sink, false);
    EXPECT_EQ(pool->CurrentPart, 2);
    EXPECT_EQ(pool->RangeTo, Start(2) + 30);
    WaitNotes(sink, 1);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(sink.Notes[0].Device, pool->PartPlayers[2]->DeviceID);
    EXPECT_EQ(pool->ClassifyDevice(sink.Notes[0].Device), 1);
    EXPECT_EQ(Shown(), Start(2) + 30);
    EXPECT_EQ(pool->GetFilmPosition(), Start(2) + 30);
}

TEST_F(ClipPool, RangeAcrossTheBoundaryIsCutAtTheEndOfItsPart) {
    Make();
    pool->AttachDisplay(&panel, false);
    const int from = Start(3) - 20;
    pool->PlayFilm(from, Start(3) + 25, false, &sink, false);
    EXPECT_EQ(pool->RangeTo, Start(3)) << "cut to the end of part 2";
    WaitNotes(sink, 1);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(sink.Notes[0].Device, pool->PartPlayers[2]->DeviceID);
    EXPECT_EQ(pool->CurrentPart, 2) << "never crosses into part 3";
    EXPECT_GE(Shown(), Start(3) - 2);
    EXPECT_LE(Shown(), Start(3));
    EXPECT_FALSE(Playing());
}

TEST_F(ClipPool, RangeToStopsBeforeItsEndInsideAndAtTheEndOfAPart) {
    Make();
    pool->AttachDisplay(&panel, true);
    pool->PlayFilmTo(Start(2) + 10, Start(2) + 30, &sink);
    EXPECT_EQ(pool->RangeTo, Start(2) + 30);
    WaitNotes(sink, 1);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(Shown(), Start(2) + 29) << "the picture at the end is never shown";
    EXPECT_EQ(pool->GetFilmPosition(), Start(2) + 29);
    EXPECT_NEAR(pool->LastFilmSoundEndMs(), (Start(2) + 30) * 40.0, 20.0) << "the sound stops at the end";
    // Across a seam the range ends on the part's last picture; the rest is
    // the next part's (the screen plays it on from there).
    sink.Notes.clear();
    pool->PlayFilmTo(Start(3) - 10, Start(3) + 10, &sink);
    WaitNotes(sink, 1);
    EXPECT_EQ(pool->CurrentPart, 2);
    EXPECT_EQ(Shown(), Start(3) - 1);
    EXPECT_EQ(pool->GetFilmPosition(), Start(3) - 1);
    sink.Notes.clear();
    pool->PlayFilmTo(Start(3), Start(3) + 10, &sink);
    WaitNotes(sink, 1);
    EXPECT_EQ(pool->CurrentPart, 3);
    EXPECT_EQ(Shown(), Start(3) + 9);
}

TEST_F(ClipPool, RangeToAtHalfSpeedTakesTwiceAsLongAndTheRateStays) {
    Make();
    pool->AttachDisplay(&panel, true);
    pool->SetFilmRate(0.5);
    QElapsedTimer t;
    t.start();
    pool->PlayFilmTo(Start(1) + 20, Start(1) + 45, &sink); // one second of film
    WaitNotes(sink, 1);
    const qint64 ms = t.elapsed() - 150; // WaitNotes lingers 150 ms
    EXPECT_GT(ms, 1900);
    EXPECT_LT(ms, 2500);
    EXPECT_EQ(Shown(), Start(1) + 44);
    EXPECT_NEAR(double(pool->LastFilmSoundFrames()) / TAudioOutput::Instance().Rate(), 2.0, 0.02);
    // A part opened later plays at the same speed.
    sink.Notes.clear();
    t.restart();
    pool->PlayFilmTo(Start(3) + 5, Start(3) + 30, &sink);
    WaitNotes(sink, 1);
    EXPECT_GT(t.elapsed() - 150, 1900);
    pool->SetFilmRate(1.0);
}

TEST_F(ClipPool, StillFrameAtAPartStartAndBeyondTheEnd) {
    Make();
    pool->AttachDisplay(&panel, false);
    pool->PlayFilm(Start(2), Start(2), true, nullptr, false);
    EXPECT_EQ(pool->CurrentPart, 2);
    EXPECT_EQ(Shown(), Start(2));
    EXPECT_EQ(pool->GetFilmPosition(), Start(2));

    // Beyond the end: the last part at its end, not a play error.
    pool->PlayFilm(pool->FilmLength + 40, pool->FilmLength + 50, false, &sink, false);
    EXPECT_EQ(pool->CurrentPart, 3);
    WaitNotes(sink, 1);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(pool->GetFilmPosition(), pool->FilmLength);
    EXPECT_GE(Shown(), pool->FilmLength - 2);
}

TEST_F(ClipPool, SeekShowsTheFrameWithoutPlaying) {
    Make();
    pool->AttachDisplay(&panel, false);
    pool->SeekFilm(Start(2));
    EXPECT_EQ(pool->CurrentPart, 2);
    EXPECT_EQ(Shown(), Start(2));
    pool->SeekFilm(Start(2) + 17);
    EXPECT_EQ(Shown(), Start(2) + 17);
    EXPECT_EQ(pool->GetFilmPosition(), Start(2) + 17);
    pool->SeekFilm(40);
    EXPECT_EQ(pool->CurrentPart, 1);
    EXPECT_EQ(Shown(), 40);
    pool->SeekFilm(pool->FilmLength + 10);
    EXPECT_EQ(pool->CurrentPart, 3);
    EXPECT_EQ(pool->GetFilmPosition(), pool->FilmLength);
    tavtest::Pump(100);
    EXPECT_FALSE(Playing());
}

TEST_F(ClipPool, RunsOnIntoTheNextPartsWithoutReporting) {
    Make();
    pool->AttachDisplay(&panel, false);
    std::vector<int> changes;
    pool->OnPartChanged = [&](int part) { changes.push_back(part); };
    pool->SeekFilm(Start(3) - 20);
    pool->PlayFilm(-1, -1, false, &sink, false);
    EXPECT_EQ(pool->RangeTo, -1);
    std::vector<int> shown;
    bool readyBeforeSeam = false, closedBeforeSeam = false;
    ASSERT_TRUE(tavtest::WaitUntil([&] {
        const int n = Shown();
        if (n >= 0 && (shown.empty() || shown.back() != n)) shown.push_back(n);
        if (pool->CurrentPart == 2 && pool->NextPartReady()) {
            readyBeforeSeam = true;
            closedBeforeSeam = !pool->PartPlayers[3]->IsOpen;
        }
        return pool->CurrentPart == 3 && !Playing();
    }, 10000));
    tavtest::Pump(200);
    EXPECT_TRUE(sink.Notes.empty()) << "neither the seam nor the end of the film is reported";
    EXPECT_EQ(changes, std::vector<int>{3});
    EXPECT_TRUE(readyBeforeSeam) << "part 3 was opened ahead of the seam";
    EXPECT_TRUE(closedBeforeSeam) << "with MovieSingle it was held outside PartPlayers";
    EXPECT_EQ(OpenParts(), 1);
    EXPECT_TRUE(pool->PartPlayers[3]->IsOpen);
    ASSERT_FALSE(shown.empty());
    EXPECT_LE(shown.front(), Start(3) - 19);
    for (size_t i = 1; i < shown.size(); ++i) EXPECT_GT(shown[i], shown[i - 1]) << "the film runs forward";
    EXPECT_GE(shown.back(), pool->FilmLength - 2);
    // Pictures of both sides of the seam were seen.
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](int n) { return n >= Start(3) - 3 && n < Start(3); }));
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](int n) { return n >= Start(3) && n <= Start(3) + 3; }));
    EXPECT_EQ(pool->GetFilmPosition(), pool->FilmLength);
}

TEST_F(ClipPool, RunOnOpensTheNextPartAtTheSeamWhenNotReadyYet) {
    Make();
    pool->AttachDisplay(&panel, false);
    pool->SeekFilm(Start(2) - 2); // the seam comes before the part could be opened ahead
    pool->PlayFilm(-1, -1, false, &sink, false);
    EXPECT_FALSE(pool->NextPartReady());
    ASSERT_TRUE(tavtest::WaitUntil([&] { return pool->CurrentPart == 2 && Shown() >= Start(2) + 5; }, 8000));
    EXPECT_TRUE(Playing());
    EXPECT_EQ(OpenParts(), 1);
    // Part 3 is opened ahead while part 2 plays, outside PartPlayers.
    ASSERT_TRUE(tavtest::WaitUntil([&] { return pool->NextPartReady(); }, 3000));
    EXPECT_FALSE(pool->PartPlayers[3]->IsOpen);
    // A bounded play elsewhere drops it again.
    pool->PlayFilm(10, 12, true, nullptr, false);
    EXPECT_FALSE(pool->NextPartReady());
    EXPECT_TRUE(sink.Notes.empty() || sink.Notes.back().Outcome != MCI_NOTIFY_SUCCESSFUL);
}

TEST_F(ClipPool, RunOnWithAllPartsOpen) {
    Make(false);
    pool->AttachDisplay(&panel, false);
    EXPECT_FALSE(pool->OnePlayerOnly);
    pool->PlayFilm(Start(2) - 15, -1, false, &sink, false);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return pool->CurrentPart == 2 && Shown() >= Start(2) + 5; }, 8000));
    EXPECT_EQ(OpenParts(), 3);
    // Part 1 went back to its parked panel.
    ASSERT_NE(pool->PartPlayers[1]->Panel(), nullptr);
    EXPECT_EQ(pool->PartPlayers[1]->Panel()->parentWidget(), pool->PartPanels[1]);
    EXPECT_TRUE(sink.Notes.empty()) << "the seam is not reported";
    pool->StopFilm();
    WaitNotes(sink, 1);
    ASSERT_EQ(sink.Notes.size(), 1u) << "a stopped play is reported, whatever its range";
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_ABORTED);
    EXPECT_EQ(sink.Notes[0].Device, pool->PartPlayers[2]->DeviceID);
    EXPECT_FALSE(Playing());
}

TEST_F(ClipPool, MovieSingleOpensOnlyTheShownPart) {
    Make();
    pool->AttachDisplay(&panel, false);
    EXPECT_TRUE(pool->OnePlayerOnly);
    pool->PlayFilm(30, 30, true, nullptr, false);
    EXPECT_EQ(OpenParts(), 1);
    EXPECT_TRUE(pool->PartPlayers[1]->IsOpen);
    pool->PlayFilm(Start(3) + 12, Start(3) + 12, true, nullptr, false);
    EXPECT_EQ(OpenParts(), 1);
    EXPECT_FALSE(pool->PartPlayers[1]->IsOpen);
    EXPECT_TRUE(pool->PartPlayers[3]->IsOpen);
    EXPECT_EQ(Shown(), Start(3) + 12) << "the new part shows the asked frame";
}

TEST_F(ClipPool, OnePlayerOnlyAskedByTheScreen) {
    Make(false);
    pool->AttachDisplay(&panel, true);
    EXPECT_TRUE(pool->OnePlayerOnly);
    pool->SeekFilm(Start(2) + 3);
    EXPECT_EQ(OpenParts(), 1);
    pool->AttachDisplay(&panel, false);
    EXPECT_EQ(OpenParts(), 3) << "closed parts are opened again";
}

TEST_F(ClipPool, MutingReachesOpenPartsOnly) {
    Make();
    pool->AttachDisplay(&panel, false);
    pool->SeekFilm(10);
    pool->SetFilmMuted(true);
    EXPECT_TRUE(pool->PartPlayers[1]->Muted);
    pool->SeekFilm(Start(2) + 1);
    EXPECT_FALSE(pool->PartPlayers[2]->Muted) << "a part opened afterwards starts with sound";
    pool->SetFilmMuted(true);
    pool->AttachDisplay(&panel, false);
    EXPECT_EQ(pool->CurrentPart, 0);
}

// ---- completion forwarding ---------------------------------------------------------------

TEST_F(ClipPool, CompletionAfterDetachIsIgnored) {
    Make();
    pool->AttachDisplay(&panel, false);
    pool->PlayFilm(10, 80, false, &sink, false);
    tavtest::Pump(100);
    pool->DetachDisplay(); // parks the part: its play ends aborted
    EXPECT_EQ(pool->CurrentPart, 0);
    EXPECT_EQ(pool->DisplayPanel, nullptr);
    tavtest::Pump(400);
    EXPECT_TRUE(sink.Notes.empty());
    EXPECT_EQ(pool->PartPlayers[1]->Panel()->parentWidget(), pool->PartPanels[1]);
}

TEST_F(ClipPool, APlayReplacedByAnotherIsNotReportedToTheNewCaller) {
    Make();
    pool->AttachDisplay(&panel, false);
    TNotifySink second, third;
    pool->PlayFilm(10, 80, false, &sink, false);
    tavtest::Pump(100);
    // Same part: the first play ends superseded, which is no news to the
    // caller of the second: it hears only of its own play, tagged with it.
    pool->PlayFilm(20, 30, false, &second, false);
    const uint32_t secondPlay = pool->FilmSerial();
    WaitNotes(second, 1);
    EXPECT_TRUE(sink.Notes.empty());
    ASSERT_EQ(second.Notes.size(), 1u);
    EXPECT_EQ(second.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(second.Notes[0].Serial, secondPlay);
    EXPECT_EQ(Shown(), 30);
    // Another part: the part left is stopped (aborted), and that is not
    // the new caller's play either.
    pool->PlayFilm(15, 90, false, &second, false);
    tavtest::Pump(100);
    pool->PlayFilm(Start(2) + 3, Start(2) + 8, false, &third, false);
    WaitNotes(third, 1);
    ASSERT_EQ(third.Notes.size(), 1u);
    EXPECT_EQ(third.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(Shown(), Start(2) + 8);
}

TEST_F(ClipPool, InputQueuedBeforeAPlayRunsAfterTheCallersStepNotInsideIt) {
    Make();
    pool->AttachDisplay(&panel, false);
    QWidget button;
    button.resize(50, 50);
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    bool insidePlay = false, clickedInside = false, clicked = false;
    TEventProbe probe(&button, QEvent::MouseButtonPress, [&] {
        clicked = true;
        clickedInside = insidePlay;
    });
    // A click the window system has queued but not delivered yet.
    const QPointF at(10, 10);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        button.windowHandle(), at, button.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    insidePlay = true;
    pool->PlayFilm(10, 20, false, &sink, false);
    insidePlay = false;
    EXPECT_FALSE(clicked) << "the click ran inside the play start";
    ASSERT_TRUE(tavtest::WaitUntil([&] { return clicked; }, 3000));
    EXPECT_FALSE(clickedInside);
    WaitNotes(sink, 1);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
}

TEST_F(ClipPool, APlayOvertakenByAQueuedOneWhileStartingIsSupersededAtOnce) {
    Make();
    pool->AttachDisplay(&panel, false);
    TNotifySink timerCaller;
    QObject timer;
    // A timer's tick queued before the screen's own play start asks for
    // another range: the tick ran later, so its play is the one that stands.
    QMetaObject::invokeMethod(&timer, [&] { pool->PlayFilm(40, 45, false, &timerCaller, false); }, Qt::QueuedConnection);
    pool->PlayFilm(10, 80, false, &sink, false);
    ASSERT_EQ(sink.Notes.size(), 0u); // posted, not called
    WaitNotes(timerCaller, 1);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUPERSEDED);
    EXPECT_NE(sink.Notes[0].Serial, pool->FilmSerial());
    ASSERT_EQ(timerCaller.Notes.size(), 1u);
    EXPECT_EQ(timerCaller.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(Shown(), 45);
    EXPECT_FALSE(Playing());
    // A queued detach (the screen leaving) overtakes a play the same way.
    sink.Notes.clear();
    QMetaObject::invokeMethod(&timer, [&] { pool->DetachDisplay(); }, Qt::QueuedConnection);
    pool->PlayFilm(10, 80, false, &sink, false);
    EXPECT_FALSE(Playing());
    EXPECT_EQ(pool->CurrentPart, 0);
}

TEST_F(ClipPool, ACallerDeletedByAPostedEventBeforeThePlayStartsGetsNoPlay) {
    Make();
    pool->AttachDisplay(&panel, false);
    auto* caller = new TNotifySink;
    QObject screenChange;
    QMetaObject::invokeMethod(&screenChange, [&] { delete caller; }, Qt::QueuedConnection);
    pool->PlayFilm(10, 80, false, caller, false);
    EXPECT_FALSE(Playing());
    pool->PlayFilm(10, 20, false, &sink, false); // the next screen plays as usual
    WaitNotes(sink, 1);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
}

TEST_F(ClipPool, StopOfARangeIsForwardedAsAborted) {
    Make();
    pool->AttachDisplay(&panel, false);
    pool->PlayFilm(10, 80, false, &sink, false);
    tavtest::Pump(200);
    pool->StopFilm();
    const int at = pool->GetFilmPosition();
    EXPECT_GT(at, 10);
    EXPECT_LT(at, 80);
    WaitNotes(sink, 1);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_ABORTED);
    // Play on from where it stands, to a bounded end.
    sink.Notes.clear();
    pool->PlayFilm(-1, at + 5, false, &sink, false);
    WaitNotes(sink, 1);
    EXPECT_EQ(sink.Notes.back().Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(Shown(), at + 5);
}

// ---- sounds ------------------------------------------------------------------------

namespace {

// Six differently named copies of one short sound.
std::vector<std::string> Sounds(const std::string& ext = ".wav") {
    static QTemporaryDir dir;
    std::vector<std::string> names;
    for (int i = 1; i <= 6; ++i) {
        const std::string name = dir.path().toStdString() + "/s" + std::to_string(i) + ext;
        if (!std::filesystem::exists(name))
            std::filesystem::copy_file(ext == ".wav" ? tavtest::MediaClips().Wave : tavtest::MediaClips().Aiff, name);
        names.push_back(name);
    }
    InvalidatePathCache();
    return names;
}

} // namespace

TEST_F(ClipPool, SoundRingStartsAtSlotTwoAndEvictsTheOldest) {
    Make();
    const auto s = Sounds();
    std::vector<TMCIPlayer*> players;
    for (int i = 0; i < 5; ++i) players.push_back(pool->PrepareSound(s[i]));
    EXPECT_EQ(players[0], pool->SoundPlayers[2].get());
    EXPECT_EQ(players[3], pool->SoundPlayers[5].get());
    EXPECT_EQ(players[4], pool->SoundPlayers[1].get());
    EXPECT_EQ(pool->NextSoundSlot, 1);
    // Known sounds come back without reopening, whatever the case of the name.
    const int device = players[2]->DeviceID;
    EXPECT_EQ(pool->PrepareSound(s[2]), players[2]);
    std::string upper = s[2];
    upper.replace(upper.size() - 6, 6, "S3.WAV");
    EXPECT_EQ(pool->PrepareSound(upper), players[2]);
    EXPECT_EQ(players[2]->DeviceID, device);
    // The sixth sound takes slot 2 from the first one.
    EXPECT_EQ(pool->PrepareSound(s[5]), pool->SoundPlayers[2].get());
    EXPECT_EQ(pool->SoundPlayers[2]->FileName, s[5]);
    // The first one opens again, in the next slot (evicting the second).
    EXPECT_EQ(pool->PrepareSound(s[0]), pool->SoundPlayers[3].get());
    EXPECT_EQ(pool->NextSoundSlot, 3);
    for (int i = 1; i <= 5; ++i) EXPECT_NE(pool->SoundPlayers[i]->FileName, s[1]);
    EXPECT_EQ(pool->ClassifyDevice(pool->SoundPlayers[3]->DeviceID), 2);
    EXPECT_EQ(pool->ClassifyDevice(60000), 0);
    EXPECT_EQ(pool->ClassifyDevice(0), 0);
}

TEST_F(ClipPool, MissingAndEmptySoundNames) {
    Make();
    EXPECT_EQ(pool->PrepareSound(""), nullptr);
    const std::string missing = Film().Folder + "/nothere.aif";
    EXPECT_EQ(ErrorOf([&] { pool->PrepareSound(missing); }), "Missing sound file " + missing);
    EXPECT_EQ(pool->NextSoundSlot, 1) << "no slot was used";
    EXPECT_NO_THROW(pool->PlaySound("", true, nullptr));
}

TEST_F(ClipPool, NtModeSendsWaveFilesToTheirOwnPlayer) {
    TMovieSettings settings = Settings();
    settings.NtMode = true;
    pool = std::make_unique<TForm_Movie>(settings);
    const auto wav = Sounds(".wav");
    const auto aif = Sounds(".aif");
    EXPECT_EQ(pool->PrepareSound(wav[0]), pool->WavPlayer.get());
    EXPECT_EQ(pool->PrepareSound(wav[0]), pool->WavPlayer.get());
    EXPECT_EQ(pool->PrepareSound(aif[0]), pool->SoundPlayers[2].get());
    EXPECT_EQ(pool->ClassifyDevice(pool->WavPlayer->DeviceID), 2);
    EXPECT_EQ(ErrorOf([&] { pool->PrepareSound(Film().Folder + "/x.WAV"); }),
              "Missing sound file " + Film().Folder + "/x.WAV");
}

TEST_F(ClipPool, PlaySoundReportsToTheCallerAndStopsAndCloses) {
    Make();
    const auto s = Sounds();
    pool->PlaySound(s[0], false, &sink);
    WaitNotes(sink, 1);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(sink.Notes[0].Device, pool->SoundPlayers[2]->DeviceID);
    // A waiting play returns when the sound has ended.
    pool->PlaySound(s[0], true, nullptr);
    EXPECT_FALSE(pool->SoundPlayers[2]->IsPlaying());
    EXPECT_EQ(pool->SoundPlayers[2]->GetPosition(), pool->SoundPlayers[2]->GetLength());
    pool->PlaySound(s[1], false, nullptr);
    EXPECT_TRUE(pool->SoundPlayers[3]->IsPlaying());
    pool->StopSounds();
    EXPECT_FALSE(pool->SoundPlayers[3]->IsPlaying());
    pool->CloseSounds();
    for (int i = 1; i <= 5; ++i) EXPECT_FALSE(pool->SoundPlayers[i]->IsOpen);
    EXPECT_FALSE(pool->WavPlayer->IsOpen);
}

TEST_F(ClipPool, ResetRecreatesEveryPlayer) {
    Make(false);
    const auto s = Sounds();
    pool->PrepareSound(s[0]);
    const TMCIPlayer* oldPart = pool->PartPlayers[1].get();
    pool->ResetPlayers();
    EXPECT_NE(pool->PartPlayers[1].get(), oldPart);
    EXPECT_EQ(OpenParts(), 3) << "without MovieSingle the parts are open again";
    for (int i = 1; i <= 5; ++i) EXPECT_FALSE(pool->SoundPlayers[i]->IsOpen);
    EXPECT_EQ(pool->NextSoundSlot, 1);
    EXPECT_FALSE(pool->Label_Reset->isVisible());
    EXPECT_EQ(pool->Label_Reset->text(), "Resetting!");
    EXPECT_EQ(pool->PrepareSound(s[0]), pool->SoundPlayers[2].get());
}

TEST_F(ClipPool, ResetWhileAttachedSelectsThePartAgain) {
    Make();
    pool->AttachDisplay(&panel, false);
    pool->SeekFilm(Start(2) + 5);
    pool->ResetPlayers();
    EXPECT_EQ(OpenParts(), 0);
    EXPECT_EQ(pool->GetFilmPosition(), Start(2)) << "a closed part player stands at its part's start";
    pool->SeekFilm(Start(2) + 9);
    EXPECT_EQ(Shown(), Start(2) + 9);
    pool->PlayFilm(Start(2) + 12, Start(2) + 14, false, &sink, false);
    WaitNotes(sink, 1);
    EXPECT_EQ(sink.Notes.back().Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(Shown(), Start(2) + 14);
}

TEST_F(ClipPool, GlobalPoolIsCreatedOnce) {
    ASSERT_EQ(Form_Movie, nullptr);
    // Settings without film parts: an empty pool.
    TForm_Movie* created = CreateFormMovie(TMovieSettings());
    ASSERT_NE(created, nullptr);
    TMovieSettings other;
    other.MovieNames = {"nothing.mpg"};
    EXPECT_EQ(CreateFormMovie(other), created) << "created once; later settings change nothing";
    EXPECT_EQ(created->PartCount, 0);
    created->AttachDisplay(&panel, false);
    created->PlayFilm(0, 10, false, &sink, false);
    created->SeekFilm(5);
    EXPECT_EQ(created->CurrentPart, 0);
    FreeFormMovie();
    EXPECT_EQ(Form_Movie, nullptr);
}

// ---- full screen ----------------------------------------------------------------------

TEST_F(ClipPool, FullScreenPausesResumesAndReturnsToTheWindow) {
    Make();
    QWidget mainWindow;
    int baseCalls = 0;
    TAppEvents::Instance().Install();
    const TAppMessageHook before = [&](QObject*, QEvent*) { ++baseCalls; return false; };
    TAppEvents::Instance().SetHook(before);
    pool->AttachDisplay(&panel, false);
    TMovieSettings settings = Settings();
    pool->PlayFilm(20, -1, false, nullptr, true);
    ASSERT_NE(pool->Blanker(), nullptr);
    EXPECT_TRUE(pool->Blanker()->isVisible());
    // The backdrop covers the whole screen, window manager or not.
    EXPECT_EQ(pool->Blanker()->geometry(), QGuiApplication::primaryScreen()->geometry());
    EXPECT_TRUE(pool->FullScreenHookInstalled());
    ASSERT_TRUE(tavtest::WaitUntil([&] { return FrameNumberOf(pool->Blanker()->Video->Frame()) > 22; }));

    QTest::keyClick(pool->Blanker(), Qt::Key_Space);
    EXPECT_TRUE(pool->Paused);
    EXPECT_FALSE(Playing());
    EXPECT_GT(baseCalls, 0) << "the application hook sees every message first";
    const int pausedAt = pool->GetFilmPosition();
    tavtest::Pump(200);
    EXPECT_EQ(pool->GetFilmPosition(), pausedAt);

    QTest::keyClick(pool->Blanker(), Qt::Key_Space);
    EXPECT_FALSE(pool->Paused);
    EXPECT_TRUE(Playing());

    QTest::mouseClick(pool->Blanker(), Qt::LeftButton);
    EXPECT_FALSE(pool->Blanker()->isVisible());
    EXPECT_FALSE(pool->FullScreenHookInstalled());
    EXPECT_TRUE(Playing()) << "the film goes on in the window";
    const int framesBefore = panel.FrameCount();
    ASSERT_TRUE(tavtest::WaitUntil([&] { return panel.FrameCount() > framesBefore + 3; }));
    // The hook is the one from before full screen again.
    const int calls = baseCalls;
    QTest::keyClick(&panel, Qt::Key_A);
    EXPECT_GT(baseCalls, calls);
    pool->StopFilm();
    TAppEvents::Instance().SetHook(nullptr);
}

TEST_F(ClipPool, AltKeyAlsoLeavesFullScreenAndDetachTakesTheHookAway) {
    Make();
    TAppEvents::Instance().Install();
    TAppEvents::Instance().SetHook(nullptr);
    pool->AttachDisplay(&panel, false);
    pool->PlayFilm(10, -1, false, nullptr, true);
    ASSERT_TRUE(pool->FullScreenHookInstalled());
    QTest::keyClick(pool->Blanker(), Qt::Key_X, Qt::AltModifier);
    EXPECT_FALSE(pool->FullScreenHookInstalled());
    EXPECT_FALSE(pool->Blanker()->isVisible());

    pool->PlayFilm(10, -1, false, nullptr, true);
    ASSERT_TRUE(pool->FullScreenHookInstalled());
    pool->DetachDisplay();
    EXPECT_FALSE(pool->FullScreenHookInstalled());
    EXPECT_FALSE(pool->Blanker()->isVisible());
    EXPECT_FALSE(TAppEvents::Instance().Hook());
}

TEST_F(ClipPool, EndOfTheFilmInFullScreenHidesTheBackdropButKeepsTheHook) {
    Make();
    TAppEvents::Instance().Install();
    TAppEvents::Instance().SetHook(nullptr);
    pool->AttachDisplay(&panel, false);
    panel.show();
    pool->PlayFilm(pool->FilmLength - 8, -1, false, &sink, true);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return !Playing(); }, 5000));
    tavtest::Pump(100);
    EXPECT_FALSE(pool->Blanker()->isVisible());
    EXPECT_TRUE(pool->FullScreenHookInstalled()) << "until the next click or Alt key";
    EXPECT_TRUE(sink.Notes.empty());
    QTest::mouseClick(&panel, Qt::LeftButton);
    EXPECT_FALSE(pool->FullScreenHookInstalled());
    tavtest::Pump(150);
    EXPECT_GE(Shown(), pool->FilmLength - 2) << "the last picture stands in the window";
    EXPECT_TRUE(sink.Notes.empty());
}
