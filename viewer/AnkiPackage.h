#pragma once
// Anki deck files (.apkg): a zip holding the collection database
// "collection.anki2" (SQLite, schema version 11), the "media" map from entry
// numbers to file names and the media files named by number. One deck per
// film; new notes are appended to the file that is already there.
#include <stdexcept>
#include <string>
#include <vector>

#include "viewer/AnkiNote.h"

namespace tav {

class EAnkiError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The deck file for a film inside folder: the title made safe as a file name.
std::string AnkiPackagePath(const std::string& folder, const std::string& deckName);

// Adds the note (with its media) to the deck named deckName in the package
// at path, creating the package when there is none. The new package is
// written beside the old one and renamed over it, so a failure leaves the
// old file as it was. Throws EAnkiError with a clear reason.
void AppendToAnkiPackage(const std::string& path, const std::string& deckName, const TAnkiNote& note);
// The same for several notes of any Tavolin note type in one rewrite; a
// media file several of them name is stored once.
void AppendToAnkiPackage(const std::string& path, const std::string& deckName,
                         const std::vector<TAnkiFilledNote>& notes);

} // namespace tav
