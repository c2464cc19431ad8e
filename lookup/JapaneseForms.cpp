#include "lookup/JapaneseForms.h"

#include <mecab.h>

#include <filesystem>
#include <initializer_list>
#include <system_error>

namespace tav {

const char* const kMecabDictionaryFolder = "/var/lib/mecab/dic/debian";

namespace {

// Debian's alternatives link, then the UTF-8 IPA dictionary itself (the link
// may point to the EUC-JP one when both are installed).
const char* const kDefaultFolders[] = {kMecabDictionaryFolder, "/var/lib/mecab/dic/ipadic-utf8"};
const char* const kDictionaryPackage = "mecab-ipadic-utf8";

bool IsKana(char32_t c) {
    return (c >= 0x3041 && c <= 0x3096) || (c >= 0x3099 && c <= 0x309F) || (c >= 0x30A0 && c <= 0x30FF) ||
           (c >= 0x31F0 && c <= 0x31FF) || (c >= 0xFF66 && c <= 0xFF9F);
}

bool IsKanji(char32_t c) {
    return (c >= 0x3005 && c <= 0x3007) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3134F);
}

// MeCab's feature string: comma-separated, a field with a comma in double quotes.
std::vector<std::string> SplitFeature(const char* feature) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (const char* p = feature ? feature : ""; *p; ++p) {
        if (*p == '"') {
            if (quoted && p[1] == '"') {
                fields.back() += '"';
                ++p;
            } else {
                quoted = !quoted;
            }
        } else if (*p == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += *p;
        }
    }
    return fields;
}

std::string Field(const std::vector<std::string>& fields, size_t i) {
    return i < fields.size() && fields[i] != "*" ? fields[i] : std::string();
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The part of the surface and the dictionary form they share, in bytes, on a
// code point boundary ("食べ" and "食べる": all of "食べ").
size_t CommonPrefix(const std::string& a, const std::string& b) {
    size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
    while (n > 0 && n < a.size() && (static_cast<unsigned char>(a[n]) & 0xC0) == 0x80) --n;
    return n;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsSurfaceOnlyPunctuation(const std::string& text) {
    for (char32_t c : CodePoints(text))
        if (IsWordCodePoint(c)) return false;
    return true;
}

} // namespace

std::string HiraganaFromKatakana(const std::string& utf8) {
    std::u32string text = CodePoints(utf8);
    for (char32_t& c : text)
        if ((c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE) c -= 0x60; // ァ..ヶ, ヽ ヾ
    return Utf8FromCodePoints(text);
}

bool IsKanaText(const std::string& utf8) {
    const std::u32string text = CodePoints(utf8);
    if (text.empty()) return false;
    for (char32_t c : text)
        if (!IsKana(c)) return false;
    return true;
}

bool HasKanji(const std::string& utf8) {
    for (char32_t c : CodePoints(utf8))
        if (IsKanji(c)) return true;
    return false;
}

TJapaneseForms::TJapaneseForms() = default;

TJapaneseForms::~TJapaneseForms() {
    if (mecab_) mecab_destroy(mecab_);
}

bool TJapaneseForms::Open(std::string& error, const std::string& dictionaryFolder) {
    if (mecab_) {
        mecab_destroy(mecab_);
        mecab_ = nullptr;
    }
    std::vector<std::string> folders;
    if (!dictionaryFolder.empty())
        folders.push_back(dictionaryFolder);
    else
        folders.assign(std::begin(kDefaultFolders), std::end(kDefaultFolders));
    std::string firstError;
    for (const std::string& folder : folders) {
        std::string why;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(folder + "/sys.dic", ec) || !std::filesystem::is_regular_file(folder + "/dicrc", ec)) {
            why = "no MeCab dictionary in " + folder + " (Debian's " + kDictionaryPackage + " package installs it)";
        } else {
            // No resource file: the user's mecabrc (a user dictionary, another
            // output format) must not change the features read below.
            std::string a0 = "mecab", a1 = "-r", a2 = "/dev/null", a3 = "-d", a4 = folder;
            char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), a4.data(), nullptr};
            mecab_t* m = mecab_new(5, argv);
            if (!m) {
                const char* e = mecab_strerror(nullptr);
                why = "MeCab cannot load the dictionary in " + folder + (e && *e ? std::string(": ") + e : std::string()) +
                      " (reinstall Debian's " + kDictionaryPackage + " package)";
            } else {
                const mecab_dictionary_info_t* info = mecab_dictionary_info(m);
                const std::string charset = info && info->charset ? info->charset : "";
                if (AsciiLower(charset) != "utf-8" && AsciiLower(charset) != "utf8") {
                    why = "the MeCab dictionary in " + folder + " is in " + (charset.empty() ? std::string("an unknown encoding") : charset) +
                          ", not UTF-8 (Debian's " + kDictionaryPackage + " package installs the UTF-8 one)";
                } else {
                    // IPAdic's layout: base form in field 7, reading in field 8.
                    const std::string probe = "食べた";
                    const mecab_node_t* n = mecab_sparse_tonode2(m, probe.data(), probe.size());
                    while (n && n->stat == MECAB_BOS_NODE) n = n->next;
                    const std::vector<std::string> f = SplitFeature(n ? n->feature : nullptr);
                    if (Field(f, 6) != "食べる" || Field(f, 7) != "タベ")
                        why = "the MeCab dictionary in " + folder + " does not give dictionary forms and readings as IPAdic does (Debian's " +
                              kDictionaryPackage + " package installs IPAdic)";
                }
                if (why.empty()) {
                    mecab_ = m;
                    return true;
                }
                mecab_destroy(m);
            }
        }
        if (firstError.empty()) firstError = why;
    }
    error = firstError;
    return false;
}

std::vector<TJapaneseMorpheme> TJapaneseForms::Morphemes(const std::string& text) {
    std::vector<TJapaneseMorpheme> morphemes;
    if (!mecab_ || text.empty() || text.size() > kMaxText || !IsValidUtf8(text)) return morphemes;
    const mecab_node_t* n = mecab_sparse_tonode2(mecab_, text.data(), text.size());
    // Offsets by the lengths MeCab reports: rlength counts the spaces before
    // the morpheme, length the morpheme itself.
    size_t at = 0;
    for (; n; n = n->next) {
        if (n->stat == MECAB_BOS_NODE || n->stat == MECAB_EOS_NODE) continue;
        if (n->rlength < n->length) break;
        const size_t begin = at + (n->rlength - n->length), end = begin + n->length;
        if (end > text.size()) break;
        at = end;
        if (n->length == 0) continue;
        const std::vector<std::string> f = SplitFeature(n->feature);
        TJapaneseMorpheme m;
        m.Begin = begin;
        m.End = end;
        m.Surface = text.substr(begin, end - begin);
        m.PartOfSpeech = Field(f, 0);
        m.SubClass = Field(f, 1);
        m.SubClass2 = Field(f, 2);
        m.Conjugation = Field(f, 4);
        m.BaseForm = Field(f, 6);
        if (m.BaseForm.empty()) m.BaseForm = m.Surface;
        m.Reading = HiraganaFromKatakana(Field(f, 7));
        if (m.Reading.empty() && IsKanaText(m.Surface)) m.Reading = HiraganaFromKatakana(m.Surface);
        m.Known = n->stat != MECAB_UNK_NODE;
        morphemes.push_back(std::move(m));
    }
    return morphemes;
}

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

bool IsContentPart(const std::string& pos) {
    for (const char* p : {"名詞", "動詞", "形容詞", "副詞", "連体詞", "感動詞", "接続詞", "フィラー"})
        if (pos == p) return true;
    return false;
}

bool OneOf(const std::string& s, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (s == w) return true;
    return false;
}

// Morphemes [First, Last] forming one word for the learner.
struct TGroup {
    size_t First = 0, Last = 0;
    size_t Head = kNone;       // the first morpheme that is not a prefix
    size_t NominalEnd = kNone; // the last of prefix + head + noun suffixes ("お客さん", "経済的", "食べ方")
    bool Inflecting = false;   // auxiliaries may follow: a verb, an adjective, an auxiliary
    bool AdjectivalNoun = false; // 静か, 経済的: だ, な, に follow
    bool SuruNoun = false;     // 勉強, 自動化: する follows
    bool Suru = false;         // and did
};

bool Joins(const TGroup& g, const std::vector<TJapaneseMorpheme>& ms, const TJapaneseMorpheme& m) {
    if (m.PartOfSpeech == "記号" || m.PartOfSpeech == "接頭詞") return false;
    if (g.Head == kNone) return OneOf(m.PartOfSpeech, {"名詞", "動詞", "形容詞"});
    const TJapaneseMorpheme& last = ms[g.Last];
    if (g.Inflecting) {
        if (m.PartOfSpeech == "助動詞") return true;
        if ((m.PartOfSpeech == "動詞" || m.PartOfSpeech == "形容詞") && (m.SubClass == "非自立" || m.SubClass == "接尾")) return true;
        if (m.PartOfSpeech == "助詞" && m.SubClass == "接続助詞" && OneOf(m.Surface, {"て", "で", "ば", "ちゃ", "じゃ"})) return true;
        if (m.PartOfSpeech == "助詞" && m.SubClass == "並立助詞" && OneOf(m.Surface, {"たり", "だり"})) return true;
        // 食べ方, 食べそう, 高さ
        if (m.PartOfSpeech == "名詞" && m.SubClass == "接尾" && (last.PartOfSpeech == "動詞" || last.PartOfSpeech == "形容詞")) return true;
        return false;
    }
    if (g.AdjectivalNoun && (m.PartOfSpeech == "助動詞" || (m.PartOfSpeech == "助詞" && m.SubClass == "副詞化"))) return true;
    if (ms[g.Head].PartOfSpeech != "名詞" || g.Last != g.NominalEnd) return false;
    if (m.PartOfSpeech == "名詞" && m.SubClass == "接尾") return true;
    if (m.PartOfSpeech == "名詞" && m.SubClass == "数" && last.SubClass == "数") return true;
    if (g.SuruNoun && m.PartOfSpeech == "動詞" && m.SubClass == "自立" && m.BaseForm == "する") return true;
    if ((m.PartOfSpeech == "形容詞" || m.PartOfSpeech == "動詞") && m.SubClass == "接尾") return true; // 子供っぽい
    return false;
}

void Join(TGroup& g, const std::vector<TJapaneseMorpheme>& ms, size_t i) {
    const TJapaneseMorpheme& m = ms[i];
    const bool extendsNominal = g.Head != kNone && g.Last == g.NominalEnd;
    g.Last = i;
    if (m.PartOfSpeech == "接頭詞") return;
    if (g.Head == kNone) {
        g.Head = g.NominalEnd = i;
        g.Inflecting = OneOf(m.PartOfSpeech, {"動詞", "形容詞", "助動詞"});
        g.AdjectivalNoun = m.PartOfSpeech == "名詞" && m.SubClass == "形容動詞語幹";
        g.SuruNoun = m.PartOfSpeech == "名詞" && m.SubClass == "サ変接続";
        return;
    }
    if (m.PartOfSpeech == "名詞" && (m.SubClass == "接尾" || m.SubClass == "数") && extendsNominal) {
        g.NominalEnd = i;
        g.Inflecting = m.SubClass2 == "助動詞語幹";
        g.AdjectivalNoun = m.SubClass2 == "形容動詞語幹";
        g.SuruNoun = m.SubClass2 == "サ変接続";
        return;
    }
    if (m.PartOfSpeech == "動詞" && m.BaseForm == "する" && g.SuruNoun && !g.Suru && !g.Inflecting) g.Suru = true;
    if (m.PartOfSpeech == "助詞") {
        g.Inflecting = false; // 静かに, 食べて: a te-form still takes いる, もらう
        if (m.SubClass == "接続助詞") g.Inflecting = true;
    } else {
        g.Inflecting = true;
    }
    g.AdjectivalNoun = false;
    g.SuruNoun = false;
}

// The reading of the morpheme's dictionary form, from the reading of its
// inflected surface: 食べ/たべ -> 食べる/たべる, 行か/いか -> 行く/いく.
// None when the surface does not show how.
std::optional<std::string> BaseReadingOf(const TJapaneseMorpheme& m) {
    if (IsKanaText(m.BaseForm)) return HiraganaFromKatakana(m.BaseForm);
    if (StartsWith(m.Conjugation, "カ変") && EndsWith(m.BaseForm, "来る")) return std::string("くる"); // 来(こ)ない, 来(き)た
    if (m.Reading.empty()) return std::nullopt;
    if (m.Surface == m.BaseForm) return m.Reading;
    const size_t shared = CommonPrefix(m.Surface, m.BaseForm);
    const std::string surfaceTail = HiraganaFromKatakana(m.Surface.substr(shared));
    const std::string baseTail = m.BaseForm.substr(shared);
    if (!baseTail.empty() && !IsKanaText(baseTail)) return std::nullopt;
    if (!EndsWith(m.Reading, surfaceTail) || m.Reading.size() == surfaceTail.size()) return std::nullopt;
    return m.Reading.substr(0, m.Reading.size() - surfaceTail.size()) + HiraganaFromKatakana(baseTail);
}

void AddForm(std::vector<TJapaneseForm>& forms, TJapaneseForm form) {
    if (form.BaseForm.empty()) return;
    for (const TJapaneseForm& f : forms)
        if (f.BaseForm == form.BaseForm) return;
    forms.push_back(std::move(form));
}

} // namespace

std::vector<TJapaneseWord> TJapaneseForms::Words(const std::string& text) {
    const std::vector<TJapaneseMorpheme> ms = Morphemes(text);
    std::vector<TGroup> groups;
    for (size_t i = 0; i < ms.size(); ++i) {
        if (groups.empty() || !Joins(groups.back(), ms, ms[i])) {
            groups.emplace_back();
            groups.back().First = i;
        }
        Join(groups.back(), ms, i);
    }
    std::vector<TJapaneseWord> words;
    for (const TGroup& g : groups) {
        TJapaneseWord w;
        w.Span.Begin = ms[g.First].Begin;
        w.Span.End = ms[g.Last].End;
        w.Surface = text.substr(w.Span.Begin, w.Span.End - w.Span.Begin);
        if (g.Head == kNone) { // a prefix on its own
            w.Content = false;
            AddForm(w.Forms, {ms[g.First].BaseForm, ms[g.First].Reading});
            words.push_back(std::move(w));
            continue;
        }
        const TJapaneseMorpheme& head = ms[g.Head];
        w.Punctuation = head.PartOfSpeech == "記号" && IsSurfaceOnlyPunctuation(w.Surface);
        w.Content = !w.Punctuation && IsContentPart(head.PartOfSpeech);
        if (w.Punctuation) {
            words.push_back(std::move(w));
            continue;
        }
        std::string nominal, nominalReading;
        bool nominalRead = true;
        for (size_t i = g.First; i <= g.NominalEnd; ++i) {
            nominal += ms[i].Surface;
            nominalRead = nominalRead && !ms[i].Reading.empty();
            nominalReading += ms[i].Reading;
        }
        if (!nominalRead) nominalReading.clear();
        if (g.Suru) AddForm(w.Forms, {nominal + "する", nominalReading.empty() ? std::string() : nominalReading + "する"});
        if (head.SubClass == "数") {
            // "２０人": MeCab reads digits one by one (に, ゼロ); the counter
            // after them is the word to look up.
            bool digits = false;
            for (char32_t c : CodePoints(nominal)) digits = digits || (c >= '0' && c <= '9') || (c >= 0xFF10 && c <= 0xFF19);
            AddForm(w.Forms, {nominal, digits ? std::string() : nominalReading});
            for (size_t i = g.Head + 1; i <= g.NominalEnd; ++i)
                if (ms[i].SubClass != "数") {
                    AddForm(w.Forms, {ms[i].BaseForm, ms[i].Reading});
                    break;
                }
            words.push_back(std::move(w));
            continue;
        }
        if (g.First < g.Head || g.NominalEnd > g.Head) AddForm(w.Forms, {nominal, nominalReading});
        std::optional<std::string> reading = BaseReadingOf(head);
        if (!reading) {
            // The dictionary form read on its own, as a last resort.
            const std::string alone = head.BaseForm == head.Surface ? std::string() : Reading(head.BaseForm);
            reading = alone;
        }
        AddForm(w.Forms, {head.BaseForm, *reading});
        words.push_back(std::move(w));
    }
    return words;
}

std::vector<TJapaneseForm> TJapaneseForms::DictionaryForms(const std::string& text) {
    const std::vector<TJapaneseWord> words = Words(text);
    bool anyContent = false;
    for (const TJapaneseWord& w : words) anyContent = anyContent || w.Content;
    std::vector<TJapaneseForm> forms;
    for (const TJapaneseWord& w : words) {
        if (w.Punctuation || (anyContent && !w.Content)) continue;
        for (const TJapaneseForm& f : w.Forms) AddForm(forms, f);
        if (!anyContent) break;
    }
    return forms;
}

std::string TJapaneseForms::Reading(const std::string& text) {
    std::string reading;
    for (const TJapaneseMorpheme& m : Morphemes(text)) {
        if (!m.Reading.empty())
            reading += m.Reading;
        else if (HasKanji(m.Surface))
            return std::string();
        else
            reading += HiraganaFromKatakana(m.Surface);
    }
    return reading;
}

std::optional<TWordSpan> TJapaneseForms::WordAt(const std::string& line, size_t byteOffset) {
    if (byteOffset >= line.size()) return std::nullopt;
    for (const TJapaneseWord& w : Words(line)) {
        if (byteOffset < w.Span.Begin) break;
        if (byteOffset < w.Span.End) {
            if (w.Punctuation) return std::nullopt;
            return w.Span;
        }
    }
    return std::nullopt;
}

} // namespace tav
