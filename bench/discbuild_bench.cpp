// The disc builder on a generated 1080p H.264 film with a key frame every
// 10 s (as films come from cameras and downloads):
//   discbuild_bench [seconds=120] [lines=40] [FILM]
// With FILM the generated film is kept there and reused by later runs of the
// same length (making a long 1080p film takes longer than building from it).
// 1. Build speed: the film's length over the time tavolin-disc build takes
//    (goal: at least 4x real time), and over half the processor time it
//    used (what two cores give when nothing else runs on the machine).
// 2. Line replay, call to first frame: PlayFilm(start, end) of the lines
//    through the clip pool on the built disc, against the same ranges played
//    on a player that opened the source film directly (which must decode from
//    the key frame before each line). Goal: median <= 30 ms, ratio <= 0.1.
// 3. Size: the built film parts against the same film encoded as the builder
//    once made its parts (352 x 288 letter-boxed MPEG-1, quantiser 4, MP2
//    sound at 128 kbit/s mono, a key frame at every line start).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "NotifySink.h"
#include "content/TargetIndex.h"
#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "media/MCIControl.h"
#include "media/Movie.h"
#include "media/VideoPanel.h"

using namespace tav;

namespace {

QElapsedTimer clockMs;
double NowMs() { return clockMs.nsecsElapsed() / 1e6; }

// Processor seconds of the finished child processes (and theirs).
double ChildCpuSeconds() {
    rusage r{};
    getrusage(RUSAGE_CHILDREN, &r);
    return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

bool Await(const std::function<bool()>& pred) {
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(1);
    const double until = NowMs() + 15000;
    while (!pred()) {
        if (NowMs() > until) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The value below which the given share of v lies (0.5: the median).
double Percentile(std::vector<double> v, double share) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(share * double(v.size())))];
}

double FileMegabytes(const std::string& path) { return QFile(QString::fromStdString(path)).size() / 1e6; }

std::string Ts(int ms) {
    char b[32];
    std::snprintf(b, sizeof b, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return b;
}

// Time from the play call to the next picture in the panel, then to the end of the range.
bool FirstFrame(TVideoPanel& panel, tavtest::TNotifySink& sink, const std::function<void()>& play, std::vector<double>& out) {
    sink.Notes.clear();
    const qint64 before = panel.Frame().cacheKey();
    const double t0 = NowMs();
    play();
    if (!Await([&] { return panel.Frame().cacheKey() != before && !panel.Frame().isNull(); })) return false;
    out.push_back(NowMs() - t0);
    return Await([&] { return !sink.Notes.empty(); });
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // figures show as they come, also in a log file
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 120;
    const int lineCount = argc > 2 ? std::atoi(argv[2]) : 40;
    clockMs.start();
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    const std::string film = argc > 3 ? std::string(argv[3]) : d + "/film.mp4";
    if (argc > 3 && QFile::exists(QString::fromStdString(film))) {
        std::printf("reusing the film %s\n", film.c_str());
    } else {
        std::printf("making a %d s 1080p H.264 film, key frame every 10 s ...\n", seconds);
        const std::string make = "ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=" +
                                 std::to_string(seconds) + " -f lavfi -i sine=f=220:d=" + std::to_string(seconds) +
                                 " -c:v libx264 -preset veryfast -g 250 -keyint_min 250 -sc_threshold 0 -c:a aac " +
                                 film;
        if (std::system(make.c_str()) != 0) return 1;
    }
    {
        std::ofstream srt(d + "/film.srt");
        const char* texts[] = {"Where is the little dog today?", "The dog is in the garden now.",
                               "Please bring the little dog home.", "The garden gate is open again."};
        const int step = (seconds - 2) * 1000 / lineCount;
        for (int k = 0; k < lineCount; ++k) {
            const int from = 1000 + k * step + (k * 7919) % 900;
            srt << k + 1 << "\n" << Ts(from) << " --> " << Ts(from + 1500 + (k * 37) % 1500) << "\nANNA: " << texts[k % 4]
                << "\n\n";
        }
    }
    const std::string root = d + "/disc";
    const double t0 = NowMs(), cpu0 = ChildCpuSeconds();
    QProcess build;
    build.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    build.start(TAVOLIN_DISC_TOOL, {"build", QString::fromStdString(film), QString::fromStdString(d + "/film.srt"),
                                    "--lang", "en", "--title", "Bench", "--out", QString::fromStdString(root),
                                    "--cache", QString::fromStdString(d + "/cache")});
    build.waitForFinished(-1);
    const double buildMs = NowMs() - t0;
    if (build.exitCode() != 0) {
        std::fprintf(stderr, "the build failed:\n%s\n", build.readAllStandardOutput().constData());
        return 1;
    }
    const double cpu = ChildCpuSeconds() - cpu0;
    std::printf("\nbuild: %.1f s for a %d s film: %.2fx real time   (goal >= 4x)\n"
                "       processor time %.1f s: %.2fx real time on two cores with nothing else running\n",
                buildMs / 1000, seconds, seconds * 1000.0 / buildMs, cpu, cpu > 0 ? seconds / (cpu / 2) : 0.0);

    TTargetIndex index;
    index.LoadMovieIndex(root + "/English/movieinf.txt");
    TMovieSettings settings;
    settings.TargetFolder = root + "/English";
    for (const std::string& line : ReadTextLines(root + "/English/settings.txt"))
        if (line.rfind("MovieNames|", 0) == 0) {
            std::string rest = line.substr(11);
            for (std::string part; !(part = NextToken(rest, '|')).empty();) settings.MovieNames.push_back(part);
        }
    TVideoPanel panel;
    panel.resize(352, 288);
    tavtest::TNotifySink sink;
    auto pool = std::make_unique<TForm_Movie>(settings);
    pool->AttachDisplay(&panel, false);
    std::vector<double> disc, source;
    int failures = 0;
    for (const TMovieEntry& e : index.MovieEntries)
        failures += !FirstFrame(panel, sink, [&] { pool->PlayFilm(e.StartFrame, e.EndFrame, false, &sink, false); }, disc);
    pool->DetachDisplay();
    pool.reset();

    TMCIPlayer direct;
    direct.Open(film, &panel, ooFilmUnits);
    direct.PutDestination({0, 0, panel.width(), panel.height()});
    for (const TMovieEntry& e : index.MovieEntries)
        failures += !FirstFrame(panel, sink, [&] { direct.Play(e.StartFrame, e.EndFrame, false, &sink); }, source);
    direct.Close();

    const double m = Percentile(disc, 0.5), p = Percentile(source, 0.5);
    std::printf("line replay, call to first frame, %zu lines: built disc median %.1f ms (90th pct %.1f ms), source "
                "film median %.1f ms (90th pct %.1f ms), ratio %.3f   (goal: median <= 30 ms, ratio <= 0.1)%s\n",
                index.MovieEntries.size(), m, Percentile(disc, 0.9), p, Percentile(source, 0.9), p > 0 ? m / p : 0.0,
                failures ? "  SOME PLAYS FAILED" : "");

    double parts = 0;
    for (const std::string& name : settings.MovieNames) parts += FileMegabytes(root + "/English/" + name);
    std::string keys = "0";
    for (const TMovieEntry& e : index.MovieEntries) keys += "," + std::to_string(e.StartFrame * 0.04);
    const std::string reference = d + "/reference.mpg";
    const std::string old = "ffmpeg -nostdin -v error -y -i " + film +
                            " -vf 'scale=352:288:force_original_aspect_ratio=decrease,pad=352:288:(ow-iw)/2:(oh-ih)/2,"
                            "setsar=1,fps=25' -c:v mpeg1video -q:v 4 -g 50 -bf 2 -flags +cgop -sc_threshold 1000000000 "
                            "-pix_fmt yuv420p -force_key_frames " + keys +
                            " -c:a mp2 -b:a 128k -ar 44100 -ac 1 -f mpeg " + reference;
    if (std::system(old.c_str()) != 0) {
        std::fprintf(stderr, "the reference MPEG-1 encode failed\n");
        return 1;
    }
    const double oldParts = FileMegabytes(reference);
    std::printf("film parts: %.1f MB (%.2f Mbit/s) against %.1f MB as 352 x 288 MPEG-1 parts: %.2fx\n", parts,
                parts * 8 / seconds, oldParts, oldParts > 0 ? parts / oldParts : 0.0);
    return failures ? 1 : 0;
}
