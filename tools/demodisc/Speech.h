#pragma once
// Speech from espeak-ng, cached by a hash of voice and text so that a second
// run of the generator speaks nothing again.
#include <string>
#include <vector>

#include "Sound.h"

namespace demodisc {

struct TVoice {
    std::string Name = "fr"; // espeak-ng voice and variant, e.g. "fr+f3"
    int Pitch = 50;
    int Speed = 150;
};

struct TSpeechRequest {
    TVoice Voice;
    std::string Text; // UTF-8
};

class TSpeechCache {
public:
    explicit TSpeechCache(std::string folder);
    // Speaks every request (at most two espeak-ng processes at once), trims the
    // silence around each and returns the sounds in request order.
    std::vector<TSound> SpeakAll(const std::vector<TSpeechRequest>& requests);
    TSound Speak(const TVoice& voice, const std::string& text);
    int Synthesized() const { return synthesized_; }

private:
    std::string PathFor(const TSpeechRequest& r) const;
    std::string folder_;
    int synthesized_ = 0;
};

} // namespace demodisc
