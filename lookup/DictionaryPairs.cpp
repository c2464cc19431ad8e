#include "lookup/DictionaryPairs.h"

#include "content/UnicodeText.h"

#include <QFileInfo>

#include <cstdlib>

namespace tav {

const char* const kDictdFolder = "/usr/share/dictd";

namespace {

struct TLanguageRow {
    const char* Iso;
    const char* FreeDict;
    const char* Name;
};

// The languages of FreeDict's dictionaries that have an ISO 639-1 code.
const TLanguageRow kLanguages[] = {
    {"af", "afr", "Afrikaans"}, {"ar", "ara", "Arabic"},     {"bg", "bul", "Bulgarian"},  {"br", "bre", "Breton"},
    {"ca", "cat", "Catalan"},   {"cs", "ces", "Czech"},      {"cy", "cym", "Welsh"},      {"da", "dan", "Danish"},
    {"de", "deu", "German"},    {"el", "ell", "Greek"},      {"en", "eng", "English"},    {"eo", "epo", "Esperanto"},
    {"es", "spa", "Spanish"},   {"fi", "fin", "Finnish"},    {"fr", "fra", "French"},     {"ga", "gle", "Irish"},
    {"gd", "gla", "Scottish Gaelic"}, {"hi", "hin", "Hindi"}, {"hr", "hrv", "Croatian"},  {"hu", "hun", "Hungarian"},
    {"id", "ind", "Indonesian"}, {"is", "isl", "Icelandic"}, {"it", "ita", "Italian"},    {"ja", "jpn", "Japanese"},
    {"ku", "kur", "Kurdish"},   {"la", "lat", "Latin"},      {"lt", "lit", "Lithuanian"}, {"mk", "mkd", "Macedonian"},
    {"nb", "nob", "Norwegian Bokmål"}, {"nl", "nld", "Dutch"}, {"nn", "nno", "Norwegian Nynorsk"},
    {"no", "nor", "Norwegian"}, {"oc", "oci", "Occitan"},    {"pl", "pol", "Polish"},     {"pt", "por", "Portuguese"},
    {"ro", "ron", "Romanian"},  {"ru", "rus", "Russian"},    {"sa", "san", "Sanskrit"},   {"sk", "slk", "Slovak"},
    {"sl", "slv", "Slovenian"}, {"sr", "srp", "Serbian"},    {"sv", "swe", "Swedish"},    {"sw", "swh", "Swahili"},
    {"tr", "tur", "Turkish"},   {"wo", "wol", "Wolof"},      {"zh", "zho", "Chinese"},    {"ko", "kor", "Korean"},
    {"uk", "ukr", "Ukrainian"}, {"he", "heb", "Hebrew"},     {"th", "tha", "Thai"},       {"vi", "vie", "Vietnamese"},
};

const TLanguageRow* Row(const std::string& iso) {
    // "pt_BR", "en-GB": the language part.
    std::string code = AsciiLower(iso.substr(0, iso.find_first_of("_-.")));
    for (const auto& r : kLanguages)
        if (code == r.Iso) return &r;
    return nullptr;
}

} // namespace

std::string FreeDictCode(const std::string& iso6391) {
    const TLanguageRow* r = Row(iso6391);
    return r ? r->FreeDict : std::string();
}

std::string FreeDictLanguageName(const std::string& iso6391) {
    const TLanguageRow* r = Row(iso6391);
    return r ? r->Name : std::string();
}

TDictionaryPair FindDictionaryPair(const std::string& filmIso, const std::string& helpIso, std::string folder) {
    TDictionaryPair pair;
    if (folder.empty()) {
        const char* env = std::getenv("TAVOLIN_DICTD_DIR");
        folder = env && *env ? env : kDictdFolder;
    }
    const TLanguageRow* from = Row(filmIso);
    const TLanguageRow* to = Row(helpIso);
    for (const auto& [row, code] : {std::pair{from, &filmIso}, std::pair{to, &helpIso}})
        if (!row) {
            pair.Missing = "no dictionary is known for the language code \"" + ValidUtf8(*code) + "\"";
            return pair;
        }
    if (from == to) {
        pair.Missing = std::string("the film's language and the help language are both ") + from->Name + ": no dictionary is needed";
        return pair;
    }
    pair.Name = std::string(from->FreeDict) + "-" + to->FreeDict;
    pair.Package = "dict-freedict-" + pair.Name;
    const std::string base = folder + "/freedict-" + pair.Name;
    const std::string index = base + ".index";
    std::string data;
    for (const char* ending : {".dict.dz", ".dict"})
        if (QFileInfo(QString::fromStdString(base + ending)).isFile()) {
            data = base + ending;
            break;
        }
    if (!QFileInfo(QString::fromStdString(index)).isFile() || data.empty()) {
        pair.Missing = std::string("no ") + from->Name + "-" + to->Name + " dictionary is installed (" + base +
                       ".index and .dict.dz): install the Debian package " + pair.Package +
                       " where the distribution ships it";
        return pair;
    }
    pair.IndexFile = index;
    pair.DataFile = data;
    pair.Installed = true;
    return pair;
}

} // namespace tav
