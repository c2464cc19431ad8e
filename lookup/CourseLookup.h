#pragma once
// The word look-up of the course on the screen, shared by the screens that
// show word cards: opened once per pair of languages and kept, so a second
// card or screen costs nothing. Not thread-safe: the UI thread's.
#include <string>

#include "lookup/WordLookup.h"

namespace tav {

// The look-up from the film's language to the help language (ISO 639-1).
// Without an installed or readable dictionary for the pair it is not open
// and noDictionary says why; it still finds the clicked word in a line.
// A pair that could not be opened is tried again on the next call.
TWordLookup& CourseLookup(const std::string& filmIso, const std::string& helpIso, std::string& noDictionary);

} // namespace tav
