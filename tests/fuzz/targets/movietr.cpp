// movietr<N>.txt: the line translations beside the movie index.
#include "content/LineTranslations.h"
#include "content/OurUtils.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(movietr) {
    using namespace tav;
    try {
        LoadLineTranslations(tavfuzz::ScratchFile(data, size, "movietr2.txt"));
    } catch (const EProgramError&) {
    }
}
