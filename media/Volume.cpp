#include "media/Volume.h"

#include <alsa/asoundlib.h>

#include <algorithm>

namespace tav {

namespace {

std::string& MixerDevice() {
    static std::string device = "default";
    return device;
}

// ALSA prints its own complaints (no card, no element) to stderr; a missing
// mixer is an ordinary situation here, so they are silenced.
void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

// One open simple mixer for the duration of a call.
class TMixer {
public:
    TMixer() {
        snd_lib_error_set_handler(SilentAlsaError);
        if (snd_mixer_open(&handle_, 0) < 0) {
            handle_ = nullptr;
            return;
        }
        if ((error_ = snd_mixer_attach(handle_, MixerDevice().c_str())) < 0 ||
            (error_ = snd_mixer_selem_register(handle_, nullptr, nullptr)) < 0 ||
            (error_ = snd_mixer_load(handle_)) < 0) {
            snd_mixer_close(handle_);
            handle_ = nullptr;
        }
    }
    ~TMixer() {
        if (handle_) snd_mixer_close(handle_);
    }
    TMixer(const TMixer&) = delete;
    TMixer& operator=(const TMixer&) = delete;

    // The first of the two elements that has a playback volume.
    snd_mixer_elem_t* Find(const std::string& element, const std::string& fallback) {
        if (!handle_) return nullptr;
        for (const std::string* name : {&element, &fallback}) {
            if (name->empty()) continue;
            snd_mixer_selem_id_t* id = nullptr;
            snd_mixer_selem_id_alloca(&id);
            snd_mixer_selem_id_set_index(id, 0);
            snd_mixer_selem_id_set_name(id, name->c_str());
            snd_mixer_elem_t* elem = snd_mixer_find_selem(handle_, id);
            if (elem && snd_mixer_selem_has_playback_volume(elem)) return elem;
        }
        error_ = -ENOENT;
        return nullptr;
    }
    int Error() const { return error_ < 0 ? error_ : -ENODEV; }

private:
    snd_mixer_t* handle_ = nullptr;
    int error_ = 0;
};

} // namespace

void SetMixerDevice(const std::string& device) { MixerDevice() = device; }

long ScaleToMixer(unsigned value, long min, long max) {
    value = std::min(value, 65535u);
    if (max <= min) return min;
    return min + static_cast<long>((static_cast<long long>(value) * (max - min) + 32767) / 65535);
}

uint16_t MixerToScale(long raw, long min, long max) {
    if (max <= min) return 0;
    raw = std::clamp(raw, min, max);
    return static_cast<uint16_t>((static_cast<long long>(raw - min) * 65535 + (max - min) / 2) / (max - min));
}

int SetLineVolume(unsigned value, const std::string& element, const std::string& fallback) {
    TMixer mixer;
    snd_mixer_elem_t* elem = mixer.Find(element, fallback);
    if (!elem) return mixer.Error();
    long min = 0, max = 0;
    if (int rc = snd_mixer_selem_get_playback_volume_range(elem, &min, &max); rc < 0) return rc;
    return snd_mixer_selem_set_playback_volume_all(elem, ScaleToMixer(value, min, max));
}

uint16_t GetLineVolume(const std::string& element, const std::string& fallback) {
    TMixer mixer;
    snd_mixer_elem_t* elem = mixer.Find(element, fallback);
    if (!elem) return 0;
    long min = 0, max = 0, raw = 0;
    if (snd_mixer_selem_get_playback_volume_range(elem, &min, &max) < 0) return 0;
    // Every channel is set to the same value; the first one present is read.
    for (int ch = SND_MIXER_SCHN_FRONT_LEFT; ch <= SND_MIXER_SCHN_LAST; ++ch) {
        const auto channel = static_cast<snd_mixer_selem_channel_id_t>(ch);
        if (snd_mixer_selem_has_playback_channel(elem, channel) &&
            snd_mixer_selem_get_playback_volume(elem, channel, &raw) >= 0)
            return MixerToScale(raw, min, max);
    }
    return 0;
}

void SetMasterVolume(unsigned value) { SetLineVolume(value, "Master", "PCM"); }

uint16_t GetMasterVolume() { return GetLineVolume("Master", "PCM"); }

} // namespace tav
