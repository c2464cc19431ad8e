#pragma once
// Reading a generated disc back the way the program does: key files, Mac text
// through MacToAnsi, timecodes, picture sizes, AIFF headers and film streams.
#include <QImage>
#include <QString>
#include <string>
#include <vector>

namespace disccheck {

// Lines of a disc text file converted with the program's MacToAnsi, then
// to Unicode for comparisons in the tests.
std::vector<QString> MacLines(const std::string& path);
// Raw 8-bit lines of a disc text file (CR LF or LF endings removed).
std::vector<std::string> RawLines(const std::string& path);
// Fields of a line cut at sep the way the program's NextToken cuts them.
std::vector<std::string> Fields(std::string line, char sep);
// The program's timecode rule: hh:mm:ss:ff with ff in thirtieths, to 40 ms units.
int TimecodeToUnits(std::string text);
bool Exists(const std::string& path);
QSize PictureSize(const std::string& path);

struct TAiffInfo {
    bool Valid = false;
    int Channels = 0;
    long Frames = 0;
    double Rate = 0;
};
TAiffInfo ReadAiffHeader(const std::string& path);

struct TStreamInfo {
    bool HasVideo = false, HasAudio = false;
    std::string VideoCodec;
    int Width = 0, Height = 0;
    double Fps = 0;
    double Seconds = 0; // the container's estimate, a frame or two short of the frames
    int Frames = 0;     // video frames decoded: the film's length in film units
};
TStreamInfo ProbeFilm(const std::string& path);

} // namespace disccheck
