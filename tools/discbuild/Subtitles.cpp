#include "Subtitles.h"

#include <QRegularExpression>
#include <QString>
#include <QStringDecoder>
#include <algorithm>
#include <map>

namespace discbuild {

namespace {

std::string Utf8(const QString& s) { return s.toUtf8().toStdString(); }
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

bool ValidUtf8(const std::string& b) {
    for (size_t i = 0; i < b.size();) {
        const unsigned char c = (unsigned char)b[i];
        const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || (n > 1 && c < 0xC2) || i + n > b.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if (((unsigned char)b[i + k] >> 6) != 2) return false;
        i += n;
    }
    return true;
}

// UTF-16 without a mark: one byte of every pair is mostly zero in Latin text.
int ZeroShare(const std::string& b, size_t parity) {
    size_t zeros = 0, n = 0;
    for (size_t i = parity; i < b.size() && n < 4000; i += 2, ++n) zeros += b[i] == 0;
    return n ? int(zeros * 100 / n) : 0;
}

QString Decode(const std::string& b, size_t skip, QStringDecoder::Encoding enc) {
    QStringDecoder dec(enc);
    return dec.decode(QByteArrayView(b.data() + skip, qsizetype(b.size() - skip)));
}

std::string Trim(const std::string& s) {
    size_t a = 0, e = s.size();
    while (a < e && (unsigned char)s[a] <= ' ') ++a;
    while (e > a && (unsigned char)s[e - 1] <= ' ') --e;
    return s.substr(a, e - a);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    return lines;
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
    for (size_t i = 0; prefix[i]; ++i)
        if (i >= s.size() || std::tolower((unsigned char)s[i]) != std::tolower((unsigned char)prefix[i])) return false;
    return true;
}

// A cue as read, before speakers and turns are worked out.
struct TRawCue {
    int StartMs = 0, EndMs = 0, Line = 0;
    std::vector<std::string> TextLines; // markup removed, trimmed, non-empty
    std::string Speaker;                // from the file's own speaker field
};

void AddText(TRawCue& cue, const std::string& markup) {
    for (const std::string& l : SplitLines(StripSubtitleMarkup(markup))) {
        const std::string t = Trim(l);
        if (!t.empty()) cue.TextLines.push_back(t);
    }
}

// "a --> b [settings]" with its two times; false when either does not parse.
bool ParseTimeLine(const std::string& line, int& from, int& to) {
    const size_t arrow = line.find("-->");
    if (arrow == std::string::npos) return false;
    std::string right = Trim(line.substr(arrow + 3));
    const size_t blank = right.find_first_of(" \t");
    if (blank != std::string::npos) right = right.substr(0, blank); // WebVTT cue settings
    from = ParseSubtitleTime(Trim(line.substr(0, arrow)));
    to = ParseSubtitleTime(right);
    return from >= 0 && to >= 0;
}

// SRT and WebVTT: blocks of a time line and text, separated by blank lines.
void ReadBlocks(const std::vector<std::string>& lines, bool vtt, TSubtitleFile& out, std::vector<TRawCue>& cues) {
    size_t i = 0;
    if (vtt) { // the header block
        while (i < lines.size() && !Trim(lines[i]).empty()) ++i;
    }
    while (i < lines.size()) {
        while (i < lines.size() && Trim(lines[i]).empty()) ++i;
        if (i >= lines.size()) break;
        const size_t blockStart = i;
        size_t end = i;
        while (end < lines.size() && !Trim(lines[end]).empty()) ++end;
        const std::string first = Trim(lines[i]);
        if (vtt && (StartsWithNoCase(first, "NOTE") || StartsWithNoCase(first, "STYLE") ||
                    StartsWithNoCase(first, "REGION"))) {
            i = end;
            continue;
        }
        // An optional cue number or identifier before the time line.
        size_t timeAt = i;
        if (lines[timeAt].find("-->") == std::string::npos && timeAt + 1 < end) ++timeAt;
        int from = 0, to = 0;
        if (lines[timeAt].find("-->") == std::string::npos) {
            out.Problems.push_back({int(blockStart + 1), "no time line in this block; skipped"});
            i = end;
            continue;
        }
        if (!ParseTimeLine(lines[timeAt], from, to)) {
            out.Problems.push_back({int(timeAt + 1), "malformed time stamps \"" + Trim(lines[timeAt]) + "\"; cue skipped"});
            i = end;
            continue;
        }
        TRawCue cue;
        cue.StartMs = from;
        cue.EndMs = to;
        cue.Line = int(timeAt + 1);
        for (size_t k = timeAt + 1; k < end; ++k) {
            std::string text = lines[k];
            if (vtt) { // <v Name> gives the speaker
                static const QRegularExpression voice("<v(?:\\.[^ >]*)?\\s+([^>]+)>");
                const QRegularExpressionMatch m = voice.match(Q(text));
                if (m.hasMatch() && cue.Speaker.empty()) cue.Speaker = Trim(Utf8(m.captured(1)));
            }
            AddText(cue, text);
        }
        if (to <= from) out.Problems.push_back({cue.Line, "cue ends before it starts; skipped"});
        else if (cue.TextLines.empty()) out.Problems.push_back({cue.Line, "cue without text; skipped"});
        else cues.push_back(std::move(cue));
        i = end;
    }
}

std::vector<std::string> SplitFields(const std::string& s, size_t count) {
    std::vector<std::string> f;
    size_t start = 0;
    while (f.size() + 1 < count) {
        const size_t comma = s.find(',', start);
        if (comma == std::string::npos) break;
        f.push_back(Trim(s.substr(start, comma - start)));
        start = comma + 1;
    }
    f.push_back(s.substr(start)); // the text keeps its commas
    return f;
}

// ASS/SSA: the [Events] section's Format line names the fields of every
// Dialogue line; Text is the last and may hold commas.
void ReadAss(const std::vector<std::string>& lines, TSubtitleFile& out, std::vector<TRawCue>& cues) {
    bool events = false;
    std::vector<std::string> format;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = Trim(lines[i]);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            events = StartsWithNoCase(line, "[Events]");
            continue;
        }
        if (!events) continue;
        if (StartsWithNoCase(line, "Format:")) {
            format.clear();
            for (const std::string& f : SplitFields(line.substr(7), 100)) {
                std::string name = Trim(f);
                std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
                format.push_back(name);
            }
            continue;
        }
        if (!StartsWithNoCase(line, "Dialogue:")) continue; // comments, pictures, sounds
        if (format.empty())
            format = {"layer", "start", "end", "style", "name", "marginl", "marginr", "marginv", "effect", "text"};
        const std::vector<std::string> f = SplitFields(line.substr(9), format.size());
        std::map<std::string, std::string> field;
        for (size_t k = 0; k < f.size() && k < format.size(); ++k) field[format[k]] = f[k];
        const int from = ParseSubtitleTime(field["start"]), to = ParseSubtitleTime(field["end"]);
        if (from < 0 || to < 0 || f.size() < format.size()) {
            out.Problems.push_back({int(i + 1), "malformed Dialogue line; skipped"});
            continue;
        }
        TRawCue cue;
        cue.StartMs = from;
        cue.EndMs = to;
        cue.Line = int(i + 1);
        cue.Speaker = Trim(field["name"]);
        AddText(cue, field["text"]);
        if (to <= from) out.Problems.push_back({cue.Line, "cue ends before it starts; skipped"});
        else if (!cue.TextLines.empty()) cues.push_back(std::move(cue));
    }
    if (format.empty()) out.Problems.push_back({0, "no [Events] section with a Format line"});
}

bool IsDash(const std::string& line) {
    return line.rfind("- ", 0) == 0 || line.rfind("-", 0) == 0 && line.size() > 1 && line[1] != '-' ||
           line.rfind("\xE2\x80\x93", 0) == 0 || line.rfind("\xE2\x80\x94", 0) == 0;
}

std::string WithoutDash(const std::string& line) {
    size_t n = line[0] == '-' ? 1 : 3;
    return Trim(line.substr(n));
}

// "NAME: text" with NAME one to three words of letters; empty when none.
std::string NamePrefix(const std::string& line, std::string* rest) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 30) return {};
    const QString name = Q(line.substr(0, colon)).trimmed();
    if (name.isEmpty() || !name[0].isUpper() || name.count(' ') > 2) return {};
    for (QChar c : name)
        if (!c.isLetter() && c != ' ' && c != '.' && c != '\'' && c != '-') return {};
    if (rest) *rest = Trim(line.substr(colon + 1));
    return Utf8(name);
}

bool IsSoundText(const QString& t) {
    if (t.contains(QChar(0x266A)) || t.contains(QChar(0x266B)) || t.startsWith('#')) return true;
    return (t.startsWith('[') && t.endsWith(']')) || (t.startsWith('(') && t.endsWith(')')) ||
           (t.startsWith('*') && t.endsWith('*') && t.size() > 1);
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += (s.empty() ? "" : " ") + l;
    return s;
}

// Turns speakers and dialogue dashes into cues of one speaker each; a cue
// with several turns shares its time among them by the length of their text.
std::vector<TSubtitleCue> MakeCues(std::vector<TRawCue> raw) {
    // A "Name:" prefix counts as a speaker when it is written in capitals or
    // opens at least two cues (so "Note: ..." in one line stays text).
    std::map<std::string, int> prefixes;
    for (const TRawCue& c : raw)
        for (const std::string& l : c.TextLines) {
            const std::string name = NamePrefix(IsDash(l) ? WithoutDash(l) : l, nullptr);
            if (!name.empty()) ++prefixes[name];
        }
    auto isSpeaker = [&](const std::string& name) {
        if (name.empty()) return false;
        const QString q = Q(name);
        return q == q.toUpper() || prefixes[name] >= 2;
    };
    std::vector<TSubtitleCue> cues;
    for (TRawCue& c : raw) {
        struct TTurn { std::vector<std::string> Lines; std::string Speaker; bool Dash = false; };
        std::vector<TTurn> turns;
        for (const std::string& line : c.TextLines) {
            std::string text = line;
            const bool dash = IsDash(text);
            if (dash) text = WithoutDash(text);
            std::string rest;
            const std::string name = NamePrefix(text, &rest);
            const bool named = isSpeaker(name);
            if (named) text = rest;
            if (turns.empty() || dash || named) turns.push_back({{}, named ? name : "", dash});
            if (!text.empty()) turns.back().Lines.push_back(text);
        }
        turns.erase(std::remove_if(turns.begin(), turns.end(), [](const TTurn& t) { return t.Lines.empty(); }),
                    turns.end());
        if (turns.empty()) continue;
        size_t total = 0;
        for (const TTurn& t : turns) total += JoinLines(t.Lines).size();
        int at = c.StartMs;
        size_t done = 0;
        for (size_t k = 0; k < turns.size(); ++k) {
            TSubtitleCue cue;
            cue.Text = JoinLines(turns[k].Lines);
            done += cue.Text.size();
            cue.StartMs = at;
            cue.EndMs = k + 1 == turns.size() ? c.EndMs
                                              : c.StartMs + int((long long)(c.EndMs - c.StartMs) * done / std::max<size_t>(total, 1));
            at = cue.EndMs;
            cue.Speaker = turns[k].Speaker.empty() ? c.Speaker : turns[k].Speaker;
            cue.NewTurn = turns[k].Dash || k > 0;
            cue.Sound = IsSoundText(Q(cue.Text));
            cue.SourceLine = c.Line;
            if (cue.EndMs > cue.StartMs) cues.push_back(std::move(cue));
        }
    }
    return cues;
}

// Cues in time order that never overlap: an earlier cue ends where the next
// begins; a cue that would keep less than 200 ms gives its time to both.
void Untangle(std::vector<TSubtitleCue>& cues, TSubtitleFile& out) {
    std::stable_sort(cues.begin(), cues.end(),
                     [](const TSubtitleCue& a, const TSubtitleCue& b) { return a.StartMs < b.StartMs; });
    int overlaps = 0;
    for (size_t i = 0; i + 1 < cues.size(); ++i) {
        TSubtitleCue &a = cues[i], &b = cues[i + 1];
        if (a.EndMs <= b.StartMs) continue;
        ++overlaps;
        if (b.StartMs - a.StartMs >= 200) {
            a.EndMs = b.StartMs;
        } else { // shown together: one after the other, each half the time
            const int end = std::max(a.EndMs, b.EndMs);
            const int mid = a.StartMs + (end - a.StartMs) / 2;
            a.EndMs = mid;
            b.StartMs = mid;
            b.EndMs = end;
            b.NewTurn = true;
        }
    }
    if (overlaps)
        out.Problems.push_back({0, std::to_string(overlaps) + " overlapping cue(s) were made to follow one another"});
}

} // namespace

std::string DecodeSubtitleText(const std::string& b, std::string& encoding) {
    QString text;
    auto has = [&](const char* mark, size_t n) { return b.size() >= n && b.compare(0, n, mark, n) == 0; };
    if (has("\xEF\xBB\xBF", 3)) {
        encoding = "UTF-8 with byte-order mark";
        text = Decode(b, 3, QStringDecoder::Utf8);
    } else if (has("\xFF\xFE", 2)) {
        encoding = "UTF-16 LE";
        text = Decode(b, 2, QStringDecoder::Utf16LE);
    } else if (has("\xFE\xFF", 2)) {
        encoding = "UTF-16 BE";
        text = Decode(b, 2, QStringDecoder::Utf16BE);
    } else if (b.size() >= 4 && ZeroShare(b, 1) > 40 && ZeroShare(b, 0) < 10) {
        encoding = "UTF-16 LE (no byte-order mark)";
        text = Decode(b, 0, QStringDecoder::Utf16LE);
    } else if (b.size() >= 4 && ZeroShare(b, 0) > 40 && ZeroShare(b, 1) < 10) {
        encoding = "UTF-16 BE (no byte-order mark)";
        text = Decode(b, 0, QStringDecoder::Utf16BE);
    } else if (ValidUtf8(b)) {
        encoding = "UTF-8";
        text = Decode(b, 0, QStringDecoder::Utf8);
    } else {
        // Legacy 8-bit: bytes 0x80..0x9F are printable only in Windows-1252;
        // without them, the euro and ligature positions of ISO-8859-15 tell
        // it from ISO-8859-1 (which reads like Windows-1252 otherwise).
        bool c1 = false, latin9 = false;
        for (unsigned char c : b) {
            c1 = c1 || (c >= 0x80 && c <= 0x9F);
            latin9 = latin9 || c == 0xA4 || c == 0xBC || c == 0xBD || c == 0xA6 || c == 0xA8;
        }
        const char* name = c1 || !latin9 ? "windows-1252" : "ISO-8859-15";
        encoding = std::string(c1 || !latin9 ? "Windows-1252" : "ISO-8859-15") + " (guessed)";
        QStringDecoder dec(name);
        text = dec.isValid() ? dec.decode(QByteArrayView(b.data(), qsizetype(b.size()))) : QString::fromLatin1(b.data(), qsizetype(b.size()));
    }
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    text.remove(QChar(0xFEFF));
    return Utf8(text);
}

int ParseSubtitleTime(const std::string& raw) {
    const std::string t = Trim(raw);
    // hours optional; "," or "." before the fraction; the fraction 1..3 digits.
    static const QRegularExpression re("^(?:([0-9]{1,3})\\s*:\\s*)?([0-9]{1,2})\\s*:\\s*([0-9]{1,2})(?:\\s*[.,:]\\s*([0-9]{1,3}))?$");
    const QRegularExpressionMatch m = re.match(Q(t));
    if (!m.hasMatch()) return -1;
    const int h = m.captured(1).isEmpty() ? 0 : m.captured(1).toInt();
    const int min = m.captured(2).toInt(), s = m.captured(3).toInt();
    // 100 hours and more is no film's time stamp, and would overflow the milliseconds.
    if (h > 99 || min > 59 || s > 59) return -1;
    int ms = 0;
    if (!m.captured(4).isEmpty()) {
        QString f = m.captured(4);
        while (f.size() < 3) f += '0'; // "5" is 500 ms, "50" (ASS centiseconds) too
        ms = f.toInt();
    }
    return ((h * 60 + min) * 60 + s) * 1000 + ms;
}

std::string StripSubtitleMarkup(const std::string& utf8) {
    QString s = Q(utf8);
    static const QRegularExpression assBlock("\\{[^}]*\\}");
    static const QRegularExpression tag("<[^<>]*>");
    s.replace("\\N", "\n").replace("\\n", "\n").replace("\\h", " ").replace('|', '\n');
    s.remove(assBlock);
    s.remove(tag);
    s.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">").replace("&nbsp;", " ").replace("&lrm;", "")
        .replace("&rlm;", "");
    s.replace('\t', ' ');
    static const QRegularExpression spaces(" {2,}");
    s.replace(spaces, " ");
    return Utf8(s);
}

TSubtitleFile ReadSubtitles(const std::string& bytes, const std::string& fileName) {
    TSubtitleFile out;
    const std::string text = DecodeSubtitleText(bytes, out.Encoding);
    const std::vector<std::string> lines = SplitLines(text);
    std::string first;
    for (const std::string& l : lines)
        if (!Trim(l).empty()) { first = Trim(l); break; }
    std::string ext = fileName.substr(fileName.find_last_of('.') == std::string::npos ? fileName.size()
                                                                                         : fileName.find_last_of('.'));
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    std::vector<TRawCue> raw;
    if (first.rfind("WEBVTT", 0) == 0 || (ext == ".vtt" && first.find("-->") == std::string::npos)) {
        out.Format = "WebVTT";
        if (first.rfind("WEBVTT", 0) != 0) out.Problems.push_back({1, "the WEBVTT header is missing"});
        ReadBlocks(lines, first.rfind("WEBVTT", 0) == 0, out, raw);
    } else if (StartsWithNoCase(first, "[Script Info]") || text.find("[Events]") != std::string::npos ||
               ext == ".ass" || ext == ".ssa") {
        out.Format = "ASS";
        ReadAss(lines, out, raw);
    } else {
        out.Format = "SRT";
        ReadBlocks(lines, false, out, raw);
    }
    out.Cues = MakeCues(std::move(raw));
    Untangle(out.Cues, out);
    if (out.Cues.empty()) out.Problems.push_back({0, "no cue could be read"});
    return out;
}

} // namespace discbuild
