#pragma once
// The film: speech for every line, its time line, the index files that
// describe it (movie index, recording index, film strip, settings), and the
// encoded film parts.
#include <string>
#include <vector>

#include "ScenePainter.h"
#include "Speech.h"
#include "Story.h"
#include "Timeline.h"

namespace demodisc {

struct TFilm {
    TStory Story;
    TTimeline Timeline;
};

TFilm MakeFilm(const TStory& story, TSpeechCache& speech);
TVoice VoiceOf(const TCharacter& c);

// What the screen shows at a film position (milliseconds on the whole film).
TFrameState StateAt(const TFilm& film, int filmMs);

// One actor of the recording index: up to 9 scenes of 3 to 5 line numbers.
struct TActorScenes {
    int Character = 0;
    std::vector<std::vector<int>> Scenes; // 1-based line numbers of movieinf.txt
};
std::vector<TActorScenes> ChooseRecordingScenes(const TFilm& film, int maxActors);

// Sequence numbers where a next-line question may start.
std::vector<int> NextLineStarts(const TFilm& film);
bool IsActivityLine(const TStoryLine& line);

// Text files of the target folder that describe the film.
void WriteFilmIndexes(const TFilm& film, const std::string& targetDir, int maxActors);
// minis.jpg: the 24 film-strip thumbnails at the positions of strip.txt.
void WriteFilmStripPicture(const TFilm& film, const std::string& targetDir);
// The film parts as MPEG-1 program streams, cached in cacheDir by content.
void WriteFilmParts(const TFilm& film, const std::string& targetDir, const std::string& cacheDir);
// Film positions of the 24 film-strip thumbnails, in film units.
std::vector<int> StripPositions(const TFilm& film);

} // namespace demodisc
