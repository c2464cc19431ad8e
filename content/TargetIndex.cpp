#include "content/TargetIndex.h"

#include "content/OurUtils.h"

namespace tav {

// The index loaders and searches arrive with the content-index work; until
// then loading a target fails with this clear message instead of running on
// empty indexes.
static void NotYetAvailable(const char* what) {
    throw EProgramError(Format("%s: content index loading is not available in this build", what));
}

void TTargetIndex::LoadFilter(const std::string& fileName) { FilterWords.clear(); }
void TTargetIndex::LoadMovieIndex(const std::string& fileName) { NotYetAvailable(fileName.c_str()); }
void TTargetIndex::LoadRecordIndex(const std::string& fileName) { NotYetAvailable(fileName.c_str()); }
void TTargetIndex::LoadMultiEntries() { MultiEntries.clear(); }

void TTargetIndex::ClearIndexes() {
    MovieEntries.clear();
    ScriptLines.clear();
    RecordEntries.clear();
    MultiEntries.clear();
    FilterWords.clear();
    EntryCursor = 0;
    ActivityLineCount = 0;
}

bool TTargetIndex::IsFilteredText(const std::string& text) const { return false; }

} // namespace tav
