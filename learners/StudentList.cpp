#include "learners/StudentList.h"

#include "content/NameCharset.h"
#include "content/OurUtils.h"

#include <utility>

namespace tav {

namespace {
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' ' && c != '\0'; }
} // namespace

TNames SplitCommaText(const std::string& text) {
    TNames names;
    size_t p = 0;
    const size_t n = text.size();
    while (p < n && IsBlank(text[p])) ++p;
    while (p < n) {
        std::string name;
        if (text[p] == '"') {
            ++p;
            while (p < n) {
                if (text[p] == '"') {
                    if (p + 1 < n && text[p + 1] == '"') {
                        name += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                name += text[p++];
            }
        } else {
            while (p < n && !IsBlank(text[p]) && text[p] != ',') name += text[p++];
        }
        names.push_back(name);
        while (p < n && IsBlank(text[p])) ++p;
        if (p < n && text[p] == ',') {
            if (p + 1 == n) names.emplace_back(); // a trailing comma ends with an empty name
            ++p;
            while (p < n && IsBlank(text[p])) ++p;
        }
    }
    return names;
}

std::string JoinCommaText(const TNames& names) {
    std::string out;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i) out += ',';
        const std::string& name = names[i];
        bool quote = false;
        for (char c : name)
            if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"') quote = true;
        if (!quote) {
            out += name;
            continue;
        }
        out += '"';
        for (char c : name) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

TNames NamesFromProfileList(const std::string& commaText, int charset) {
    TNames names = SplitCommaText(commaText);
    for (auto& name : names) name = NameFromProfile(name, charset);
    return names;
}

std::string ProfileListOfNames(const TNames& names, int charset) {
    TNames stored;
    stored.reserve(names.size());
    for (const auto& name : names) stored.push_back(ProfileFormOfName(name, charset));
    return JoinCommaText(stored);
}

std::string StudentSection(const std::string& name, int charset, bool remote) {
    return "Student " + (remote ? name : ProfileFormOfName(name, charset));
}

bool SortByTotal(TNames& names, std::vector<int>& totals) {
    bool changed = false;
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (size_t i = 0; i + 1 < names.size() && i + 1 < totals.size(); ++i) {
            if (totals[i] < totals[i + 1]) {
                std::swap(totals[i], totals[i + 1]);
                std::swap(names[i], names[i + 1]);
                exchanged = changed = true;
            }
        }
    }
    return changed;
}

int TotalOfScores(const std::string& scores) {
    std::string rest = scores;
    int total = 0;
    for (int i = 0; i < 4; ++i) total += NextInt(rest, ',', 0);
    return total;
}

} // namespace tav
