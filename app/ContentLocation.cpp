#include "app/ContentLocation.h"

#include "InstallPaths.h"
#include "app/DiscScan.h"
#include "content/IniFile.h"
#include "platform/Paths.h"

#include <QDir>

#include <cstdlib>
#include <set>

namespace tav {

bool HasContentFiles(const std::string& folder) {
    return FileExists(folder + "\\target.txt") && FileExists(folder + "\\Spelinfo.txt");
}

namespace {

TContentAsker& Asker() {
    static TContentAsker asker;
    return asker;
}

TContentDialog& Dialog() {
    static TContentDialog dialog;
    return dialog;
}

std::string Clean(const std::string& folder) {
    return QDir::cleanPath(QString::fromStdString(folder)).toStdString();
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string Home() { return Env("HOME"); }

// An XDG base folder: the variable when it holds an absolute path, else the
// fallback under the home folder (empty when there is no home either).
std::string UserBase(const char* variable, const char* underHome) {
    const std::string v = Env(variable);
    if (!v.empty() && v[0] == '/') return v;
    return Home().empty() ? std::string() : Home() + "/" + underHome;
}

// The absolute entries of a colon-separated XDG list, or the fallback list.
std::vector<std::string> SystemBases(const char* variable, const std::string& fallback) {
    std::string list = Env(variable);
    if (list.empty()) list = fallback;
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        const std::string entry = list.substr(start, end - start);
        if (!entry.empty() && entry[0] == '/') out.push_back(entry);
        start = end + 1;
    }
    return out;
}

std::string FirstWithContent(const std::vector<std::string>& folders) {
    for (const auto& f : folders)
        if (HasContentFiles(f)) return f;
    return {};
}

} // namespace

TProgramLocation LocateProgramFolder(const std::string& exeFolder, const std::string& dataFromExe,
                                     const std::string& installedData) {
    if (DirectoryExists(exeFolder + "\\PC")) return {exeFolder, false};
    if (!dataFromExe.empty()) {
        const std::string data = Clean(exeFolder + "/" + dataFromExe);
        if (DirectoryExists(data + "\\PC")) return {data, true};
    }
    if (!installedData.empty() && DirectoryExists(installedData + "\\PC")) return {Clean(installedData), true};
    return {exeFolder, false};
}

TProgramLocation LocateProgramFolder(const std::string& exeFolder) {
    return LocateProgramFolder(exeFolder, TAVOLIN_DATA_FROM_BIN, TAVOLIN_INSTALLED_DATA);
}

std::string ProgramConfigFile(const std::string& programFolder, bool installed) {
    if (FileExists(programFolder + "\\sconfig.txt")) return programFolder + "\\sconfig.txt";
    if (!installed) return {};
    std::vector<std::string> candidates;
    const std::string user = UserBase("XDG_CONFIG_HOME", ".config");
    if (!user.empty()) candidates.push_back(user + "/tavolin/sconfig.txt");
    for (const auto& base : SystemBases("XDG_CONFIG_DIRS", "/etc/xdg")) candidates.push_back(base + "/tavolin/sconfig.txt");
    for (const auto& c : candidates)
        if (FileExists(c)) return c;
    return {};
}

std::string ConfiguredContent(const std::string& configFile) {
    if (configFile.empty()) return {};
    TIniFile config;
    config.LoadFromFile(configFile);
    std::string folder = config.ReadString("Defaults", "Content", "");
    if (folder.empty()) return {};
    for (char& c : folder)
        if (c == '\\') c = '/';
    if (folder == "~" || folder.rfind("~/", 0) == 0) {
        if (Home().empty()) return {};
        folder = Home() + folder.substr(1);
    } else if (folder[0] != '/') {
        folder = ExtractFileDir(NativePath(configFile)) + "/" + folder;
    }
    return Clean(folder);
}

TContentFolders ContentFolders(const std::string& programFolder, const std::string& configured) {
    TContentFolders out;
    out.Named = configured;
    if (!configured.empty()) out.BeforeDiscs.push_back(configured);
    const std::string userData = UserBase("XDG_DATA_HOME", ".local/share");
    if (!userData.empty()) out.BeforeDiscs.push_back(userData + "/tavolin/disc");

    std::vector<std::string> system{Clean(programFolder + "/disc")};
    for (const auto& base : SystemBases("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        system.push_back(Clean(base + "/tavolin/disc"));
    system.push_back(Clean(std::string(TAVOLIN_INSTALLED_DATA) + "/disc"));
    std::set<std::string> seen;
    for (const auto& f : system)
        if (seen.insert(f).second) out.AfterDiscs.push_back(f);
    return out;
}

void SetContentAsker(TContentAsker asker) { Asker() = std::move(asker); }

void SetContentDialog(TContentDialog dialog) { Dialog() = std::move(dialog); }

TFoundContent FindContent(const TContentFolders& folders) {
    if (auto& a = Asker()) return {a(), false};
    if (std::string f = FirstWithContent(folders.BeforeDiscs); !f.empty())
        return {f, !folders.Named.empty() && Clean(f) == Clean(folders.Named)};
    if (std::string f = LocateContent(); !f.empty()) return {f, true};
    return {FirstWithContent(folders.AfterDiscs), false};
}

std::string AskWithContentDialog(bool standAlone) { return Dialog() ? Dialog()(standAlone) : std::string(); }

std::string AskForContent(bool standAlone, const TContentFolders& folders) {
    if (Asker()) return Asker()();
    if (std::string f = FindContent(folders).Root; !f.empty()) return f;
    return AskWithContentDialog(standAlone);
}

} // namespace tav
