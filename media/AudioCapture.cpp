#include "media/AudioCapture.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <string>

#include "media/AudioOutput.h"
#include "media/MediaDecoder.h"

namespace tav {

TAudioCapture::TAudioCapture(int channels, int bytesPerSample, int samplesPerSec) {
    std::string reason;
    if (!EnsureSdlAudio(&reason)) throw EMediaError("no sound input device (" + reason + ")");
    SDL_AudioSpec want{}, have{};
    want.freq = samplesPerSec;
    want.format = bytesPerSample == 1 ? AUDIO_U8 : AUDIO_S16LSB;
    want.channels = static_cast<Uint8>(channels);
    want.samples = 1024;
    want.callback = reinterpret_cast<SDL_AudioCallback>(&TAudioCapture::Callback);
    want.userdata = this;
    device_ = SDL_OpenAudioDevice(nullptr, 1, &want, &have, 0);
    if (device_ == 0) {
        const char* err = SDL_GetError();
        throw EMediaError(std::string("no sound input device") + (err && *err ? std::string(" (") + err + ")" : ""));
    }
}

TAudioCapture::~TAudioCapture() {
    if (device_) SDL_CloseAudioDevice(device_);
}

void TAudioCapture::Callback(void* self, uint8_t* stream, int len) {
    auto* c = static_cast<TAudioCapture*>(self);
    std::lock_guard lock(c->mutex_);
    if (c->full_) return;
    size_t n = std::min(static_cast<size_t>(len), c->maxBytes_ - c->data_.size());
    c->data_.insert(c->data_.end(), stream, stream + n);
    if (c->data_.size() >= c->maxBytes_) c->full_ = true;
}

void TAudioCapture::Start(size_t maxBytes) {
    SDL_PauseAudioDevice(device_, 1);
    {
        std::lock_guard lock(mutex_);
        data_.clear();
        data_.reserve(maxBytes);
        maxBytes_ = maxBytes;
        full_ = maxBytes == 0;
    }
    SDL_PauseAudioDevice(device_, 0);
}

void TAudioCapture::Stop() { SDL_PauseAudioDevice(device_, 1); }

bool TAudioCapture::Lost() const {
    // SDL marks a removed device stopped; a paused one is still there.
    return device_ != 0 && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED;
}

std::vector<uint8_t> TAudioCapture::Data() const {
    std::lock_guard lock(mutex_);
    return data_;
}

} // namespace tav
