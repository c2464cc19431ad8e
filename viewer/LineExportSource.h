#pragma once
// Where an exported line comes from: the film part that holds the movie
// entry and the entry's range inside it, its text and translation, and the
// film's title and deck folder.
#include <map>
#include <optional>
#include <string>

#include "viewer/AnkiExport.h"

namespace tav {

class TForm_Main;
class TForm_Movie;
struct TMovieEntry;

// The learner's documents folder (where deck files go without Anki).
std::string DocumentsFolder();

// The export of entry; translations by line number (may be empty). The range
// ends at the part's end when a line runs past it.
TLineExport LineExportFor(const TForm_Main& main, const TForm_Movie& movie, const TMovieEntry& entry,
                          const std::map<int, std::string>& translations, const std::string& deckFolder);

// The export of the line the screenplay viewer stands on, with its
// translation into the help language when the disc has one, the deck file in
// the documents folder; nothing without a line or a clip pool.
std::optional<TLineExport> ViewerLineExport(const TForm_Main& main, const TMovieEntry* entry);

} // namespace tav
