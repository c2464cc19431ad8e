#include "lookup/Dictionary.h"

#include "content/UnicodeText.h"

#include <algorithm>
#include <set>

namespace tav {

namespace {

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return std::string();
    const size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t p = 0;
    while (p <= text.size()) {
        const size_t e = std::min(text.find('\n', p), text.size());
        std::string line = text.substr(p, e - p);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        p = e + 1;
    }
    return lines;
}

bool IsKana(char32_t c) {
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) || (c >= 0xFF66 && c <= 0xFF9F);
}

bool AllKana(const std::string& form) {
    const std::u32string cps = CodePoints(form);
    return !cps.empty() && std::all_of(cps.begin(), cps.end(), IsKana);
}

// dictfmt's pronunciations of kanji read as English ("(en)tʃˈaɪniːz(ja)lˈe̞tə/"
// for "Chinese letter") carry language switches such as "(en)": not a reading.
bool HasLanguageSwitch(const std::string& ipa) {
    for (size_t p = ipa.find('('); p != std::string::npos; p = ipa.find('(', p + 1)) {
        size_t q = p + 1;
        while (q < ipa.size() && ipa[q] >= 'a' && ipa[q] <= 'z') ++q;
        if (q < ipa.size() && ipa[q] == ')' && (q - p - 1 == 2 || q - p - 1 == 3)) return true;
    }
    return false;
}

// "[ichi1]" and like tags of the headword line.
std::string WithoutTags(const std::string& line) {
    std::string out;
    int depth = 0;
    for (char c : line) {
        if (c == '[') ++depth;
        else if (c == ']' && depth) --depth;
        else if (!depth) out += c;
    }
    return out;
}

// A form as the headword line writes it after the previous one's comma, less
// leading remarks such as "(word containing irregular kanji usage)".
std::string FormOf(std::string form) {
    form = Trim(form);
    if (!form.empty() && form[0] == ',') form = Trim(form.substr(1));
    while (!form.empty() && form[0] == '(') {
        const size_t close = form.find(')');
        if (close == std::string::npos || close + 1 == form.size()) break;
        form = Trim(form.substr(close + 1));
    }
    return form;
}

void ParseHeadwordLine(std::string line, TDictEntry& entry) {
    std::vector<std::pair<std::string, std::string>> spoken; // form, pronunciation
    line = Trim(line);
    if (!line.empty() && line.back() == '>') {
        const size_t open = line.rfind('<');
        if (open != std::string::npos) {
            entry.Grammar = Trim(line.substr(open + 1, line.size() - open - 2));
            line = Trim(line.substr(0, open));
        }
    }
    line = WithoutTags(line);
    // FORM /IPA/, FORM /IPA/ ...: a pronunciation opens at " /" and closes
    // at a "/" before a comma, a space or the end, so a form may hold a slash.
    size_t p = 0;
    while (p < line.size()) {
        const size_t open = line.find(" /", p);
        if (open == std::string::npos) {
            if (const std::string form = FormOf(line.substr(p)); !form.empty()) entry.Forms.push_back(form);
            break;
        }
        const std::string form = line.substr(p, open - p);
        size_t close = open + 2;
        for (; close < line.size(); ++close)
            if (line[close] == '/' && (close + 1 == line.size() || line[close + 1] == ',' || line[close + 1] == ' ')) break;
        const std::string ipa = line.substr(open + 2, std::min(close, line.size()) - open - 2);
        if (const std::string shown = FormOf(form); !shown.empty()) {
            entry.Forms.push_back(shown);
            spoken.push_back({shown, ipa});
        }
        p = close + 1;
    }
    const bool someKanji = std::any_of(entry.Forms.begin(), entry.Forms.end(), [](const std::string& f) { return !AllKana(f); });
    const bool someKana = std::any_of(entry.Forms.begin(), entry.Forms.end(), AllKana);
    if (someKanji)
        for (const std::string& f : entry.Forms)
            if (AllKana(f)) entry.Readings.push_back(f);
    for (const auto& [form, ipa] : spoken) {
        // A kanji form's pronunciation is dictfmt's guess from its kana ending
        // alone ("/bˈe̞ɽɯᵝ/" for 食べる): the readings' pronunciations stand.
        if (ipa.empty() || HasLanguageSwitch(ipa) || (someKana && !AllKana(form))) continue;
        if (std::find(entry.Pronunciations.begin(), entry.Pronunciations.end(), ipa) == entry.Pronunciations.end())
            entry.Pronunciations.push_back(ipa);
    }
}

bool IsDetail(const std::string& line) {
    for (const char* start : {"Note:", "Synonym", "Antonym", "see:", "See:", "\"", "{"})
        if (line.rfind(start, 0) == 0) return true;
    return false;
}

// "12. text" -> 12 and the text after the number; 0 when the line is not numbered.
int SenseNumber(const std::string& line, std::string& rest) {
    size_t p = 0;
    int n = 0;
    while (p < line.size() && p < 4 && line[p] >= '0' && line[p] <= '9') n = n * 10 + (line[p++] - '0');
    if (!p || p >= line.size() || line[p] != '.' || n == 0) return 0;
    if (p + 1 < line.size() && line[p + 1] != ' ') return 0;
    rest = Trim(line.substr(p + 1));
    return n;
}

// The Japanese-English dictionary writes some usage notes run together with
// the translation that follows ("Note: word usually written using kana
// alonehouse, home"): the known notes are cut off the translation.
const char* const kUsageNotes[] = {
    "word usually written using kana alone", "honorific or respectful (sonkeigo) language", "polite (teineigo) language",
    "humble (kenjougo) language", "vulgar expression or word", "onomatopoeic or mimetic word", "idiomatic expression",
    "familiar language", "colloquialism", "abbreviation", "obscure term", "derogatory", "archaism", "slang"};

void AddLine(TDictSense& sense, const std::string& line) {
    if (line.empty()) return;
    // The Japanese-English dictionary glues an antonym in braces to the
    // translation after it ("{寒い}hot (weather, etc.), warm").
    if (line[0] == '{') {
        const size_t close = line.find('}');
        const std::string rest = close == std::string::npos ? std::string() : Trim(line.substr(close + 1));
        if (!rest.empty() && !IsDetail(rest)) {
            sense.Details.push_back(line.substr(0, close + 1));
            sense.Text += (sense.Text.empty() ? "" : " ") + rest;
            return;
        }
    }
    if (!IsDetail(line)) {
        sense.Text += (sense.Text.empty() ? "" : " ") + line;
        return;
    }
    if (line.rfind("Note: ", 0) == 0)
        for (const char* note : kUsageNotes) {
            const std::string n = note;
            if (line.compare(6, n.size(), n) != 0) continue;
            // "... alone (after a number)" goes on with the note; glued text does not.
            const std::string rest = Trim(line.substr(6 + n.size()));
            if (rest.empty() || line[6 + n.size()] == ' ') break;
            sense.Details.push_back("Note: " + n);
            sense.Text += (sense.Text.empty() ? "" : " ") + rest;
            return;
        }
    sense.Details.push_back(line);
}

} // namespace

TDictEntry ParseDictEntry(const std::string& rawText) {
    TDictEntry entry;
    entry.Text = ValidUtf8(rawText);
    const std::vector<std::string> lines = Lines(entry.Text);
    size_t first = 0;
    while (first < lines.size() && Trim(lines[first]).empty()) ++first;
    if (first == lines.size()) return entry;
    ParseHeadwordLine(lines[first], entry);

    TDictSense current;
    bool numbered = false;
    auto flush = [&] {
        if (!current.Text.empty() || !current.Details.empty()) entry.Senses.push_back(std::move(current));
        current = TDictSense();
    };
    for (size_t i = first + 1; i < lines.size(); ++i) {
        const std::string line = Trim(lines[i]);
        std::string rest;
        if (SenseNumber(line, rest)) {
            if (numbered || !current.Text.empty()) flush();
            numbered = true;
            AddLine(current, rest);
        } else {
            AddLine(current, line);
        }
    }
    flush();
    return entry;
}

bool TDictionary::Open(const std::string& indexFile, const std::string& dataFile, std::string& error) {
    open_ = index_.Open(indexFile, error) && data_.Open(dataFile, error);
    return open_;
}

bool TDictionary::OpenBytes(std::string index, std::string data, std::string& error) {
    open_ = index_.OpenBytes(std::move(index), error) && data_.OpenBytes(std::move(data), error);
    return open_;
}

std::vector<TDictEntry> TDictionary::Lookup(const std::string& word, std::string& error) {
    std::vector<TDictEntry> entries;
    error.clear();
    if (!open_) {
        error = "the dictionary is not open";
        return entries;
    }
    const TIndexLookup found = index_.Find(word);
    error = found.Error;
    std::set<std::pair<uint64_t, uint64_t>> seen;
    for (const TIndexEntry& e : found.Entries) {
        if (!seen.insert({e.Offset, e.Length}).second) continue;
        std::string text, readError;
        if (!data_.Read(e.Offset, e.Length, text, readError)) {
            if (error.empty()) error = readError + " (headword \"" + ValidUtf8(e.Headword) + "\")";
            continue;
        }
        entries.push_back(ParseDictEntry(text));
    }
    return entries;
}

} // namespace tav
