#pragma once
// The source film through the ffmpeg and ffprobe programs: what it holds, one
// decoding pass into a small working copy at the program's picture size with
// the scene changes found on the way, film parts encoded from that copy with
// a key frame at every line's start, and single frames for pictures.
#include <QImage>
#include <functional>
#include <string>
#include <vector>

namespace discbuild {

constexpr int kPartWidth = 352, kPartHeight = 288; // the program's film panels

struct TFilmInfo {
    int DurationMs = 0;
    int Width = 0, Height = 0;
    bool HasAudio = false;
};

// Progress of a long step: done fraction 0..1; returns false to stop it.
using TProgressFn = std::function<bool(double)>;

// Throws with ffprobe's reason when the file holds no video ffmpeg reads.
TFilmInfo ProbeFilm(const std::string& path);

// Decodes the film once into workFile (352 x 288, letter-boxed, 25 frames a
// second, all key frames; mono sound) and returns the scene changes in film
// units (40 ms).
std::vector<int> PrepareWorkingCopy(const std::string& film, const TFilmInfo& info, const std::string& workFile,
                                    const TProgressFn& progress);

// One film part from the working copy: [startUnits, startUnits + units) as
// MPEG-1 video with MPEG audio in a program stream, as the demo disc's parts,
// with a key frame at every time in keyUnits (film units inside the part).
void EncodePart(const std::string& workFile, int startUnits, int units, const std::vector<int>& keyUnits,
                const std::string& out, const TProgressFn& progress);

// Frames of the working copy at film positions (units); a frame that cannot
// be read comes back as a null image.
std::vector<QImage> GrabFrames(const std::string& workFile, const std::vector<int>& units, const std::string& tempDir);

// Runs a program, feeding "-progress" output to progress when given; throws
// with the program's last words when it fails or is stopped.
void RunTool(const std::string& program, const std::vector<std::string>& args, double totalSeconds,
             const TProgressFn& progress, const std::string& workDir = {});

} // namespace discbuild
