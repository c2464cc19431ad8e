// libFuzzer target for the PICT decoder, built with clang's AddressSanitizer
// and UndefinedBehaviorSanitizer (Debian packages clang and libclang-rt-14-dev,
// which scripts/install-deps installs). It is not part of the normal build.
//
// Build and run from the worktree root (seeds are written by the first command):
//
//   clang++ -std=c++20 -g -O1 -I. -fsanitize=fuzzer,address,undefined \
//     -fno-sanitize-recover=undefined -o /tmp/fuzz-pict \
//     tests/components/fuzz/FuzzPict.cpp components/PictDecoder.cpp \
//     tests/components/PictEncoder.cpp
//   /tmp/fuzz-pict -write_seeds=/tmp/pict-seeds
//   mkdir -p /tmp/pict-work && /tmp/fuzz-pict -max_total_time=600 -max_len=4096 \
//     -rss_limit_mb=2048 /tmp/pict-work /tmp/pict-seeds tests/components/pict-corpus
//
// Any crash, sanitizer report or exception other than PBException stops the
// run and leaves a crash-* file to replay with `/tmp/fuzz-pict crash-...`.
// To refresh the committed corpus, minimise into it:
//   /tmp/fuzz-pict -merge=1 tests/components/pict-corpus /tmp/pict-work
// (keep the files small; `make test` replays every one through the decoder).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "components/PictDecoder.h"
#include "tests/components/PictEncoder.h"

using namespace picttest;

namespace {

// Valid pictures of every kind the decoder accepts, as starting points.
void WriteSeeds(const std::string& folder) {
    std::string cmd = "mkdir -p '" + folder + "'";
    if (std::system(cmd.c_str()) != 0) return;
    int n = 0;
    for (int depth : {1, 4, 8, 16, 32}) {
        for (int width : {3, 9, 130}) {
            TTestPict p;
            p.Width = width;
            p.Height = 3;
            p.PixelSize = depth;
            if (depth <= 8)
                for (int i = 0; i < (1 << depth); ++i)
                    p.Palette.push_back({uint8_t(i * 37), uint8_t(i * 11), uint8_t(255 - i)});
            for (int i = 0; i < width * 3; ++i)
                p.Pixels.push_back(depth <= 8 ? uint32_t(i / 3 % (1 << depth)) : uint32_t(i / 4 * 0x010203));
            p.LongComment = n % 2 ? "hello" : "";
            p.ClipRegion = n % 3 == 0;
            const std::string bytes = EncodePict(p);
            std::ofstream(folder + "/seed" + std::to_string(n++) + ".pct", std::ios::binary) << bytes;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    for (int i = 1; i < *argc; ++i) {
        if (std::strncmp((*argv)[i], "-write_seeds=", 13) == 0) {
            WriteSeeds((*argv)[i] + 13);
            std::exit(0);
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const tav::TPictImage img = tav::DecodePict(data, size);
        // Touch every pixel so a wrong stride or size shows up under ASan.
        unsigned sum = 0;
        for (uint8_t b : img.Pixels) sum += b;
        if (!img.Empty() && img.Pixels.size() < size_t(img.Stride) * size_t(img.Height)) __builtin_trap();
        (void)sum;
    } catch (const tav::PBException&) {
        // A refusal is a correct answer to bad input.
    }
    return 0;
}
