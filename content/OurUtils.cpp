#include "content/OurUtils.h"

#include "content/IniFile.h"
#include "platform/Paths.h"
#include "Version.h"

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstring>
#include <random>
#include <vector>

namespace tav {

std::string Format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, ap);
    va_end(ap);
    return out;
}

// ---- profile files ----------------------------------------------------------

namespace {
thread_local int g_lastError = 0;
}

void SetLastSystemError(int code) { g_lastError = code; }
int LastSystemError() { return g_lastError; }

std::string SystemErrorText() {
    char buf[257];
    const char* text = ::strerror_r(g_lastError, buf, sizeof buf);
    std::string s = text ? text : "";
    if (s.size() > 256) s.resize(256);
    return s;
}

std::string GetProfile(const std::string& section, const std::string& key,
                       const std::string& defaultValue, const std::string& file) {
    if (file.empty())
        throw EProgramError(Format("No file specified for GetProfile %s, %s", section.c_str(), key.c_str()));
    TIniFile ini;
    if (!ini.LoadFromFile(file)) return defaultValue;
    return ini.ReadString(section, key, defaultValue);
}

bool WriteProfile(const std::string& section, const std::string& key,
                  const std::string& value, const std::string& file) {
    if (section.empty()) throw EProgramError("No section specified for WriteProfile");
    if (file.empty())
        throw EProgramError(Format("No file specified for WriteProfile %s, %s", section.c_str(), key.c_str()));
    TIniFile ini;
    if (!ini.LoadFromFile(file)) return false;
    if (key.empty()) {
        // With no key the whole section goes (whatever the value says).
        ini.EraseSection(section);
    } else if (value.empty()) {
        ini.DeleteKey(section, key);
    } else {
        ini.WriteString(section, key, value);
    }
    return ini.SaveToFile(file);
}

void WriteProfileChecked(const std::string& section, const std::string& key,
                         const std::string& value, const std::string& file) {
    if (!WriteProfile(section, key, value, file))
        throw EProgramError(
            Format("Write to %s failed - %s", NativePath(file).c_str(), SystemErrorText().c_str()));
}

TVersionNumbers GetVersionNumbers() {
    return {TAVOLIN_VERSION_MAJOR, TAVOLIN_VERSION_MINOR, TAVOLIN_VERSION_RELEASE, TAVOLIN_VERSION_BUILD};
}

// ---- text -------------------------------------------------------------------

std::string NextToken(std::string& text, char separator) {
    size_t k = text.find(separator);
    if (k == std::string::npos) {
        std::string all;
        all.swap(text);
        return all;
    }
    std::string head = text.substr(0, k);
    text.erase(0, k + 1);
    return head;
}

int NextInt(std::string& text, char separator, int defaultValue) {
    return StrToIntDef(NextToken(text, separator), defaultValue);
}

bool TryStrToInt(const std::string& text, int& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') { base = 16; ++i; }
    else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) { base = 16; i += 2; }
    if (i >= text.size()) return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        int d;
        char c = text[i];
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * base + d;
        if (v > 0x80000000LL) return false;
    }
    if (negative) v = -v;
    if (v > 0x7FFFFFFFLL || v < -0x80000000LL) return false;
    value = static_cast<int>(v);
    return true;
}

int StrToIntDef(const std::string& text, int defaultValue) {
    int v;
    return TryStrToInt(text, v) ? v : defaultValue;
}

std::string IntToStr(long long value) { return std::to_string(value); }

std::string Trim(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return text.substr(b, e - b);
}

namespace {
std::mt19937& Rng() {
    static std::mt19937 rng(12345);
    return rng;
}
} // namespace

int Random(int n) {
    if (n <= 0) return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(Rng());
}

namespace {
std::function<unsigned()>& RandomizeSeeds() {
    static std::function<unsigned()> source;
    return source;
}
} // namespace

void Randomize() {
    if (RandomizeSeeds()) {
        Rng().seed(RandomizeSeeds()());
        return;
    }
    auto t = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    Rng().seed(static_cast<unsigned>(t ^ (t >> 32)));
}

void SetRandomizeSeeds(std::function<unsigned()> source) { RandomizeSeeds() = std::move(source); }

void SetRandSeed(unsigned seed) { Rng().seed(seed); }

std::string TakeRandomChunk(std::string& pool, int size) {
    if (pool.empty() || size <= 0) return {};
    int count = static_cast<int>(pool.size()) / size;
    if (count <= 0) {
        // A pool shorter than one piece is a piece of its own.
        std::string all;
        all.swap(pool);
        return all;
    }
    int k = Random(count);
    std::string piece = pool.substr(static_cast<size_t>(k) * size, size);
    pool.erase(static_cast<size_t>(k) * size, size);
    return piece;
}

// ---- Mac OS Roman -------------------------------------------------------------

namespace {

// Mac OS Roman 0x80..0xFF to Windows-1252; 0xD7 where Windows-1252 has no
// equivalent character.
const unsigned char kMacHigh[128] = {
    0xC4, 0xC5, 0xC7, 0xC9, 0xD1, 0xD6, 0xDC, 0xE1, 0xE0, 0xE2, 0xE4, 0xE3, 0xE5, 0xE7, 0xE9, 0xE8, // 80
    0xEA, 0xEB, 0xED, 0xEC, 0xEE, 0xEF, 0xF1, 0xF3, 0xF2, 0xF4, 0xF6, 0xF5, 0xFA, 0xF9, 0xFB, 0xFC, // 90
    0x86, 0xB0, 0xA2, 0xA3, 0xA7, 0x95, 0xB6, 0xDF, 0xAE, 0xA9, 0x99, 0xB4, 0xA8, 0xD7, 0xC6, 0xD8, // A0
    0xD7, 0xB1, 0xD7, 0xD7, 0xA5, 0xB5, 0xD7, 0xD7, 0xD7, 0xD7, 0xD7, 0xAA, 0xBA, 0xD7, 0xE6, 0xF8, // B0
    0xBF, 0xA1, 0xAC, 0xD7, 0x83, 0xD7, 0xD7, 0xAB, 0xBB, 0x85, 0xA0, 0xC0, 0xC3, 0xD5, 0x8C, 0x9C, // C0
    0x96, 0x97, 0x93, 0x94, 0x91, 0x92, 0xF7, 0xD7, 0xFF, 0x9F, 0xD7, 0xA4, 0x8B, 0x9B, 0xD7, 0xD7, // D0
    0x87, 0xB7, 0x82, 0x84, 0x89, 0xC2, 0xCA, 0xC1, 0xCB, 0xC8, 0xCD, 0xCE, 0xCF, 0xCC, 0xD3, 0xD4, // E0
    0xD7, 0xD2, 0xDA, 0xDB, 0xD9, 0xD7, 0x88, 0x98, 0xAF, 0xD7, 0xD7, 0xD7, 0xB8, 0xD7, 0xD7, 0xD7, // F0
};

struct MacTable {
    unsigned char t[256];
    MacTable() {
        for (int i = 0; i < 128; ++i) t[i] = static_cast<unsigned char>(i);
        for (int i = 0; i < 128; ++i) t[128 + i] = kMacHigh[i];
        // Windows letters that Mac OS Roman lacks live in the control codes.
        const unsigned char low[][2] = {
            {0x01, 0xDE}, {0x02, 0xFE}, {0x03, 0x8A}, {0x04, 0x9A}, {0x05, 0xA6}, {0x06, 0xD0},
            {0x07, 0xD7}, {0x09, 0x20}, {0x0B, 0xB9}, {0x0C, 0xB2}, {0x0E, 0xF0}, {0x0F, 0xDD},
            {0x17, 0xBD}, {0x19, 0xBE}, {0x1A, 0xBC}, {0x1B, 0xFD}, {0x1C, 0xB3}};
        for (const auto& p : low) t[p[0]] = p[1];
    }
};

const MacTable& Table() {
    static const MacTable table;
    return table;
}

} // namespace

const unsigned char* MacToAnsiTable() { return Table().t; }

std::string MacToAnsi(const std::string& text) {
    const unsigned char* t = Table().t;
    std::string out = text;
    for (char& c : out) c = static_cast<char>(t[static_cast<unsigned char>(c)]);
    return out;
}

int AnsiToMacCode(unsigned char character) {
    const unsigned char* t = Table().t;
    for (int i = 0; i < 256; ++i)
        if (t[i] == character) return i;
    return -1;
}

} // namespace tav
