#pragma once
// Where an exported line comes from: the film part that holds the movie
// entry and the entry's range inside it, its text and translation, and the
// film's title and deck folder.
#include <map>
#include <optional>
#include <string>
#include <vector>

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

// The line that ended at most kJustHeardUnits (3 s) before position, the
// latest of them; nullptr when none did.
constexpr int kJustHeardUnits = 75;
const TMovieEntry* LineJustHeard(const std::vector<TMovieEntry>& entries, int position);

// The export of the line the screenplay viewer stands on (or, between two
// lines, of the one just heard), with its
// translation into the help language when the disc has one, the deck file in
// the documents folder; nothing without a line or a clip pool.
std::optional<TLineExport> ViewerLineExport(const TForm_Main& main, const TMovieEntry* entry);

// The export of a word's line: the film's entry of the word's sequence
// number and frames (the word's own frames and text when the film has no
// such entry). No film file (so no sound or picture) for a word of another
// course or without a film.
TLineExport WordLineExport(const TForm_Main& main, const TForm_Movie* movie, const TMyWord& word,
                           const std::map<int, std::string>& translations, const std::string& deckFolder);

// All the words with their lines, for TAnkiWordExporter: the film the viewer
// plays, translations into the help language, the deck file in the
// documents folder.
TWordsExport ViewerWordsExport(const TForm_Main& main, const std::vector<TMyWord>& words);

} // namespace tav
