#pragma once
// Where a build's subtitles come from: a subtitle file, or a subtitle track
// inside the film chosen by its number or by the film's language. The track
// is read as a file would be (text tracks decoded, picture tracks read with
// OCR), and what was read is described for the build's report.
#include <functional>
#include <string>
#include <vector>

#include "FilmTracks.h"
#include "Subtitles.h"

namespace discbuild {

struct TCueSource {
    std::string File;      // a subtitle file; empty: a track of the film
    std::string Film;
    int Track = -1;        // the film's subtitle track, from 0 among its subtitle tracks; -1: by language
    std::string Language;  // two-letter code of the wanted language (the film's, or the help language)
};

// The stream index of the subtitle track a source names: track number N, else
// the film's track in the language (a text track before pictures, a full
// track before a forced one, the default first). -1 with the reason when
// there is none.
int ChooseSubtitleTrack(const TFilmTracks& tracks, const TCueSource& source, std::string& why);

// The cues of a source. name is what the report calls it ("film.srt",
// "film.mkv track 2 (French, subrip)"); notes get the OCR's findings (the
// confidence, the cues left out with their times). Throws with the reason
// when nothing can be read.
TSubtitleFile ReadCueSource(const TCueSource& source, std::string& name, std::vector<std::string>& notes,
                            const std::function<bool(double)>& progress = {});

} // namespace discbuild
