// Target.txt and settings.txt: the key lookups and lists the start-up reads,
// the multi-menu entries and the next-line start pool.
#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/TargetIndex.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(keyfiles) {
    using namespace tav;
    TTargetIndex index;
    index.TargetLines = SplitTextLines(tavfuzz::Bytes(data, size));
    index.SettingsLines = index.TargetLines;
    for (const char* key : {"TargetFolderName", "TargetPathForPC", "MultiMenu", "PCCaption", "TargetLang", "Target1"}) {
        FindKeyLine(index.TargetLines, key);
        StrToIntDef(LookupKey(index.TargetLines, key, "0"), 0);
    }
    SplitKeyList(index.TargetLines, "SourceHelpLangs", ',');
    SplitKeyList(index.SettingsLines, "MovieNames", '|');
    index.LoadMultiEntries();
    // A small movie index so the start pool's numbers are looked up.
    for (int i = 0; i < 5; ++i) {
        TMovieEntry e;
        e.SequenceNumber = i * 2 + 1;
        e.LineText = "line";
        index.MovieEntries.push_back(e);
    }
    for (int draw = 0; draw < 8; ++draw) {
        try {
            index.DrawNextLineStart();
        } catch (const EProgramError&) {
        }
    }
}
