#pragma once
// Reading content text files and looking up the "key|value" lines of the key
// files (Target.txt, settings.txt).
#include <string>
#include <vector>

namespace tav {

using TStringList = std::vector<std::string>;

// All lines of a text file (program path). Lines end with CR LF, LF or a lone
// CR. A file that cannot be opened raises an error naming it.
TStringList ReadTextLines(const std::string& file);
// The lines of a text held in memory, with the same line-end rules.
TStringList SplitTextLines(const std::string& text);

// The rest of the first line whose key (text before "|") equals key without
// regard to case; default when no line matches.
// Index of the first line whose key equals key without regard to case; -1
// when none does. LookupKey and SplitKeyList read that line.
int FindKeyLine(const TStringList& lines, const std::string& key);

std::string LookupKey(const TStringList& lines, const std::string& key, const std::string& defaultValue);

// The value of the first matching line cut at separator, stopping at the first
// empty piece; empty when no line matches.
TStringList SplitKeyList(const TStringList& lines, const std::string& key, char separator);

} // namespace tav
