#pragma once
// The film quiz on the fixture disc with the real main window. The media are
// a fake that plays nothing: completions of notifying sounds, the film range
// and the opponent's sections are posted (as the clip pool and the media
// panel post them) when the test lets them end, never inside the call that
// started them; a blocking sound runs queued events in its own loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "../app/AppFixture.h"
#include "app/ContentLocation.h"
#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "content/OurUtils.h"
#include "games/QuizMCI.h"
#include "games/QuizMedia.h"
#include "media/ZrMCIMedia.h"
#include "components/HelpOverlay.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Timer.h"

namespace quiztest {

using namespace tav;

constexpr int kFilmDevice = 1001, kSoundDevice = 2001;

struct FakeQuizMedia : IQuizMedia {
    std::vector<std::string> sounds;  // names of every sound played, in order
    std::vector<int> sections;        // start ms of every opponent section
    std::vector<QPointer<QObject>> soundsDue; // notifying sounds still playing
    QPointer<QObject> filmDue;
    QPointer<TZrMCIMedia> opponentDue;
    int opponentGeneration = 0;
    bool opponentOpen = false;
    // A real panel also reports a section whose end was already queued when
    // the next one started; false drops such reports as if never made.
    bool staleOpponentReports = false;
    bool opponentFails = false; // every opponent section ends in a failure
    std::function<void()> duringBlockingSound;
    std::function<void()> duringWaitingFilm;

    void AttachDisplay(QWidget*) override {}
    void DetachDisplay() override {}
    void PlayFilm(int, int, bool wait, QObject* notify) override {
        if (wait) {
            if (duringWaitingFilm) duringWaitingFilm();
            RunLocalLoop();
        }
        filmDue = notify;
    }
    void PrepareSound(const std::string& path) override {
        if (!FileExists(path)) throw EProgramError("Missing sound file " + path);
    }
    void PlaySound(const std::string& path, bool wait, QObject* notify) override {
        PrepareSound(path);
        sounds.push_back(path.substr(path.find_last_of('\\') + 1));
        if (wait) {
            if (duringBlockingSound) duringBlockingSound();
            RunLocalLoop();
        }
        if (notify) soundsDue.push_back(notify);
    }
    void StopSounds() override { soundsDue.clear(); }
    void CloseSounds() override { soundsDue.clear(); }
    int ClassifyDevice(int id) const override { return id == kFilmDevice ? 1 : id == kSoundDevice ? 2 : 0; }
    void OpenOpponent(TZrMCIMedia&, const std::string& file) override {
        EXPECT_TRUE(FileExists(file)) << file;
        opponentOpen = true;
    }
    void PlayOpponent(TZrMCIMedia& panel, int startMs, int) override {
        if (!opponentOpen) throw EProgramError("Media not open"); // as the panel says it
        ++opponentGeneration; // a new section supersedes the playing one
        sections.push_back(startMs);
        opponentDue = &panel;
    }
    void StopOpponent(TZrMCIMedia&) override {
        ++opponentGeneration;
        opponentDue = nullptr;
    }
    void CloseOpponent(TZrMCIMedia& panel) override {
        StopOpponent(panel);
        opponentOpen = false;
    }
    bool OpponentPlaying(TZrMCIMedia&) const override { return opponentDue != nullptr; }

    static void RunLocalLoop() {
        QEventLoop loop;
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
        loop.exec();
    }
    // Posts the completions of what is playing now.
    void EndSounds() {
        auto due = std::move(soundsDue);
        soundsDue.clear();
        for (auto& w : due)
            if (w) PostMessage(w, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, kSoundDevice);
    }
    void EndFilm() {
        if (filmDue) PostMessage(filmDue, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, kFilmDevice);
        filmDue = nullptr;
    }
    void EndOpponent() {
        if (!opponentDue) return;
        QPointer<TZrMCIMedia> panel = opponentDue;
        opponentDue = nullptr;
        const int generation = opponentGeneration;
        QMetaObject::invokeMethod(
            panel, [this, panel, generation] {
                if (!panel || !(staleOpponentReports || generation == opponentGeneration)) return;
                // A damaged clip: the panel reports a failure instead of the end.
                if (opponentFails) {
                    if (panel->OnMediaFailed) panel->OnMediaFailed();
                } else if (panel->OnMediaComplete) {
                    panel->OnMediaComplete();
                }
            },
            Qt::QueuedConnection);
    }
    int Count(const std::string& name) const { return int(std::count(sounds.begin(), sounds.end(), name)); }
    bool PlayedPrefix(const std::string& prefix, size_t from = 0) const {
        for (size_t i = from; i < sounds.size(); ++i)
            if (sounds[i].rfind(prefix, 0) == 0) return true;
        return false;
    }
};

} // namespace quiztest

using namespace tav;

class QuizScreen : public tavtest::FixtureDiscScreens {
protected:
    quiztest::FakeQuizMedia media;
    TForm_Quiz* quiz = nullptr;

    void SetUp() override {
        FixtureDiscScreens::SetUp();
        if (IsSkipped()) return;
        SetQuizMedia(&media);
        SetTickSource([] { return static_cast<uint32_t>(TTimer::ManualNow() + 100000); });
        RegisterScreen(stQuiz, [](TForm_Main& m, QWidget* p) { return new TForm_Quiz(m, p); });
        StartMain();
        main->LoadStudent("Ann");
        TTimer::SetManualTimers(true);
    }
    void TearDown() override {
        FixtureDiscScreens::TearDown();
        SetQuizMedia(nullptr);
        SetTickSource(nullptr);
        TTimer::SetManualTimers(false);
        SetContentAsker(nullptr);
    }
    void Enter() {
        main->PostStateChange(stQuiz, 1);
        ASSERT_TRUE(tavtest::WaitUntil([&] { return dynamic_cast<TForm_Quiz*>(main->CurrentScreen()) != nullptr; }));
        quiz = dynamic_cast<TForm_Quiz*>(main->CurrentScreen());
        ASSERT_TRUE(tavtest::WaitUntil([&] { return quiz->State == 1; }));
    }
    void Settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }
    // Lets everything that plays end, one round of completions at a time,
    // until the game stands in `state` (false when it stops elsewhere).
    bool RunTo(int state) {
        for (int i = 0; i < 60 && quiz->State != state; ++i) {
            media.EndSounds();
            media.EndFilm();
            media.EndOpponent();
            Settle();
        }
        return quiz->State == state;
    }
    // Makes the opponent's next draws come out as `right`.
    void OpponentWillBe(bool right) {
        for (unsigned seed = 1; seed < 10000; ++seed) {
            SetRandSeed(seed);
            if (quiz->State >= 10) Random(100); // the short/long draw comes first
            const int d = Random(100);
            const int threshold = quiz->OpponentScore > quiz->LearnerScore ? 50 : 75;
            if ((d < threshold) == right) {
                SetRandSeed(seed);
                return;
            }
        }
        FAIL() << "no seed found";
    }
    void OpponentAnswers(bool right) {
        OpponentWillBe(right);
        TTimer::AdvanceTimers(quiz->OpponentDelay);
        Settle();
    }
    // A click that waits in the queue behind what is queued already.
    void PostClick(int position) {
        QWidget* w = quiz->PaintBox_Ans[size_t(position)];
        const QPointF at(w->width() / 2, w->height() / 2), global = w->mapToGlobal(at);
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(w, new QMouseEvent(t, at, global, Qt::LeftButton,
                                                           t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                           Qt::NoModifier));
    }
    void Click(int position) {
        QWidget* w = quiz->PaintBox_Ans[size_t(position)];
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
        Settle();
    }
    int Wrong() const { return quiz->CorrectPos % 3 + 1; }
    // The game stands at the first question with every answer read.
    void ToAllRead() {
        Enter();
        ASSERT_TRUE(RunTo(9));
    }
};
