#include "media/AudioOutput.h"

#include <SDL2/SDL.h>
#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace tav {

int64_t MonotonicUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// ---- TAudioSource -----------------------------------------------------------

TAudioSource::TAudioSource(int rate, double maxSeconds)
    : rate_(rate), capacity_(static_cast<size_t>(rate * maxSeconds)) {
    ring_.resize(capacity_ * 2);
}

size_t TAudioSource::Push(const float* frames, size_t count) {
    std::lock_guard lock(mutex_);
    size_t n = std::min(count, capacity_ - size_);
    for (size_t i = 0; i < n;) {
        size_t tail = (head_ + size_) % capacity_;
        size_t run = std::min(n - i, capacity_ - tail);
        std::memcpy(&ring_[tail * 2], frames + i * 2, run * 2 * sizeof(float));
        size_ += run;
        i += run;
    }
    return n;
}

size_t TAudioSource::FreeFrames() const {
    std::lock_guard lock(mutex_);
    return capacity_ - size_;
}

size_t TAudioSource::BufferedFrames() const {
    std::lock_guard lock(mutex_);
    return size_;
}

void TAudioSource::MixInto(float* out, size_t count) {
    if (!running_) return;
    const float g = muted_ ? 0.0f : gain_.load();
    std::lock_guard lock(mutex_);
    size_t n = std::min(count, size_);
    for (size_t i = 0; i < n;) {
        size_t run = std::min(n - i, capacity_ - head_);
        const float* src = &ring_[head_ * 2];
        float* dst = out + i * 2;
        for (size_t k = 0; k < run * 2; ++k) dst[k] += src[k] * g;
        head_ = (head_ + run) % capacity_;
        size_ -= run;
        i += run;
    }
    if (n > 0) {
        consumed_ += static_cast<int64_t>(n);
        lastChunkFrames_ = static_cast<int64_t>(n);
        lastConsumeUs_ = MonotonicUs();
    }
}

int64_t TAudioSource::PlayedUs(int64_t nowUs) const {
    std::lock_guard lock(mutex_);
    const int64_t consumed = consumed_;
    if (consumed == 0) return 0;
    const int64_t before = (consumed - lastChunkFrames_) * 1000000 / rate_;
    int64_t since = std::max<int64_t>(0, nowUs - lastConsumeUs_);
    if (!(ended_ && size_ == 0)) since = std::min(since, lastChunkFrames_ * 1000000 / rate_);
    return before + since;
}

// ---- SDL start-up -------------------------------------------------------------

namespace {

// Frames the device asks for at a time.
constexpr int kDevicePeriodFrames = 1024;

// ALSA prints every failed probe to stderr; the program reports its own errors.
void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

void AudioCallback(void* userdata, Uint8* stream, int len) {
    auto* out = static_cast<TAudioOutput*>(userdata);
    std::memset(stream, 0, static_cast<size_t>(len));
    out->Mix(reinterpret_cast<float*>(stream), static_cast<size_t>(len) / (2 * sizeof(float)));
}

} // namespace

bool EnsureSdlAudio(std::string* reason) {
    static std::once_flag once;
    static bool ok = false;
    static std::string why;
    std::call_once(once, [] {
        snd_lib_error_set_handler(&SilentAlsaError);
        // SDL would otherwise turn SIGINT and SIGTERM into quit events that
        // nobody reads, and the program could then only be stopped with SIGKILL.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
            ok = true;
        } else {
            why = SDL_GetError();
        }
    });
    if (!ok && reason) *reason = why.empty() ? "no sound system" : why;
    return ok;
}

// ---- TAudioOutput -------------------------------------------------------------

struct TAudioOutput::NullThread {
    std::thread thread;
};

TAudioOutput& TAudioOutput::Instance() {
    static TAudioOutput output;
    return output;
}

TAudioOutput::TAudioOutput() {
    if (EnsureSdlAudio()) {
        const char* name = SDL_GetCurrentAudioDriver();
        driver_ = name ? name : "";
        // The dummy driver plays nothing and keeps no reliable time; our own
        // null output is used instead so clocks run in real time.
        if (driver_ != "dummy") {
            SDL_AudioSpec want{}, have{};
            want.freq = rate_;
            want.format = AUDIO_F32SYS;
            want.channels = 2;
            want.samples = kDevicePeriodFrames;
            want.callback = &AudioCallback;
            want.userdata = this;
            device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
            if (device_ != 0) {
                rate_ = have.freq;
                null_ = false;
                SDL_PauseAudioDevice(device_, 0);
            }
        }
    }
    if (null_) StartNullOutput();
}

void TAudioOutput::StartNullOutput() {
    nullThread_ = std::make_unique<NullThread>();
    nullThread_->thread = std::thread([this] {
        std::vector<float> scratch;
        int64_t last = MonotonicUs();
        int64_t owed = 0; // frames due but not yet consumed, in micro-frames
        while (!quit_) {
            // The period of the device we would have opened (1024 frames,
            // about 21 ms): the clocks see the same steps as with a device,
            // and the thread wakes no more often than a device's would.
            std::this_thread::sleep_for(std::chrono::microseconds(int64_t(kDevicePeriodFrames) * 1000000 / rate_));
            int64_t now = MonotonicUs();
            owed += (now - last) * rate_;
            last = now;
            size_t frames = static_cast<size_t>(owed / 1000000);
            owed -= static_cast<int64_t>(frames) * 1000000;
            if (frames == 0) continue;
            scratch.assign(frames * 2, 0.0f);
            Mix(scratch.data(), frames);
        }
    });
}

TAudioOutput::~TAudioOutput() {
    quit_ = true;
    if (nullThread_ && nullThread_->thread.joinable()) nullThread_->thread.join();
    if (device_) SDL_CloseAudioDevice(device_);
}

void TAudioOutput::Add(const std::shared_ptr<TAudioSource>& source) {
    std::lock_guard lock(mutex_);
    if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) sources_.push_back(source);
}

void TAudioOutput::Remove(const std::shared_ptr<TAudioSource>& source) {
    std::lock_guard lock(mutex_);
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void TAudioOutput::Mix(float* out, size_t count) {
    std::lock_guard lock(mutex_);
    for (auto& s : sources_) s->MixInto(out, count);
    for (size_t i = 0; i < count * 2; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

} // namespace tav
