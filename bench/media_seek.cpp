// Seek and playback cost of the media engine, against the ffmpeg command-line
// tool on the same clips and positions, measured in the same run.
//
//   media_seek [SECONDS] [--playback]   (length of the generated clips, default 60;
//                                        --playback: only figure 3, e.g. under a profiler)
//
// Figures printed:
//  1. in-process exact seek, frame ready: median and 90th percentile over 200
//     random positions (352x288 MPEG-1 GOP 12, 720x576 MPEG-2 GOP 15);
//  2. whole process: `tavolin-media frame` against
//     `ffmpeg -ss T -i F -frames:v 1 -f image2 out.png`, ratio of medians,
//     and whether both wrote the same picture;
//  3. real-time playback of each clip (the two above and a 1280x720 H.264 + AAC
//     MP4 like the disc builder's film parts) into a panel of the picture's
//     size: CPU use of decode + conversion, against ffmpeg decoding and
//     converting the same range as fast as it can, picture alone and picture
//     with sound (BENCH_SHOW=1 in the environment also paints the panel,
//     into the offscreen backing store); the picture's lag behind the sound
//     clock comes from a separate play, as its probe costs CPU of its own;
//  4. Play on a stopped device to first frame, and range end to completion.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "media/AudioOutput.h"
#include "media/MCIControl.h"
#include "media/MediaDecoder.h"
#include "platform/Messages.h"

using namespace tav;

namespace {

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double CpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int Run(const std::string& cmd) {
    int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, static_cast<size_t>(p * v.size()))];
}

// Frame numbers as bars, as in the tests: bit b is a white bar at 8 + 28 b.
std::string BarFilter() {
    std::string f = "drawbox=x=0:y=50:w=352:h=188:color=black:t=fill,drawbox=x=0:y=0:w=iw:h=20:color=white:t=fill";
    for (int b = 0; b < 12; ++b)
        f += ",drawbox=x=" + std::to_string(8 + b * 28) + ":y=60:w=20:h=168:color=white:t=fill:enable='mod(floor(n/" +
             std::to_string(1 << b) + "),2)'";
    return f;
}

int FrameNumberOf(const QImage& image) {
    if (image.isNull() || image.width() < 8 + 12 * 28 || image.height() < 228) return -1;
    auto white = [&](int x, int y) { return qGray(image.pixel(x, y)) > 128; };
    if (!white(image.width() / 2, 10)) return -1;
    int n = 0;
    for (int b = 0; b < 12; ++b)
        if (white(8 + b * 28 + 10, 144)) n |= 1 << b;
    return n;
}

struct Clip {
    std::string Name, Path;
    int Frames;
    int Width = 720, Height = 576;
};

void InProcessSeeks(const Clip& clip) {
    TMediaDecoder decoder(clip.Path, 48000);
    std::mt19937 rng(42);
    std::vector<double> times;
    int wrong = 0;
    for (int i = 0; i < 200; ++i) {
        const int frame = static_cast<int>(rng() % clip.Frames);
        TVideoFrame out;
        const double t0 = NowMs();
        decoder.SeekExact(int64_t(frame) * 40000, &out);
        times.push_back(NowMs() - t0);
        const int got = FrameNumberOf(out.Image);
        if (got != frame % 4096 && ++wrong <= 3)
            std::printf("  wrong picture: seek to frame %d showed %d (%s)\n", frame, got,
                        out.Image.isNull() ? "no picture" : "decoded");
    }
    std::printf("  %-28s exact seek, frame ready: median %6.2f ms, p90 %6.2f ms, wrong frames %d/200\n",
                clip.Name.c_str(), Median(times), Percentile(times, 0.9), wrong);
}

void WholeProcess(const Clip& clip, const std::string& dir) {
    std::mt19937 rng(7);
    std::vector<double> ours, peer;
    int exact = 0, agree = 0, count = 24;
    for (int i = 0; i < count; ++i) {
        const int frame = static_cast<int>(rng() % clip.Frames);
        const std::string a = dir + "/ours.png", b = dir + "/peer.png";
        double t0 = NowMs();
        Run(std::string(TAVOLIN_MEDIA_TOOL) + " frame " + clip.Path + " " + std::to_string(frame) + " " + a +
            " >/dev/null 2>&1");
        ours.push_back(NowMs() - t0);
        // ffmpeg gives the first picture that starts at or after the time
        // (counted from the first picture), so ask just before the frame's start.
        char ss[32];
        std::snprintf(ss, sizeof ss, "%.4f", std::max(0.0, frame * 0.04 - 0.0005));
        t0 = NowMs();
        Run("ffmpeg -v error -y -ss " + std::string(ss) + " -i " + clip.Path + " -frames:v 1 -f image2 " + b);
        peer.push_back(NowMs() - t0);
        const int fa = FrameNumberOf(QImage(QString::fromStdString(a)));
        const int fb = FrameNumberOf(QImage(QString::fromStdString(b)));
        if (fa == frame % 4096) ++exact;
        if (fa == fb) ++agree;
    }
    const double mo = Median(ours), mp = Median(peer);
    std::printf("  %-28s whole process: tavolin-media frame %6.1f ms, ffmpeg -ss %6.1f ms, ratio %.2f; "
                "our picture exact %d/%d, ffmpeg's the same picture %d/%d\n",
                clip.Name.c_str(), mo, mp, mo / mp, exact, count, agree, count);
}

class Sink : public QObject {
public:
    int Outcome = 0;
    double At = 0;
    QEventLoop* Loop = nullptr;
    bool event(QEvent* e) override {
        if (auto* m = AsMessage(e, MM_MCINOTIFY)) {
            Outcome = static_cast<int>(m->WParam());
            At = NowMs();
            if (Loop) Loop->quit();
            return true;
        }
        return QObject::event(e);
    }
};

// One real-time play of the clip's first `seconds`; returns the process CPU
// it cost. With sync set, a probe reads the picture against the sound clock
// every 7 ms and prints how far apart they were. The probe wakes the program
// 140 times a second, more than the play itself, so the CPU figure comes from
// a play without it.
double PlayOnce(const Clip& clip, int seconds, bool sync, int* painted, double* wallMs) {
    TMCIPlayer player;
    TVideoPanel panel;
    panel.resize(clip.Width, clip.Height);
    if (qEnvironmentVariableIsSet("BENCH_SHOW")) panel.show();
    player.Open(clip.Path, &panel, ooFitPanel); // milliseconds
    player.Seek(0);
    Sink sink;
    const double cpu0 = CpuSeconds(RUSAGE_SELF);
    const double t0 = NowMs();
    QEventLoop loop;
    sink.Loop = &loop;
    // Picture against the sound clock: the picture on screen should be the
    // one whose span holds the clock's position (lag 0 .. 40 ms).
    std::vector<double> early, late;
    double worst = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!player.IsPlaying()) return;
        const double lag = player.GetPosition() - static_cast<double>(player.CurrentFrameMs());
        worst = std::max(worst, std::abs(lag - 20));
        const double at = NowMs() - t0;
        if (at < 10000) early.push_back(lag);
        if (at > (seconds - 10) * 1000.0) late.push_back(lag);
    });
    if (sync) probe.start(7);
    player.Play(0, seconds * 1000, false, &sink);
    loop.exec();
    probe.stop();
    const double cpu = CpuSeconds(RUSAGE_SELF) - cpu0;
    *wallMs = NowMs() - t0;
    *painted = panel.FrameCount();
    if (sync) {
        auto mean = [](const std::vector<double>& v) {
            double t = 0;
            for (double x : v) t += x;
            return v.empty() ? 0 : t / v.size();
        };
        std::printf("  %-28s picture against sound clock: worst |lag - 20 ms| %.1f ms (20 = ideal mid-frame); "
                    "drift of the mean lag from the first to the last 10 s %.1f ms\n",
                    clip.Name.c_str(), worst, mean(late) - mean(early));
    }
    return cpu;
}

void Playback(const Clip& clip, int seconds) {
    int painted = 0;
    double wall = 0;
    PlayOnce(clip, seconds, true, &painted, &wall);
    const double cpu = PlayOnce(clip, seconds, false, &painted, &wall);

    const double c0 = CpuSeconds(RUSAGE_CHILDREN);
    Run("ffmpeg -v error -threads 1 -i " + clip.Path + " -t " + std::to_string(seconds) +
        " -an -pix_fmt bgra -f null -");
    const double peerCpu = CpuSeconds(RUSAGE_CHILDREN) - c0;
    // The play also decodes the sound and converts it to the output's format
    // (48 kHz stereo float): the same work asked of ffmpeg.
    const double c1 = CpuSeconds(RUSAGE_CHILDREN);
    const int soundPeer = Run("ffmpeg -v error -threads 1 -i " + clip.Path + " -t " + std::to_string(seconds) +
        " -pix_fmt bgra -af aresample=48000,aformat=sample_fmts=flt:channel_layouts=stereo -c:a pcm_f32le -f null -");
    const double peerSoundCpu = CpuSeconds(RUSAGE_CHILDREN) - c1;
    if (soundPeer != 0) std::printf("  %-28s ffmpeg with sound failed (exit %d): its figure is void\n", clip.Name.c_str(), soundPeer);
    std::printf("  %-28s real-time play of %d s: wall %.2f s, CPU %.2f s = %.1f %% of one core, %d frames shown; "
                "ffmpeg decode+convert of the same range %.2f s CPU, ratio %.2f; "
                "with its sound decoded and converted too %.2f s CPU, ratio %.2f\n",
                clip.Name.c_str(), seconds, wall / 1000, cpu, 100 * cpu / (wall / 1000), painted, peerCpu,
                cpu / std::max(peerCpu, 1e-6), peerSoundCpu, cpu / std::max(peerSoundCpu, 1e-6));
}

void Latency(const Clip& clip) {
    TMCIPlayer player;
    TVideoPanel panel;
    player.Open(clip.Path, &panel, ooFilmUnits | ooFitPanel);
    std::mt19937 rng(3);
    std::vector<double> first, done;
    for (int i = 0; i < 15; ++i) {
        const int from = static_cast<int>(rng() % (clip.Frames - 30));
        player.Stop(false);
        Sink sink;
        const int before = panel.FrameCount();
        const double t0 = NowMs();
        player.Play(from, from + 10, false, &sink);
        double firstAt = 0;
        while (sink.Outcome == 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (firstAt == 0 && panel.FrameCount() > before) firstAt = NowMs();
        }
        first.push_back(firstAt - t0);
        // The range lasts 10 frames (400 ms) after the first frame is up.
        done.push_back(sink.At - (firstAt + 400));
    }
    std::printf("  %-28s Play to first frame: median %.1f ms, max %.1f ms; range end to completion: median %.1f ms, "
                "max %.1f ms\n",
                clip.Name.c_str(), Median(first), *std::max_element(first.begin(), first.end()), Median(done),
                *std::max_element(done.begin(), done.end()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--check") { // seek every frame of one file
        TMediaDecoder decoder(argv[2], 48000);
        int wrong = 0, n = 0;
        for (int f = 0; f * 40000 < decoder.DurationUs(); ++f, ++n) {
            TVideoFrame out;
            decoder.SeekExact(int64_t(f) * 40000, &out);
            const int got = FrameNumberOf(out.Image);
            if (got != f % 4096 && ++wrong <= 20) std::printf("frame %d showed %d\n", f, got);
        }
        std::printf("%d of %d seeks wrong\n", wrong, n);
        return wrong != 0;
    }
    const int seconds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 60;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    const std::string len = std::to_string(seconds);
    std::printf("Generating %d s clips ...\n", seconds);
    Clip small{"352x288 MPEG-1 GOP 12", d + "/small.mpg", seconds * 25, 352, 288};
    Clip pal{"720x576 MPEG-2 GOP 15", d + "/pal.mpg", seconds * 25, 720, 576};
    Clip hd{"1280x720 H.264 MP4", d + "/hd.mp4", seconds * 25, 1280, 720};
    Run("ffmpeg -v error -y -f lavfi -i color=c=black:s=352x288:r=25:d=" + len + " -f lavfi -i sine=f=440:d=" + len +
        " -vf \"" + BarFilter() + "\" -c:v mpeg1video -g 12 -bf 2 -b:v 1150k -c:a mp2 " + small.Path);
    Run("ffmpeg -v error -y -f lavfi -i testsrc2=s=720x576:r=25:d=" + len + " -f lavfi -i sine=f=440:d=" + len +
        " -vf \"" + BarFilter() + "\" -c:v mpeg2video -g 15 -bf 2 -b:v 5000k -c:a mp2 -f vob " + pal.Path);
    // Encoded as the disc builder encodes its film parts.
    Run("ffmpeg -v error -y -f lavfi -i testsrc2=s=1280x720:r=25:d=" + len + " -f lavfi -i sine=f=440:d=" + len +
        " -c:v libx264 -preset veryfast -crf 23 -x264-params me=dia:subme=1:partitions=i8x8,i4x4 -pix_fmt yuv420p"
        " -g 250 -c:a aac -b:a 128k -ar 44100 -ac 2 " + hd.Path);
    std::printf("Sound output: %s\n", TAudioOutput::Instance().IsNull() ? "null (timer-driven)"
                                                                       : TAudioOutput::Instance().DriverName().c_str());
    if (argc > 2 && std::string(argv[2]) == "--playback") {
        std::printf("3. Playback CPU\n");
        for (const Clip* c : {&small, &pal, &hd}) Playback(*c, std::min(seconds, 60));
        return 0;
    }
    std::printf("1. In-process exact seeks (200 random positions)\n");
    InProcessSeeks(small);
    InProcessSeeks(pal);
    std::printf("2. Whole process, one frame to PNG (24 random positions)\n");
    WholeProcess(small, d);
    WholeProcess(pal, d);
    std::printf("3. Playback CPU\n");
    for (const Clip* c : {&small, &pal, &hd}) Playback(*c, std::min(seconds, 60));
    std::printf("4. Latency\n");
    Latency(small);
    Latency(pal);
    return 0;
}
