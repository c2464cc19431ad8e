// Click to card: every word of the demo disc's lines clicked in a caption laid
// out as the screenplay viewer's, and the time until the word card is filled
// and drawn (the character under the point, the word around it, the look-up
// in the French-English FreeDict with dictionary forms, the film's other
// lines with the word, the card's layout and painting). The peer builds the
// same cards with the word found by a linear scan of the same .index,
// measured in the same run.
#include "components/WordCard.h"
#include "content/OurUtils.h"
#include "content/TargetIndex.h"
#include "content/UnicodeText.h"
#include "lookup/CourseLookup.h"
#include "lookup/DictdIndex.h"
#include "lookup/WordCardText.h"
#include "toolkit/Label.h"

#include <QApplication>
#include <QPixmap>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace tav;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

struct TClick {
    const TMovieEntry* Line;
    QPoint At;
};

// The peer's look-up: every line of the index compared with the key (a
// headword may have several lines).
size_t LinearScan(const std::string& index, const std::string& key) {
    size_t hits = 0;
    for (size_t p = 0; p < index.size();) {
        size_t end = index.find('\n', p);
        if (end == std::string::npos) end = index.size();
        const size_t tab = index.find('\t', p);
        if (tab < end && index.compare(p, tab - p, key) == 0) ++hits;
        p = end + 1;
    }
    return hits;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const char* env = std::getenv("TAVOLIN_FIXTURE_DISC");
    const std::string disc = env && *env ? env : TAVOLIN_BUILT_FIXTURE_DISC;
    SetTextLanguage("fr");
    TTargetIndex film;
    try {
        film.LoadMovieIndex(disc + "/French/movieinf.txt");
    } catch (const EProgramError& e) {
        std::printf("wordcard_bench: %s\n", e.what());
        return 1;
    }

    // The caption as the viewer draws it.
    QWidget scene;
    scene.resize(800, 600);
    auto* caption = new TfcLabel(&scene);
    caption->setGeometry(20, 359, 760, 58);
    caption->SetLabelFont(PixelFont("Arial Black", 21));
    caption->SetAlignment(Qt::AlignHCenter | Qt::AlignTop);
    caption->SetWordWrap(true);
    auto* card = new TWordCard(&scene);

    // Where each word of each line is: found before the clock runs.
    std::vector<TClick> clicks;
    for (const TMovieEntry& e : film.MovieEntries) {
        if (e.LineText.empty()) continue;
        caption->SetCaption(e.LineText);
        size_t lastWord = std::string::npos;
        for (int y = 8; y < 58; y += 25)
            for (int x = 0; x < 760; x += 3) {
                std::string shown;
                size_t at = 0;
                if (!caption->CharacterAt({x, y}, shown, at)) continue;
                for (const TWordSpan& w : BreakWords(shown))
                    if (w.Begin <= at && at < w.End && w.Begin != lastWord) {
                        lastWord = w.Begin;
                        clicks.push_back({&e, {x, y}});
                    }
            }
    }

    std::string noDictionary;
    const auto t0 = Clock::now();
    TWordLookup& lookup = CourseLookup("fr", "en", noDictionary);
    const double openMs = Ms(t0, Clock::now());
    if (!lookup.IsOpen()) {
        std::printf("wordcard_bench: %s\n", noDictionary.c_str());
        return 1;
    }
    lookup.Lookup("maisons"); // Hunspell's dictionary loads at the first inflected word

    std::vector<double> times, lookups;
    size_t found = 0;
    for (int round = 0; round < 3; ++round)
        for (const TClick& c : clicks) {
            caption->SetCaption(c.Line->LineText);
            const auto start = Clock::now();
            std::string shown;
            size_t at = 0;
            caption->CharacterAt(c.At, shown, at);
            TWordLookup& lk = CourseLookup("fr", "en", noDictionary);
            const auto span = lk.WordAt(shown, at);
            if (!span) continue;
            const auto lookupStart = Clock::now();
            const TWordLookupResult r = lk.Lookup(shown.substr(span->Begin, span->End - span->Begin));
            lookups.push_back(Ms(lookupStart, Clock::now()));
            const TWordCardText text = WordCardTextOf(r.Word, &r, noDictionary);
            std::vector<std::string> others;
            for (const TMovieEntry* e : OtherLinesWith(film.MovieEntries, text, c.Line)) others.push_back(e->LineText);
            card->SetCard(text, others, true);
            const QPixmap drawn = card->grab();
            times.push_back(Ms(start, Clock::now()));
            if (!round) found += r.Found();
        }

    // The peer: the same words, the index scanned line by line.
    const TDictionaryPair pair = FindDictionaryPair("fr", "en");
    std::ifstream in(pair.IndexFile, std::ios::binary);
    const std::string index((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<double> scans;
    size_t scanHits = 0;
    for (const TClick& c : clicks) {
        caption->SetCaption(c.Line->LineText);
        std::string shown;
        size_t at = 0;
        caption->CharacterAt(c.At, shown, at);
        const auto span = lookup.WordAt(shown, at);
        if (!span) continue;
        const auto start = Clock::now();
        scanHits += LinearScan(index, DictdKey(shown.substr(span->Begin, span->End - span->Begin)));
        scans.push_back(Ms(start, Clock::now()));
    }

    const double median = Percentile(times, 0.5), scan = Percentile(scans, 0.5);
    std::printf("click to card on the demo disc: %zu words clicked in %zu lines, %zu with an entry\n", clicks.size(),
                film.MovieEntries.size(), found);
    std::printf("opening the course's dictionary: %.2f ms (target <= 50 ms)\n", openMs);
    std::printf("click to card: median %.3f ms, 90th percentile %.3f ms (target median <= 10 ms)\n", median,
                Percentile(times, 0.9));
    std::printf("peer, the word alone by a linear scan of the .index: median %.3f ms (%zu index lines matched)\n", scan, scanHits);
    const double look = Percentile(lookups, 0.5);
    std::printf("of which the look-up (index search, entries, dictionary forms): median %.4f ms\n", look);
    std::printf("ratio: peer's scan / the card's look-up = %.1fx\n", look > 0 ? scan / look : 0.0);
    return 0;
}
