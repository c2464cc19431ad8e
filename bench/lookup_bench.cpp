// Word look-up in the installed French-English FreeDict dictionary: opening
// it, the median look-up of 200 words of the demo disc's lines, and the memory
// an open dictionary adds (resident set before and after). The peer is a
// plain linear scan of the same .index, measured in the same run.
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "lookup/WordLookup.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

using namespace tav;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Resident set size in KiB (Linux).
long RssKiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

// The words of the film's lines in line order (the demo disc is short: its
// words are taken again from the start until there are count of them).
std::vector<std::string> DiscWords(const std::string& movieinf, size_t count, size_t& distinct) {
    std::vector<std::string> all;
    std::set<std::string> seen;
    for (const std::string& line : ReadContentLines(movieinf)) {
        std::vector<std::string> fields;
        size_t p = 0;
        for (size_t bar; (bar = line.find('|', p)) != std::string::npos; p = bar + 1) fields.push_back(line.substr(p, bar - p));
        if (fields.size() < 4) continue;
        const std::string& text = fields[3];
        for (const TWordSpan& w : BreakWords(text)) {
            all.push_back(text.substr(w.Begin, w.End - w.Begin));
            seen.insert(LowerText(all.back()));
        }
    }
    distinct = seen.size();
    std::vector<std::string> words;
    for (size_t i = 0; !all.empty() && words.size() < count; ++i) words.push_back(all[i % all.size()]);
    return words;
}

// The peer: every line of the index compared with the word's key.
size_t LinearScan(const std::string& index, const std::string& key) {
    size_t hits = 0;
    for (size_t p = 0; p < index.size();) {
        size_t end = index.find('\n', p);
        if (end == std::string::npos) end = index.size();
        const size_t tab = index.find('\t', p);
        const size_t h = (tab < end ? tab : end) - p;
        if ((index.compare(p, h, key) == 0) || (h == key.size() + 1 && index[p] == ' ' && index.compare(p + 1, h - 1, key) == 0)) ++hits;
        p = end + 1;
    }
    return hits;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const char* env = std::getenv("TAVOLIN_FIXTURE_DISC");
    const std::string disc = env && *env ? env : TAVOLIN_BUILT_FIXTURE_DISC;
    const TDictionaryPair pair = FindDictionaryPair("fr", "en");
    if (!pair.Installed) {
        std::printf("lookup_bench: %s\n", pair.Missing.c_str());
        return 1;
    }
    SetTextLanguage("fr");
    std::vector<std::string> words;
    size_t distinct = 0;
    try {
        words = DiscWords(disc + "/French/movieinf.txt", 200, distinct);
    } catch (const EProgramError& e) {
        std::printf("lookup_bench: %s\n", e.what());
        return 1;
    }
    LowerText("warm ICU up");

    // Opening: the dictionary alone, several times; its memory once, first.
    std::string error;
    const long rssBefore = RssKiB();
    auto t0 = Clock::now();
    auto dict = std::make_unique<TDictionary>();
    if (!dict->Open(pair.IndexFile, pair.DataFile, error)) {
        std::printf("lookup_bench: %s\n", error.c_str());
        return 1;
    }
    const double firstOpenMs = Ms(t0, Clock::now());
    const long rssOpen = RssKiB();
    std::vector<double> opens;
    for (int i = 0; i < 20; ++i) {
        TDictionary again;
        t0 = Clock::now();
        again.Open(pair.IndexFile, pair.DataFile, error);
        opens.push_back(Ms(t0, Clock::now()));
    }

    // Look-ups in the dictionary: a first pass (chunks inflated on demand), then warm.
    std::vector<double> cold, warm;
    size_t found = 0;
    for (int round = 0; round < 2; ++round)
        for (const std::string& w : words) {
            t0 = Clock::now();
            const auto entries = dict->Lookup(w, error);
            (round ? warm : cold).push_back(Ms(t0, Clock::now()));
            if (!round) found += !entries.empty();
        }
    const long rssLookups = RssKiB();

    // With dictionary forms (Hunspell) for the words without an entry.
    const long rssBeforeForms = RssKiB();
    t0 = Clock::now();
    TWordLookup lookup;
    lookup.Open("fr", "en", error);
    lookup.Lookup("maisons"); // loads Hunspell's dictionary
    const double formsOpenMs = Ms(t0, Clock::now());
    const long rssForms = RssKiB();
    std::vector<double> full;
    size_t fullFound = 0;
    for (const std::string& w : words) {
        t0 = Clock::now();
        fullFound += lookup.Lookup(w).Found();
        full.push_back(Ms(t0, Clock::now()));
    }

    // The peer: the index read into memory once, each word by a linear scan.
    std::ifstream in(pair.IndexFile, std::ios::binary);
    const std::string index((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<double> scans;
    size_t scanFound = 0;
    for (const std::string& w : words) {
        const std::string key = DictdKey(w);
        t0 = Clock::now();
        scanFound += LinearScan(index, key) > 0;
        scans.push_back(Ms(t0, Clock::now()));
    }
    std::vector<double> finds;
    TDictdIndex ix;
    ix.Open(pair.IndexFile, error);
    for (const std::string& w : words) {
        t0 = Clock::now();
        ix.Find(w);
        finds.push_back(Ms(t0, Clock::now()));
    }

    const double medianCold = Median(cold), medianWarm = Median(warm), medianScan = Median(scans), medianFind = Median(finds);
    std::printf("French-English FreeDict (%s, %zu bytes of index)\n", pair.Name.c_str(), index.size());
    std::printf("open: first %.2f ms, median of 20 %.3f ms (target <= 50 ms)\n", firstOpenMs, Median(opens));
    std::printf("memory added by the open dictionary: %ld KiB after opening, %ld KiB after %zu look-ups (target <= 10 MB)\n",
                rssOpen - rssBefore, rssLookups - rssBefore, words.size() * 2);
    std::printf("%zu words of the demo disc's lines (%zu distinct), %zu with an entry of their own, %zu with dictionary forms\n", words.size(),
                distinct, found, fullFound);
    std::printf("look-up (index, data, senses): median %.4f ms first pass, %.4f ms warm (target <= 10 ms)\n", medianCold, medianWarm);
    std::printf("look-up with dictionary forms (Hunspell): median %.4f ms; opening Hunspell's French dictionary %.1f ms, %ld KiB\n",
                Median(full), formsOpenMs, rssForms - rssBeforeForms);
    std::printf("index search alone: binary search median %.4f ms, peer linear scan median %.4f ms (%zu found)\n", medianFind, medianScan, scanFound);
    std::printf("ratio: linear scan / binary search = %.0fx\n", medianFind > 0 ? medianScan / medianFind : 0.0);

    // A large index for scale: German-English, when installed.
    const TDictionaryPair de = FindDictionaryPair("de", "en");
    if (de.Installed) {
        const long before = RssKiB();
        t0 = Clock::now();
        TDictionary big;
        big.Open(de.IndexFile, de.DataFile, error);
        const double openMs = Ms(t0, Clock::now());
        std::vector<double> times;
        SetTextLanguage("de");
        for (const char* w : {"haus", "gehen", "Häuser", "und", "Straße", "zeitung", "wasser", "kommen", "schön", "xyz"}) {
            t0 = Clock::now();
            big.Lookup(w, error);
            times.push_back(Ms(t0, Clock::now()));
        }
        std::printf("German-English (%s): open %.2f ms, median look-up of 10 words %.4f ms, %ld KiB added\n", de.Name.c_str(), openMs,
                    Median(times), RssKiB() - before);
    }
    return 0;
}
