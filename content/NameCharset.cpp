#include "content/NameCharset.h"

#include <QChar>
#include <QStringDecoder>

#include <array>
#include <map>
#include <mutex>
#include <unordered_map>

#include "content/UnicodeText.h"

namespace tav {

const char* CodePageForCharset(int charset) {
    switch (charset & 0xFF) {
    case 161: return "windows-1253"; // GREEK_CHARSET
    case 162: return "windows-1254"; // TURKISH_CHARSET
    case 163: return "windows-1258"; // VIETNAMESE_CHARSET
    case 177: return "windows-1255"; // HEBREW_CHARSET
    case 178: return "windows-1256"; // ARABIC_CHARSET
    case 186: return "windows-1257"; // BALTIC_CHARSET
    case 204: return "windows-1251"; // RUSSIAN_CHARSET
    case 222: return "windows-874";  // THAI_CHARSET
    case 238: return "windows-1250"; // EASTEUROPE_CHARSET
    default: return nullptr;
    }
}

namespace {

// All of these are single-byte code pages: one table of 256 characters says
// everything. A byte the code page leaves undefined still stands for a
// character of its own (its C1 or Latin-1 value, as Windows decodes it, or a
// private-use one when that is taken), so every byte string is some name and
// comes back as the same bytes.
struct TCodeTable {
    std::array<char32_t, 256> Chars{};
    std::unordered_map<char32_t, unsigned char> Bytes;
};

TCodeTable MakeTable(const char* codePage) {
    TCodeTable table;
    bool decoded = false;
    if (codePage) {
        QStringDecoder decoder(codePage);
        if (decoder.isValid()) {
            QByteArray all(256, '\0');
            for (int i = 0; i < 256; ++i) all[i] = char(i);
            const QString text = decoder.decode(all);
            if (text.size() == 256) {
                for (int i = 0; i < 256; ++i) table.Chars[size_t(i)] = text[i].unicode();
                decoded = true;
            }
        }
    }
    if (!decoded) { // Windows-1252, also when Qt was built without ICU
        for (int i = 0; i < 256; ++i) {
            const std::u32string c = CodePoints(Utf8From1252(std::string(1, char(i))));
            table.Chars[size_t(i)] = c.empty() ? U'\uFFFD' : c[0];
        }
    }
    for (int i = 0; i < 256; ++i)
        if (table.Chars[size_t(i)] != U'\uFFFD') table.Bytes.emplace(table.Chars[size_t(i)], (unsigned char)(i));
    for (int i = 0x80; i < 256; ++i) {
        char32_t& c = table.Chars[size_t(i)];
        if (c != U'\uFFFD' && table.Bytes.at(c) == i) continue;
        c = table.Bytes.count(char32_t(i)) ? char32_t(0xF700 + i) : char32_t(i);
        table.Bytes[c] = (unsigned char)(i);
    }
    return table;
}

const TCodeTable& TableFor(int charset) {
    static std::mutex mutex;
    static std::map<std::string, TCodeTable> tables;
    const char* codePage = CodePageForCharset(charset);
    const std::string key = codePage ? codePage : "windows-1252";
    std::lock_guard<std::mutex> lock(mutex);
    auto it = tables.find(key);
    if (it == tables.end()) it = tables.emplace(key, MakeTable(codePage)).first;
    return it->second;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The character of a well-formed escape at stored[at] ("\1048;"), with its
// length; 0 when there is none there.
size_t EscapeAt(const std::string& stored, size_t at, const TCodeTable& table, char32_t& c) {
    if (stored[at] != '\\' || at + 1 >= stored.size() || !IsDigit(stored[at + 1]) || stored[at + 1] == '0') return 0;
    size_t end = at + 1;
    unsigned long value = 0;
    while (end < stored.size() && IsDigit(stored[end]) && end - at <= 7) value = value * 10 + (stored[end++] - '0');
    if (end >= stored.size() || stored[end] != ';' || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    if (table.Bytes.count(char32_t(value))) return 0; // the code page holds it: not an escape
    c = char32_t(value);
    return end + 1 - at;
}

} // namespace

std::string ProfileFormOfName(const std::string& utf8Name, int charset) {
    const TCodeTable& table = TableFor(charset);
    std::string out;
    out.reserve(utf8Name.size());
    for (char32_t c : CodePoints(utf8Name)) {
        auto it = table.Bytes.find(c);
        if (it != table.Bytes.end()) out += char(it->second);
        else out += "\\" + std::to_string(static_cast<unsigned long>(c)) + ";";
    }
    return out;
}

std::string NameFromProfile(const std::string& stored, int charset) {
    const TCodeTable& table = TableFor(charset);
    std::u32string name;
    name.reserve(stored.size());
    for (size_t i = 0; i < stored.size();) {
        char32_t c;
        if (const size_t length = EscapeAt(stored, i, table, c)) {
            name += c;
            i += length;
        } else {
            name += table.Chars[static_cast<unsigned char>(stored[i++])];
        }
    }
    return Utf8FromCodePoints(name);
}

bool IsCodePageName(const std::string& utf8Name, int charset) {
    const TCodeTable& table = TableFor(charset);
    for (char32_t c : CodePoints(utf8Name))
        if (!table.Bytes.count(c)) return false;
    return true;
}

bool IsNameCodePoint(char32_t c) {
    if (c == 0x200C || c == 0x200D) return true; // zero-width non-joiner and joiner
    if (c == 0xFFFD || c > 0x10FFFF) return false;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph: return false;
    default: return true;
    }
}

bool IsProfileReserved(char32_t c) { return c == ']' || c == '\\'; }

} // namespace tav
