#pragma once
// Test media made at test time with the ffmpeg command-line tool. Every video
// frame shows its own number as a row of bars (bit b of the frame number is a
// white bar at x = 8 + 28 b), so a test can read which frame is on screen.
#include <QImage>

#include <string>

namespace tavtest {

struct TMediaClips {
    std::string Folder;
    std::string Mpeg1;      // 352 x 288 MPEG-1 + MP2 sound, 250 frames, GOP 12, B-frames
    std::string Mpeg2;      // 352 x 288 MPEG-2, video only, 250 frames, GOP 15, open GOPs
    std::string H264;       // 352 x 240 H.264 + AAC in MP4, 250 frames, GOP 25
    std::string Avi;        // 352 x 288 MPEG-4 part 2 + PCM in AVI, 250 frames, GOP 15, B-frames
    std::string Mov;        // 352 x 288 H.264 + AAC in QuickTime, 250 frames, GOP 20
    std::string Wave;       // 1.5 s tone, 22,050 Hz mono
    std::string Aiff;       // 1.5 s tone, 44,100 Hz stereo
    std::string Corrupt;    // noise with an .mpg name
    std::string Truncated;  // the first 40 % of Mpeg1
    std::string EmptyWave;  // a WAVE header with no samples
};

// Builds the clips once per test program (in a folder removed at exit).
const TMediaClips& MediaClips();

// The frame number shown in a picture, or -1 when it shows no number.
int FrameNumberOf(const QImage& image);

// Runs a command with /bin/sh; returns its exit status.
int RunShell(const std::string& command);

} // namespace tavtest
