#pragma once
// Sound capture from the default input through SDL, in the exact PCM format
// asked for (SDL converts from whatever the device delivers).
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace tav {

class TAudioCapture {
public:
    // Throws EMediaError with a clear reason when there is no input device.
    TAudioCapture(int channels, int bytesPerSample, int samplesPerSec);
    ~TAudioCapture();
    TAudioCapture(const TAudioCapture&) = delete;
    TAudioCapture& operator=(const TAudioCapture&) = delete;

    // Starts a new recording of at most maxBytes (earlier data is dropped).
    void Start(size_t maxBytes);
    void Stop();
    bool Full() const { return full_; }
    // The device went away (unplugged) while it was capturing.
    bool Lost() const;
    std::vector<uint8_t> Data() const;

private:
    static void Callback(void* self, uint8_t* stream, int len);

    uint32_t device_ = 0;
    mutable std::mutex mutex_;
    std::vector<uint8_t> data_;
    size_t maxBytes_ = 0;
    std::atomic<bool> full_{false};
};

} // namespace tav
