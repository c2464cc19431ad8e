#include "content/UnicodeText.h"

#include "content/KeyFiles.h"
#include "content/OurUtils.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <strings.h>

#include <atomic>
#include <memory>
#include <mutex>

namespace tav {

namespace {

// Unicode of the Windows-1252 bytes 0x80..0x9F; the rest equals Latin-1.
// Unassigned codes keep their value as C1 controls.
const char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Decodes one sequence at i; returns false (and advances one byte) on a
// malformed, overlong or surrogate sequence.
bool NextCodePoint(const std::string& s, size_t& i, char32_t& c) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) { c = b0; ++i; return true; }
    int extra;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) { extra = 1; c = b0 & 0x1F; min = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { extra = 2; c = b0 & 0x0F; min = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { extra = 3; c = b0 & 0x07; min = 0x10000; }
    else { ++i; return false; }
    if (i + size_t(extra) >= s.size()) { ++i; return false; }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + size_t(k)]);
        if ((b & 0xC0) != 0x80) { ++i; return false; }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) { ++i; return false; }
    i += size_t(extra) + 1;
    return true;
}

icu::UnicodeString ToIcu(const std::string& utf8) { return icu::UnicodeString::fromUTF8(utf8); }

std::string FromIcu(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

std::atomic<TContentEncoding> gEncoding{TContentEncoding::MacRoman};

std::mutex gLanguageMutex;
std::string gLanguage;
icu::Locale gLocale = icu::Locale::getRoot();

icu::Locale CurrentLocale() {
    std::lock_guard<std::mutex> lock(gLanguageMutex);
    return gLocale;
}

const char kBom[] = "\xEF\xBB\xBF";

} // namespace

const char* const kTextEncodingKey = "TextEncoding";

// ---- conversions ---------------------------------------------------------------

std::string Utf8From1252(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (unsigned char c : bytes) {
        if (c < 0x80) out += char(c);
        else AppendUtf8(out, (c <= 0x9F) ? char32_t(k1252High[c - 0x80]) : char32_t(c));
    }
    return out;
}

std::string Utf8To1252(const std::string& utf8, bool* lossless) {
    std::string out;
    out.reserve(utf8.size());
    bool exact = true;
    for (size_t i = 0; i < utf8.size();) {
        char32_t c;
        if (!NextCodePoint(utf8, i, c)) { out += '?'; exact = false; continue; }
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) { out += char(c); continue; }
        char found = 0;
        for (int k = 0; k < 32; ++k)
            if (char32_t(k1252High[k]) == c) { found = char(0x80 + k); break; }
        if (!found) { found = '?'; exact = false; }
        out += found;
    }
    if (lossless) *lossless = exact;
    return out;
}

bool IsValidUtf8(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size();) {
        char32_t c;
        if (!NextCodePoint(bytes, i, c)) return false;
    }
    return true;
}

std::string ValidUtf8(const std::string& bytes) {
    if (IsValidUtf8(bytes)) return bytes;
    std::string out;
    out.reserve(bytes.size() + 8);
    for (size_t i = 0; i < bytes.size();) {
        const size_t at = i;
        char32_t c;
        if (NextCodePoint(bytes, i, c)) out.append(bytes, at, i - at);
        else AppendUtf8(out, 0xFFFD);
    }
    return out;
}

std::u32string CodePoints(const std::string& utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t c;
        out += NextCodePoint(utf8, i, c) ? c : char32_t(0xFFFD);
    }
    return out;
}

std::string Utf8FromCodePoints(const std::u32string& text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) AppendUtf8(out, c);
    return out;
}

std::string Utf8Char(char32_t codePoint) {
    std::string out;
    AppendUtf8(out, codePoint);
    return out;
}

QString ToQString(const std::string& utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }

std::string FromQString(const QString& text) { return text.toStdString(); }

std::string AsciiLower(const std::string& text) {
    std::string s = text;
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return s;
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

char32_t CodePointAt(const std::string& utf8, size_t at) {
    if (at >= utf8.size()) return 0;
    char32_t c;
    return NextCodePoint(utf8, at, c) ? c : char32_t(0xFFFD);
}

char32_t CodePointBefore(const std::string& utf8, size_t at) {
    if (at == 0 || at > utf8.size()) return 0;
    size_t start = at - 1;
    while (start > 0 && at - start < 4 && (static_cast<unsigned char>(utf8[start]) & 0xC0) == 0x80) --start;
    return CodePointAt(utf8, start);
}

// ---- content text ---------------------------------------------------------------

TContentEncoding EncodingDeclaredBy(const TStringList& targetLines) {
    std::string value = Trim(LookupKey(targetLines, kTextEncodingKey, ""));
    for (char& c : value) c = char(std::tolower(static_cast<unsigned char>(c)));
    return (value == "utf-8" || value == "utf8") ? TContentEncoding::Utf8 : TContentEncoding::MacRoman;
}

void SetContentEncoding(TContentEncoding encoding) { gEncoding = encoding; }
TContentEncoding ContentEncoding() { return gEncoding; }

std::string DecodeMacText(const std::string& bytes) { return Utf8From1252(MacToAnsi(bytes)); }

std::string DecodeContentText(const std::string& bytes) {
    return gEncoding == TContentEncoding::Utf8 ? ValidUtf8(bytes) : DecodeMacText(bytes);
}

TStringList DecodeContentLines(const std::string& fileBytes) {
    const bool bom = fileBytes.compare(0, 3, kBom) == 0;
    TStringList lines = SplitTextLines(bom ? fileBytes.substr(3) : fileBytes);
    for (std::string& line : lines) line = bom ? ValidUtf8(line) : DecodeContentText(line);
    return lines;
}

TStringList ReadContentLines(const std::string& file) {
    TStringList raw = ReadTextLines(file);
    if (!raw.empty() && raw.front().compare(0, 3, kBom) == 0) {
        raw.front().erase(0, 3);
        for (std::string& line : raw) line = ValidUtf8(line);
        return raw;
    }
    for (std::string& line : raw) line = DecodeContentText(line);
    return raw;
}

// ---- language -------------------------------------------------------------------

void SetTextLanguage(const std::string& isoCode) {
    std::lock_guard<std::mutex> lock(gLanguageMutex);
    gLanguage = isoCode;
    gLocale = isoCode.empty() ? icu::Locale::getRoot() : icu::Locale(isoCode.c_str());
}

const std::string& TextLanguage() { return gLanguage; }

bool WritesWithoutSpaces(const std::string& isoCode) {
    static const char* const kNoSpaces[] = {"ja", "zh", "yue", "th", "lo", "km", "my", "bo"};
    for (const char* code : kNoSpaces)
        if (isoCode == code) return true;
    return false;
}

bool TextLanguageWritesWithoutSpaces() {
    std::lock_guard<std::mutex> lock(gLanguageMutex);
    return WritesWithoutSpaces(gLanguage);
}

// ---- case -----------------------------------------------------------------------

namespace {
bool IsAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}
bool IsTurkic(const icu::Locale& locale) {
    const std::string lang = locale.getLanguage();
    return lang == "tr" || lang == "az";
}
} // namespace

std::string LowerText(const std::string& utf8) {
    const icu::Locale locale = CurrentLocale();
    if (IsAscii(utf8) && !IsTurkic(locale)) {
        std::string s = utf8;
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = char(c + 32);
        return s;
    }
    icu::UnicodeString u = ToIcu(utf8);
    u.toLower(locale);
    return FromIcu(u);
}

std::string UpperText(const std::string& utf8) {
    const icu::Locale locale = CurrentLocale();
    if (IsAscii(utf8) && !IsTurkic(locale)) {
        std::string s = utf8;
        for (char& c : s)
            if (c >= 'a' && c <= 'z') c = char(c - 32);
        return s;
    }
    icu::UnicodeString u = ToIcu(utf8);
    u.toUpper(locale);
    return FromIcu(u);
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const uint32_t options = IsTurkic(CurrentLocale()) ? U_FOLD_CASE_EXCLUDE_SPECIAL_I : U_FOLD_CASE_DEFAULT;
    return ToIcu(a).caseCompare(ToIcu(b), options) == 0;
}

// ---- characters and words ------------------------------------------------------

namespace {

// A break iterator per thread and kind: creating one costs far more than using it.
std::unique_ptr<icu::BreakIterator> MakeIterator(bool words, const icu::Locale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(words ? icu::BreakIterator::createWordInstance(locale, status)
                                                 : icu::BreakIterator::createCharacterInstance(locale, status));
    if (U_FAILURE(status)) return nullptr;
    return it;
}

icu::BreakIterator* IteratorFor(bool words) {
    struct TCache {
        std::unique_ptr<icu::BreakIterator> it;
        std::string language;
        bool made = false;
    };
    thread_local TCache cache[2];
    TCache& c = cache[words ? 1 : 0];
    const icu::Locale locale = CurrentLocale();
    const std::string language = locale.getName();
    if (!c.made || c.language != language) {
        c.it = MakeIterator(words, locale);
        c.language = language;
        c.made = true;
    }
    return c.it.get();
}

// Byte offset in the UTF-8 text of each UTF-16 index of its ICU copy.
std::vector<size_t> Utf16ToByteOffsets(const std::string& utf8) {
    std::vector<size_t> offsets;
    offsets.reserve(utf8.size() + 1);
    for (size_t i = 0; i < utf8.size();) {
        const size_t at = i;
        char32_t c;
        if (!NextCodePoint(utf8, i, c)) c = 0xFFFD;
        offsets.push_back(at);
        if (c >= 0x10000) offsets.push_back(at);
    }
    offsets.push_back(utf8.size());
    return offsets;
}

} // namespace

TStringList Graphemes(const std::string& utf8) {
    TStringList out;
    if (utf8.empty()) return out;
    const std::string text = ValidUtf8(utf8);
    if (IsAscii(text)) {
        // CR LF is one cluster; nothing else in ASCII joins.
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') { out.push_back("\r\n"); ++i; }
            else out.push_back(std::string(1, text[i]));
        }
        return out;
    }
    icu::BreakIterator* it = IteratorFor(false);
    const icu::UnicodeString u = ToIcu(text);
    if (!it) { // no ICU data: code points
        for (char32_t c : CodePoints(text)) out.push_back(Utf8Char(c));
        return out;
    }
    const std::vector<size_t> at = Utf16ToByteOffsets(text);
    it->setText(u);
    int32_t start = it->first();
    for (int32_t end = it->next(); end != icu::BreakIterator::DONE; start = end, end = it->next())
        out.push_back(text.substr(at[size_t(start)], at[size_t(end)] - at[size_t(start)]));
    return out;
}

int GraphemeCount(const std::string& utf8) { return static_cast<int>(Graphemes(utf8).size()); }

bool IsWordBoundary(const std::string& utf8, size_t at) {
    if (at == 0 || at >= utf8.size()) return true;
    for (const TWordSpan& w : BreakWords(utf8))
        if (w.Begin == at || w.End == at) return true;
    // Between two non-word pieces (punctuation) counts as well.
    return !IsWordCodePoint(CodePointBefore(utf8, at)) || !IsWordCodePoint(CodePointAt(utf8, at));
}

bool IsWordCodePoint(char32_t c) {
    return (U_GET_GC_MASK(UChar32(c)) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_ND_MASK)) != 0;
}

std::vector<TWordSpan> BreakWords(const std::string& utf8) {
    std::vector<TWordSpan> words;
    const std::string text = ValidUtf8(utf8);
    if (text.empty()) return words;
    icu::BreakIterator* it = IteratorFor(true);
    if (!it) return words;
    const std::vector<size_t> at = Utf16ToByteOffsets(text);
    const icu::UnicodeString u = ToIcu(text);
    it->setText(u);
    int32_t start = it->first();
    for (int32_t end = it->next(); end != icu::BreakIterator::DONE; start = end, end = it->next()) {
        if (it->getRuleStatus() == UBRK_WORD_NONE) continue; // spaces and punctuation
        words.push_back({at[size_t(start)], at[size_t(end)]});
    }
    return words;
}

} // namespace tav
