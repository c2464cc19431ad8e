// The movie index's hot paths: loading a large movieinf.txt, and EntryAt
// walked over the whole film at caption-timer steps (100 ms = 2.5 film units).
// The peer for the look-up is a binary search over the same entries, which is
// what a cursor-less index would do on every tick.
#include "content/OurUtils.h"
#include "content/TargetIndex.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

using namespace tav;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// 20,000 lines of 2 to 4 seconds with gaps of 0 to 1 second between them.
std::string WriteMovieIndex(const std::string& file, int lines) {
    std::ofstream out(file, std::ios::binary);
    int thirtieths = 30;
    for (int i = 1; i <= lines; ++i) {
        const int start = thirtieths;
        const int end = start + 60 + (i * 7) % 60;
        auto tc = [](int t) {
            return Format("%02d:%02d:%02d:%02d", t / 108000, (t / 1800) % 60, (t / 30) % 60, t % 30);
        };
        out << i << '|' << tc(start) << '|' << tc(end) << "|Line number " << i << " of the film, spoken here.|SPEAKER"
            << (i % 7) << '|' << (i % 3 == 0) << "|1|0|0\r\n";
        thirtieths = end + (i * 13) % 31;
    }
    return file;
}

} // namespace

int main() {
    QTemporaryDir dir;
    const std::string file = WriteMovieIndex(dir.path().toStdString() + "/movieinf.txt", 20000);

    TTargetIndex index;
    const int loads = 20;
    auto t0 = Clock::now();
    for (int i = 0; i < loads; ++i) index.LoadMovieIndex(file);
    auto t1 = Clock::now();
    const double loadMs = Seconds(t0, t1) * 1000 / loads;

    const auto& entries = index.MovieEntries;
    const int filmEnd = entries.back().EndFrame + 25;
    // Positions at 100 ms steps: 2.5 units, so alternate steps of 2 and 3.
    std::vector<int> positions;
    for (int p = 0, k = 0; p < filmEnd; p += (k++ % 2) ? 3 : 2) positions.push_back(p);

    const int rounds = 20;
    long long found = 0;
    t0 = Clock::now();
    for (int r = 0; r < rounds; ++r)
        for (int p : positions) found += index.EntryAt(p) != nullptr;
    t1 = Clock::now();
    const double cursorNs = Seconds(t0, t1) * 1e9 / (double(rounds) * positions.size());

    long long peerFound = 0;
    t0 = Clock::now();
    for (int r = 0; r < rounds; ++r)
        for (int p : positions) {
            auto it = std::upper_bound(entries.begin(), entries.end(), p,
                                       [](int pos, const TMovieEntry& e) { return pos < e.StartFrame; });
            if (it != entries.begin() && p < std::prev(it)->EndFrame) ++peerFound;
        }
    t1 = Clock::now();
    const double peerNs = Seconds(t0, t1) * 1e9 / (double(rounds) * positions.size());

    std::printf("movieinf.txt of %zu entries: load %.2f ms (target < 50 ms)\n", entries.size(), loadMs);
    std::printf("EntryAt sequential at 100 ms steps: %.1f ns per call (target < 100 ns), %lld hits\n", cursorNs,
                found / rounds);
    std::printf("peer, binary search per call: %.1f ns per call, %lld hits\n", peerNs, peerFound / rounds);
    std::printf("ratio peer / cursor: %.2f\n", peerNs / cursorNs);
    return found == peerFound ? 0 : 1;
}
