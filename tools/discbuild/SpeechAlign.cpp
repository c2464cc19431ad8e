#include "SpeechAlign.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace discbuild {

namespace {

struct TRate {
    double Value;
    const char* Text;
};
// Steady drifts between the usual frame rates (a film sped up to 25 frames a
// second for television, or slowed for the cinema), either way.
const TRate kRates[] = {
    {1.0, "1"},
    {25 / 23.976, "25/23.976"}, {23.976 / 25, "23.976/25"},
    {24 / 23.976, "24/23.976"}, {23.976 / 24, "23.976/24"},
    {25.0 / 24, "25/24"},       {24.0 / 25, "24/25"},
};

// Speech probability less its mean, integrated over film time (in frames),
// with the time outside the film counted as silence. The score of a cue is
// the integral over its time: positive where it covers more speech than usual.
class TScorer {
public:
    explicit TScorer(const TSpeechTrack& speech) : P(speech.Speech), Q(P.size() + 1, 0.0) {
        double sum = 0;
        for (float p : P) sum += p;
        Mean = P.empty() ? 0 : sum / P.size();
        for (size_t t = 0; t < P.size(); ++t) Q[t + 1] = Q[t] + (P[t] - Mean);
    }
    // Integral from frame 0 to frame position x (may be fractional or outside).
    double At(double x) const {
        const double n = double(P.size());
        if (x <= 0) return -Mean * x;
        if (x >= n) return Q.back() - Mean * (x - n);
        const size_t k = size_t(x);
        return Q[k] + (x - k) * (P[k] - Mean);
    }
    double Range(double aMs, double bMs) const { return bMs > aMs ? At(bMs / kSpeechFrameMs) - At(aMs / kSpeechFrameMs) : 0; }
    double Mean = 0;

private:
    const std::vector<float>& P;
    std::vector<double> Q;
};

struct TSpan {
    double Start, End; // ms
    double Lead = 0;   // the cue's opening part, counted again (ms)
    double Before = 0; // the quiet expected before it (ms)
};

bool Spoken(const TSubtitleCue& c) {
    return !c.Sound && c.EndMs > c.StartMs && c.Text.find_first_not_of(" \t") != std::string::npos;
}

double Score(const TScorer& s, const std::vector<TSpan>& spans, double rate, double offsetMs) {
    double total = 0;
    for (const TSpan& c : spans) {
        const double a = c.Start * rate + offsetMs, b = c.End * rate + offsetMs;
        total += s.Range(a, b) + 2 * s.Range(a, a + c.Lead) - s.Range(a - c.Before, a);
    }
    return total;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    const size_t k = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + k, v.end());
    return v[k];
}

// Mean speech inside the spans less the mean outside them.
double Contrast(const TSpeechTrack& speech, const std::vector<TSpan>& spans) {
    const size_t n = speech.Speech.size();
    if (!n) return 0;
    std::vector<char> inside(n, 0);
    for (const TSpan& c : spans) {
        const long a = std::max(0L, std::lround(c.Start / kSpeechFrameMs));
        const long b = std::min(long(n), std::lround(c.End / kSpeechFrameMs));
        for (long t = a; t < b; ++t) inside[size_t(t)] = 1;
    }
    double in = 0, out = 0;
    size_t nin = 0;
    for (size_t t = 0; t < n; ++t) {
        if (inside[t]) {
            in += speech.Speech[t];
            ++nin;
        } else {
            out += speech.Speech[t];
        }
    }
    if (nin == 0 || nin == n) return 0;
    return in / nin - out / (n - nin);
}

// Subtitles start with the voice but stay on a while after it (for reading),
// so a cue's opening counts more than its end, and speech just before a cue
// that follows a pause counts against the fit. Without this, cues held on
// after the voice would fit equally well anywhere up to their hold earlier.
void SetWeights(std::vector<TSpan>& spans) {
    for (size_t i = 0; i < spans.size(); ++i) {
        spans[i].Lead = std::min(400.0, spans[i].End - spans[i].Start);
        spans[i].Before = i ? std::clamp(spans[i].Start - spans[i - 1].End, 0.0, 250.0) : 250.0;
    }
}

std::vector<TSpan> SpokenSpans(const std::vector<TSubtitleCue>& cues) {
    std::vector<TSpan> spans;
    for (const TSubtitleCue& c : cues)
        if (Spoken(c)) spans.push_back({double(c.StartMs), double(c.EndMs)});
    SetWeights(spans);
    return spans;
}

std::string Seconds(double ms) {
    char b[32];
    std::snprintf(b, sizeof b, "%+.2f s", ms / 1000);
    return b;
}

} // namespace

double SpeechFitScore(const std::vector<TSubtitleCue>& cues, const TSpeechTrack& speech) {
    return Contrast(speech, SpokenSpans(cues));
}

TAlignment AlignCues(const std::vector<TSubtitleCue>& cues, const TSpeechTrack& speech, const TAlignOptions& options) {
    TAlignment result;
    result.Cues = cues;
    const std::vector<TSpan> spans = SpokenSpans(cues);
    result.ScoreBefore = result.ScoreAfter = Contrast(speech, spans);
    auto keep = [&](const std::string& why) {
        result.Report = "times kept: " + why;
        return result;
    };
    if (cues.empty()) return keep("there are no subtitles");
    if (spans.size() < 3) return keep("too few spoken subtitles to fit them to the speech");
    if (speech.SpeechFraction() < 0.02)
        return keep("the fit to the speech is not confident (little speech found in the film's sound)");

    const TScorer scorer(speech);

    // The whole file: every rate, offsets in 50 ms steps, then the best few
    // peaks of each rate in 5 ms steps around them.
    constexpr int kCoarseMs = 50, kFineMs = 5;
    const int steps = std::max(1, options.SearchMs / kCoarseMs);
    struct TCandidate {
        size_t Rate;
        double Offset, Score;
    };
    std::vector<TCandidate> candidates;
    std::vector<double> curve(size_t(2 * steps + 1));
    for (size_t r = 0; r < std::size(kRates); ++r) {
        for (int k = -steps; k <= steps; ++k)
            curve[size_t(k + steps)] = Score(scorer, spans, kRates[r].Value, double(k) * kCoarseMs);
        std::vector<int> peaks;
        for (int k = 0; k <= 2 * steps; ++k) {
            const double v = curve[size_t(k)];
            if ((k == 0 || v >= curve[size_t(k - 1)]) && (k == 2 * steps || v > curve[size_t(k + 1)])) peaks.push_back(k);
        }
        std::sort(peaks.begin(), peaks.end(), [&](int x, int y) { return curve[size_t(x)] > curve[size_t(y)]; });
        if (peaks.size() > 3) peaks.resize(3);
        for (int k : peaks) {
            TCandidate c{r, 0, -1e300};
            const double centre = double(k - steps) * kCoarseMs;
            for (double o = centre - kCoarseMs; o <= centre + kCoarseMs; o += kFineMs) {
                const double v = Score(scorer, spans, kRates[r].Value, o);
                if (v > c.Score) c = {r, o, v};
            }
            candidates.push_back(c);
        }
    }
    std::sort(candidates.begin(), candidates.end(), [](const TCandidate& x, const TCandidate& y) { return x.Score > y.Score; });
    // The best few, and the best without a rate change.
    std::vector<TCandidate> tried;
    for (const TCandidate& c : candidates)
        if (tried.size() < 6 || (c.Rate == 0 && std::none_of(tried.begin(), tried.end(), [](const TCandidate& t) { return t.Rate == 0; })))
            tried.push_back(c);

    // Each candidate with its stretches between long pauses moved on their
    // own where that fits clearly better, never into their neighbours.
    const size_t n = cues.size();
    struct TPlan {
        size_t Rate = 0;
        double Offset = 0, Score = -1e300;
        std::vector<double> Start, End;
        std::vector<char> OwnMove; // the cue's stretch was moved on its own
        int Stretches = 0, Moved = 0;
    };
    auto makePlan = [&](const TCandidate& c) {
        TPlan p;
        p.Rate = c.Rate;
        p.Offset = c.Rate == 0 && std::abs(c.Offset) < 100 ? 0 : c.Offset; // within what the speech can tell
        const double rate = kRates[c.Rate].Value;
        p.Start.resize(n);
        p.End.resize(n);
        p.OwnMove.assign(n, 0);
        for (size_t i = 0; i < n; ++i) {
            p.Start[i] = cues[i].StartMs * rate + p.Offset;
            p.End[i] = cues[i].EndMs * rate + p.Offset;
        }
        std::vector<size_t> first{0};
        double reach = p.End[0];
        for (size_t i = 1; i < n; ++i) {
            if (p.Start[i] - reach >= options.StretchGapMs) first.push_back(i);
            reach = std::max(reach, p.End[i]);
        }
        first.push_back(n);
        p.Stretches = int(first.size() - 1);
        double previousEnd = -1e300;
        for (size_t s = 0; s + 1 < first.size(); ++s) {
            const size_t a = first[s], b = first[s + 1];
            double sStart = p.Start[a], sEnd = p.End[a];
            std::vector<TSpan> own;
            double ownMs = 0;
            for (size_t i = a; i < b; ++i) {
                sEnd = std::max(sEnd, p.End[i]);
                sStart = std::min(sStart, p.Start[i]);
                if (Spoken(cues[i])) {
                    own.push_back({p.Start[i], p.End[i]});
                    ownMs += p.End[i] - p.Start[i];
                }
            }
            SetWeights(own);
            const double nextStart = b < n ? p.Start[b] : 1e300;
            double moved = 0;
            if (own.size() >= 2 && ownMs >= 2000 && p.Stretches > 1) {
                const double lo = std::max<double>(-options.StretchSearchMs, previousEnd + 200 - sStart);
                const double hi = std::min<double>(options.StretchSearchMs, nextStart - 200 - sEnd);
                const double base = Score(scorer, own, 1, 0);
                double top = base, at = 0;
                for (double d = std::ceil(lo / 10) * 10; d <= hi; d += 10) {
                    const double v = Score(scorer, own, 1, d);
                    if (v > top) {
                        top = v;
                        at = d;
                    }
                }
                // A clear gain: the speech probability inside its cues rises
                // by at least 0.08 on average.
                if (std::abs(at) >= 100 && top - base >= 0.08 * ownMs / kSpeechFrameMs) moved = at;
            }
            if (moved != 0) {
                ++p.Moved;
                for (size_t i = a; i < b; ++i) {
                    p.Start[i] += moved;
                    p.End[i] += moved;
                    p.OwnMove[i] = 1;
                }
                sEnd += moved;
            }
            previousEnd = std::max(previousEnd, sEnd);
        }
        // The whole file's offset again from the stretches that kept it
        // alone (the moved ones pulled it their way), never into a moved one.
        if (p.Moved > 0) {
            std::vector<TSpan> kept;
            double lo = -150, hi = 150;
            for (size_t i = 0; i < n; ++i) {
                if (p.OwnMove[i]) continue;
                if (Spoken(cues[i])) kept.push_back({p.Start[i], p.End[i]});
                if (i > 0 && p.OwnMove[i - 1]) lo = std::max(lo, p.End[i - 1] + 200 - p.Start[i]);
                if (i + 1 < n && p.OwnMove[i + 1]) hi = std::min(hi, p.Start[i + 1] - 200 - p.End[i]);
            }
            SetWeights(kept);
            double top = Score(scorer, kept, 1, 0), at = 0;
            for (double d = std::ceil(lo / 5) * 5; d <= hi && kept.size() >= 2; d += 5) {
                const double v = Score(scorer, kept, 1, d);
                if (v > top) {
                    top = v;
                    at = d;
                }
            }
            if (at != 0) {
                for (size_t i = 0; i < n; ++i)
                    if (!p.OwnMove[i]) {
                        p.Start[i] += at;
                        p.End[i] += at;
                    }
                p.Offset += at;
            }
        }
        std::vector<TSpan> final;
        for (size_t i = 0; i < n; ++i)
            if (Spoken(cues[i])) final.push_back({p.Start[i], p.End[i]});
        SetWeights(final);
        p.Score = Score(scorer, final, 1, 0);
        return p;
    };
    std::vector<TPlan> plans;
    for (const TCandidate& c : tried) plans.push_back(makePlan(c));
    // The best fit, or one nearly as good with fewer changes: no rate change
    // and fewer stretches moved on their own (over a short film, rates near 1
    // cannot be told apart).
    size_t chosen = 0;
    for (size_t k = 1; k < plans.size(); ++k)
        if (plans[k].Score > plans[chosen].Score) chosen = k;
    const double bestScore = plans[chosen].Score;
    auto changes = [](const TPlan& p) { return p.Moved + (p.Rate != 0 ? 1 : 0); };
    for (size_t k = 0; k < plans.size(); ++k)
        if (plans[k].Score >= bestScore - 0.01 * std::abs(bestScore) &&
            (changes(plans[k]) < changes(plans[chosen]) ||
             (changes(plans[k]) == changes(plans[chosen]) && plans[k].Score > plans[chosen].Score)))
            chosen = k;
    TPlan& plan = plans[chosen];

    // Confidence: the fitted cues must hold clearly more speech than the
    // same cues laid at unrelated places of the film (shifted round it), and
    // no different fit may be nearly as good.
    std::vector<TSpan> fitted;
    for (size_t i = 0; i < n; ++i)
        if (Spoken(cues[i])) fitted.push_back({plan.Start[i], plan.End[i]});
    const double contrast = Contrast(speech, fitted);
    std::vector<double> chance;
    const double filmMs = speech.DurationMs;
    for (int k = 1; k < 32; ++k) {
        const double d = filmMs * k / 32;
        if (std::min(d, filmMs - d) < 10000) continue;
        std::vector<TSpan> moved;
        for (const TSpan& c : fitted) {
            const double a = std::fmod(std::max(0.0, c.Start) + d, filmMs), len = c.End - c.Start;
            if (a + len <= filmMs) {
                moved.push_back({a, a + len});
            } else {
                moved.push_back({a, filmMs});
                moved.push_back({0, a + len - filmMs});
            }
        }
        chance.push_back(Contrast(speech, moved));
    }
    // Median and spread from the median absolute deviation: a film that
    // repeats itself (a song, a recap) may fit a few of those places too.
    const double chanceMedian = Median(chance);
    std::vector<double> deviation;
    for (double v : chance) deviation.push_back(std::abs(v - chanceMedian));
    const double chanceSpread = 1.4826 * Median(deviation);
    if (chance.size() < 4 || contrast < 0.15 || contrast - chanceMedian < std::max(0.1, 5 * chanceSpread))
        return keep("the fit to the speech is not confident (no clear best fit)");
    for (const TPlan& other : plans) {
        if (&other == &plan || other.Score < 0.95 * plan.Score) continue;
        std::vector<double> apart;
        for (size_t i = 0; i < n; ++i) apart.push_back(std::abs(other.Start[i] - plan.Start[i]));
        if (Median(apart) > 500) return keep("the fit to the speech is not confident (two fits are nearly as good)");
    }
    result.Confident = true;
    result.Rate = kRates[plan.Rate].Value;
    result.RateText = kRates[plan.Rate].Text;
    result.OffsetMs = int(std::lround(plan.Offset));
    result.Stretches = plan.Stretches;
    result.StretchesMoved = plan.Moved;
    const double offset = plan.Offset;
    const std::vector<double>& start = plan.Start;
    const std::vector<double>& end = plan.End;

    if (offset == 0 && plan.Rate == 0 && result.StretchesMoved == 0) {
        result.Report = "times kept: they already fit the speech";
        return result;
    }

    // Whole milliseconds, never before the film's start, in order, never overlapping.
    for (size_t i = 0; i < n; ++i) {
        TSubtitleCue& c = result.Cues[i];
        c.StartMs = int(std::lround(std::max(0.0, start[i])));
        c.EndMs = int(std::lround(std::max(0.0, end[i])));
        if (i > 0) c.StartMs = std::max(c.StartMs, result.Cues[i - 1].StartMs);
        if (c.EndMs <= c.StartMs) c.EndMs = c.StartMs + 1;
    }
    for (size_t i = 0; i + 1 < n; ++i)
        result.Cues[i].EndMs = std::max(result.Cues[i].StartMs, std::min(result.Cues[i].EndMs, result.Cues[i + 1].StartMs));
    for (size_t i = 0; i < n && !result.Changed; ++i)
        result.Changed = result.Cues[i].StartMs != cues[i].StartMs || result.Cues[i].EndMs != cues[i].EndMs;
    result.ScoreAfter = SpeechFitScore(result.Cues, speech);

    if (!result.Changed) {
        result.Report = "times kept: they already fit the speech";
        return result;
    }
    result.Report = "moved " + Seconds(result.OffsetMs);
    if (plan.Rate != 0) result.Report += ", rate " + result.RateText;
    if (result.StretchesMoved)
        result.Report += " (" + std::to_string(result.StretchesMoved) +
                         (result.StretchesMoved == 1 ? " stretch" : " stretches") + " adjusted)";
    return result;
}

} // namespace discbuild
