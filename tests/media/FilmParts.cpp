#include "FilmParts.h"

#include <stdexcept>

#include "MediaClips.h"
#include "media/MCIControl.h"
#include "platform/Paths.h"

namespace tavtest {

namespace {

// The same bars MediaClips draws, counted from `first` instead of 0.
std::string NumberFilter(int first) {
    std::string f = "drawbox=x=0:y=0:w=iw:h=20:color=white:t=fill";
    for (int b = 0; b < 12; ++b) {
        f += ",drawbox=x=" + std::to_string(8 + b * 28) + ":y=60:w=20:h=168:color=white:t=fill:enable='mod(floor((n+" +
             std::to_string(first) + ")/" + std::to_string(1 << b) + "),2)'";
    }
    return f;
}

} // namespace

TFilmParts MakeFilmParts(const std::string& folder, const std::vector<int>& seconds) {
    TFilmParts film;
    film.Folder = folder;
    int start = 0;
    for (size_t i = 0; i < seconds.size(); ++i) {
        // Written in lower case, named in the settings in another case.
        const std::string file = "part" + std::to_string(i + 1) + ".mpg";
        const std::string d = std::to_string(seconds[i]);
        const std::string cmd = "ffmpeg -v error -y -f lavfi -i color=c=black:s=352x288:r=25:d=" + d +
                                " -f lavfi -i \"aevalsrc=0.3*sin(2*PI*(330+110*" + std::to_string(i) + ")*t):s=44100:d=" +
                                d + "\" -vf \"" + NumberFilter(start) +
                                "\" -c:v mpeg1video -g 12 -bf 2 -q:v 3 -c:a mp2 -shortest " + folder + "/" + file;
        if (RunShell(cmd) != 0) throw std::runtime_error("ffmpeg failed: " + cmd);
        film.Names.push_back("PART" + std::to_string(i + 1) + ".MPG");
        film.Starts.push_back(start);
        // The next part's numbers begin where the timeline will put it.
        tav::TMCIPlayer probe;
        probe.Open(folder + "/" + file, nullptr, tav::ooFilmUnits);
        start += probe.GetLength();
    }
    film.Starts.push_back(start);
    tav::InvalidatePathCache();
    return film;
}

} // namespace tavtest
