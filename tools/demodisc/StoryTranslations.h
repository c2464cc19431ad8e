#pragma once
// English and Spanish translations of the story's spoken lines, for the
// disc's movietr<N>.txt files (the screenplay viewer shows them under the
// caption in the help language).
#include "Story.h"

namespace demodisc {

// Fills English and Spanish of every spoken line that has a translation.
void AddTranslations(TStory& story);

} // namespace demodisc
