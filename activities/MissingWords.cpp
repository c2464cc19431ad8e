#include "activities/MissingWords.h"

#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/TargetIndex.h"
#include "content/UnicodeText.h"

#include <algorithm>

namespace tav {

const std::string kGapMark = "\xC3\x97\xC3\x97\xC3\x97\xC3\x97\xC3\x97\xC3\x97"; // six U+00D7

bool IsGapSeparator(unsigned char c) { return c >= 32 && c <= 63 && c != '\''; }

namespace {

// Where words are not separated by spaces, ICU finds them; they are short
// (one to four characters), so two characters make a candidate.
std::vector<TGapCandidate> DictionaryWordCandidates(const std::string& line) {
    std::vector<TGapCandidate> found;
    for (const TWordSpan& w : BreakWords(line)) {
        if (w.End >= line.size()) continue; // a word that ends the line is never one
        const std::string word = line.substr(w.Begin, w.End - w.Begin);
        if (!IsWordCodePoint(CodePointAt(word, 0)) || GraphemeCount(word) < 2) continue;
        found.push_back({word, static_cast<int>(w.End) + 1});
    }
    return found;
}

} // namespace

std::vector<TGapCandidate> GapCandidates(const std::string& line) {
    if (TextLanguageWritesWithoutSpaces()) return DictionaryWordCandidates(line);
    std::vector<TGapCandidate> found;
    std::string word;
    for (size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (!IsGapSeparator(c)) {
            word += line[i]; // bytes of a character beyond ASCII all belong to words
            continue;
        }
        if (GraphemeCount(word) >= 4) found.push_back({word, static_cast<int>(i) + 1});
        word.clear();
    }
    return found;
}

namespace {

// Replaces the chosen candidate (its first character up to the separator) by `mark`.
void HideCandidate(std::string& line, const TGapCandidate& chosen, const std::string& mark) {
    const size_t first = static_cast<size_t>(chosen.SeparatorPos) - chosen.Word.size(); // 1-based start
    line = line.substr(0, first - 1) + mark + line.substr(static_cast<size_t>(chosen.SeparatorPos) - 1);
}

const TGapCandidate& Pick(const std::vector<TGapCandidate>& candidates, const std::function<int(int)>& random) {
    return candidates[static_cast<size_t>(random(static_cast<int>(candidates.size())))];
}

} // namespace

std::string MakeGap(std::string& line, const std::function<int(int)>& random) {
    const std::vector<TGapCandidate> candidates = GapCandidates(line);
    if (candidates.empty()) return {};
    const TGapCandidate& chosen = Pick(candidates, random);
    HideCandidate(line, chosen, kGapMark);
    return LowerText(chosen.Word);
}

bool IsSpellableWord(const std::string& word, const std::string& letters) {
    const TStringList characters = Graphemes(word);
    const size_t fewest = TextLanguageWritesWithoutSpaces() ? 2 : 4;
    if (characters.size() < fewest || characters.size() > 9) return false;
    const TStringList alphabet = Graphemes(letters);
    for (const std::string& c : characters)
        if (std::find(alphabet.begin(), alphabet.end(), c) == alphabet.end()) return false;
    return true;
}

std::vector<TGapCandidate> SpellingCandidates(const std::string& line, const std::string& letters) {
    std::vector<TGapCandidate> candidates;
    for (const TGapCandidate& c : GapCandidates(line))
        if (IsSpellableWord(LowerText(c.Word), letters)) candidates.push_back(c);
    return candidates;
}

std::string MakeSpellingGap(std::string& line, const std::string& letters, const std::function<int(int)>& random) {
    const std::vector<TGapCandidate> candidates = SpellingCandidates(line, letters);
    if (candidates.empty()) return {};
    const TGapCandidate& chosen = Pick(candidates, random);
    HideCandidate(line, chosen, std::string(Graphemes(chosen.Word).size(), '?'));
    return LowerText(chosen.Word);
}

std::vector<const TMovieEntry*> GapLines(const std::vector<TMovieEntry>& entries, const std::string& lastSpeaker,
                                         const std::function<bool(const std::string& line)>& hasWord,
                                         bool* sameSpeaker) {
    std::vector<const TMovieEntry*> suitable, same;
    for (const TMovieEntry& e : entries) {
        if (!e.ForActivities || !hasWord(e.LineText)) continue;
        (e.Speaker == lastSpeaker && !lastSpeaker.empty() ? same : suitable).push_back(&e);
    }
    if (sameSpeaker) *sameSpeaker = suitable.empty() && !same.empty();
    return suitable.empty() ? same : suitable;
}

std::vector<std::string> LoadWordList(const std::string& fileName, const TTargetIndex& filter) {
    std::vector<std::string> words;
    for (const std::string& line : ReadContentLines(fileName)) {
        std::string rest = line;
        while (true) {
            const size_t bar = rest.find('|');
            const std::string field = Trim(rest.substr(0, bar));
            if (field.empty()) break;
            if (!filter.IsFilteredText(field)) words.push_back(field);
            if (bar == std::string::npos) break;
            rest.erase(0, bar + 1);
        }
    }
    return words;
}

std::vector<std::string> DrawWrongChoices(const std::vector<std::string>& wordList, const std::string& hidden,
                                          int count, const std::function<int(int)>& random) {
    // The entries that may be drawn at all; drawing from them directly gives
    // the same uniform choice as drawing from the whole list and refusing,
    // but always ends.
    std::vector<size_t> open;
    const std::string hiddenLower = LowerText(hidden);
    for (size_t k = 0; k < wordList.size(); ++k)
        if (LowerText(wordList[k]) != hiddenLower) open.push_back(k);
    if (static_cast<int>(open.size()) < count) return {};
    std::vector<std::string> chosen;
    for (int i = 0; i < count; ++i) {
        const size_t pick = static_cast<size_t>(random(static_cast<int>(open.size())));
        chosen.push_back(LowerText(wordList[open[pick]]));
        open.erase(open.begin() + static_cast<std::ptrdiff_t>(pick));
    }
    return chosen;
}

} // namespace tav
