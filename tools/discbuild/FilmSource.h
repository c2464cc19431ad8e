#pragma once
// The source film through the ffmpeg and ffprobe programs: what it holds, a
// quick look for scene changes near given places, one decoding pass that
// makes the film parts (as sharp as the film, up to 1280 x 720, with a key
// frame at every line's start), a small working copy for pictures and the
// scene changes, and single frames of that copy.
#include <QImage>
#include <QSize>
#include <functional>
#include <string>
#include <vector>

namespace discbuild {

// The largest film part picture: sharper costs more to build than the
// program's film panel and a learner's screen gain from it.
constexpr int kPartMaxWidth = 1280, kPartMaxHeight = 720;
// The working copy's pictures fit in this box: large enough for the
// dictionary's 280 x 212 pictures and the 150 x 150 faces.
constexpr int kWorkMaxWidth = 480, kWorkMaxHeight = 272;

struct TFilmInfo {
    int DurationMs = 0;
    int Width = 0, Height = 0;     // stored picture size
    int SarNum = 1, SarDen = 1;    // shape of one stored pixel (width : height)
    bool HasAudio = false;
    int AudioTrack = 0;            // the sound track the parts take, from 0 (chosen by the caller)
};

// Progress of a long step: done fraction 0..1; returns false to stop it.
using TProgressFn = std::function<bool(double)>;

// Throws with ffprobe's reason when the file holds no video ffmpeg reads.
TFilmInfo ProbeFilm(const std::string& path);

// The film parts' picture: the film's shape with square pixels, its own size
// when it fits in 1280 x 720 (never enlarged), else the largest that fits;
// even sides, as H.264 in 4:2:0 needs.
QSize PartSize(const TFilmInfo& info);
// The working copy's picture: the part's shape within 480 x 272, even sides.
QSize WorkSize(const TFilmInfo& info);

// Scene changes (film units) within windowUnits of each place, from small
// pictures of those stretches only: where the film parts may be cut.
std::vector<int> ScenesNear(const std::string& film, const std::vector<int>& placeUnits, int windowUnits,
                            const std::string& workDir, const TProgressFn& progress);

// One decoding pass over the film: the film parts starting at partStarts
// (film units, the first 0) as H.264 (libx264) with AAC sound in MP4,
// written as workDir/part1.mp4, part2.mp4 ..., with a key frame at every
// film unit of keyUnits and of partStarts; the working copy workDir/film.mkv
// (WorkSize, every frame a key frame, no sound) for GrabFrames; returns the
// scene changes in film units (40 ms). Throws when ffmpeg fails or is stopped.
std::vector<int> EncodeFilm(const std::string& film, const TFilmInfo& info, const std::vector<int>& partStarts,
                            const std::vector<int>& keyUnits, const std::string& workDir, const TProgressFn& progress);

// Frames of the working copy at film positions (units); a frame that cannot
// be read comes back as a null image.
std::vector<QImage> GrabFrames(const std::string& workFile, const std::vector<int>& units, const std::string& tempDir);

// Runs a program, feeding "-progress" output to progress when given; throws
// with the program's last words when it fails or is stopped.
void RunTool(const std::string& program, const std::vector<std::string>& args, double totalSeconds,
             const TProgressFn& progress, const std::string& workDir = {});

} // namespace discbuild
