#include "MediaClips.h"

#include <QColor>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

namespace tavtest {

namespace {

constexpr int kBits = 12;

std::string BarFilter() {
    // A white strip on top marks a numbered frame; then one bar per bit.
    std::string f = "drawbox=x=0:y=0:w=iw:h=20:color=white:t=fill";
    for (int b = 0; b < kBits; ++b) {
        f += ",drawbox=x=" + std::to_string(8 + b * 28) + ":y=60:w=20:h=168:color=white:t=fill:enable='mod(floor(n/" +
             std::to_string(1 << b) + "),2)'";
    }
    return f;
}

void Make(const std::string& command) {
    if (RunShell("ffmpeg -v error -y " + command) != 0) throw std::runtime_error("ffmpeg failed: " + command);
}

std::string Tone(int rate, double seconds) {
    // The pitch changes every second, so a range's sound is recognisable too.
    return "-f lavfi -i \"aevalsrc=0.3*sin(2*PI*(440+110*floor(t))*t):s=" + std::to_string(rate) +
           ":d=" + std::to_string(seconds) + "\"";
}

} // namespace

int RunShell(const std::string& command) {
    int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

const TMediaClips& MediaClips() {
    static QTemporaryDir dir;
    static TMediaClips clips = [] {
        TMediaClips c;
        c.Folder = dir.path().toStdString();
        c.Mpeg1 = c.Folder + "/part1.mpg";
        c.Mpeg2 = c.Folder + "/part2.mpg";
        c.H264 = c.Folder + "/part3.mp4";
        c.Avi = c.Folder + "/part4.avi";
        c.Mov = c.Folder + "/part5.mov";
        c.Wave = c.Folder + "/tone.wav";
        c.Aiff = c.Folder + "/tone.aif";
        c.Corrupt = c.Folder + "/noise.mpg";
        c.Truncated = c.Folder + "/cut.mpg";
        c.EmptyWave = c.Folder + "/empty.wav";
        const std::string video = "-f lavfi -i color=c=black:s=352x288:r=25:d=10 ";
        Make(video + Tone(44100, 10) + " -vf \"" + BarFilter() +
             "\" -c:v mpeg1video -g 12 -bf 2 -q:v 3 -c:a mp2 -shortest " + c.Mpeg1);
        Make(video + "-vf \"" + BarFilter() + "\" -c:v mpeg2video -g 15 -bf 2 -q:v 3 -f vob " + c.Mpeg2);
        Make("-f lavfi -i color=c=black:s=352x240:r=25:d=10 " + Tone(48000, 10) + " -vf \"" + BarFilter() +
             "\" -c:v libx264 -preset veryfast -g 25 -keyint_min 25 -bf 3 -pix_fmt yuv420p -c:a aac -shortest " + c.H264);
        Make(video + Tone(22050, 10) + " -vf \"" + BarFilter() +
             "\" -c:v mpeg4 -g 15 -bf 2 -q:v 3 -c:a pcm_s16le -shortest " + c.Avi);
        Make(video + Tone(48000, 10) + " -vf \"" + BarFilter() +
             "\" -c:v libx264 -preset veryfast -g 20 -bf 2 -pix_fmt yuv420p -c:a aac -shortest " + c.Mov);
        Make(Tone(22050, 1.5) + " -ac 1 -c:a pcm_s16le " + c.Wave);
        Make(Tone(44100, 1.5) + " -ac 2 -c:a pcm_s16be " + c.Aiff);
        {
            std::mt19937 rng(7);
            std::ofstream out(c.Corrupt, std::ios::binary);
            for (int i = 0; i < 200000; ++i) out.put(static_cast<char>(rng()));
        }
        {
            std::ifstream in(c.Mpeg1, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::ofstream out(c.Truncated, std::ios::binary);
            out.write(bytes.data(), static_cast<long>(bytes.size() * 2 / 5));
        }
        Make("-f lavfi -i anullsrc=r=22050:cl=mono -t 0 -c:a pcm_s16le " + c.EmptyWave);
        return c;
    }();
    return clips;
}

int FrameNumberOf(const QImage& image) {
    if (image.isNull() || image.width() < 8 + kBits * 28 || image.height() < 228) return -1;
    auto white = [&](int x, int y) { return qGray(image.pixel(x, y)) > 128; };
    if (!white(image.width() / 2, 10)) return -1;
    int n = 0;
    for (int b = 0; b < kBits; ++b) {
        if (white(8 + b * 28 + 10, 144)) n |= 1 << b;
    }
    return n;
}

} // namespace tavtest
