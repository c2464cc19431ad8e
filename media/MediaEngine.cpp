#include "media/MediaEngine.h"

#include <algorithm>
#include <cmath>
#include <chrono>

#include "media/AudioOutput.h"
#include "media/TempoFilter.h"

namespace tav {

namespace {
constexpr size_t kQueueFrames = 8;     // pictures decoded ahead
// The worker refills the queue in bursts: it rests until only this many
// pictures are left, then decodes back up to kQueueFrames. Waking for every
// picture taken would cost a thread hand-over per picture, and decoding one
// picture at a time, between other work, runs with cold caches.
constexpr size_t kQueueLowFrames = 3;
constexpr size_t kQueueHardCap = 40;   // never more, whatever the sound needs
constexpr int kTickMs = 4;      // the first look after a play starts
constexpr int kIdleTickMs = 10;    // between looks while no picture is queued
constexpr int kLongestTickMs = 100; // the longest wait for a queued picture
// Sound decoded ahead before the worker rests (with a full picture queue).
// The stream interleaves sound with the pictures, so this much sound comes
// with about as many pictures; far less than the source's two seconds keeps
// the pictures in flight (and their memory) few.
constexpr int kSoundAheadMs = 500;
// A resting worker wakes by itself when the sound it has handed over has
// run down to this much, which leaves it ample time to decode more.
constexpr int kSoundLowMs = 250;
// The rest of a worker that waits for a full sound buffer to drain.
constexpr int kRestMs = 25;
// The longest rest while the pictures alone set the pace: a picture taken
// from the queue or a stop wakes the worker sooner.
constexpr int kLongestRestMs = 200;
} // namespace

TMediaEngine::TMediaEngine(const std::string& path) {
    TAudioOutput& out = TAudioOutput::Instance();
    decoder_ = std::make_unique<TMediaDecoder>(path, out.Rate());
    tick_.setTimerType(Qt::PreciseTimer);
    tick_.setSingleShot(true);
    QObject::connect(&tick_, &QTimer::timeout, this, [this] { Tick(); });
}

TMediaEngine::~TMediaEngine() { StopWorker(); }

int64_t TMediaEngine::PositionMs() const {
    if (!playing_) return positionUs_ / 1000;
    return std::clamp(ClockUs(), fromUs_, pictureLimitUs_) / 1000;
}

void TMediaEngine::SetRate(double rate) { rate_ = std::clamp(rate, 0.5, 2.0); }

void TMediaEngine::SetVolume(float gain) {
    gain_ = gain;
    if (source_) source_->SetGain(gain);
}

void TMediaEngine::SetMuted(bool muted) {
    muted_ = muted;
    if (source_) source_->SetMuted(muted);
}

void TMediaEngine::Seek(int64_t ms) {
    StopWorker();
    playing_ = false;
    const int64_t us = std::clamp<int64_t>(ms, 0, LengthMs()) * 1000;
    positionUs_ = us;
    TVideoFrame frame;
    if (decoder_->SeekExact(us, &frame)) ShowFrame(std::move(frame));
}

void TMediaEngine::Play(int64_t fromMs, int64_t toMs, bool endExcluded) {
    StopWorker();
    fromUs_ = std::max<int64_t>(fromMs, 0) * 1000;
    toUs_ = std::max<int64_t>(toMs * 1000, fromUs_);
    // One microsecond before an excluded end: the picture that starts there
    // is never due, and positions read the picture before it.
    pictureLimitUs_ = endExcluded ? std::max(fromUs_, toUs_ - 1) : toUs_;
    positionUs_ = fromUs_;
    playing_ = true;
    StartWorker();
    tick_.start(kTickMs);
}

void TMediaEngine::Stop() {
    if (!playing_) return;
    positionUs_ = std::clamp(ClockUs(), fromUs_, pictureLimitUs_);
    NoteSoundPlayed();
    StopWorker();
    playing_ = false;
}

void TMediaEngine::StartWorker() {
    stop_ = false;
    ready_ = false;
    videoDone_ = !decoder_->HasVideo();
    audioDone_ = !decoder_->HasAudio() || fromUs_ >= toUs_;
    workerDone_ = false;
    failed_ = false;
    dataEndUs_ = fromUs_;
    pushedFrames_ = 0;
    mediaFrames_ = 0;
    lastSoundFrames_ = 0;
    lastSoundEndUs_ = fromUs_;
    frames_.clear();
    source_.reset();
    playRate_ = rate_;
    tempo_.reset();
    if (!audioDone_) {
        source_ = std::make_shared<TAudioSource>(decoder_->AudioRate());
        source_->SetGain(gain_);
        source_->SetMuted(muted_);
        if (playRate_ != 1.0) {
            try {
                tempo_ = std::make_unique<TTempoFilter>(playRate_, decoder_->AudioRate());
            } catch (const EMediaError&) {
                playRate_ = 1.0; // without the filter the range plays at its own speed
            }
        }
        TAudioOutput::Instance().Add(source_);
    }
    worker_ = std::thread([this] { Work(); });
}

void TMediaEngine::StopWorker() {
    tick_.stop();
    {
        // Under the lock, so a worker about to rest sees it or is woken.
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
    if (source_) TAudioOutput::Instance().Remove(source_);
    source_.reset();
    {
        std::lock_guard lock(mutex_);
        frames_.clear();
    }
    decoder_->ReleaseSpareBuffers();
}

bool TMediaEngine::PushAudio(const float* samples, size_t frames) {
    while (frames > 0 && !stop_) {
        size_t n = source_->Push(samples, frames);
        samples += n * 2;
        frames -= n;
        pushedFrames_ += static_cast<int64_t>(n);
        if (frames > 0) {
            if (!ready_) { // the buffer is full before play began: start now
                readyUs_ = MonotonicUs();
                ready_ = true;
                source_->SetRunning(true);
            }
            // The source holds two seconds: a rest takes little of it.
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(kRestMs), [this] { return stop_.load(); });
        }
    }
    return !stop_;
}

// Media sound on its way to the output: straight, or through the tempo filter.
bool TMediaEngine::FeedAudio(const float* samples, size_t frames) {
    mediaFrames_ += static_cast<int64_t>(frames);
    if (!tempo_) return PushAudio(samples, frames);
    std::vector<float> slowed;
    tempo_->Feed(samples, frames, slowed);
    return PushAudio(slowed.data(), slowed.size() / 2);
}

// The sound has reached its end: the filter gives up what it still holds.
bool TMediaEngine::FlushTempo() {
    if (!tempo_) return !stop_;
    std::vector<float> tail;
    tempo_->Finish(tail);
    return PushAudio(tail.data(), tail.size() / 2);
}

void TMediaEngine::NoteSoundPlayed() {
    if (!source_) return;
    lastSoundFrames_ = source_->ConsumedFrames();
    const double mediaFrames = static_cast<double>(lastSoundFrames_) * playRate_;
    lastSoundEndUs_ = fromUs_ + static_cast<int64_t>(mediaFrames * 1000000.0 / source_->Rate());
}

void TMediaEngine::Work() {
    const int64_t frameDur = decoder_->FrameDurationUs();
    const int rate = decoder_->AudioRate();
    auto audioNextUs = [&] { return fromUs_ + mediaFrames_ * 1000000 / rate; };
    auto queueFrame = [&](TVideoFrame&& f) {
        dataEndUs_ = std::max<int64_t>(dataEndUs_, f.PtsUs + frameDur);
        if (f.PtsUs + frameDur > pictureLimitUs_) videoDone_ = true; // this one holds the range end
        std::lock_guard lock(mutex_);
        frames_.push_back(std::move(f));
    };
    auto markAudioDone = [&] {
        if (audioDone_) return;
        if (source_) FlushTempo();
        audioDone_ = true;
        if (source_) source_->MarkEnded();
    };

    // Position exactly; a preceding Seek to the same place is reused.
    if (decoder_->HasVideo()) {
        TVideoFrame first;
        bool ok = decoder_->IsPositionedAt(fromUs_);
        if (ok)
            first = decoder_->HeldFrame();
        else
            ok = decoder_->SeekExact(fromUs_, &first);
        if (ok)
            queueFrame(std::move(first));
        else
            videoDone_ = true;
    } else {
        decoder_->SeekExact(fromUs_, nullptr);
    }
    if (audioDone_ && source_) source_->MarkEnded();

    // Pre-roll: one picture's worth of sound before the clock starts, so the
    // output never runs dry at the start and the first picture appears at once.
    const int64_t preroll = std::max<int64_t>(rate / 25, frameDur * rate / 1000000);
    bool eof = false;
    while (!stop_) {
        if (!ready_ && (audioDone_ || pushedFrames_ >= preroll)) {
            readyUs_ = MonotonicUs();
            ready_ = true;
            if (source_) source_->SetRunning(true);
        }
        if (videoDone_ && audioDone_) break;
        size_t queued;
        {
            std::lock_guard lock(mutex_);
            queued = frames_.size();
        }
        const bool videoFull = videoDone_ || queued >= kQueueFrames;
        const bool audioFull = audioDone_ || source_->FreeFrames() < static_cast<size_t>(rate / 5) ||
                               source_->BufferedFrames() >= static_cast<size_t>(rate) * kSoundAheadMs / 1000;
        if (ready_ && ((videoFull && audioFull) || queued >= kQueueHardCap)) {
            const bool soundLags = queued >= kQueueHardCap;
            if (soundLags && !audioDone_ && source_->BufferedFrames() == 0)
                markAudioDone(); // the sound has stopped coming; let the pictures run on
            // Until the queue runs low (or, while the sound lags the pictures,
            // until any picture is taken), the sound runs low, or the play stops.
            int restMs = kLongestRestMs;
            if (!audioDone_) {
                const int64_t aheadMs = static_cast<int64_t>(source_->BufferedFrames()) * 1000 / rate;
                restMs = static_cast<int>(std::clamp<int64_t>(aheadMs - kSoundLowMs, kTickMs, kLongestRestMs));
            }
            std::unique_lock lock(mutex_);
            wakeAtQueued_ = videoDone_ ? 0 : soundLags ? queued - 1 : kQueueLowFrames;
            wake_.wait_for(lock, std::chrono::milliseconds(restMs), [&] {
                return stop_.load() || (!videoDone_ && frames_.size() <= wakeAtQueued_);
            });
            wakeAtQueued_ = 0;
            continue;
        }
        TVideoFrame video;
        TAudioChunk audio;
        auto item = decoder_->Next(video, audio);
        if (item == TMediaDecoder::TItem::Video) {
            if (videoDone_) continue;
            if (video.PtsUs > pictureLimitUs_) {
                videoDone_ = true;
                continue;
            }
            queueFrame(std::move(video));
        } else if (item == TMediaDecoder::TItem::Audio) {
            if (audioDone_) continue;
            const int64_t chunkEnd = audio.StartUs + static_cast<int64_t>(audio.Frames()) * 1000000 / rate;
            if (chunkEnd <= audioNextUs()) continue; // already covered
            // A gap in the sound is filled with silence so the clock stays true.
            int64_t gap = (audio.StartUs - audioNextUs()) * rate / 1000000;
            if (gap > rate / 1000) {
                const int64_t room = (toUs_ - audioNextUs()) * rate / 1000000;
                std::vector<float> silence(static_cast<size_t>(std::max<int64_t>(0, std::min(gap, room))) * 2, 0.0f);
                if (!FeedAudio(silence.data(), silence.size() / 2)) break;
            }
            int64_t skip = std::max<int64_t>(0, (audioNextUs() - audio.StartUs) * rate / 1000000);
            int64_t avail = static_cast<int64_t>(audio.Frames()) - skip;
            int64_t room = (toUs_ - audioNextUs()) * rate / 1000000;
            int64_t n = std::min(avail, room);
            if (n > 0 && !FeedAudio(audio.Samples.data() + skip * 2, static_cast<size_t>(n))) break;
            dataEndUs_ = std::max<int64_t>(dataEndUs_, audioNextUs());
            if (audioNextUs() + 1000000 / rate >= toUs_) markAudioDone();
        } else {
            if (item == TMediaDecoder::TItem::Error) failed_ = true;
            eof = true;
            break;
        }
    }
    (void)eof;
    videoDone_ = true;
    if (source_ && !audioDone_ && !stop_) FlushTempo();
    if (source_) source_->MarkEnded();
    audioDone_ = true;
    if (!ready_) {
        readyUs_ = MonotonicUs();
        ready_ = true;
        if (source_) source_->SetRunning(true);
    }
    workerDone_ = true;
}

int64_t TMediaEngine::ClockUs() const {
    if (!ready_) return fromUs_;
    const int64_t now = MonotonicUs();
    // Output time becomes media time at the play's speed.
    const auto media = [this](int64_t us) {
        return playRate_ == 1.0 ? us : static_cast<int64_t>(static_cast<double>(us) * playRate_);
    };
    if (source_) {
        // The sound is the clock; after its last sample (or when the range
        // has none) the pictures run on the monotonic clock.
        if (source_->ConsumedFrames() == 0 && source_->Drained()) return fromUs_ + media(now - readyUs_);
        return fromUs_ + media(source_->PlayedUs(now));
    }
    return fromUs_ + media(now - readyUs_);
}

void TMediaEngine::ShowFrame(TVideoFrame frame) {
    current_ = std::move(frame);
    if (OnFrame) OnFrame(current_.Image);
}

void TMediaEngine::Tick() {
    if (!playing_) return;
    const int64_t clock = ClockUs();
    const int64_t limit = std::min(clock, pictureLimitUs_);
    TVideoFrame due;
    bool haveDue = false, moreDue = false, wakeWorker = false;
    {
        std::lock_guard lock(mutex_);
        while (!frames_.empty() && frames_.front().PtsUs <= limit) {
            due = std::move(frames_.front());
            frames_.pop_front();
            haveDue = true;
        }
        moreDue = !frames_.empty() && frames_.front().PtsUs <= pictureLimitUs_;
        wakeWorker = haveDue && frames_.size() <= wakeAtQueued_;
    }
    if (haveDue) {
        if (wakeWorker) wake_.notify_all(); // the queue is down to where the worker refills it
        ShowFrame(std::move(due));
    }
    ScheduleTick(clock);

    if (clock >= toUs_ && videoDone_ && audioDone_ && !moreDue) {
        positionUs_ = pictureLimitUs_;
        Finish(1);
        return;
    }
    if (workerDone_) {
        bool empty;
        {
            std::lock_guard lock(mutex_);
            empty = frames_.empty();
        }
        // The data ended before the range did: finish once the last picture
        // or sound has had its time.
        if (empty && clock >= dataEndUs_ && (!source_ || source_->Drained())) {
            const int64_t end = std::min(toUs_, decoder_->DurationUs());
            const bool early = failed_ || dataEndUs_ + 2 * decoder_->FrameDurationUs() < end;
            // Ending where the file says it ends is reaching the range end.
            positionUs_ = early ? std::clamp<int64_t>(std::min<int64_t>(clock, dataEndUs_), fromUs_, pictureLimitUs_)
                                : pictureLimitUs_;
            Finish(early ? 8 : 1);
        }
    }
}

void TMediaEngine::ScheduleTick(int64_t clockUs) {
    // The next look is when the next picture falls due or the range ends,
    // whichever comes first. With no picture queued it is kIdleTickMs away
    // (the decoder may still bring pictures, the sound may still drain); a
    // queued picture is the next thing to do, so nothing earlier is looked
    // at. A fixed fine-grained tick would wake the program a few hundred
    // times a second.
    int64_t nextUs = clockUs + kIdleTickMs * 1000;
    int maxMs = kIdleTickMs;
    {
        std::lock_guard lock(mutex_);
        if (!frames_.empty()) {
            nextUs = frames_.front().PtsUs;
            maxMs = kLongestTickMs;
        }
    }
    if (toUs_ > clockUs) nextUs = std::min(nextUs, toUs_);
    // Media time runs at the play's speed.
    const double waitMs = static_cast<double>(nextUs - clockUs) / 1000.0 / (playRate_ > 0 ? playRate_ : 1.0);
    tick_.start(std::clamp(static_cast<int>(std::ceil(waitMs)), 1, maxMs));
}

void TMediaEngine::Finish(int outcome) {
    NoteSoundPlayed();
    StopWorker();
    playing_ = false;
    if (OnFinished) OnFinished(outcome);
}

} // namespace tav
