#pragma once
// Small utilities every part of the program leans on: INI-style profile files,
// cutting fields out of content lines, the Mac character table, random pieces
// from pool strings and a few system look-ups. Text is UTF-8 (content/UnicodeText).
#include <stdexcept>
#include <functional>
#include <string>

namespace tav {

// The program's errors: fixed English messages that reach the one
// application-wide handler ("System error: ").
class EProgramError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// ---- profile files -------------------------------------------------------
// file is a program path (backslashes allowed, case-insensitive).
std::string GetProfile(const std::string& section, const std::string& key,
                       const std::string& defaultValue, const std::string& file);
bool WriteProfile(const std::string& section, const std::string& key,
                  const std::string& value, const std::string& file);
void WriteProfileChecked(const std::string& section, const std::string& key,
                         const std::string& value, const std::string& file);

// The system's text for the last error code recorded by these utilities
// (errno of the failed call), at most 256 characters.
std::string SystemErrorText();
void SetLastSystemError(int code);
int LastSystemError();

struct TVersionNumbers {
    int Major = 0, Minor = 0, Release = 0, Build = 0;
};
TVersionNumbers GetVersionNumbers();

// ---- text ------------------------------------------------------------------
std::string NextToken(std::string& text, char separator);
int NextInt(std::string& text, char separator, int defaultValue);

// Whole-number conversion: optional leading blanks, optional sign, decimal
// digits (or "$" and hexadecimal digits); anything else gives the default.
int StrToIntDef(const std::string& text, int defaultValue);
bool TryStrToInt(const std::string& text, int& value);
std::string IntToStr(long long value);
std::string Trim(const std::string& text);

// Random numbers for drawing questions: Random(n) is uniform in 0 .. n-1
// (0 when n <= 0). Randomize seeds from the clock; SetRandSeed makes runs
// repeatable in tests, and SetRandomizeSeeds makes the screens' own
// Randomize calls take their seeds from a source (nullptr: the clock again).
int Random(int n);
void Randomize();
void SetRandSeed(unsigned seed);
void SetRandomizeSeeds(std::function<unsigned()> source);

std::string TakeRandomChunk(std::string& pool, int size);

// ---- Mac OS Roman --------------------------------------------------------
std::string MacToAnsi(const std::string& text);
int AnsiToMacCode(unsigned char character);
// The whole table: byte b of Mac text becomes MacToAnsiTable()[b].
const unsigned char* MacToAnsiTable();

} // namespace tav
