// record.txt: the recording index of actors, scenes and lines.
#include "content/OurUtils.h"
#include "content/TargetIndex.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(record) {
    using namespace tav;
    TTargetIndex index;
    TIndexProblems problems;
    try {
        index.LoadRecordIndex(tavfuzz::ScratchFile(data, size, "record.txt"), &problems);
    } catch (const EProgramError&) {
    }
}
