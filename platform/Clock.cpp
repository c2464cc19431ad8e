#include "platform/Clock.h"

#include <chrono>

namespace tav {

namespace {
std::function<uint32_t()>& Source() {
    static std::function<uint32_t()> source;
    return source;
}
} // namespace

uint32_t GetTickCount() {
    if (auto& s = Source()) return s();
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SetTickSource(std::function<uint32_t()> source) { Source() = std::move(source); }

} // namespace tav
