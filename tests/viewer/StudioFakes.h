#pragma once
// Media for the recording studio that play nothing: a film that stands
// where it was sent and a recorder that records nothing, both reporting the
// way the real ones do. Completions are posted, so they arrive after the
// handler that caused them has returned, or inside the local loop of a
// waiting play (which runs messages but no user input). A replaced play
// reports "superseded", a stopped one "aborted", one that reaches its end
// "successful"; a stopped take "aborted", a take that reaches its length
// "successful". Every recorder Open gives a new device number, as the real
// recorder does.
#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QPointer>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "content/OurUtils.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "viewer/Recording.h"

namespace tavtest {

constexpr int kFakeFilmDevice = 1;

struct FakeStudioMedia;

struct FakeStudioRecorder : tav::IStudioRecorder {
    explicit FakeStudioRecorder(FakeStudioMedia& m) : media(m) {}
    ~FakeStudioRecorder() override;
    FakeStudioMedia& media;
    bool open = false, recording = false, pending = false;
    int device = 0, takeMs = 0, recordedMs = -1;
    uint32_t startTick = 0;
    QPointer<QObject> notify;

    void Open(int, int, int) override;
    void Record(int toMs, QObject* n) override;
    void Stop() override;
    void SaveToFile(const std::string& fileName) override;
    void Close() override {
        if (open && recording) Stop();
        open = recording = pending = false;
        device = 0;
    }
    bool IsOpen() const override { return open; }
    bool IsRecording() const override { return recording; }
    int DeviceID() const override { return device; }
    // The take reaches its length.
    void Finish();
    void Post(int outcome);
};

struct FakeStudioMedia : tav::IStudioMedia {
    // What a saved take held: milliseconds recorded of how many asked for.
    struct TSaved {
        int RecordedMs = 0, TakeMs = 0;
    };
    std::map<std::string, TSaved> saved;
    FakeStudioRecorder* recorder = nullptr; // the screen's
    int nextDevice = 1000;
    int filmPlays = 0, takes = 0, saves = 0;
    bool playing = false, muted = false;
    int position = 0, playTo = 0;
    uint32_t serial = 0, pendingSerial = 0;
    QPointer<QObject> pending;
    int inWait = 0;
    // The next film play started without waiting while the film is muted
    // (the silent film beside a take) fails.
    bool failNextTakeFilm = false;
    bool noMicrophone = false;
    // Completions posted to each device, and delivered.
    std::map<int, int> posted;

    bool HasFilm() const override { return true; }
    void AttachDisplay(QWidget*) override {}
    void DetachDisplay() override {}
    void PlayFilm(int from, int to, bool wait, QObject* notify) override {
        if (failNextTakeFilm && !wait && muted && from != to) {
            failNextTakeFilm = false;
            throw tav::EProgramError("the film could not be started");
        }
        ++filmPlays;
        if (playing) Report(tav::MCI_NOTIFY_SUPERSEDED);
        pendingSerial = ++serial;
        if (from >= 0) position = from;
        playTo = to < 0 ? position : to;
        playing = true;
        pending = notify;
        if (wait) {
            RunLocalLoop();
            EndFilm();
        }
    }
    void StopFilm() override {
        if (playing) Report(tav::MCI_NOTIFY_ABORTED);
    }
    uint32_t FilmSerial() const override { return serial; }
    void SetFilmMuted(bool m) override { muted = m; }
    int GetFilmPosition() override { return position; }
    void PrepareSound(const std::string&) override {}
    void PlaySound(const std::string&) override {}
    void CloseSounds() override {}
    void ResetPlayers() override { StopFilm(); }
    std::unique_ptr<tav::IStudioRecorder> NewRecorder() override {
        auto r = std::make_unique<FakeStudioRecorder>(*this);
        recorder = r.get();
        return r;
    }
    // The film reaches the end of the range it plays.
    void EndFilm() {
        if (!playing) return;
        position = playTo;
        Report(tav::MCI_NOTIFY_SUCCESSFUL);
    }
    // Moves a playing film on (film units), as the clock would.
    void Advance(int units) {
        if (playing) position = std::min(playTo, position + units);
    }
    void Report(int outcome) {
        playing = false;
        QObject* n = pending;
        pending = nullptr;
        if (n) {
            ++posted[kFakeFilmDevice];
            tav::PostMessage(n, tav::MM_MCINOTIFY, outcome, kFakeFilmDevice, pendingSerial);
        }
    }
    // A waiting play runs messages but no user input until it ends.
    void RunLocalLoop() {
        ++inWait;
        QEventLoop loop;
        for (int round = 0; round < 3; ++round) loop.processEvents(QEventLoop::ExcludeUserInputEvents);
        --inWait;
    }
};

inline FakeStudioRecorder::~FakeStudioRecorder() {
    if (media.recorder == this) media.recorder = nullptr;
}

inline void FakeStudioRecorder::Open(int, int, int) {
    Close();
    if (media.noMicrophone) throw tav::EProgramError("no sound input device");
    open = true;
    device = media.nextDevice++;
}

inline void FakeStudioRecorder::Record(int toMs, QObject* n) {
    if (!open) throw tav::EProgramError("Media player not open");
    Stop();
    takeMs = toMs;
    recordedMs = -1;
    startTick = tav::GetTickCount();
    notify = n;
    pending = n != nullptr;
    recording = true;
    ++media.takes;
}

inline void FakeStudioRecorder::Stop() {
    if (!open) throw tav::EProgramError("Media player not open");
    if (!recording) return;
    if (recordedMs < 0) recordedMs = std::min(takeMs, int(tav::GetTickCount() - startTick));
    recording = false;
    if (pending) Post(tav::MCI_NOTIFY_ABORTED);
}

inline void FakeStudioRecorder::Finish() {
    if (!recording || recordedMs >= 0) return;
    recordedMs = takeMs;
    if (pending) Post(tav::MCI_NOTIFY_SUCCESSFUL);
}

inline void FakeStudioRecorder::Post(int outcome) {
    pending = false;
    if (!notify) return;
    ++media.posted[device];
    tav::PostMessage(notify.data(), tav::MM_MCINOTIFY, outcome, device);
}

inline void FakeStudioRecorder::SaveToFile(const std::string& fileName) {
    Stop();
    media.saved[fileName] = {std::max(recordedMs, 0), takeMs};
    ++media.saves;
}

} // namespace tavtest
