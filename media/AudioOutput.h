#pragma once
// The one sound output every player shares. Each playing player owns a
// TAudioSource (a buffer of stereo float samples at the output rate); one
// mixer pulls from all of them. The mixer runs in SDL's audio callback, or,
// when there is no output device (headless machines, SDL's dummy driver), on
// a timer thread that consumes samples in real time so clocks still advance.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tav {

class TAudioSource {
public:
    explicit TAudioSource(int rate, double maxSeconds = 2.0);

    // Producer side (decode thread). Appends interleaved stereo frames; returns
    // how many were taken (fewer when the buffer is full).
    size_t Push(const float* frames, size_t count);
    size_t FreeFrames() const;
    size_t BufferedFrames() const;
    void SetRunning(bool running) { running_ = running; }
    // No more samples will come: once drained the source is finished.
    void MarkEnded() { ended_ = true; }

    // Consumer side (mixer). Adds up to count frames into out (stereo).
    void MixInto(float* out, size_t count);

    int64_t ConsumedFrames() const { return consumed_; }
    // Microseconds of sound played by nowUs: the samples handed out before
    // the last mixer call, plus the time since then (at most the length of
    // that last piece, or without limit once the source is drained). Smooth
    // between mixer calls, never ahead of the samples given out.
    int64_t PlayedUs(int64_t nowUs) const;
    bool Ended() const { return ended_; }
    bool Drained() const { return ended_ && BufferedFrames() == 0; }
    // Monotonic microseconds of the moment the last sample was consumed.
    int64_t LastConsumeUs() const { return lastConsumeUs_; }
    int Rate() const { return rate_; }

    void SetGain(float gain) { gain_ = gain; }
    void SetMuted(bool muted) { muted_ = muted; }

private:
    const int rate_;
    mutable std::mutex mutex_;
    std::vector<float> ring_; // stereo frames
    size_t capacity_;         // in frames
    size_t head_ = 0, size_ = 0;
    std::atomic<bool> running_{false}, ended_{false}, muted_{false};
    std::atomic<float> gain_{1.0f};
    std::atomic<int64_t> consumed_{0};
    std::atomic<int64_t> lastConsumeUs_{0};
    int64_t lastChunkFrames_ = 0; // guarded by mutex_
};

class TAudioOutput {
public:
    static TAudioOutput& Instance();

    int Rate() const { return rate_; }
    bool IsNull() const { return null_; }   // no real device: timer-driven
    std::string DriverName() const { return driver_; }

    void Add(const std::shared_ptr<TAudioSource>& source);
    void Remove(const std::shared_ptr<TAudioSource>& source);

    // Mixes every registered source into out (count stereo frames).
    void Mix(float* out, size_t count);

    ~TAudioOutput();

private:
    TAudioOutput();
    void StartNullOutput();

    int rate_ = 48000;
    bool null_ = true;
    std::string driver_;
    uint32_t device_ = 0;
    std::mutex mutex_;
    std::vector<std::shared_ptr<TAudioSource>> sources_;
    std::atomic<bool> quit_{false};
    struct NullThread;
    std::unique_ptr<NullThread> nullThread_;
};

// Starts SDL's audio subsystem once (and silences ALSA's error printing).
// Returns false with a reason when SDL audio cannot start at all.
bool EnsureSdlAudio(std::string* reason = nullptr);

// Monotonic microseconds (the clock for video-only playback).
int64_t MonotonicUs();

} // namespace tav
