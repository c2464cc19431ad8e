#pragma once
// What the activity screen tests share: media that plays nothing and writes
// down what the screens asked for, and a fixture with the real main window on
// the fixture disc, probe screens for everything else and a manual clock.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
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

struct FakeMedia : tav::IActivityMedia {
    std::vector<std::string> calls;
    std::vector<std::string> sounds;
    QObject* lastNotify = nullptr;
    int films = 0;
    bool playing = false; // what FilmPlaying answers
    void AttachDisplay(QWidget*) override { calls.push_back("attach"); }
    std::function<void()> onDetach;
    void DetachDisplay() override {
        calls.push_back("detach");
        if (onDetach) onDetach();
    }
    void PlayFilm(int from, int to, bool, QObject* notify) override {
        ++films;
        lastNotify = notify;
        calls.push_back("film " + std::to_string(from) + "-" + std::to_string(to));
    }
    void StopFilm() override { calls.push_back("stop"); }
    bool FilmPlaying() const override { return playing; }
    void PlaySound(const std::string& path, bool) override {
        if (!tav::FileExists(path)) throw tav::EProgramError("Missing sound file " + path);
        const size_t slash = path.find_last_of('\\');
        sounds.push_back(path.substr(slash + 1));
    }
    void CloseSounds() override {}
    bool Played(const std::string& name) const {
        return std::find(sounds.begin(), sounds.end(), name) != sounds.end();
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
    // The line has finished playing.
    static void LineEnds(QObject* s) {
        tav::PostMessage(s, tav::MM_MCINOTIFY, tav::MCI_NOTIFY_SUCCESSFUL, 0);
        QCoreApplication::sendPostedEvents(s);
    }
    bool AtActivitiesMenu() const { return AtState(*main, tav::stActivitiesMenu); }
    static void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2)); }
};

} // namespace tavtest
