#include "lookup/WordForms.h"

#include "content/UnicodeText.h"

#include <hunspell/hunspell.hxx>

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace tav {

const char* const kHunspellFolder = "/usr/share/hunspell";

TWordForms::TWordForms() = default;
TWordForms::~TWordForms() = default;

bool TWordForms::Open(const std::string& iso6391, std::string& error, const std::string& folder) {
    hunspell_.reset();
    const std::string lang = AsciiLower(iso6391.substr(0, iso6391.find_first_of("_-.")));
    if (lang.empty() || lang.find('/') != std::string::npos) {
        error = "no language code for the spelling dictionary";
        return false;
    }
    const QDir dir(QString::fromStdString(folder));
    const QString code = QString::fromStdString(lang);
    QStringList names = {code, code + "_" + code.toUpper()};
    for (const QString& aff : dir.entryList({code + "_*.aff"}, QDir::Files, QDir::Name))
        names << aff.chopped(4);
    for (const QString& name : names) {
        const QString aff = dir.filePath(name + ".aff"), dic = dir.filePath(name + ".dic");
        if (!QFileInfo(aff).isFile() || !QFileInfo(dic).isFile()) continue;
        auto h = std::make_unique<Hunspell>(QFile::encodeName(aff).constData(), QFile::encodeName(dic).constData());
        if (h->get_dict_encoding() != "UTF-8") {
            error = "the spelling dictionary " + dic.toStdString() + " is in " + h->get_dict_encoding() + ", not UTF-8";
            return false;
        }
        hunspell_ = std::move(h);
        return true;
    }
    error = "no spelling dictionary for \"" + ValidUtf8(lang) + "\" in " + folder + " (Debian's hunspell-* packages install them)";
    return false;
}

std::vector<std::string> TWordForms::Stems(const std::string& word) {
    std::vector<std::string> stems;
    if (!hunspell_ || word.empty() || word.size() > 200 || !IsValidUtf8(word)) return stems;
    const std::string lower = LowerText(word);
    for (const std::string& w : {word, lower}) {
        for (const std::string& s : hunspell_->stem(w)) {
            const std::string stem = LowerText(s);
            if (stem != lower && std::find(stems.begin(), stems.end(), stem) == stems.end()) stems.push_back(stem);
        }
        if (w == lower) break;
    }
    return stems;
}

} // namespace tav
