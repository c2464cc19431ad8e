#pragma once
// Where the program's own files and the content are.
//
// The program folder holds the program-side media (PC) and may hold the
// program's sconfig.txt. In a build tree or a copied program folder it is the
// executable's folder; an installed program keeps it in its data folder
// (/usr/share/tavolin beside /usr/bin/tavolin).
//
// A folder is a content root when it holds both target.txt and Spelinfo.txt.
// When the folder beside the program does not, the content is looked for in
// this order: the folder named by the Content key of the program's own
// configuration, the user's disc folder ($XDG_DATA_HOME/tavolin/disc), the
// mounted discs, the system's disc folders (the program folder's disc, then
// tavolin/disc in each of $XDG_DATA_DIRS and the installed data folder), and
// last the dialog the program installs (the "Insert disk" dialog). A disc in a drive thus wins over an installed
// demo disc, and a folder the user named wins over both.
#include <functional>
#include <string>
#include <vector>

namespace tav {

bool HasContentFiles(const std::string& folder);

struct TProgramLocation {
    std::string Folder;     // the folder holding PC (no trailing separator)
    bool Installed = false; // true when that is not the executable's folder
};

// The program folder for an executable in exeFolder: exeFolder when it holds
// PC, else dataFromExe (relative to exeFolder, e.g. "../share/tavolin"), else
// installedData (an absolute folder); exeFolder when none holds PC, so that
// start-up reports the missing PC folder.
TProgramLocation LocateProgramFolder(const std::string& exeFolder, const std::string& dataFromExe,
                                     const std::string& installedData);
// The same with the folders this build installs into.
TProgramLocation LocateProgramFolder(const std::string& exeFolder);

// The program's own configuration file, empty when there is none: sconfig.txt
// in the program folder; for an installed program also tavolin/sconfig.txt
// in $XDG_CONFIG_HOME (~/.config) and then in each of $XDG_CONFIG_DIRS
// (/etc/xdg). Without one the content root's configuration is used.
std::string ProgramConfigFile(const std::string& programFolder, bool installed);

// The value of [Defaults] Content in a configuration file as a folder: empty
// when the file or key is missing; a relative folder is taken from the
// configuration file's folder, and "~/" from the home folder.
std::string ConfiguredContent(const std::string& configFile);

struct TContentFolders {
    std::string Named;                    // the configured Content folder ("" when none)
    std::vector<std::string> BeforeDiscs; // named by the user: tried before the drives
    std::vector<std::string> AfterDiscs;  // installed for everyone: tried after them
};

// The folders to try for a program in programFolder with the Content value
// configured (may be empty), from the environment at the time of the call.
TContentFolders ContentFolders(const std::string& programFolder, const std::string& configured);

// Returns the content root found, or empty when the learner gave up. Without
// an installed asker this is the search above (Browse is offered in
// stand-alone mode only); tests install their own asker.
using TContentAsker = std::function<std::string()>;
void SetContentAsker(TContentAsker asker);
std::string AskForContent(bool standAlone, const TContentFolders& folders = {});

// The same search without the last-resort dialog. Chosen is true when the
// root is the folder the configuration names or a disc in a drive: the
// learner's own choice, which opens at once; an installed disc (or the tests'
// asker) may share the course menu with the learner's courses.
struct TFoundContent {
    std::string Root; // empty when no folder holds content
    bool Chosen = false;
};
TFoundContent FindContent(const TContentFolders& folders);
// The installed last-resort dialog alone; empty when there is none or the
// learner gave up.
std::string AskWithContentDialog(bool standAlone);

// The last resort when no folder holds the content: asks the learner (Browse
// offered in stand-alone mode) and returns the root, or empty when they gave
// up. None installed: the search just finds nothing.
using TContentDialog = std::function<std::string(bool standAlone)>;
void SetContentDialog(TContentDialog dialog);

} // namespace tav
