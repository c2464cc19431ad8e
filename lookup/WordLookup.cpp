#include "lookup/WordLookup.h"

#include "content/UnicodeText.h"

#include <algorithm>

namespace tav {

namespace {

// "l'", "d'", "qu'", "j'" ... before a word: the word after the apostrophe.
std::string AfterElision(const std::string& word) {
    for (const char* mark : {"'", "\xE2\x80\x99"}) {
        const size_t p = word.find(mark);
        if (p == std::string::npos || p == 0 || p > 3) continue;
        const std::string rest = word.substr(p + std::string(mark).size());
        if (!rest.empty()) return rest;
    }
    return std::string();
}

// The reading to show for a Japanese headword, in hiragana: among its
// entries' readings the one MeCab read (行く: いく, not ゆく), else the
// entry's first, else MeCab's.
std::string ChooseReading(const std::string& headword, const std::string& mecabReading, const std::vector<TDictEntry>& entries, size_t from) {
    if (!HasKanji(headword)) return std::string();
    std::string first;
    for (size_t i = from; i < entries.size(); ++i)
        for (const std::string& r : entries[i].Readings) {
            const std::string hiragana = HiraganaFromKatakana(r);
            if (!mecabReading.empty() && hiragana == mecabReading) return hiragana;
            if (first.empty()) first = hiragana;
        }
    return first.empty() ? mecabReading : first;
}

} // namespace

bool TWordLookup::Open(const std::string& filmIso, const std::string& helpIso, std::string& error, const std::string& dictdFolder,
                       const std::string& hunspellFolder, const std::string& mecabFolder) {
    filmIso_ = AsciiLower(filmIso.substr(0, filmIso.find_first_of("_-.")));
    hunspellFolder_ = hunspellFolder;
    mecabFolder_ = mecabFolder;
    formsTried_ = false;
    stemmingNote_.clear();
    pair_ = FindDictionaryPair(filmIso, helpIso, dictdFolder);
    if (!pair_.Installed) {
        error = pair_.Missing;
        return false;
    }
    return dictionary_.Open(pair_.IndexFile, pair_.DataFile, error);
}

bool TWordLookup::Find(const std::string& word, TWordLookupResult& result) {
    std::string error;
    std::vector<TDictEntry> entries = dictionary_.Lookup(word, error);
    if (!error.empty() && result.Error.empty()) result.Error = error;
    for (auto& e : entries) result.Entries.push_back(std::move(e));
    return !entries.empty();
}

// MeCab's dictionary is small to load (it is mapped), but is loaded only
// for a Japanese film, once.
bool TWordLookup::OpenJapanese() {
    if (!formsTried_) {
        formsTried_ = true;
        std::string error;
        if (!japanese_.Open(error, mecabFolder_)) stemmingNote_ = "no dictionary forms: " + error;
    }
    return japanese_.IsOpen();
}

// The word as written, else the dictionary forms of each of its words in
// turn ("学校へ行きます": 学校, 行く), the first of a word's forms found
// ("勉強する", else "勉強").
void TWordLookup::LookupJapanese(TWordLookupResult& result) {
    const bool mecab = OpenJapanese();
    if (Find(result.Word, result)) {
        result.Reading = ChooseReading(result.Word, mecab ? japanese_.Reading(result.Word) : std::string(), result.Entries, 0);
        return;
    }
    if (!mecab) return;
    const std::vector<TJapaneseWord> words = japanese_.Words(result.Word);
    bool anyContent = false;
    for (const TJapaneseWord& w : words) anyContent = anyContent || w.Content;
    for (const TJapaneseWord& w : words) {
        if (w.Punctuation || (anyContent && !w.Content)) continue;
        for (const TJapaneseForm& f : w.Forms) {
            if (f.BaseForm == result.Word ||
                std::find(result.DictionaryForms.begin(), result.DictionaryForms.end(), f.BaseForm) != result.DictionaryForms.end())
                continue;
            const size_t from = result.Entries.size();
            if (!Find(f.BaseForm, result)) continue;
            result.DictionaryForms.push_back(f.BaseForm);
            if (result.DictionaryForms.size() == 1) result.Reading = ChooseReading(f.BaseForm, f.Reading, result.Entries, from);
            break;
        }
        if (!anyContent) break;
    }
}

std::optional<TWordSpan> TWordLookup::WordAt(const std::string& line, size_t byteOffset) {
    if (byteOffset >= line.size()) return std::nullopt;
    if (filmIso_ == "ja" && OpenJapanese() && line.size() <= TJapaneseForms::kMaxText && IsValidUtf8(line))
        return japanese_.WordAt(line, byteOffset);
    for (const TWordSpan& w : BreakWords(line))
        if (w.Begin <= byteOffset && byteOffset < w.End) return w;
    return std::nullopt;
}

void TWordLookup::FormsWithoutDictionary(TWordLookupResult& result) {
    auto add = [&](const std::string& form) {
        if (!form.empty() && form != result.Word &&
            std::find(result.DictionaryForms.begin(), result.DictionaryForms.end(), form) == result.DictionaryForms.end())
            result.DictionaryForms.push_back(form);
    };
    if (filmIso_ == "ja") {
        if (!OpenJapanese()) return;
        for (const TJapaneseWord& w : japanese_.Words(result.Word)) {
            if (w.Punctuation || !w.Content || w.Forms.empty()) continue;
            add(w.Forms.front().BaseForm);
            result.Reading = w.Forms.front().Reading;
            break;
        }
        return;
    }
    if (!formsTried_) {
        formsTried_ = true;
        if (!forms_.Open(filmIso_, stemmingNote_, hunspellFolder_)) stemmingNote_ = "no dictionary forms: " + stemmingNote_;
    }
    std::string word = result.Word;
    if (filmIso_ == "fr" || filmIso_ == "it") {
        const std::string rest = AfterElision(word);
        if (!rest.empty()) word = rest;
    }
    const std::vector<std::string> stems = forms_.Stems(word);
    if (!stems.empty()) add(stems.front());
}

TWordLookupResult TWordLookup::Lookup(const std::string& word) {
    TWordLookupResult result;
    result.Word = ValidUtf8(word);
    if (!dictionary_.IsOpen()) {
        // No pair for the course: the dictionary forms alone, unchecked.
        result.Error = "no dictionary is open";
        FormsWithoutDictionary(result);
        return result;
    }
    if (filmIso_ == "ja") {
        LookupJapanese(result);
        return result;
    }
    auto tryWord = [&](const std::string& w) { return Find(w, result); };
    if (tryWord(result.Word)) return result;
    std::vector<std::string> candidates;
    if (filmIso_ == "fr" || filmIso_ == "it") {
        const std::string rest = AfterElision(result.Word);
        if (!rest.empty()) candidates.push_back(rest);
    }
    // Hunspell's dictionary takes longer to load than the dictionary and
    // much more memory: it is loaded for the first word that needs it.
    if (!formsTried_) {
        formsTried_ = true;
        if (!forms_.Open(filmIso_, stemmingNote_, hunspellFolder_)) stemmingNote_ = "no dictionary forms: " + stemmingNote_;
    }
    for (const std::string& w : std::vector<std::string>(candidates.empty() ? std::vector<std::string>{result.Word} : candidates))
        for (const std::string& stem : forms_.Stems(w)) candidates.push_back(stem);
    for (const std::string& c : candidates)
        if (tryWord(c)) result.DictionaryForms.push_back(c);
    return result;
}

} // namespace tav
