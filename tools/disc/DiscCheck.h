#pragma once
// tavolin-disc: a checker for the people who author and install content
// discs. It loads a disc with the program's own loaders (Target.txt, the
// target or the multi-menu targets, settings.txt, the indexes) and reports
// what it holds and every fault it finds; it can also print a target's movie
// index and script rows as tab-separated UTF-8.
#include <ostream>
#include <string>
#include <vector>

#include "content/TargetIndex.h"
#include "content/UnicodeText.h"

namespace tav {

// Exit statuses of the tool.
enum TDiscStatus { dsLoads = 0, dsFails = 1, dsUsage = 2 };

// One target of a disc as the program would load it.
struct TDiscTarget {
    std::string FolderName;
    std::string Folder; // program path of the target folder
    TTargetIndex Index; // settings, filter, movie, script and record indexes
    TStringList MovieNames;
    int DictionaryEntries = -1; // entries of DicWords.txt; -1 when there is none
    TIndexProblems Problems; // faults the loaders and the checks found
    std::string Error;       // why the target could not be loaded; empty when it loaded
    int SearchWordCount = 0; // entries of the word search's list
};

// The disc level: Target.txt, the configuration's Filter1 and the multi menu.
struct TDisc {
    std::string Root; // program path of the content root, no trailing separator
    TStringList TargetLines;
    // How its text files are encoded: Mac OS Roman unless Target.txt says
    // "TextEncoding|UTF-8" (files beginning with a UTF-8 byte-order mark are
    // UTF-8 either way).
    TContentEncoding Encoding = TContentEncoding::MacRoman;
    bool Filter1 = false;
    std::string MultiMenuPicture;
    std::vector<TMultiEntry> MultiEntries;
    TIndexProblems Problems;
    std::string Error;
};

// Reads Target.txt, follows the text encoding it declares (the content
// readers decode in it from then on), the configuration (sconfig.txt or
// config.txt in the root) and the multi-menu entries; every text file that
// is UTF-8 (all of a UTF-8 disc, and those with a byte-order mark) is checked
// for invalid UTF-8 line by line. False with Error set when the root is not
// a content disc.
bool OpenDisc(TDisc& disc, const std::string& root);

// The targets the program can load from this disc: the multi-menu targets
// when there is a multi menu, else the one of TargetFolderName.
std::vector<std::pair<std::string, std::string>> DiscTargets(const TDisc& disc);

// Loads one target in the program's order: settings.txt (whose TargetLang
// sets the text language: case and word breaks), MovieNames and
// NextGameStartLines, filter1.txt, movieinf.txt, record.txt. False with
// Error set when the program would fail to load it.
bool LoadDiscTarget(const TDisc& disc, TDiscTarget& target, const std::string& folderName,
                    const std::string& path);

// The word search's list: missing or empty, words spoken in no line of the
// film, words listed twice. Appends to target.Problems.
void CheckSearchList(TDiscTarget& t);

// The content checks beyond loading: record numbers, start lines, film part
// files, ordering of the movie index, the word search's list, the word list
// with its pictures and sounds. Appends to target.Problems.
void CheckDiscTarget(TDiscTarget& target);
// The film quiz of a target: quiz.txt with every question's sounds for both
// answer orders, the miscellaneous quiz sounds, oppname.txt, and (when the
// root carries the program's PC folder) the opponent's script against its
// clip. Returns the number of questions that take part, -1 when the
// target has no quiz folder.
int CheckQuiz(TDiscTarget& target, const std::string& root);

// The spelling table's entry for the target's language (TargetLang of
// settings.txt) and every letter picture its alphabet needs in the
// spelling folder. Appends to target.Problems; returns the letters found
// (UTF-8, one user-perceived character each).
TStringList CheckSpelling(const TDisc& disc, TDiscTarget& target);

// The whole tool: args without the program name. Returns the exit status.
int RunDiscTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tav
