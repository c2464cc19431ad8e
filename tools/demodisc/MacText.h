#pragma once
// Writing the disc's text files: UTF-8 source text becomes Windows-1252 and
// then Mac OS Roman through the program's own character table, so the program
// reads back exactly what was written. A disc for a language Mac OS Roman
// cannot carry is written in UTF-8 instead (Target.txt then says
// "TextEncoding|UTF-8"); the disc writers follow DiscEncoding().
#include <string>
#include <vector>

namespace demodisc {

// UTF-8 to 8-bit Windows-1252; throws when a character has no 1252 code.
std::string ToAnsi(const std::string& utf8);
// UTF-8 to Mac OS Roman bytes that the program's MacToAnsi turns back into the
// same Windows-1252 text; throws when a character has no Mac code.
std::string ToMac(const std::string& utf8);
// The Mac OS Roman code of one Windows-1252 character (the program's table).
int MacCodeOf(unsigned char ansi);

// Writes lines as Mac OS Roman text ending in CR LF. Parent folders are made.
void WriteMacLines(const std::string& path, const std::vector<std::string>& utf8Lines);
// The encoding of the disc being written; Mac OS Roman unless set.
enum class TDiscEncoding { MacRoman, Utf8 };
void SetDiscEncoding(TDiscEncoding encoding);
TDiscEncoding DiscEncoding();
// Sets the encoding for the lifetime of the object, then restores the one before.
class TDiscEncodingScope {
public:
    explicit TDiscEncodingScope(TDiscEncoding encoding);
    ~TDiscEncodingScope();
    TDiscEncodingScope(const TDiscEncodingScope&) = delete;
    TDiscEncodingScope& operator=(const TDiscEncodingScope&) = delete;

private:
    TDiscEncoding before_;
};
// UTF-8 text as the bytes of the disc being written: ToMac on a Mac OS Roman
// disc, the text itself on a UTF-8 disc (throws when it is not valid UTF-8).
std::string ToDisc(const std::string& utf8);
// Writes lines in the disc's encoding, ending in CR LF (no byte-order mark).
void WriteDiscLines(const std::string& path, const std::vector<std::string>& utf8Lines);

// Writes lines that are already 8-bit (numbers, timecodes, Mac text) unchanged.
void WriteRawLines(const std::string& path, const std::vector<std::string>& lines);

} // namespace demodisc
