#pragma once
// The system's master output volume on a 0..65535 scale, through the ALSA
// simple mixer of the default card: element "Master", else "PCM". Without a
// mixer reads give 0 and writes change nothing; no error is ever shown.
#include <cstdint>
#include <string>

namespace tav {

// Sets the playback volume of the mixer element `element` (or `fallback`
// when the card has no such element with a volume) to value (0..65535) on
// every channel. Returns 0 when the value was set, else a negative ALSA code.
int SetLineVolume(unsigned value, const std::string& element, const std::string& fallback);
// Reads that element's volume on 0..65535; 0 when no mixer has it.
uint16_t GetLineVolume(const std::string& element, const std::string& fallback);

void SetMasterVolume(unsigned value);
uint16_t GetMasterVolume();

// The mixer device asked for; "default" unless a test points elsewhere.
void SetMixerDevice(const std::string& device);

// Mixer steps <-> the 0..65535 scale (rounded to the nearest step).
long ScaleToMixer(unsigned value, long min, long max);
uint16_t MixerToScale(long raw, long min, long max);

} // namespace tav
