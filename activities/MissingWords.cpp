#include "activities/MissingWords.h"

#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/TargetIndex.h"
#include "content/Text1252.h"

namespace tav {

const std::string kGapMark(6, '\xD7');

bool IsGapSeparator(unsigned char c) { return c >= 32 && c <= 63 && c != '\''; }

std::vector<TGapCandidate> GapCandidates(const std::string& line) {
    std::vector<TGapCandidate> found;
    std::string word;
    for (size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (!IsGapSeparator(c)) {
            if (word.size() < 255) word += line[i];
            continue;
        }
        if (word.size() >= 4) found.push_back({word, static_cast<int>(i) + 1});
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
    return LowerCase1252(chosen.Word);
}

bool IsSpellableWord(const std::string& word, const std::string& letters) {
    if (word.size() < 4 || word.size() > 9) return false;
    for (char c : word)
        if (letters.find(c) == std::string::npos) return false;
    return true;
}

std::vector<TGapCandidate> SpellingCandidates(const std::string& line, const std::string& letters) {
    std::vector<TGapCandidate> candidates;
    for (const TGapCandidate& c : GapCandidates(line))
        if (IsSpellableWord(LowerCase1252(c.Word), letters)) candidates.push_back(c);
    return candidates;
}

std::string MakeSpellingGap(std::string& line, const std::string& letters, const std::function<int(int)>& random) {
    const std::vector<TGapCandidate> candidates = SpellingCandidates(line, letters);
    if (candidates.empty()) return {};
    const TGapCandidate& chosen = Pick(candidates, random);
    HideCandidate(line, chosen, std::string(chosen.Word.size(), '?'));
    return LowerCase1252(chosen.Word);
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
    for (const std::string& raw : ReadTextLines(fileName)) {
        std::string rest = MacToAnsi(raw);
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
    const std::string hiddenLower = LowerCase1252(hidden);
    for (size_t k = 0; k < wordList.size(); ++k)
        if (LowerCase1252(wordList[k]) != hiddenLower) open.push_back(k);
    if (static_cast<int>(open.size()) < count) return {};
    std::vector<std::string> chosen;
    for (int i = 0; i < count; ++i) {
        const size_t pick = static_cast<size_t>(random(static_cast<int>(open.size())));
        chosen.push_back(LowerCase1252(wordList[open[pick]]));
        open.erase(open.begin() + static_cast<std::ptrdiff_t>(pick));
    }
    return chosen;
}

} // namespace tav
