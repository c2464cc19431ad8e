// tavolin-disc: checks a content disc with the program's own loaders, builds
// one from a film and its subtitles ("build"), and looks a word up in the
// installed dictionaries ("lookup").
#include "tools/disc/DiscCheck.h"
#include "content/UnicodeText.h"
#include "lookup/WordCardText.h"
#include "lookup/WordLookup.h"
#include "platform/VersionOption.h"
#include "tools/discbuild/Builder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <unistd.h>

#include <algorithm>
#include <iostream>

namespace {

const char* const kLookupUsage =
    "usage: tavolin-disc lookup WORD --lang CODE [--help-lang CODE]\n"
    "Looks WORD up in the installed FreeDict dictionary from the language CODE (ISO 639-1: fr, es,\n"
    "de, ja...) to the help language (default en), through its dictionary form when the word\n"
    "itself has no entry (Hunspell; MeCab for Japanese). Prints the dictionary forms, readings\n"
    "(a Japanese headword's in hiragana) and senses.\n"
    "Exit status: 0 found, 1 not found or no dictionary for the pair, 2 usage error.\n";

// As the word card heads an entry, then every sense with its details.
void PrintEntry(const tav::TDictEntry& e, std::ostream& out) {
    const std::string head = tav::DictEntryHead(e);
    out << head << '\n';
    for (size_t i = 0; i < e.Senses.size(); ++i) {
        out << "  " << i + 1 << ". " << e.Senses[i].Text << '\n';
        for (const std::string& d : e.Senses[i].Details) out << "       " << d << '\n';
    }
}

int Lookup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string word, lang, helpLang = "en";
    bool wordSeen = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out << kLookupUsage;
            return tav::dsLoads;
        }
        if ((a == "--lang" || a == "--help-lang") && i + 1 < args.size()) {
            (a == "--lang" ? lang : helpLang) = args[++i];
        } else if (a.rfind("--", 0) == 0 || wordSeen) {
            err << kLookupUsage;
            return tav::dsUsage;
        } else {
            word = a;
            wordSeen = true;
        }
    }
    if (word.empty() || lang.empty()) {
        err << kLookupUsage;
        return tav::dsUsage;
    }
    tav::SetTextLanguage(tav::AsciiLower(lang));
    tav::TWordLookup lookup;
    std::string error;
    if (!lookup.Open(lang, helpLang, error)) {
        err << "tavolin-disc: " << error << '\n';
        return tav::dsFails;
    }
    const tav::TWordLookupResult r = lookup.Lookup(word);
    const std::string pair = tav::FreeDictLanguageName(lang) + "-" + tav::FreeDictLanguageName(helpLang);
    if (!r.Found()) {
        if (!r.Error.empty()) err << "tavolin-disc: " << r.Error << '\n';
        err << "tavolin-disc: \"" << r.Word << "\" is not in the " << pair << " dictionary (" << lookup.Pair().Name << ")";
        if (!lookup.StemmingNote().empty()) err << "; " << lookup.StemmingNote();
        err << '\n';
        return tav::dsFails;
    }
    if (!r.DictionaryForms.empty()) {
        out << r.Word << ": dictionary form ";
        for (size_t i = 0; i < r.DictionaryForms.size(); ++i) out << (i ? ", " : "") << r.DictionaryForms[i];
        out << '\n';
    }
    if (!r.Reading.empty()) out << (r.DictionaryForms.empty() ? r.Word : r.DictionaryForms.front()) << ": reading " << r.Reading << '\n';
    for (size_t i = 0; i < r.Entries.size(); ++i) {
        if (i) out << '\n';
        PrintEntry(r.Entries[i], out);
    }
    if (!r.Error.empty()) err << "tavolin-disc: " << r.Error << '\n';
    return tav::dsLoads;
}

} // namespace

int main(int argc, char** argv) {
    if (tav::AnswerVersionOption(argc, argv, "tavolin-disc")) return 0;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args.front() == "build") {
        // Pictures are drawn with Qt's fonts, off screen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            const QString runtime = QDir::tempPath() + "/tavolin-disc-" + QString::number(getuid());
            QDir().mkpath(runtime);
            QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        }
        QGuiApplication app(argc, argv);
        return discbuild::RunBuild(std::vector<std::string>(args.begin() + 1, args.end()), std::cout, std::cerr);
    }
    QCoreApplication app(argc, argv); // Qt's picture plugins
    if (!args.empty() && args.front() == "lookup")
        return Lookup(std::vector<std::string>(args.begin() + 1, args.end()), std::cout, std::cerr);
    const int status = tav::RunDiscTool(args, std::cout, std::cerr);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help"))
        std::cout << "Word look-up: tavolin-disc lookup WORD --lang CODE [--help-lang CODE] (lookup --help)\n";
    return status;
}
