#pragma once
// Writing the disc's text files: UTF-8 source text becomes Windows-1252 and
// then Mac OS Roman through the program's own character table, so the program
// reads back exactly what was written.
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
// Writes lines that are already 8-bit (numbers, timecodes, Mac text) unchanged.
void WriteRawLines(const std::string& path, const std::vector<std::string>& lines);

} // namespace demodisc
