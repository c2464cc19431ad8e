#pragma once
// The content indexes of the current target: the movie index with its script
// rows, the recording index, the multi-menu entries and the filter words, with
// the searches the screens call. The main window holds one of these.
#include <string>
#include <vector>

#include "content/KeyFiles.h"

namespace tav {

struct TMovieEntry {
    int LineNumber = 0;
    int SequenceNumber = 0;
    int StartFrame = 0;
    int EndFrame = 0;
    std::string LineText;
    std::string Speaker;
    bool SameSpeaker = false;
    bool ForActivities = false;
    int ScriptIndex = 0;
    int Extra1 = 0;
    int Extra2 = 0;
};

enum class TScriptRowKind { Blank, Heading, Line };

struct TScriptRow {
    std::string Text;
    TScriptRowKind Kind = TScriptRowKind::Blank;
    int Entry = -1; // index in MovieEntries for a line row
};

struct TRecordEntry {
    std::string Title;
    int Parts[9][5] = {};
};

struct TMultiEntry {
    std::string PictureFile;
    int ButtonLeft = 0;
    int ButtonTop = 0;
    std::string FolderName;
    std::string TargetPath;
};

class TTargetIndex {
public:
    std::vector<TMovieEntry> MovieEntries;
    std::vector<TScriptRow> ScriptLines;
    std::vector<TRecordEntry> RecordEntries;
    std::vector<TMultiEntry> MultiEntries;
    TStringList FilterWords;
    TStringList TargetLines;
    TStringList SettingsLines;
    TStringList StartLinePool;
    int EntryCursor = 0;
    int ActivityLineCount = 0;
    bool Filter1 = false; // the filter word list is applied

    // Loading; each frees what was loaded before. Missing movie and record
    // files raise an error naming the file.
    void LoadFilter(const std::string& fileName);
    void LoadMovieIndex(const std::string& fileName);
    void LoadRecordIndex(const std::string& fileName);
    void LoadMultiEntries();
    void ClearIndexes();

    bool IsFilteredText(const std::string& text) const;
};

} // namespace tav
