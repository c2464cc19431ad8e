#include "content/TargetIndex.h"

#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "platform/Paths.h"

#include <climits>

namespace tav {

// ---- timecodes ---------------------------------------------------------------

namespace {

// The fields TimecodeToFrames reads, and whether it read the whole text.
struct TTimecodeFields {
    long long Value[4] = {};
    int Count = 0;
    bool Complete = true;
};

TTimecodeFields ReadTimecode(const std::string& text) {
    TTimecodeFields f;
    std::string rest = text;
    while (f.Count < 4) {
        const bool last = rest.find(':') == std::string::npos;
        int v = 0;
        if (!TryStrToInt(NextToken(rest, ':'), v)) {
            f.Complete = false;
            break;
        }
        f.Value[f.Count++] = v;
        if (last) break;
    }
    if (f.Complete && (f.Count == 4 && !rest.empty())) f.Complete = false; // a fifth field
    if (f.Count == 0) f.Complete = false;
    return f;
}

int ClampToInt(long long v) {
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

} // namespace

int TimecodeToFrames(const std::string& text) {
    const TTimecodeFields f = ReadTimecode(text);
    // The last field read is thirtieths, then seconds, minutes, hours.
    static const long long kWeight[4] = {1, 30, 1800, 108000};
    long long total = 0;
    for (int i = 0; i < f.Count; ++i) total += f.Value[i] * kWeight[f.Count - 1 - i];
    return ClampToInt(total * 25 / 30);
}

bool TimecodeIsComplete(const std::string& text) { return ReadTimecode(text).Complete; }

std::string FramesToTimecode(int units) {
    const long long t = static_cast<long long>(units) * 30;
    return Format("%2.2lld:%2.2lld:%2.2lld:%2.2lld", t / 2700000, (t / 45000) % 60, (t / 750) % 60,
                  (t / 25) % 30);
}

bool IsFilterBoundary(char32_t c) {
    return (c >= 0x20 && c <= 0x3F && c != 0x27) || c == 0xA1 || c == 0xBF;
}

// ---- loading -------------------------------------------------------------------

namespace {

void Report(TIndexProblems* problems, const std::string& file, int line, const std::string& text) {
    if (problems) problems->push_back({file, line, text});
}

// Only the low byte of a flag field counts.
bool FlagField(const std::string& field) { return (StrToIntDef(field, 0) & 0xFF) != 0; }

} // namespace

void TTargetIndex::LoadFilter(const std::string& fileName, TIndexProblems* problems) {
    FilterWords.clear();
    if (!FileExists(fileName)) return; // the filter list is optional
    const TStringList lines = ReadContentLines(fileName);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string word = lines[i];
        if (word.empty()) continue;
        // Matching compares with lower-cased text, so a word with capitals never matches.
        if (LowerText(word) != word)
            Report(problems, fileName, static_cast<int>(i) + 1,
                   "filter word \"" + word + "\" is not in lower case and can never match");
        FilterWords.push_back(std::move(word));
    }
}

void TTargetIndex::LoadMovieIndex(const std::string& fileName, TIndexProblems* problems) {
    MovieEntries.clear();
    ScriptLines.clear();
    ActivityLineCount = 0;
    EntryCursor = 0;

    const TStringList lines = ReadContentLines(fileName);
    std::vector<TMovieEntry> entries;
    std::vector<TScriptRow> rows;
    entries.reserve(2000);
    rows.reserve(4000);
    int activityLines = 0;

    for (size_t i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i) + 1;
        std::string rest = lines[i];
        TMovieEntry e;
        e.LineNumber = lineNumber;
        e.SequenceNumber = StrToIntDef(NextToken(rest, '|'), 0);
        const std::string startText = NextToken(rest, '|');
        const std::string endText = NextToken(rest, '|');
        e.StartFrame = TimecodeToFrames(startText);
        e.EndFrame = TimecodeToFrames(endText);
        e.LineText = NextToken(rest, '|');
        e.Speaker = NextToken(rest, '|');
        e.SameSpeaker = FlagField(NextToken(rest, '|'));
        e.ForActivities = FlagField(NextToken(rest, '|'));
        e.Extra1 = StrToIntDef(NextToken(rest, '|'), 0);
        e.Extra2 = StrToIntDef(NextToken(rest, '|'), 0);
        if (e.ForActivities && IsFilteredText(e.LineText)) e.ForActivities = false;

        if (problems) {
            if (Trim(lines[i]).empty()) {
                Report(problems, fileName, lineNumber, "blank line (skipped)");
                continue;
            }
            if (!TimecodeIsComplete(startText))
                Report(problems, fileName, lineNumber, "start timecode \"" + startText + "\" does not parse");
            if (!TimecodeIsComplete(endText))
                Report(problems, fileName, lineNumber, "end timecode \"" + endText + "\" does not parse");
        }

        // The keep rule.
        if (e.SequenceNumber == 0 || e.StartFrame < 0 || e.EndFrame <= 0) {
            Report(problems, fileName, lineNumber,
                   e.SequenceNumber == 0 ? "line skipped: sequence number is 0 or not a number"
                   : e.StartFrame < 0    ? "line skipped: start is before 0"
                                         : "line skipped: end is not after 0");
            continue;
        }

        const int entryIndex = static_cast<int>(entries.size());
        if (!e.LineText.empty()) {
            if (!e.SameSpeaker) {
                rows.push_back({std::string(), TScriptRowKind::Blank, -1});
                rows.push_back({UpperText(e.Speaker), TScriptRowKind::Heading, -1});
            }
            e.ScriptIndex = static_cast<int>(rows.size());
            rows.push_back({e.LineText, TScriptRowKind::Line, entryIndex});
        } else {
            // A line without text (a sound, a silence) shows as dots, never with a heading.
            e.ScriptIndex = static_cast<int>(rows.size());
            rows.push_back({".....", TScriptRowKind::Line, entryIndex});
        }
        if (e.ForActivities) ++activityLines;
        entries.push_back(std::move(e));
    }

    MovieEntries = std::move(entries);
    ScriptLines = std::move(rows);
    ActivityLineCount = activityLines;
    EntryCursor = 0;
}

void TTargetIndex::LoadRecordIndex(const std::string& fileName, TIndexProblems* problems) {
    RecordEntries.clear();
    const TStringList lines = ReadContentLines(fileName);
    std::vector<TRecordEntry> actors;
    size_t i = 0;
    while (i < lines.size()) {
        TRecordEntry r;
        r.Title = lines[i];
        if (r.Title.empty()) break; // an empty name line ends the file
        if (i + 1 >= lines.size())
            throw EProgramError(Format("The recording index %s ends on the actor name \"%s\" without its scene line",
                                       fileName.c_str(), r.Title.c_str()));
        std::string data = lines[i + 1];
        const int dataLine = static_cast<int>(i) + 2;
        i += 2;
        for (int p = 0; p < 9; ++p) {
            std::string group = NextToken(data, ' ');
            if (group.empty()) break;
            for (int s = 0; s < 5; ++s) {
                std::string v = NextToken(group, '|');
                if (v.empty()) break;
                int n = 0;
                if (!TryStrToInt(v, n)) {
                    Report(problems, fileName, dataLine,
                           Format("scene %d line %d: \"%s\" is not a number (read as 0)", p + 1, s + 1, v.c_str()));
                    n = 0;
                }
                r.Parts[p][s] = n;
            }
        }
        actors.push_back(r);
    }
    RecordEntries = std::move(actors);
}

void TTargetIndex::LoadMultiEntries() {
    MultiEntries.clear();
    // Each key is found at most once, so this ends within the line count.
    for (int n = 1;; ++n) {
        std::string value = LookupKey(TargetLines, "Target" + IntToStr(n), "");
        if (value.empty()) break;
        TMultiEntry m;
        m.PictureFile = NextToken(value, '|');
        m.ButtonLeft = StrToIntDef(NextToken(value, ','), 0);
        m.ButtonTop = StrToIntDef(NextToken(value, '|'), 0);
        m.FolderName = NextToken(value, '|');
        m.TargetPath = Trim(value);
        MultiEntries.push_back(std::move(m));
    }
}

void TTargetIndex::ClearIndexes() {
    MovieEntries.clear();
    ScriptLines.clear();
    RecordEntries.clear();
    MultiEntries.clear();
    FilterWords.clear();
    EntryCursor = 0;
    ActivityLineCount = 0;
}

// ---- searches ------------------------------------------------------------------

namespace {
// The cursor as an index that is valid for a non-empty list.
int ValidCursor(int cursor, size_t count) {
    if (cursor < 0) return 0;
    if (static_cast<size_t>(cursor) >= count) return static_cast<int>(count) - 1;
    return cursor;
}
} // namespace

const TMovieEntry* TTargetIndex::FindEntryByNumber(int n) {
    if (MovieEntries.empty()) return nullptr;
    const int last = static_cast<int>(MovieEntries.size()) - 1;
    int c = ValidCursor(EntryCursor, MovieEntries.size());
    const TMovieEntry* result = nullptr;
    if (MovieEntries[c].SequenceNumber < n) {
        while (MovieEntries[c].SequenceNumber < n && c < last) ++c;
        if (MovieEntries[c].SequenceNumber >= n) result = &MovieEntries[c];
    } else if (MovieEntries[c].SequenceNumber > n) {
        while (n < MovieEntries[c].SequenceNumber && c > 0) --c;
        if (MovieEntries[c].SequenceNumber <= n) result = &MovieEntries[c];
    } else {
        result = &MovieEntries[c];
    }
    EntryCursor = c;
    return result;
}

const TMovieEntry* TTargetIndex::EntryAt(int position) {
    if (MovieEntries.empty()) return nullptr;
    const int last = static_cast<int>(MovieEntries.size()) - 1;
    int c = ValidCursor(EntryCursor, MovieEntries.size());
    const TMovieEntry* result = &MovieEntries[c];
    if (position >= MovieEntries[c].EndFrame) {
        while (position >= MovieEntries[c].EndFrame) {
            // Past the last line, or in the gap before the next one.
            if (c == last || position < MovieEntries[c + 1].StartFrame) {
                result = nullptr;
                break;
            }
            ++c;
        }
    } else if (position < MovieEntries[c].StartFrame) {
        while (position < MovieEntries[c].StartFrame) {
            // Before the first line, or in the gap after the previous one.
            if (c == 0 || position >= MovieEntries[c - 1].EndFrame) {
                result = nullptr;
                break;
            }
            --c;
        }
    }
    if (result) result = &MovieEntries[c];
    EntryCursor = c;
    return result;
}

const TMovieEntry* TTargetIndex::RandomActivityLine() const {
    if (ActivityLineCount <= 0) return nullptr;
    int k = Random(ActivityLineCount);
    for (const auto& e : MovieEntries)
        if (e.ForActivities && k-- == 0) return &e;
    return nullptr; // the count no longer matches the entries
}

const TMovieEntry* TTargetIndex::DrawNextLineStart() {
    if (StartLinePool.empty()) StartLinePool = SplitKeyList(SettingsLines, "NextGameStartLines", '|');
    if (StartLinePool.empty()) return nullptr;
    const size_t pick = static_cast<size_t>(Random(static_cast<int>(StartLinePool.size())));
    const std::string item = StartLinePool[pick];
    // Dropped before converting: a bad number is reported once, not on every draw.
    StartLinePool.erase(StartLinePool.begin() + static_cast<std::ptrdiff_t>(pick));
    int n = 0;
    if (!TryStrToInt(item, n))
        throw EProgramError("\"" + item + "\" in NextGameStartLines is not a whole number");
    return FindEntryByNumber(n);
}

int TTargetIndex::IndexOfEntry(const TMovieEntry* entry) const {
    if (!entry || MovieEntries.empty()) return -1;
    const TMovieEntry* first = MovieEntries.data();
    if (entry < first || entry >= first + MovieEntries.size()) return -1;
    return static_cast<int>(entry - first);
}

const TMovieEntry* TTargetIndex::NextSpokenLine(const TMovieEntry* entry) const {
    const int at = IndexOfEntry(entry);
    if (at < 0) return nullptr;
    for (size_t i = static_cast<size_t>(at) + 1; i < MovieEntries.size(); ++i)
        if (!MovieEntries[i].LineText.empty()) return &MovieEntries[i];
    return nullptr;
}

bool TTargetIndex::IsFilteredText(const std::string& text) const {
    if (!Filter1) return false;
    const std::string lower = LowerText(text);
    for (const auto& word : FilterWords) {
        if (word.empty()) continue;
        const size_t at = lower.find(word); // only the first occurrence counts
        if (at == std::string::npos) continue;
        const size_t end = at + word.size();
        // Where words are not separated by spaces, a match anywhere counts.
        const bool anywhere = TextLanguageWritesWithoutSpaces();
        const bool startsWord = anywhere || at == 0 || IsFilterBoundary(CodePointBefore(lower, at));
        const bool endsWord = anywhere || end == lower.size() || IsFilterBoundary(CodePointAt(lower, end));
        if (startsWord && endsWord) return true;
    }
    return false;
}

} // namespace tav
