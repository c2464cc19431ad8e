#include "Material.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <set>

#include "content/UnicodeText.h"

namespace discbuild {

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
std::string U8(const QString& s) { return s.toUtf8().toStdString(); }

bool HasBrackets(const std::string& t) {
    return t.find('[') != std::string::npos || t.find('(') != std::string::npos || t.find('#') != std::string::npos;
}

int WordCount(const std::string& t) { return int(WordsOf(t).size()); }

// Cut at a user-perceived character, never inside one.
std::string Shorten(const std::string& utf8, int maxChars) {
    const tav::TStringList chars = tav::Graphemes(utf8);
    if (int(chars.size()) <= maxChars) return utf8;
    std::string s;
    for (int i = 0; i < maxChars - 3; ++i) s += chars[size_t(i)];
    return U8(Q(s).trimmed()) + "...";
}

bool IsApostrophe(char32_t c) { return c == '\'' || c == 0x2019; }

bool EndsSentence(char32_t c) {
    return c == '.' || c == '!' || c == '?' || c == 0x2026 || c == '-' || c == 0x2014 || c == 0x3002 || c == 0xFF01 ||
           c == 0xFF1F || c == 0xFF0E;
}

// A word as written (case kept), and whether a sentence starts with it.
struct TRawWord {
    std::string Text;
    bool SentenceStart = false;
};

// The program's word breaking: ICU's word breaks in a language written
// without spaces (words holding no letter left out), else runs of letters
// and their marks with apostrophes inside them.
std::vector<TRawWord> RawWords(const std::string& utf8) {
    std::vector<TRawWord> words;
    bool sentenceStart = true;
    if (tav::TextLanguageWritesWithoutSpaces()) {
        const std::string text = tav::ValidUtf8(utf8);
        size_t last = 0;
        for (const tav::TWordSpan& w : tav::BreakWords(text)) {
            for (char32_t c : tav::CodePoints(text.substr(last, w.Begin - last)))
                if (EndsSentence(c)) sentenceStart = true;
            last = w.End;
            const std::string word = text.substr(w.Begin, w.End - w.Begin);
            bool letter = false;
            for (char32_t c : tav::CodePoints(word)) letter = letter || QChar::isLetter(c);
            if (!letter) continue;
            words.push_back({word, sentenceStart});
            sentenceStart = false;
        }
        return words;
    }
    std::u32string w;
    auto flush = [&] {
        while (!w.empty() && IsApostrophe(w.back())) w.pop_back();
        if (!w.empty()) {
            words.push_back({tav::Utf8FromCodePoints(w), sentenceStart});
            sentenceStart = false;
        }
        w.clear();
    };
    for (char32_t c : tav::CodePoints(utf8)) {
        if (QChar::isLetter(c) || (!w.empty() && QChar::isMark(c)) || (IsApostrophe(c) && !w.empty())) {
            w += c;
            continue;
        }
        flush();
        if (EndsSentence(c)) sentenceStart = true;
    }
    flush();
    return words;
}

// How long a word counts for the length limits below: its user-perceived
// characters, those of the wide East Asian scripts (a Han character, a kana,
// a Hangul syllable) counting two, as they carry about as much as two letters.
int WordLength(const std::string& word) {
    int n = 0;
    for (const std::string& g : tav::Graphemes(word)) {
        const char32_t c = tav::CodePointAt(g, 0);
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
                          (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0x20000 && c <= 0x3FFFD);
        n += wide ? 2 : 1;
    }
    return n;
}

} // namespace

std::vector<TFilmLine> MakeLines(const std::vector<TSubtitleCue>& cues) {
    std::vector<TFilmLine> lines;
    int lastEnd = 0;
    for (const TSubtitleCue& c : cues) {
        TFilmLine l;
        l.StartUnits = std::max(c.StartMs / kUnitMs, lastEnd);
        l.EndUnits = (c.EndMs + kUnitMs - 1) / kUnitMs;
        if (l.EndUnits <= l.StartUnits) continue; // nothing left of it after the one before
        l.Number = int(lines.size()) + 1;
        l.Text = c.Text;
        l.Speaker = c.Speaker;
        l.Sound = c.Sound;
        if (!lines.empty()) {
            const TFilmLine& prev = lines.back();
            l.SameSpeaker = l.Speaker.empty() ? !c.NewTurn && prev.Speaker.empty() && !prev.Sound && !l.Sound
                                              : l.Speaker == prev.Speaker;
        }
        const int units = l.EndUnits - l.StartUnits;
        l.ForActivities = !l.Sound && units >= 20 && units <= 200 && WordCount(l.Text) >= 3 && !HasBrackets(l.Text);
        lastEnd = l.EndUnits;
        lines.push_back(std::move(l));
    }
    return lines;
}

std::vector<std::string> WordsOf(const std::string& utf8) {
    std::vector<std::string> words;
    for (const TRawWord& w : RawWords(utf8)) words.push_back(tav::LowerText(w.Text));
    return words;
}

std::vector<TWordCount> WordFrequencies(const std::vector<TFilmLine>& lines) {
    std::set<std::string> names;
    for (const TFilmLine& l : lines)
        for (const std::string& w : WordsOf(l.Speaker)) names.insert(w);
    // Words seen in lower case, and words seen with a capital inside a sentence.
    std::set<std::string> lower, capitalInside;
    for (const TFilmLine& l : lines) {
        if (l.Sound) continue;
        for (const TRawWord& w : RawWords(l.Text)) {
            const std::string key = tav::LowerText(w.Text);
            // A script without case (kana, Han, Hangul) has no capitals: every word is "lower case".
            const char32_t first = tav::CodePointAt(w.Text, 0);
            if (!QChar::isUpper(first) && !QChar::isTitleCase(first)) lower.insert(key);
            else if (!w.SentenceStart) capitalInside.insert(key);
        }
    }
    std::vector<TWordCount> out;
    std::map<std::string, size_t> at;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].Sound) continue;
        for (const std::string& w : WordsOf(lines[i].Text)) {
            if (WordLength(w) < 2 || names.count(w) || (capitalInside.count(w) && !lower.count(w))) continue;
            auto [it, fresh] = at.emplace(w, out.size());
            if (fresh) out.push_back({w, 0, int(i)});
            ++out[it->second].Count;
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const TWordCount& a, const TWordCount& b) { return a.Count > b.Count; });
    return out;
}

std::vector<std::string> WrongWordRows(const std::vector<TWordCount>& words, size_t maxWords) {
    std::vector<std::string> rows;
    std::string row;
    int inRow = 0;
    size_t used = 0;
    for (const TWordCount& w : words) {
        if (WordLength(w.Word) < 4 || used >= maxWords) continue;
        row += (inRow ? "|" : "") + w.Word;
        ++used;
        if (++inRow == 5) {
            rows.push_back(row);
            row.clear();
            inRow = 0;
        }
    }
    if (!row.empty()) rows.push_back(row);
    return rows;
}

std::vector<std::string> SearchCandidates(const std::vector<TWordCount>& words, size_t maxWords) {
    const int least = words.size() > 300 ? 2 : 1;
    std::vector<std::string> out;
    for (const TWordCount& w : words)
        if (w.Count >= least && WordLength(w.Word) >= 3 && out.size() < maxWords) out.push_back(w.Word);
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        return Q(a).localeAwareCompare(Q(b)) < 0;
    });
    return out;
}

std::vector<TWordCount> DictionaryChoice(const std::vector<TWordCount>& words, const std::vector<std::string>& pictured,
                                         size_t count) {
    std::vector<TWordCount> out;
    std::set<std::string> taken;
    for (const TWordCount& w : words)
        if (std::find(pictured.begin(), pictured.end(), w.Word) != pictured.end() && out.size() < count) {
            out.push_back(w);
            taken.insert(w.Word);
        }
    // The most frequent words are mostly grammar; skip the top of the list.
    // So are Japanese words written in hiragana alone (particles, endings):
    // the first pass leaves them for the second.
    auto onlyHiragana = [](const std::string& word) {
        for (char32_t c : tav::CodePoints(word))
            if (c < 0x3040 || c > 0x309F) return false;
        return true;
    };
    const size_t skip = std::min<size_t>(words.size() / 10, 30);
    for (size_t pass = 0; pass < 2 && out.size() < count; ++pass)
        for (size_t i = pass ? 0 : skip; i < words.size() && out.size() < count; ++i) {
            const TWordCount& w = words[i];
            if (taken.count(w.Word) || WordLength(w.Word) < 4 || (pass == 0 && onlyHiragana(w.Word))) continue;
            out.push_back(w);
            taken.insert(w.Word);
        }
    return out;
}

std::vector<int> ChooseCuts(int filmUnits, const std::vector<int>& scenes, const std::vector<TFilmLine>& lines,
                            int maxParts, int partUnits) {
    const int parts = std::clamp((filmUnits + partUnits - 1) / std::max(partUnits, 1), 1, std::max(maxParts, 1));
    // Gaps between lines where a cut may go: [from, to] in film units.
    std::vector<std::pair<int, int>> gaps;
    int prevEnd = 0;
    for (const TFilmLine& l : lines) {
        if (l.StartUnits > prevEnd) gaps.push_back({prevEnd, l.StartUnits});
        prevEnd = std::max(prevEnd, l.EndUnits);
    }
    if (filmUnits > prevEnd) gaps.push_back({prevEnd, filmUnits});
    auto inGap = [&](int u) {
        for (const auto& g : gaps)
            if (u > g.first && u <= g.second) return true; // a line may start exactly at the cut
        return false;
    };
    std::vector<int> starts{0};
    for (int k = 1; k < parts; ++k) {
        const int ideal = int((long long)filmUnits * k / parts);
        const int reach = filmUnits / parts / 4;
        int best = -1;
        for (int s : scenes)
            if (std::abs(s - ideal) <= reach && inGap(s) && s > starts.back() + 25 && s < filmUnits - 25 &&
                (best < 0 || std::abs(s - ideal) < std::abs(best - ideal)))
                best = s;
        if (best < 0) // the middle of the gap nearest the ideal place
            for (const auto& g : gaps) {
                const int mid = g.first == g.second ? g.second : (g.first + g.second + 1) / 2;
                if (mid > starts.back() + 25 && mid < filmUnits - 25 && inGap(mid) &&
                    (best < 0 || std::abs(mid - ideal) < std::abs(best - ideal)))
                    best = mid;
            }
        if (best > starts.back()) starts.push_back(best);
    }
    return starts;
}

std::vector<TActor> RecordingScenes(const std::vector<TFilmLine>& lines, const std::vector<int>& partStarts) {
    auto partOf = [&](int units) {
        int k = 0;
        while (k + 1 < int(partStarts.size()) && units >= partStarts[size_t(k + 1)]) ++k;
        return k;
    };
    std::vector<std::string> names;
    for (const TFilmLine& l : lines)
        if (!l.Speaker.empty() && std::find(names.begin(), names.end(), l.Speaker) == names.end())
            names.push_back(l.Speaker);
    std::vector<TActor> actors;
    for (const std::string& who : names) {
        TActor a{who, {}};
        std::vector<int> group;
        int last = -100;
        auto close = [&] {
            if (group.size() >= 3 && a.Scenes.size() < 9) a.Scenes.push_back(group);
            group.clear();
        };
        for (int i = 1; i < int(lines.size()); ++i) { // never the film's first entry: a scene needs its cue
            const TFilmLine& l = lines[size_t(i)];
            if (l.Speaker != who || l.Sound) continue;
            if (!group.empty() &&
                (partOf(l.StartUnits) != partOf(lines[size_t(last)].StartUnits) || i - last > 6 || group.size() == 5))
                close();
            group.push_back(l.Number);
            last = i;
        }
        close();
        if (a.Scenes.size() >= 2) actors.push_back(std::move(a));
    }
    std::stable_sort(actors.begin(), actors.end(),
                     [](const TActor& x, const TActor& y) { return x.Scenes.size() > y.Scenes.size(); });
    if (actors.size() > 9) actors.resize(9);
    return actors;
}

std::vector<int> NextLineStarts(const std::vector<TFilmLine>& lines, size_t maxStarts) {
    std::vector<int> all;
    int following = 0;
    std::vector<int> followingAt(lines.size());
    for (int i = int(lines.size()) - 1; i >= 0; --i) {
        followingAt[size_t(i)] = following;
        following += !lines[size_t(i)].Sound;
    }
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].ForActivities && followingAt[i] >= 4) all.push_back(lines[i].Number);
    if (all.size() <= maxStarts) return all;
    std::vector<int> spread;
    for (size_t k = 0; k < maxStarts; ++k) spread.push_back(all[k * all.size() / maxStarts]);
    return spread;
}

std::vector<int> StripPlaces(int filmUnits, const std::vector<int>& scenes) {
    std::vector<int> places;
    for (int k = 0; k < 24; ++k) {
        const int ideal = int((long long)filmUnits * (2 * k + 1) / 48);
        const int reach = filmUnits / 96;
        int best = ideal;
        for (int s : scenes)
            if (std::abs(s + 12 - ideal) <= reach && std::abs(s + 12 - ideal) < std::abs(best - ideal) && s + 12 < filmUnits)
                best = s + 12; // half a second into the new shot
        places.push_back(best);
    }
    return places;
}

std::string StripHint(const std::vector<TFilmLine>& lines, int units) {
    const TFilmLine* near = nullptr;
    for (const TFilmLine& l : lines)
        if (!near || l.StartUnits <= units) near = &l;
        else break;
    if (!near) return "";
    const std::string text = Shorten(near->Text, 48);
    return near->Speaker.empty() ? text : near->Speaker + " : " + text;
}

std::vector<TQuizItem> QuizItems(const std::vector<TFilmLine>& lines, const std::string& whoSays,
                                 const std::string& whatNext, const std::string& nobody, size_t count) {
    std::vector<std::string> names;
    for (const TFilmLine& l : lines)
        if (!l.Speaker.empty() && std::find(names.begin(), names.end(), l.Speaker) == names.end())
            names.push_back(l.Speaker);
    auto quotable = [](const TFilmLine& l) { return !l.Sound && Q(l.Text).size() <= 50 && WordCount(l.Text) >= 2; };
    // Candidates of both kinds, in film order.
    struct TCand { size_t Line; bool Who; };
    std::vector<TCand> cands;
    std::vector<size_t> answerPool;
    for (size_t i = 0; i < lines.size(); ++i)
        if (quotable(lines[i])) answerPool.push_back(i);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!quotable(lines[i])) continue;
        if (!lines[i].Speaker.empty() && names.size() >= 2) cands.push_back({i, true});
        if (i + 1 < lines.size() && quotable(lines[i + 1]) && answerPool.size() >= 3) cands.push_back({i, false});
    }
    std::vector<TQuizItem> out;
    if (cands.empty()) return out;
    const size_t want = std::min(count, cands.size());
    for (size_t k = 0; k < want; ++k) {
        const TCand& c = cands[k * cands.size() / want];
        const TFilmLine& l = lines[c.Line];
        TQuizItem q;
        q.FromUnits = l.StartUnits;
        q.ToUnits = l.EndUnits;
        q.Quote = l.Text;
        q.Correct = 1 + int(k % 3);
        std::vector<std::string> choices;
        if (c.Who) {
            q.Question = U8(Q(whoSays).arg(Q(l.Text)));
            choices.push_back(l.Speaker);
            const size_t self = size_t(std::find(names.begin(), names.end(), l.Speaker) - names.begin());
            for (size_t d = 1; d < names.size() && choices.size() < 3; ++d)
                choices.push_back(names[(self + d + k) % names.size()]);
            std::sort(choices.begin() + 1, choices.end());
            choices.erase(std::unique(choices.begin() + 1, choices.end()), choices.end());
            choices.erase(std::remove(choices.begin() + 1, choices.end(), l.Speaker), choices.end());
            if (choices.size() < 3) choices.push_back(nobody);
        } else {
            q.Question = U8(Q(whatNext).arg(Q(l.Text)));
            // The quiz shows only the quoted line; the answer is the one after it.
            const TFilmLine& next = lines[c.Line + 1];
            choices.push_back(next.Text);
            for (size_t d = 1; choices.size() < 3 && d <= answerPool.size(); ++d) {
                const size_t pick = answerPool[(k * 7 + d * 13) % answerPool.size()];
                const std::string& t = lines[pick].Text;
                if (pick != c.Line && pick != c.Line + 1 && std::find(choices.begin(), choices.end(), t) == choices.end())
                    choices.push_back(t);
            }
        }
        if (choices.size() < 3) continue;
        int other = 1;
        for (int a = 0; a < 3; ++a) q.Answers[a] = a + 1 == q.Correct ? choices[0] : choices[size_t(other++)];
        out.push_back(q);
    }
    return out;
}

std::map<int, std::string> AlignTranslations(const std::vector<TFilmLine>& lines, const std::vector<TSubtitleCue>& help) {
    std::map<int, std::string> out;
    // Each help cue goes to the line it overlaps most; the lines it covers
    // by at least half their time get it too, so a long cue over two short
    // lines is read with both.
    for (const TSubtitleCue& c : help) {
        const int from = c.StartMs / kUnitMs, to = (c.EndMs + kUnitMs - 1) / kUnitMs;
        int bestOverlap = 0;
        const TFilmLine* best = nullptr;
        for (const TFilmLine& l : lines) {
            if (l.StartUnits >= to) break;
            const int overlap = std::min(to, l.EndUnits) - std::max(from, l.StartUnits);
            if (overlap <= 0) continue;
            if (overlap > bestOverlap) { bestOverlap = overlap; best = &l; }
            if (overlap * 2 >= l.EndUnits - l.StartUnits) {
                std::string& t = out[l.Number];
                if (t.find(c.Text) == std::string::npos) t += (t.empty() ? "" : " ") + c.Text;
            }
        }
        if (best) {
            std::string& t = out[best->Number];
            if (t.find(c.Text) == std::string::npos) t += (t.empty() ? "" : " ") + c.Text;
        }
    }
    return out;
}

} // namespace discbuild
