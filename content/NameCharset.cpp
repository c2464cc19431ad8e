#include "content/NameCharset.h"

#include <QStringDecoder>

#include <array>
#include <map>

#include "content/Text1252.h"

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
// everything. Bytes the code page leaves undefined decode to U+FFFD.
using TCodeTable = std::array<char16_t, 256>;

const TCodeTable* TableFor(int charset) {
    const char* name = CodePageForCharset(charset);
    if (!name) return nullptr;
    static std::map<std::string, TCodeTable> tables;
    auto it = tables.find(name);
    if (it != tables.end()) return &it->second;
    QStringDecoder decoder(name);
    if (!decoder.isValid()) return nullptr; // Qt built without ICU: stay with Windows-1252
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i) all[i] = char(i);
    const QString decoded = decoder.decode(all);
    if (decoded.size() != 256) return nullptr;
    TCodeTable table{};
    for (int i = 0; i < 256; ++i) table[size_t(i)] = decoded[i].unicode();
    return &tables.emplace(name, table).first->second;
}

int ByteFor(const TCodeTable& table, char16_t u) {
    if (u < 0x80) return u;
    if (u == 0xFFFD) return -1;
    for (int i = 0x80; i < 256; ++i)
        if (table[size_t(i)] == u) return i;
    return -1;
}

} // namespace

QString DecodeName(const std::string& bytes, int charset) {
    const TCodeTable* table = TableFor(charset);
    if (!table) return ToQString(bytes);
    QString out;
    out.reserve(int(bytes.size()));
    for (unsigned char c : bytes) out += QChar((*table)[c]);
    return out;
}

std::string EncodeName(const QString& text, int charset) {
    const TCodeTable* table = TableFor(charset);
    if (!table) return FromQString(text);
    std::string out;
    out.reserve(size_t(text.size()));
    for (QChar q : text) {
        const int b = ByteFor(*table, q.unicode());
        out += b < 0 ? '?' : char(b);
    }
    return out;
}

bool CanEncodeName(const QString& text, int charset) {
    const TCodeTable* table = TableFor(charset);
    for (QChar q : text) {
        if (q.unicode() == '?') continue;
        if (table ? ByteFor(*table, q.unicode()) < 0 : FromQString(QString(q)) == "?") return false;
    }
    return true;
}

} // namespace tav
