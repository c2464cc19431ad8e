// The screenplay viewer's line tools through the film clip pool, on a film in
// three parts whose every frame shows its film position.
//   linetools_bench [lines=30] [seconds-per-part=20]
// 1. End of a line play: PlayFilmTo(start, end) (replay and auto-pause):
//    frames shown past the line's last frame (end - 1), and the sound the
//    output took past the line's end (ms). Peer: the plain range play of the
//    script, PlayFilm(start, end - 1), on the same lines.
// 2. A slowed line at 0.75 and 0.5: its length in sound (output frames) and in
//    time (first frame to completion) against the line's length / speed;
//    peer: the same lines at normal speed.
// 3. Replay to first frame: from the call the R key makes (PlayFilmTo back
//    to the start of the line the film stands at the end of) until the
//    line's first frame is in the panel. Peer: a bare SeekFilm to the same
//    start (the exact seek alone).
// Run it with SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null for a real
// device callback clocking the sound; the default is the null output.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include "FilmParts.h"
#include "MediaClips.h"
#include "NotifySink.h"
#include "media/AudioOutput.h"
#include "media/Movie.h"
#include "media/VideoPanel.h"

using namespace tav;
using tavtest::FrameNumberOf;

namespace {

QElapsedTimer clockMs;
double NowMs() { return clockMs.nsecsElapsed() / 1e6; }

bool Await(const std::function<bool()>& pred, double limitMs = 20000) {
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(1);
    const double until = NowMs() + limitMs;
    while (!pred()) {
        if (NowMs() > until) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

struct TStats {
    std::vector<double> v;
    void Add(double x) { v.push_back(x); }
    double Pct(double p) {
        if (v.empty()) return 0;
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
    }
    double Median() { return Pct(0.5); }
    double Max() { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }
    double MaxAbs() {
        double m = 0;
        for (double x : v) m = std::max(m, std::fabs(x));
        return m;
    }
};

struct TLine {
    int Start, End; // [Start, End) film units, inside one part
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 30;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
    clockMs.start();

    QTemporaryDir dir;
    std::printf("making a film of 3 x %d s ...\n", seconds);
    const auto film = tavtest::MakeFilmParts(dir.path().toStdString(), {seconds, seconds, seconds});
    TMovieSettings settings;
    settings.MovieNames = film.Names;
    settings.TargetFolder = film.Folder;
    settings.MovieSingle = true;
    TVideoPanel panel;
    panel.resize(320, 240);
    tavtest::TNotifySink sink;
    auto pool = std::make_unique<TForm_Movie>(settings);
    pool->AttachDisplay(&panel, true);
    std::printf("sound output: %s at %d Hz\n",
                TAudioOutput::Instance().IsNull() ? "null (timer)" : TAudioOutput::Instance().DriverName().c_str(),
                TAudioOutput::Instance().Rate());

    // Dialogue-length lines, 1.5 to 4 s, inside a part.
    std::mt19937 rng(20261209);
    std::vector<TLine> list;
    for (int i = 0; i < lines; ++i) {
        const int part = i % 3;
        const int len = std::uniform_int_distribution<int>(38, 100)(rng);
        const int room = film.Starts[size_t(part) + 1] - film.Starts[size_t(part)] - len - 2;
        const int start = film.Starts[size_t(part)] + 1 + std::uniform_int_distribution<int>(0, room)(rng);
        list.push_back({start, start + len});
    }

    // Plays one line, returns frames past its last frame, the sound past its
    // end (ms), the time from the first frame to the completion, and the
    // output sound's length in seconds.
    struct TResult {
        bool Ok = false;
        int FramesPast = 0;
        double SoundPastMs = 0, PlayMs = 0, SoundSeconds = 0;
    };
    auto play = [&](const TLine& l, const std::function<void()>& start) {
        TResult r;
        sink.Notes.clear();
        int maxShown = -1;
        start();
        if (!Await([&] { return FrameNumberOf(panel.Frame()) == l.Start; })) return r;
        const double first = NowMs();
        if (!Await([&] {
                maxShown = std::max(maxShown, FrameNumberOf(panel.Frame()));
                return !sink.Notes.empty();
            }))
            return r;
        r.PlayMs = NowMs() - first;
        r.FramesPast = maxShown - (l.End - 1);
        r.SoundPastMs = pool->LastFilmSoundEndMs() - l.End * 40.0;
        r.SoundSeconds = double(pool->LastFilmSoundFrames()) / TAudioOutput::Instance().Rate();
        r.Ok = true;
        return r;
    };

    // 1. Line ends.
    TStats framesExact, soundExact, framesPeer, soundPeer;
    for (const TLine& l : list) {
        const TResult a = play(l, [&] { pool->PlayFilmTo(l.Start, l.End, &sink); });
        const TResult b = play(l, [&] { pool->PlayFilm(l.Start, l.End - 1, false, &sink, false); });
        if (!a.Ok || !b.Ok) {
            std::fprintf(stderr, "line %d..%d did not play\n", l.Start, l.End);
            return 1;
        }
        framesExact.Add(a.FramesPast);
        soundExact.Add(a.SoundPastMs);
        framesPeer.Add(b.FramesPast);
        soundPeer.Add(b.SoundPastMs);
    }
    std::printf("\n1. end of a line play, %d lines (goal: 0 frames past, sound within 20 ms of the end)\n", lines);
    std::printf("   PlayFilmTo   : frames past the last frame max %+.0f; sound past the end median %+.1f ms, "
                "worst |%.1f| ms\n",
                framesExact.Max(), soundExact.Median(), soundExact.MaxAbs());
    std::printf("   peer PlayFilm(start, end-1): frames past max %+.0f; sound past the end median %+.1f ms, worst |%.1f| ms\n",
                framesPeer.Max(), soundPeer.Median(), soundPeer.MaxAbs());
    std::printf("   ratio of worst sound error (tool / peer): %.2f\n",
                soundPeer.MaxAbs() > 0 ? soundExact.MaxAbs() / soundPeer.MaxAbs() : 0.0);

    // 2. Slowed lines.
    std::printf("\n2. slowed lines (goal: length within 1 %% of line / speed)\n");
    const size_t slowLines = std::min<size_t>(list.size(), 8);
    for (double speed : {1.0, 0.75, 0.5}) {
        pool->SetFilmRate(speed);
        TStats soundErr, timeErr;
        for (size_t i = 0; i < slowLines; ++i) {
            const TLine& l = list[i];
            const TResult r = play(l, [&] { pool->PlayFilmTo(l.Start, l.End, &sink); });
            if (!r.Ok) return 1;
            const double expected = (l.End - l.Start) * 0.04 / speed;
            soundErr.Add(100.0 * (r.SoundSeconds - expected) / expected);
            // From the first frame on: the first frame's own time is not in it.
            const double expectedMs = ((l.End - l.Start) * 40.0) / speed;
            timeErr.Add(100.0 * (r.PlayMs - expectedMs) / expectedMs);
        }
        std::printf("   speed %.2f%s: sound length error median %+.2f %%, worst |%.2f| %%; first frame to completion "
                    "median %+.2f %%, worst |%.2f| %%\n",
                    speed, speed == 1.0 ? " (peer)" : "", soundErr.Median(), soundErr.MaxAbs(), timeErr.Median(),
                    timeErr.MaxAbs());
    }
    pool->SetFilmRate(1.0);

    // 3. Replay to first frame.
    TStats replay, seek;
    for (const TLine& l : list) {
        // Stand at the line's end, as after hearing it, then replay it.
        pool->SeekFilm(l.End - 1);
        if (!Await([&] { return FrameNumberOf(panel.Frame()) == l.End - 1; })) return 1;
        double t0 = NowMs();
        pool->PlayFilmTo(l.Start, l.End, &sink);
        if (!Await([&] { return FrameNumberOf(panel.Frame()) == l.Start; })) return 1;
        replay.Add(NowMs() - t0);
        pool->StopFilm();
        pool->SeekFilm(l.End - 1);
        t0 = NowMs();
        pool->SeekFilm(l.Start);
        if (!Await([&] { return FrameNumberOf(panel.Frame()) == l.Start; })) return 1;
        seek.Add(NowMs() - t0);
    }
    std::printf("\n3. replay: call to the line's first frame (goal: <= 30 ms)\n");
    std::printf("   replay median %.1f ms, 90th %.1f ms, worst %.1f ms\n", replay.Median(), replay.Pct(0.9), replay.Max());
    std::printf("   peer bare exact seek median %.1f ms, 90th %.1f ms; ratio of medians %.2f\n", seek.Median(),
                seek.Pct(0.9), seek.Median() > 0 ? replay.Median() / seek.Median() : 0.0);
    return 0;
}
