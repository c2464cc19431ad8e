#include "content/Text1252.h"

#include <strings.h>

namespace tav {

namespace {
// Unicode of the bytes 0x80..0x9F; the rest of Windows-1252 equals Latin-1.
// Unassigned codes keep their value as C1 controls.
const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

unsigned char LowerChar1252(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
    }
}

unsigned char UpperChar1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
    }
}

std::string LowerCase1252(const std::string& text) {
    std::string s = text;
    for (char& c : s) c = static_cast<char>(LowerChar1252(static_cast<unsigned char>(c)));
    return s;
}

std::string UpperCase1252(const std::string& text) {
    std::string s = text;
    for (char& c : s) c = static_cast<char>(UpperChar1252(static_cast<unsigned char>(c)));
    return s;
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

QString ToQString(const std::string& text1252) {
    QString out;
    out.reserve(static_cast<int>(text1252.size()));
    for (unsigned char c : text1252)
        out += (c >= 0x80 && c <= 0x9F) ? QChar(kHigh[c - 0x80]) : QChar(char16_t(c));
    return out;
}

std::string FromQString(const QString& text) {
    std::string out;
    out.reserve(text.size());
    for (QChar q : text) {
        char16_t u = q.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) { out += static_cast<char>(u); continue; }
        char found = '?';
        for (int i = 0; i < 32; ++i)
            if (kHigh[i] == u) { found = static_cast<char>(0x80 + i); break; }
        out += found;
    }
    return out;
}

} // namespace tav
