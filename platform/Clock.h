#pragma once
// The tick counter: monotonic milliseconds. Tests replace it to control time.
#include <cstdint>
#include <functional>

namespace tav {

uint32_t GetTickCount();

// Installs another clock (nullptr restores the system clock).
void SetTickSource(std::function<uint32_t()> source);

} // namespace tav
