// movieinf.txt: the movie index and the searches the screens run on it.
#include "content/OurUtils.h"
#include "content/TargetIndex.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(movieinf) {
    using namespace tav;
    TTargetIndex index;
    TIndexProblems problems;
    try {
        index.LoadMovieIndex(tavfuzz::ScratchFile(data, size, "movieinf.txt"), &problems);
    } catch (const EProgramError&) {
        return;
    }
    for (const TScriptRow& row : index.ScriptLines)
        if (row.Entry >= int(index.MovieEntries.size())) __builtin_trap();
    for (const TMovieEntry& e : index.MovieEntries) {
        if (e.ScriptIndex < 0 || e.ScriptIndex >= int(index.ScriptLines.size())) __builtin_trap();
        index.NextSpokenLine(&e);
        index.EntryAt(e.StartFrame);
        index.FindEntryByNumber(e.SequenceNumber);
    }
    for (int n : {-1, 0, 1, 7, 1000000}) {
        index.FindEntryByNumber(n);
        index.EntryAt(n);
    }
    index.RandomActivityLine();
    index.IsFilteredText("a text");
}
