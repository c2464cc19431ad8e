// filter.txt: the filter words and the whole-word test on film lines. The
// input's own lines are tested against the list as well.
#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/TargetIndex.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(filter) {
    using namespace tav;
    TTargetIndex index;
    TIndexProblems problems;
    try {
        index.LoadFilter(tavfuzz::ScratchFile(data, size, "filter.txt"), &problems);
    } catch (const EProgramError&) {
        return;
    }
    index.Filter1 = true;
    index.IsFilteredText("");
    index.IsFilteredText("Where is the dog? It's here, damn it.");
    for (const std::string& line : SplitTextLines(tavfuzz::Bytes(data, size))) index.IsFilteredText(line);
}
