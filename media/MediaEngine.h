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
class TTempoFilter;

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
    // caller reports it as superseded). With endExcluded the range is
    // [fromMs, toMs): the sound stops at toMs, the picture starting at toMs
    // is never shown, and the play ends on the picture before it.
    void Play(int64_t fromMs, int64_t toMs, bool endExcluded = false);
    // Stops a play where it is; no completion is reported.
    void Stop();
    bool IsPlaying() const { return playing_; }

    // Playback speed for the plays that follow (0.5 .. 2, 1 is normal): the
    // sound keeps its pitch (atempo) and the pictures follow its clock.
    void SetRate(double rate);
    double Rate() const { return rate_; }

    void SetVolume(float gain);
    void SetMuted(bool muted);

    // The last frame handed to OnFrame, and its start time.
    QImage CurrentFrame() const { return current_.Image; }
    int64_t CurrentFrameMs() const { return current_.PtsUs / 1000; }

    std::function<void(const QImage&)> OnFrame;
    std::function<void(int outcome)> OnFinished;

    // Frames taken from the decoder since open (diagnostics).
    int64_t DecodedFrames() const { return decoder_->DecodedFrames(); }
    // The sound of the last finished or stopped play, as the output took it:
    // how many output frames (at the output rate) and up to which media time.
    int64_t LastPlaySoundFrames() const { return lastSoundFrames_; }
    int64_t LastPlaySoundEndUs() const { return lastSoundEndUs_; }

private:
    void StartWorker();
    void StopWorker();
    void Work();
    bool PushAudio(const float* samples, size_t frames);
    bool FeedAudio(const float* samples, size_t frames);
    bool FlushTempo();
    void NoteSoundPlayed();
    void Tick();
    void ScheduleTick(int64_t clockUs);
    int64_t ClockUs() const;
    void ShowFrame(TVideoFrame frame);
    void Finish(int outcome);

    std::unique_ptr<TMediaDecoder> decoder_;
    std::shared_ptr<TAudioSource> source_;
    std::unique_ptr<TTempoFilter> tempo_; // slowed plays only; the worker's
    float gain_ = 1.0f;
    double rate_ = 1.0;     // asked for
    double playRate_ = 1.0; // of the running play
    bool muted_ = false;

    // Play state seen by the UI thread.
    bool playing_ = false;
    int64_t fromUs_ = 0, toUs_ = 0;
    int64_t pictureLimitUs_ = 0; // the last picture time the play may show
    int64_t lastSoundFrames_ = 0, lastSoundEndUs_ = 0;
    int64_t positionUs_ = 0;
    TVideoFrame current_;
    QTimer tick_;

    // Shared with the worker.
    std::thread worker_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<TVideoFrame> frames_;
    size_t wakeAtQueued_ = 0; // a resting worker wants waking at this queue length (under mutex_)
    std::atomic<bool> stop_{false};
    std::atomic<bool> ready_{false};
    std::atomic<int64_t> readyUs_{0};
    std::atomic<bool> videoDone_{false};
    std::atomic<bool> audioDone_{false};
    std::atomic<bool> workerDone_{false};
    std::atomic<bool> failed_{false};
    std::atomic<int64_t> dataEndUs_{0}; // end of the last decoded picture or sound
    int64_t pushedFrames_ = 0;          // sound frames handed to the source (worker)
    int64_t mediaFrames_ = 0;           // media sound frames behind them (before the tempo change)
};

} // namespace tav
