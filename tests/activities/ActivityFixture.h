#pragma once
// What the activity screen tests share: media that plays nothing and writes
// down what the screens asked for, and a fixture with the real main window on
// the fixture disc, probe screens for everything else and a manual clock.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../app/AppFixture.h"
#include "activities/ActivityMedia.h"
#include "app/ContentLocation.h"
#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "toolkit/Timer.h"

namespace tavtest {

// Completions come the way the clip pool sends them: posted, so they arrive
// after the handler that caused them has returned, or inside the local loop
// of a sound played with wait. A play that is replaced reports "superseded",
// a stopped play "aborted", a play that ends "successful" (EndFilm); a play
// that has reported reports nothing more.
struct FakeMedia : tav::IActivityMedia {
    std::vector<std::string> calls;
    std::vector<std::string> sounds;
    QPointer<QObject> lastNotify;
    int films = 0;
    bool playing = false;          // a play of the film runs (what FilmPlaying answers)
    QPointer<QObject> pending;     // the window the running play reports to
    void AttachDisplay(QWidget*) override { calls.push_back("attach"); }
    std::function<void()> onDetach;
    void DetachDisplay() override {
        calls.push_back("detach");
        if (onDetach) onDetach();
    }
    void PlayFilm(int from, int to, bool wait, QObject* notify) override {
        ++films;
        lastNotify = notify;
        calls.push_back("film " + std::to_string(from) + "-" + std::to_string(to));
        // The pool forwards the old play's end to the window it reports to now.
        if (playing) Report(notify, tav::MCI_NOTIFY_SUPERSEDED);
        playing = true;
        pending = notify;
        if (wait) {
            RunLocalLoop();
            EndFilm();
        }
    }
    void StopFilm() override {
        calls.push_back("stop");
        if (!playing) return;
        Report(pending, tav::MCI_NOTIFY_ABORTED);
    }
    bool FilmPlaying() const override { return playing; }
    // The running play reaches its end.
    void EndFilm() {
        if (playing) Report(pending, tav::MCI_NOTIFY_SUCCESSFUL);
    }
    void PlaySound(const std::string& path, bool wait) override {
        if (!tav::FileExists(path)) throw tav::EProgramError("Missing sound file " + path);
        const size_t slash = path.find_last_of('\\');
        sounds.push_back(path.substr(slash + 1));
        if (wait) RunLocalLoop();
    }
    void CloseSounds() override {}
    bool Played(const std::string& name) const {
        return std::find(sounds.begin(), sounds.end(), name) != sounds.end();
    }

private:
    void Report(QObject* notify, int outcome) {
        playing = false;
        pending = nullptr;
        // Like the pool: nothing is posted to a window that is gone.
        if (notify) tav::PostMessage(notify, tav::MM_MCINOTIFY, outcome, 0);
    }
    // A waiting play runs messages but no user input until it ends; posted
    // completions (also those a completion posts in turn) arrive here.
    static void RunLocalLoop() {
        QEventLoop loop;
        for (int round = 0; round < 3; ++round) loop.processEvents(QEventLoop::ExcludeUserInputEvents);
    }
};


class ActivityScreensFixture : public FixtureDiscScreens {
protected:
    FakeMedia media;

    // The family registers its screens after this.
    void SetUp() override {
        FixtureDiscScreens::SetUp();
        tav::SetActivityMedia(&media);
        // The stopwatch reads the manual clock of the timers.
        tav::SetTickSource([] { return static_cast<uint32_t>(tav::TTimer::ManualNow() + 100000); });
    }
    void TearDown() override {
        FixtureDiscScreens::TearDown();
        tav::SetContentAsker(nullptr);
        tav::SetActivityMedia(nullptr);
        tav::SetTickSource(nullptr);
        tav::SetDebugSink(nullptr);
        tav::TTimer::SetManualTimers(false);
    }
    void Start(const std::string& config = "[Defaults]\r\nRecords=0\r\nFast=1\r\n") {
        StartMain(config);
        if (main) main->LoadStudent("Ann");
    }
    // Opens a screen and waits for its first question (or its message that
    // there is none), then hands the timers to the manual clock.
    template <class T>
    T* Go(int state) {
        main->PostStateChange(state, 1);
        EXPECT_TRUE(WaitUntil([&] { return dynamic_cast<T*>(main->CurrentScreen()) != nullptr; }));
        auto* s = dynamic_cast<T*>(main->CurrentScreen());
        EXPECT_TRUE(WaitUntil([&] { return s && (s->CurrentLine != nullptr || s->NoQuestion); }));
        tav::TTimer::SetManualTimers(true);
        return s;
    }
    // The line has finished playing; its completion is delivered.
    void LineEnds(QObject* s) {
        media.EndFilm();
        Deliver(s);
    }
    // What the event loop does once the handler that ran has returned: the
    // messages queued for the screen and for the notify objects of its plays.
    static void Deliver(QObject* s) {
        const QPointer<QObject> screen(s);
        for (int round = 0; round < 2 && screen; ++round) {
            QCoreApplication::sendPostedEvents(screen);
            if (!screen) return;
            const QObjectList children = screen->children();
            std::vector<QPointer<QObject>> relays;
            for (QObject* child : children)
                if (!child->isWidgetType()) relays.emplace_back(child);
            for (const QPointer<QObject>& relay : relays)
                if (relay && screen) QCoreApplication::sendPostedEvents(relay);
        }
    }
    // A completion the pool would not send (a leftover).
    static void StrayCompletion(QObject* s) {
        tav::PostMessage(s, tav::MM_MCINOTIFY, tav::MCI_NOTIFY_SUCCESSFUL, 0);
        QCoreApplication::sendPostedEvents(s);
    }
    bool AtActivitiesMenu() const { return AtState(*main, tav::stActivitiesMenu); }
    static void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2)); }
};

} // namespace tavtest
