#include "lookup/DictdIndex.h"

#include "content/UnicodeText.h"

#include <algorithm>
#include <cstring>

namespace tav {

namespace {

const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DigitValue(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool AsciiSortChar(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ' ' || c == '\t'; }

unsigned char AsciiFold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// The headword of the line starting at p (up to its first tab or the line end).
std::string_view HeadwordAt(const char* data, size_t size, size_t p) {
    size_t e = p;
    while (e < size && data[e] != '\t' && data[e] != '\n') ++e;
    if (e > p && data[e - 1] == '\r') --e;
    return std::string_view(data + p, e - p);
}

size_t LineEnd(const char* data, size_t size, size_t p) {
    const void* nl = std::memchr(data + p, '\n', size - p);
    return nl ? static_cast<size_t>(static_cast<const char*>(nl) - data) : size;
}

std::string Quoted(std::string_view line) {
    std::string s(line.substr(0, 80));
    for (char& c : s)
        if (c == '\t') c = ' ';
    return "\"" + ValidUtf8(s) + (line.size() > 80 ? "...\"" : "\"");
}

} // namespace

bool DecodeDictdNumber(std::string_view digits, uint64_t& value) {
    if (digits.empty() || digits.size() > 10) return false;
    uint64_t v = 0;
    for (char c : digits) {
        const int d = DigitValue(c);
        if (d < 0) return false;
        v = v * 64 + static_cast<uint64_t>(d);
    }
    value = v;
    return true;
}

std::string EncodeDictdNumber(uint64_t value) {
    std::string s;
    do {
        s.insert(s.begin(), kDigits[value % 64]);
        value /= 64;
    } while (value);
    return s;
}

std::string DictdKey(const std::string& word, bool allChars) {
    const std::u32string text = CodePoints(LowerText(ValidUtf8(word)));
    std::u32string key;
    for (char32_t c : text) {
        const bool space = c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == 0xA0 || c == 0x3000;
        if (space) {
            if (!key.empty() && key.back() != U' ') key.push_back(U' ');
        } else if (allChars || IsWordCodePoint(c)) {
            key.push_back(c);
        }
    }
    while (!key.empty() && key.back() == U' ') key.pop_back();
    return Utf8FromCodePoints(key);
}

TDictdIndex::TDictdIndex() = default;
TDictdIndex::~TDictdIndex() = default;

bool TDictdIndex::Open(const std::string& fileName, std::string& error) {
    file_ = std::make_unique<QFile>(QString::fromStdString(fileName));
    owned_.clear();
    data_ = nullptr;
    size_ = 0;
    if (!file_->open(QIODevice::ReadOnly)) {
        error = "cannot open the dictionary index " + fileName + ": " + file_->errorString().toStdString();
        file_.reset();
        return false;
    }
    const qint64 size = file_->size();
    if (size <= 0) {
        error = "the dictionary index " + fileName + " is empty";
        file_.reset();
        return false;
    }
    uchar* mapped = file_->map(0, size);
    if (mapped) {
        data_ = reinterpret_cast<const char*>(mapped);
        size_ = static_cast<size_t>(size);
    } else {
        // A file system that cannot map: the index is read once instead.
        const QByteArray bytes = file_->readAll();
        owned_.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
        data_ = owned_.data();
        size_ = owned_.size();
    }
    if (!size_) {
        error = "cannot read the dictionary index " + fileName;
        return false;
    }
    ReadHeaderEntries();
    return true;
}

bool TDictdIndex::OpenBytes(std::string bytes, std::string& error) {
    file_.reset();
    owned_ = std::move(bytes);
    data_ = owned_.data();
    size_ = owned_.size();
    if (!size_) {
        error = "the dictionary index is empty";
        return false;
    }
    ReadHeaderEntries();
    return true;
}

void TDictdIndex::ReadHeaderEntries() {
    // dictfmt's own entries ("00-database-utf8", stored as "00databaseutf8"
    // unless every character is kept) sort near the top: the first few
    // hundred lines are enough to see them.
    utf8_ = false;
    allChars_ = false;
    size_t p = 0;
    for (int line = 0; line < 400 && p < size_; ++line) {
        const std::string_view h = HeadwordAt(data_, size_, p);
        if (h == "00databaseutf8" || h == "00-database-utf8") utf8_ = true;
        if (h == "00databaseallchars" || h == "00-database-allchars") allChars_ = true;
        p = LineEnd(data_, size_, p) + 1;
    }
}

int TDictdIndex::Compare(std::string_view headword, std::string_view key) const {
    if (utf8_) {
        const int c = headword.compare(key);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    // `sort -df`: only letters, digits and blanks count, case folded.
    size_t i = 0, j = 0;
    for (;;) {
        while (i < headword.size() && !AsciiSortChar(static_cast<unsigned char>(headword[i]))) ++i;
        while (j < key.size() && !AsciiSortChar(static_cast<unsigned char>(key[j]))) ++j;
        const bool headEnds = i == headword.size(), keyEnds = j == key.size();
        if (headEnds || keyEnds) return headEnds && keyEnds ? 0 : headEnds ? -1 : 1;
        const unsigned char a = AsciiFold(static_cast<unsigned char>(headword[i]));
        const unsigned char b = AsciiFold(static_cast<unsigned char>(key[j]));
        if (a != b) return a < b ? -1 : 1;
        ++i;
        ++j;
    }
}

size_t TDictdIndex::LowerBound(std::string_view key) const {
    // lo and hi are line starts: every line before lo sorts before the key,
    // none at or after hi does. Each step moves one of them past a line.
    size_t lo = 0, hi = size_;
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        size_t start = mid;
        while (start > lo && data_[start - 1] != '\n') --start;
        if (Compare(HeadwordAt(data_, size_, start), key) < 0) {
            lo = std::min(hi, LineEnd(data_, size_, start) + 1);
        } else {
            hi = start;
        }
    }
    return lo;
}

void TDictdIndex::Collect(std::string_view key, TIndexLookup& result) const {
    for (size_t p = LowerBound(key); p < size_;) {
        const size_t end = LineEnd(data_, size_, p);
        std::string_view line(data_ + p, end - p);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t tab1 = line.find('\t');
        const std::string_view headword = line.substr(0, std::min(tab1, line.size()));
        if (Compare(headword, key) != 0) break;
        const size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        TIndexEntry e;
        e.Headword = std::string(headword);
        bool ok = tab2 != std::string_view::npos;
        if (ok) {
            const size_t tab3 = line.find('\t', tab2 + 1);
            ok = DecodeDictdNumber(line.substr(tab1 + 1, tab2 - tab1 - 1), e.Offset) &&
                 DecodeDictdNumber(line.substr(tab2 + 1, tab3 == std::string_view::npos ? std::string_view::npos : tab3 - tab2 - 1), e.Length);
        }
        if (ok) result.Entries.push_back(std::move(e));
        else if (result.Error.empty()) result.Error = "damaged index line " + Quoted(line) + " (expected headword, offset and length)";
        p = end + 1;
    }
}

TIndexLookup TDictdIndex::Find(const std::string& word) const {
    TIndexLookup result;
    const std::string key = DictdKey(word, allChars_);
    if (key.empty() || !size_) return result;
    Collect(key, result);
    Collect(" " + key, result);
    return result;
}

} // namespace tav
