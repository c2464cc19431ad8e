#pragma once
// The content indexes of the current target: the movie index with its script
// rows, the recording index, the multi-menu entries and the filter words, with
// the searches the screens call. The main window holds one of these.
//
// Positions are film units of 40 ms; the files write them as timecodes
// hh:mm:ss:ff whose last field counts thirtieths of a second.
#include <string>
#include <vector>

#include "content/KeyFiles.h"

namespace tav {

// One spoken line of movieinf.txt.
struct TMovieEntry {
    int LineNumber = 0;     // 1-based line in movieinf.txt (skipped lines count)
    int SequenceNumber = 0; // never 0 in a kept entry; rises through the file
    int StartFrame = 0;
    int EndFrame = 0;
    std::string LineText;
    std::string Speaker;
    bool SameSpeaker = false;   // no speaker heading precedes it in the script
    bool ForActivities = false; // may be drawn for the activities
    int ScriptIndex = 0;        // row of this entry in ScriptLines
    int Extra1 = 0;
    int Extra2 = 0;
};

enum class TScriptRowKind { Blank, Heading, Line };

struct TScriptRow {
    std::string Text;
    TScriptRowKind Kind = TScriptRowKind::Blank;
    int Entry = -1; // index in MovieEntries for a line row, -1 otherwise
};

// One actor of record.txt: Parts[scene][line], 0-based here (scene 1 line 1 is
// Parts[0][0]); each value is a movie line number or 0 for none.
struct TRecordEntry {
    std::string Title;
    int Parts[9][5] = {};
};

// One target button of the multi menu.
struct TMultiEntry {
    std::string PictureFile;
    int ButtonLeft = 0;
    int ButtonTop = 0;
    std::string FolderName;
    std::string TargetPath; // trimmed; empty means ContentRoot + "\" + FolderName
};

// A content fault the loaders noticed while reading (a line they skipped, a
// timecode that did not parse). The program ignores these; the disc checker
// prints them.
struct TIndexProblem {
    std::string File;
    int Line = 0; // 1-based, 0 when the problem is not tied to a line
    std::string Text;
};
using TIndexProblems = std::vector<TIndexProblem>;

// Timecode text to film units: up to 4 fields separated by ":", read until the
// first field that is not a whole number; the last field read counts
// thirtieths of a second, the ones before it seconds, minutes and hours.
// "00:01:02:03" gives 1552; "" gives 0.
int TimecodeToFrames(const std::string& text);
// True when every field of the text is a whole number and there are 1 to 4 of
// them, so TimecodeToFrames read all of it.
bool TimecodeIsComplete(const std::string& text);
// Film units to "hh:mm:ss:ff" (ff in thirtieths); 25 gives "00:00:01:00".
std::string FramesToTimecode(int units);

// The filter's word boundaries: the characters 0x20..0x3F except the
// apostrophe, and the inverted marks U+00A1 and U+00BF. Letters and
// apostrophes join words.
bool IsFilterBoundary(char32_t c);

class TTargetIndex {
public:
    std::vector<TMovieEntry> MovieEntries;
    std::vector<TScriptRow> ScriptLines;
    std::vector<TRecordEntry> RecordEntries;
    std::vector<TMultiEntry> MultiEntries;
    TStringList FilterWords;
    TStringList TargetLines;
    TStringList SettingsLines;
    TStringList StartLinePool; // NextGameStartLines not yet drawn
    int EntryCursor = 0;       // index in MovieEntries where the last search stopped
    int ActivityLineCount = 0; // kept entries with ForActivities
    bool Filter1 = false;      // the filter word list is applied

    // ---- loading; each frees what was loaded before. A missing movie or
    // record file, or a record.txt that ends on an actor's name, raises an
    // error naming the file. problems (optional) collects the lines skipped.
    void LoadFilter(const std::string& fileName, TIndexProblems* problems = nullptr);
    void LoadMovieIndex(const std::string& fileName, TIndexProblems* problems = nullptr);
    void LoadRecordIndex(const std::string& fileName, TIndexProblems* problems = nullptr);
    // The multi-menu entries from TargetLines: Target1, Target2, ... up to the
    // first missing or empty key.
    void LoadMultiEntries();
    void ClearIndexes();

    // ---- searches on the movie index. Each returns nullptr for "none", also
    // on an empty index. The pointers stay valid until the next load.
    // FindEntryByNumber and EntryAt move EntryCursor.

    // From the cursor, steps forward while SequenceNumber < n or back while
    // SequenceNumber > n and returns the entry where it stopped (the nearest
    // entry in the direction of travel when no entry has exactly n); none when
    // it runs off either end.
    const TMovieEntry* FindEntryByNumber(int n);
    // The entry whose [StartFrame, EndFrame) holds position, found by stepping
    // from the cursor; none in a gap between lines or beyond either end.
    const TMovieEntry* EntryAt(int position);
    // A random entry flagged ForActivities; none when there is none.
    const TMovieEntry* RandomActivityLine() const;
    // The entry of a random NextGameStartLines number; every number is used
    // once before any is used again. None when the list is empty or the index
    // is. A number that is not a whole number raises an error (and is dropped
    // from the pool, so it is not drawn again).
    const TMovieEntry* DrawNextLineStart();
    // The first entry after entry with a non-empty LineText; none at the end
    // or when entry is not in MovieEntries.
    const TMovieEntry* NextSpokenLine(const TMovieEntry* entry) const;

    // Index of entry in MovieEntries, -1 when it is not one of them.
    int IndexOfEntry(const TMovieEntry* entry) const;

    // True when Filter1 is on and a filter word stands as a whole word (or
    // phrase) at its first occurrence in the lower-cased text.
    bool IsFilteredText(const std::string& text) const;
};

} // namespace tav
