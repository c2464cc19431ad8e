#include "content/KeyFiles.h"

#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "platform/Paths.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tav {

TStringList SplitTextLines(const std::string& text) {
    TStringList lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

TStringList ReadTextLines(const std::string& file) {
    std::ifstream in(NativePath(file), std::ios::binary);
    if (!in) {
        SetLastSystemError(errno ? errno : ENOENT);
        throw EProgramError(Format("Cannot open file \"%s\". %s", NativePath(file).c_str(), SystemErrorText().c_str()));
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    return SplitTextLines(ss.str());
}

int FindKeyLine(const TStringList& lines, const std::string& key) {
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string rest = lines[i];
        if (SameText(NextToken(rest, '|'), key)) return static_cast<int>(i);
    }
    return -1;
}

namespace {
// The text after the first "|" of a line (empty for a line without one).
std::string ValueOf(const std::string& line) {
    std::string rest = line;
    NextToken(rest, '|');
    return rest;
}
} // namespace

std::string LookupKey(const TStringList& lines, const std::string& key, const std::string& defaultValue) {
    const int at = FindKeyLine(lines, key);
    return at < 0 ? defaultValue : ValueOf(lines[static_cast<size_t>(at)]);
}

TStringList SplitKeyList(const TStringList& lines, const std::string& key, char separator) {
    TStringList out;
    const int at = FindKeyLine(lines, key);
    if (at < 0) return out;
    std::string rest = ValueOf(lines[static_cast<size_t>(at)]);
    while (true) {
        std::string piece = NextToken(rest, separator);
        if (piece.empty()) break;
        out.push_back(piece);
    }
    return out;
}

} // namespace tav
