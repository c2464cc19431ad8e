#pragma once
// Playback of one open media file: exact seeks, range plays with a decode
// worker thread, the presentation clock and the frame hand-over to the UI
// thread. Everything public is called on the UI thread; completions are
// reported there too.
#include <QImage>
#include <QObject>
#include <QSize>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "media/MediaDecoder.h"

namespace tav {

class TAudioSource;

class TMediaEngine : public QObject {
public:
    // Throws EMediaError with a clear reason when the file cannot be played.
    explicit TMediaEngine(const std::string& path);
    ~TMediaEngine() override;

    bool HasVideo() const { return decoder_->HasVideo(); }
    bool HasAudio() const { return decoder_->HasAudio(); }
    QSize NaturalSize() const { return decoder_->NaturalSize(); }
    int64_t LengthMs() const { return (decoder_->DurationUs() + 500) / 1000; }
    int64_t FrameDurationMs() const { return decoder_->FrameDurationUs() / 1000; }
    int64_t PositionMs() const;

    // Stops a play (without a completion) and shows the frame at ms.
    void Seek(int64_t ms);
    // Plays [fromMs, toMs]; OnFinished follows with 1 when toMs is reached,
    // 8 when the data fails first. A running play is dropped silently (the
    // caller reports it as superseded).
    void Play(int64_t fromMs, int64_t toMs);
    // Stops a play where it is; no completion is reported.
    void Stop();
    bool IsPlaying() const { return playing_; }

    void SetVolume(float gain);
    void SetMuted(bool muted);

    // The last frame handed to OnFrame, and its start time.
    QImage CurrentFrame() const { return current_.Image; }
    int64_t CurrentFrameMs() const { return current_.PtsUs / 1000; }

    std::function<void(const QImage&)> OnFrame;
    std::function<void(int outcome)> OnFinished;

    // Frames taken from the decoder since open (diagnostics).
    int64_t DecodedFrames() const { return decoder_->DecodedFrames(); }

private:
    void StartWorker();
    void StopWorker();
    void Work();
    bool PushAudio(const float* samples, size_t frames);
    void Tick();
    int64_t ClockUs() const;
    void ShowFrame(TVideoFrame frame);
    void Finish(int outcome);

    std::unique_ptr<TMediaDecoder> decoder_;
    std::shared_ptr<TAudioSource> source_;
    float gain_ = 1.0f;
    bool muted_ = false;

    // Play state seen by the UI thread.
    bool playing_ = false;
    int64_t fromUs_ = 0, toUs_ = 0;
    int64_t positionUs_ = 0;
    TVideoFrame current_;
    QTimer tick_;

    // Shared with the worker.
    std::thread worker_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<TVideoFrame> frames_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> ready_{false};
    std::atomic<int64_t> readyUs_{0};
    std::atomic<bool> videoDone_{false};
    std::atomic<bool> audioDone_{false};
    std::atomic<bool> workerDone_{false};
    std::atomic<bool> failed_{false};
    std::atomic<int64_t> dataEndUs_{0}; // end of the last decoded picture or sound
    int64_t pushedFrames_ = 0;          // sound frames handed to the source (worker)
};

} // namespace tav
