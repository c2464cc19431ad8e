// Line playback through the film clip pool, as the activities use it.
//   clippool_bench [ranges=50] [seconds-per-part=20]
// 1. PlayFilm(start, end) of random dialogue-length ranges (1.5 to 6 s) on a
//    three-part film: time from the call to the range's first frame in the
//    panel, and how late the completion reaches the caller after the range's
//    last frame was shown. Peer: the same ranges on a bare TMCIPlayer of the
//    part file (what the pool adds on top of the device).
// 2. The part seam during PlayFilm(-1, -1): the time from the last frame of a
//    part to the first frame of the next, against the frame interval in the
//    middle of a part (the peer: ideal is one frame period, 40 ms).
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "FilmParts.h"
#include "MediaClips.h"
#include "NotifySink.h"
#include "media/Movie.h"
#include "media/VideoPanel.h"

using namespace tav;
using tavtest::FrameNumberOf;

namespace {

QElapsedTimer clockMs;

double NowMs() { return clockMs.nsecsElapsed() / 1e6; }

// Runs the event loop until pred holds (or 15 s pass); the 1 ms timer keeps
// the loop waking so the moment is seen to within about a millisecond.
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
};

struct TRange {
    int From, To;
    int LastFrame; // the picture holding the end: the part's last one when cut at its end
};

// Plays one range with play(), measures the first frame and the completion.
// Returns false when something did not happen.
bool Measure(TVideoPanel& panel, tavtest::TNotifySink& sink, const TRange& r, const std::function<void()>& play,
             TStats& first, TStats& late, TStats& lateNominal) {
    sink.Notes.clear();
    const double t0 = NowMs();
    play();
    if (!Await([&] { return FrameNumberOf(panel.Frame()) == r.From; })) {
        std::fprintf(stderr, "range %d..%d: first frame never shown (panel shows %d)\n", r.From, r.To,
                     FrameNumberOf(panel.Frame()));
        return false;
    }
    const double firstShown = NowMs();
    first.Add(firstShown - t0);
    double endShown = -1;
    if (!Await([&] {
            if (endShown < 0 && FrameNumberOf(panel.Frame()) >= r.LastFrame) endShown = NowMs();
            return !sink.Notes.empty();
        }))
        return false;
    const double done = NowMs();
    if (endShown < 0 || sink.Notes[0].Outcome != MCI_NOTIFY_SUCCESSFUL) {
        std::fprintf(stderr, "range %d..%d: outcome %d, last frame %d\n", r.From, r.To, sink.Notes[0].Outcome,
                     FrameNumberOf(panel.Frame()));
        return false;
    }
    late.Add(done - endShown);
    // Against the range's length in real time from its first picture.
    lateNominal.Add(done - (firstShown + (r.To - r.From) * 40.0));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    const int ranges = argc > 1 ? std::atoi(argv[1]) : 50;
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
    pool->AttachDisplay(&panel, false);

    std::mt19937 rng(20261209);
    std::vector<TRange> list;
    for (int i = 0; i < ranges; ++i) {
        const int length = std::uniform_int_distribution<int>(38, 150)(rng);
        const int from = std::uniform_int_distribution<int>(0, pool->FilmLength - length - 1)(rng);
        TRange r{from, from + length, from + length};
        // A range is cut at the end of its part; the completion comes there,
        // after the part's last picture (which may start just before the end).
        const int k = pool->PartOf(from);
        if (r.To >= pool->PartStart[k + 1]) {
            r.To = pool->PartStart[k + 1];
            r.LastFrame = r.To - 1;
        }
        list.push_back(r);
    }

    // ---- 1. line playback through the pool, then on a bare player
    TStats poolFirst, poolLate, peerFirst, peerLate, poolNominal, peerNominal;
    int failures = 0;
    for (const TRange& r : list) {
        if (!Measure(panel, sink, r, [&] { pool->PlayFilm(r.From, r.To, false, &sink, false); }, poolFirst, poolLate, poolNominal))
            ++failures;
    }
    pool->DetachDisplay();

    std::vector<std::unique_ptr<TMCIPlayer>> bare(4);
    for (int k = 1; k <= 3; ++k) {
        bare[k] = std::make_unique<TMCIPlayer>();
        bare[k]->Open(film.Folder + "/" + film.Names[k - 1], nullptr, ooFilmUnits);
    }
    int shownPart = 0;
    for (const TRange& r : list) {
        const int k = pool->PartOf(r.From);
        if (k != shownPart) {
            if (shownPart) bare[shownPart]->SetDisplayWindow(nullptr);
            bare[k]->SetDisplayWindow(&panel);
            bare[k]->PutDestination({0, 0, panel.width(), panel.height()});
            shownPart = k;
        }
        const int base = pool->PartStart[k];
        if (!Measure(panel, sink, r, [&] { bare[k]->Play(r.From - base, r.To - base, false, &sink); }, peerFirst,
                     peerLate, peerNominal))
            ++failures;
    }
    bare.clear();

    std::printf("\nline playback, %d ranges of 1.5 to 6 s (MovieSingle on)\n", ranges);
    std::printf("  call to first frame   pool: median %6.1f ms  p90 %6.1f  max %6.1f   bare player: median %6.1f ms"
                "   ratio %.2f   (target median < 50 ms)\n",
                poolFirst.Median(), poolFirst.Pct(0.9), poolFirst.Max(), peerFirst.Median(),
                peerFirst.Median() > 0 ? poolFirst.Median() / peerFirst.Median() : 0.0);
    std::printf("  completion after the last frame shown  pool: median %6.1f ms  p90 %6.1f  max %6.1f   bare player: median %6.1f ms"
                "   ratio %.2f   (target < 40 ms)\n",
                poolLate.Median(), poolLate.Pct(0.9), poolLate.Max(), peerLate.Median(),
                peerLate.Median() > 0 ? poolLate.Median() / peerLate.Median() : 0.0);
    std::printf("  completion after first frame + range length   pool: median %6.1f ms  p90 %6.1f  max %6.1f"
                "   bare player: median %6.1f ms  p90 %6.1f\n",
                poolNominal.Median(), poolNominal.Pct(0.9), poolNominal.Max(), peerNominal.Median(),
                peerNominal.Pct(0.9));

    // ---- 2. the seams during PlayFilm(-1, -1), one player only and all open
    for (bool single : {true, false}) {
        settings.MovieSingle = single;
        pool = std::make_unique<TForm_Movie>(settings);
        pool->AttachDisplay(&panel, false);
        TStats seam, steady;
        int last = -1;
        double lastAt = 0;
        pool->SeekFilm(pool->PartStart[2] - 50); // two seconds before the first seam
        pool->PlayFilm(-1, -1, false, &sink, false);
        sink.Notes.clear();
        size_t reported = 0;
        const bool ok = Await([&] {
            const int n = FrameNumberOf(panel.Frame());
            if (n != last && n >= 0) {
                const double now = NowMs();
                if (last >= 0) {
                    const bool crossed = (last < pool->PartStart[2] && n >= pool->PartStart[2]) ||
                                         (last < pool->PartStart[3] && n >= pool->PartStart[3]);
                    if (crossed) seam.Add(now - lastAt);
                    else if (n == last + 1) steady.Add(now - lastAt);
                }
                last = n;
                lastAt = now;
            }
            // Skip the middle of part 2: on to two seconds before the second seam.
            if (pool->CurrentPart == 2 && n >= 0 && n < pool->PartStart[3] - 60 && n > pool->PartStart[2] + 50) {
                pool->SeekFilm(pool->PartStart[3] - 50);
                pool->PlayFilm(-1, -1, false, &sink, false);
                last = -1;
            }
            for (const auto& note : sink.Notes) reported += note.Outcome == MCI_NOTIFY_SUCCESSFUL ? 1 : 0;
            sink.Notes.clear();
            return pool->CurrentPart == 3 && n > pool->PartStart[3] + 25;
        });
        pool->StopFilm();
        std::printf("\npart seam during PlayFilm(-1, -1), MovieSingle %s: %s\n", single ? "on" : "off",
                    ok ? "" : "(did not reach part 3)");
        for (double s : seam.v)
            std::printf("  last frame to next part's first frame %6.1f ms  (gap beyond one frame period %6.1f ms)\n", s,
                        s - 40.0);
        std::printf("  frame interval inside a part: median %6.1f ms   seam ratio %.2f   (target gap < 40 ms)\n",
                    steady.Median(), steady.Median() > 0 && !seam.v.empty() ? seam.Max() / steady.Median() : 0.0);
        std::printf("  completions reported to the caller: %zu (expected 0)\n", reported);
        pool.reset();
    }
    if (failures) std::printf("\n%d measurements failed\n", failures);
    return failures ? 1 : 0;
}
