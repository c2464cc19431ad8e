#include "content/KeyFiles.h"

#include "content/OurUtils.h"
#include "content/Text1252.h"
#include "platform/Paths.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tav {

TStringList ReadTextLines(const std::string& file) {
    std::ifstream in(NativePath(file), std::ios::binary);
    if (!in) {
        SetLastSystemError(errno ? errno : ENOENT);
        throw EProgramError(Format("Cannot open file \"%s\". %s", NativePath(file).c_str(), SystemErrorText().c_str()));
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
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

std::string LookupKey(const TStringList& lines, const std::string& key, const std::string& defaultValue) {
    for (const auto& l : lines) {
        std::string rest = l;
        std::string k = NextToken(rest, '|');
        if (SameText(k, key)) return rest;
    }
    return defaultValue;
}

TStringList SplitKeyList(const TStringList& lines, const std::string& key, char separator) {
    TStringList out;
    for (const auto& l : lines) {
        std::string rest = l;
        if (!SameText(NextToken(rest, '|'), key)) continue;
        while (true) {
            std::string piece = NextToken(rest, separator);
            if (piece.empty()) break;
            out.push_back(piece);
        }
        break;
    }
    return out;
}

} // namespace tav
