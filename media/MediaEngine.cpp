#include "media/MediaEngine.h"

#include <algorithm>
#include <chrono>

#include "media/AudioOutput.h"

namespace tav {

namespace {
constexpr size_t kQueueFrames = 8;     // pictures decoded ahead
constexpr size_t kQueueHardCap = 40;   // never more, whatever the sound needs
constexpr int kTickMs = 4;
} // namespace

TMediaEngine::TMediaEngine(const std::string& path) {
    TAudioOutput& out = TAudioOutput::Instance();
    decoder_ = std::make_unique<TMediaDecoder>(path, out.Rate());
    tick_.setTimerType(Qt::PreciseTimer);
    tick_.setInterval(kTickMs);
    QObject::connect(&tick_, &QTimer::timeout, this, [this] { Tick(); });
}

TMediaEngine::~TMediaEngine() { StopWorker(); }

int64_t TMediaEngine::PositionMs() const {
    if (!playing_) return positionUs_ / 1000;
    return std::clamp(ClockUs(), fromUs_, toUs_) / 1000;
}

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

void TMediaEngine::Play(int64_t fromMs, int64_t toMs) {
    StopWorker();
    fromUs_ = std::max<int64_t>(fromMs, 0) * 1000;
    toUs_ = std::max<int64_t>(toMs * 1000, fromUs_);
    positionUs_ = fromUs_;
    playing_ = true;
    StartWorker();
    tick_.start();
}

void TMediaEngine::Stop() {
    if (!playing_) return;
    positionUs_ = std::clamp(ClockUs(), fromUs_, toUs_);
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
    frames_.clear();
    source_.reset();
    if (!audioDone_) {
        source_ = std::make_shared<TAudioSource>(decoder_->AudioRate());
        source_->SetGain(gain_);
        source_->SetMuted(muted_);
        TAudioOutput::Instance().Add(source_);
    }
    worker_ = std::thread([this] { Work(); });
}

void TMediaEngine::StopWorker() {
    tick_.stop();
    stop_ = true;
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
    if (source_) TAudioOutput::Instance().Remove(source_);
    source_.reset();
    std::lock_guard lock(mutex_);
    frames_.clear();
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
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(5));
        }
    }
    return !stop_;
}

void TMediaEngine::Work() {
    const int64_t frameDur = decoder_->FrameDurationUs();
    const int rate = decoder_->AudioRate();
    auto audioNextUs = [&] { return fromUs_ + pushedFrames_ * 1000000 / rate; };
    auto queueFrame = [&](TVideoFrame&& f) {
        dataEndUs_ = std::max<int64_t>(dataEndUs_, f.PtsUs + frameDur);
        if (f.PtsUs + frameDur > toUs_) videoDone_ = true; // this one holds the range end
        std::lock_guard lock(mutex_);
        frames_.push_back(std::move(f));
    };
    auto markAudioDone = [&] {
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
        const bool audioFull = audioDone_ || source_->FreeFrames() < static_cast<size_t>(rate / 5);
        if (ready_ && ((videoFull && audioFull) || queued >= kQueueHardCap)) {
            if (queued >= kQueueHardCap && !audioDone_ && source_->BufferedFrames() == 0)
                markAudioDone(); // the sound has stopped coming; let the pictures run on
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(5));
            continue;
        }
        TVideoFrame video;
        TAudioChunk audio;
        auto item = decoder_->Next(video, audio);
        if (item == TMediaDecoder::TItem::Video) {
            if (videoDone_) continue;
            if (video.PtsUs > toUs_) {
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
                std::vector<float> silence(static_cast<size_t>(std::min(gap, room)) * 2, 0.0f);
                if (!PushAudio(silence.data(), silence.size() / 2)) break;
            }
            int64_t skip = std::max<int64_t>(0, (audioNextUs() - audio.StartUs) * rate / 1000000);
            int64_t avail = static_cast<int64_t>(audio.Frames()) - skip;
            int64_t room = (toUs_ - audioNextUs()) * rate / 1000000;
            int64_t n = std::min(avail, room);
            if (n > 0 && !PushAudio(audio.Samples.data() + skip * 2, static_cast<size_t>(n))) break;
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
    if (source_) {
        // The sound is the clock; after its last sample (or when the range
        // has none) the pictures run on the monotonic clock.
        if (source_->ConsumedFrames() == 0 && source_->Drained()) return fromUs_ + (now - readyUs_);
        return fromUs_ + source_->PlayedUs(now);
    }
    return fromUs_ + (now - readyUs_);
}

void TMediaEngine::ShowFrame(TVideoFrame frame) {
    current_ = std::move(frame);
    if (OnFrame) OnFrame(current_.Image);
}

void TMediaEngine::Tick() {
    if (!playing_) return;
    const int64_t clock = ClockUs();
    const int64_t limit = std::min(clock, toUs_);
    TVideoFrame due;
    bool haveDue = false, moreDue = false;
    {
        std::lock_guard lock(mutex_);
        while (!frames_.empty() && frames_.front().PtsUs <= limit) {
            due = std::move(frames_.front());
            frames_.pop_front();
            haveDue = true;
        }
        moreDue = !frames_.empty() && frames_.front().PtsUs <= toUs_;
    }
    wake_.notify_all();
    if (haveDue) ShowFrame(std::move(due));

    if (clock >= toUs_ && videoDone_ && audioDone_ && !moreDue) {
        positionUs_ = toUs_;
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
            positionUs_ = early ? std::clamp<int64_t>(std::min<int64_t>(clock, dataEndUs_), fromUs_, toUs_) : toUs_;
            Finish(early ? 8 : 1);
        }
    }
}

void TMediaEngine::Finish(int outcome) {
    StopWorker();
    playing_ = false;
    if (OnFinished) OnFinished(outcome);
}

} // namespace tav
