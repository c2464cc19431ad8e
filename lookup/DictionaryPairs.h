#pragma once
// Which installed dictionary serves a course: the film's language and the
// help language as ISO 639-1 codes ("fr", "en") name a FreeDict pair by its
// three-letter codes ("fra-eng"), which Debian installs as
// /usr/share/dictd/freedict-fra-eng.index with .dict.dz from the package
// dict-freedict-fra-eng.
#include <string>

namespace tav {

extern const char* const kDictdFolder; // "/usr/share/dictd"

// FreeDict's three-letter code of an ISO 639-1 code, and the language's
// English name; empty when FreeDict has no such language.
std::string FreeDictCode(const std::string& iso6391);
std::string FreeDictLanguageName(const std::string& iso6391);

struct TDictionaryPair {
    std::string Name;      // "fra-eng"
    std::string Package;   // "dict-freedict-fra-eng"
    std::string IndexFile; // set when installed
    std::string DataFile;  // the .dict.dz, or a plain .dict
    bool Installed = false;
    // Why there is none, for the learner: the package to install, an
    // unknown language code, or the same language twice.
    std::string Missing;
};

// The pair from the film's language to the help language, in folder
// (default kDictdFolder, or TAVOLIN_DICTD_DIR when set).
TDictionaryPair FindDictionaryPair(const std::string& filmIso, const std::string& helpIso, std::string folder = std::string());

} // namespace tav
