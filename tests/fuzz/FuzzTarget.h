#pragma once
// One fuzz target per file in targets/:
//
//   TAV_FUZZ_TARGET(movieinf) { ...feed data/size to a parser... }
//
// In the libFuzzer build (TAVOLIN_FUZZ) the body becomes the target's
// LLVMFuzzerTestOneInput; in the normal build every target registers itself
// under its name and the replay program runs it over its committed corpus,
// tests/fuzz/corpus/<name>/. A body returns normally for every input: refusing
// bad input with the program's own error (EProgramError, PBException) is
// caught by the body; anything else (a crash, a sanitizer report, another
// exception) is a finding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavfuzz {

using TFuzzBody = void (*)(const uint8_t* data, size_t size);

bool RegisterTarget(const char* name, TFuzzBody body);
struct TRegisteredTarget {
    std::string Name;
    TFuzzBody Body;
};
const std::vector<TRegisteredTarget>& RegisteredTargets();

// The input as a byte string.
inline std::string Bytes(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

// Writes the input to a scratch file of this process (the same path on every
// call, in a private folder) and returns its path, for parsers that read a file.
std::string ScratchFile(const uint8_t* data, size_t size, const std::string& name = "input.txt");
// The private scratch folder itself.
std::string ScratchFolder();

} // namespace tavfuzz

#ifdef TAVOLIN_LIBFUZZER
#define TAV_FUZZ_TARGET(name)                                                        \
    static void FuzzBody(const uint8_t* data, size_t size);                          \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {         \
        FuzzBody(data, size);                                                        \
        return 0;                                                                    \
    }                                                                                \
    static void FuzzBody(const uint8_t* data, size_t size)
#else
#define TAV_FUZZ_TARGET(name)                                                        \
    static void FuzzBody(const uint8_t* data, size_t size);                          \
    [[maybe_unused]] static const bool fuzzRegistered = tavfuzz::RegisterTarget(#name, FuzzBody); \
    static void FuzzBody(const uint8_t* data, size_t size)
#endif
