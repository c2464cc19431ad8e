// The PICT decoder, straight on the bytes.
#include "components/PictDecoder.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(pict) {
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
}
