#include "tools/disc/DiscCheck.h"

#include "components/PictureCheck.h"
#include "components/ZrPict.h"

#include "content/DictionaryWords.h"
#include "content/IniFile.h"
#include "content/KeyFiles.h"
#include "content/LanguageCodes.h"
#include "content/OurUtils.h"
#include "content/SpellingTable.h"
#include "content/SearchList.h"
#include "content/UnicodeText.h"
#include "games/QuizData.h"
#include "media/MCIControl.h"
#include "platform/Paths.h"

#include <QDirIterator>
#include <QFile>

#include <algorithm>
#include <exception>
#include <map>
#include <set>

namespace tav {

namespace {

std::string ErrorText(const std::exception_ptr& e) {
    try {
        std::rethrow_exception(e);
    } catch (const std::exception& x) {
        return x.what();
    } catch (...) {
        return "unknown error";
    }
}

// Content text (UTF-8) for the terminal and for TSV output: what is not
// valid UTF-8 (a name of a file, an error) shows as U+FFFD.
std::string Utf8(const std::string& text) { return ValidUtf8(text); }

// A TSV field: tabs and line breaks would split the row.
std::string Field(const std::string& text) {
    std::string s = text;
    for (char& c : s)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return Utf8(s);
}

void Add(TIndexProblems& problems, const std::string& file, int line, const std::string& text) {
    problems.push_back({file, line, text});
}

// The 1-based line of a settings key, 0 when the key is missing.
int KeyLineNumber(const TStringList& lines, const std::string& key) { return FindKeyLine(lines, key) + 1; }

std::string StripTrailingSeparators(std::string root) {
    while (root.size() > 1 && (root.back() == '/' || root.back() == '\\')) root.pop_back();
    return root;
}

// Every text file of the disc that the program reads as UTF-8 (all of them on
// a UTF-8 disc, those beginning with a byte-order mark on a Mac OS Roman
// one): each line that is not valid UTF-8 is a problem, up to ten a file.
// The program's own PC folder, when the disc carries it, is not the disc's text.
void CheckUtf8Files(TDisc& disc) {
    const QString root = QString::fromStdString(NativePath(disc.Root));
    QDirIterator it(root, {"*.txt", "*.TXT", "*.Txt"}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    std::vector<std::string> files;
    while (it.hasNext()) {
        const QString file = it.next();
        if (file.mid(root.size() + 1).section('/', 0, 0).compare("pc", Qt::CaseInsensitive) == 0 &&
            file.mid(root.size() + 1).contains('/'))
            continue;
        files.push_back(file.toStdString());
    }
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        QFile f(QString::fromStdString(file));
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QByteArray bytes = f.readAll();
        const bool bom = bytes.startsWith("\xEF\xBB\xBF");
        if (disc.Encoding != TContentEncoding::Utf8 && !bom) continue;
        const TStringList lines = SplitTextLines(std::string(bytes.constData() + (bom ? 3 : 0), size_t(bytes.size()) - (bom ? 3 : 0)));
        int bad = 0;
        for (size_t n = 0; n < lines.size(); ++n) {
            if (IsValidUtf8(lines[n])) continue;
            if (++bad > 10) continue;
            Add(disc.Problems, file, int(n) + 1,
                std::string("not valid UTF-8 (") + (bom ? "the file begins with a UTF-8 byte-order mark" : "the disc's text is UTF-8") +
                    "): the program shows \"" + ValidUtf8(lines[n]) + "\"");
        }
        if (bad > 10) Add(disc.Problems, file, 0, Format("%d more lines are not valid UTF-8", bad - 10));
    }
}

} // namespace

bool OpenDisc(TDisc& disc, const std::string& root) {
    disc = TDisc{};
    disc.Root = StripTrailingSeparators(root);
    if (!DirectoryExists(disc.Root)) {
        disc.Error = "\"" + root + "\" is not a folder";
        return false;
    }
    // The program takes a folder for a content disc only when both are there.
    if (!FileExists(disc.Root + "\\Spelinfo.txt"))
        Add(disc.Problems, NativePath(disc.Root + "\\Spelinfo.txt"), 0,
            "missing: the program does not take this folder for a content disc");
    try {
        // Target.txt says how the disc's text is encoded, and is read in that encoding.
        disc.Encoding = EncodingDeclaredBy(ReadTextLines(disc.Root + "\\Target.txt"));
        SetContentEncoding(disc.Encoding);
        disc.TargetLines = ReadContentLines(disc.Root + "\\Target.txt");
    } catch (...) {
        disc.Error = ErrorText(std::current_exception());
        return false;
    }

    // The configuration beside the program; for a disc laid out as the program
    // folder that is the root.
    std::string config = disc.Root + "\\sconfig.txt";
    if (!FileExists(config)) config = disc.Root + "\\config.txt";
    TIniFile ini;
    ini.LoadFromFile(config);
    disc.Filter1 = (ini.ReadInteger("Defaults", "Filter1", 0) & 0xFF) != 0;

    disc.MultiMenuPicture = LookupKey(disc.TargetLines, "MultiMenu", "");
    if (!disc.MultiMenuPicture.empty()) {
        TTargetIndex loader;
        loader.TargetLines = disc.TargetLines;
        loader.LoadMultiEntries();
        disc.MultiEntries = loader.MultiEntries;
        const std::string targetFile = NativePath(disc.Root + "\\Target.txt");
        if (!FileExists(disc.Root + "\\multi\\" + disc.MultiMenuPicture))
            Add(disc.Problems, targetFile, KeyLineNumber(disc.TargetLines, "MultiMenu"),
                "multi-menu picture \"" + disc.MultiMenuPicture + "\" not found in multi");
        if (disc.MultiEntries.empty())
            Add(disc.Problems, targetFile, KeyLineNumber(disc.TargetLines, "MultiMenu"),
                "multi menu without Target1: it shows no target button");
        for (size_t i = 0; i < disc.MultiEntries.size(); ++i) {
            const auto& m = disc.MultiEntries[i];
            const int line = KeyLineNumber(disc.TargetLines, "Target" + IntToStr(static_cast<long long>(i) + 1));
            if (!FileExists(disc.Root + "\\multi\\" + m.PictureFile))
                Add(disc.Problems, targetFile, line, "button picture \"" + m.PictureFile + "\" not found in multi");
        }
    }
    CheckUtf8Files(disc);
    return true;
}

std::vector<std::pair<std::string, std::string>> DiscTargets(const TDisc& disc) {
    std::vector<std::pair<std::string, std::string>> out;
    if (!disc.MultiMenuPicture.empty()) {
        for (const auto& m : disc.MultiEntries) out.emplace_back(m.FolderName, m.TargetPath);
    } else {
        out.emplace_back(LookupKey(disc.TargetLines, "TargetFolderName", ""),
                         LookupKey(disc.TargetLines, "TargetPathForPC", ""));
    }
    return out;
}

bool LoadDiscTarget(const TDisc& disc, TDiscTarget& t, const std::string& folderName, const std::string& path) {
    t.FolderName = folderName;
    t.Folder = !path.empty() ? path : disc.Root + "\\" + folderName;
    t.Index.Filter1 = disc.Filter1;
    t.Index.TargetLines = disc.TargetLines;
    try {
        SetContentEncoding(disc.Encoding);
        t.Index.SettingsLines = ReadContentLines(t.Folder + "\\settings.txt");
        SetTextLanguage(IsoCodeOfLanguage(StrToIntDef(LookupKey(t.Index.SettingsLines, "TargetLang", "0"), 0)));
        t.MovieNames = SplitKeyList(t.Index.SettingsLines, "MovieNames", '|');
        t.Index.StartLinePool = SplitKeyList(t.Index.SettingsLines, "NextGameStartLines", '|');
        // The filter list comes first: the movie index applies it.
        t.Index.LoadFilter(t.Folder + "\\filter1.txt", &t.Problems);
        t.Index.LoadMovieIndex(t.Folder + "\\movieinf.txt", &t.Problems);
        t.Index.LoadRecordIndex(t.Folder + "\\record.txt", &t.Problems);
    } catch (...) {
        t.Error = ErrorText(std::current_exception());
        return false;
    }
    return true;
}

namespace {

// DicWords.txt: the vocabulary activity and the dictionary read it; every
// entry needs its picture and sound, and the activity at least six entries.
void CheckDictionary(TDiscTarget& t) {
    const std::string file = t.Folder + "\\DicWords.txt";
    const std::string shown = NativePath(file);
    if (!FileExists(file)) {
        Add(t.Problems, shown, 0, "missing: the vocabulary activity and the dictionary cannot open");
        return;
    }
    TStringList lines;
    try {
        lines = ReadContentLines(file);
    } catch (...) {
        Add(t.Problems, shown, 0, ErrorText(std::current_exception()));
        return;
    }
    int index = 0;
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        if (line.empty()) continue; // not an entry; the numbering goes on
        const int lineNumber = static_cast<int>(n + 1);
        if (Trim(line).empty())
            Add(t.Problems, shown, lineNumber,
                Format("entry %d is only blanks: it is asked with an empty caption", index + 1));
        if (!FileExists(DictionaryPicture(t.Folder, index)))
            Add(t.Problems, shown, lineNumber,
                Format("entry %d: picture DictPic\\Dict%d.jpg not found", index + 1, index + 1));
        if (!FileExists(DictionarySound(t.Folder, index)))
            Add(t.Problems, shown, lineNumber,
                Format("entry %d: sound DictSnd\\Dict%d.aif not found", index + 1, index + 1));
        ++index;
    }
    t.DictionaryEntries = index;
    if (index > kMaxDictionaryEntries)
        Add(t.Problems, shown, 0,
            Format("%d entries: only the first %d can be used", index, kMaxDictionaryEntries));
    if (index < 6)
        Add(t.Problems, shown, 0,
            Format("%d entr%s: the vocabulary activity needs at least 6", index, index == 1 ? "y" : "ies"));
}

} // namespace

void CheckSearchList(TDiscTarget& t) {
    const std::string file = t.Folder + "\\Search.txt";
    const std::string shown = NativePath(file);
    if (!FileExists(file)) {
        Add(t.Problems, shown, 0, "no word list: the word search has no words to offer");
        return;
    }
    TStringList lines;
    try {
        lines = ReadContentLines(file);
    } catch (const std::exception& e) {
        Add(t.Problems, shown, 0, e.what());
        return;
    }
    std::map<std::string, int> firstLine; // search word -> its first line
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        const int line = static_cast<int>(i) + 1;
        ++t.SearchWordCount;
        const std::string& entry = lines[i];
        const std::string word = SearchWordOf(entry);
        // As written: lower case may take other bytes than the entry's own letters.
        const std::string quoted = "\"" + Utf8(entry.substr(0, entry.find(','))) + "\"";
        if (word.empty()) {
            Add(t.Problems, shown, line, "no search word before the comma");
            continue;
        }
        const auto [at, isNew] = firstLine.emplace(word, line);
        if (!isNew) Add(t.Problems, shown, line, quoted + Format(" repeats the word of line %d", at->second));
        else if (FindMatches(t.Index.MovieEntries, word).empty())
            Add(t.Problems, shown, line, quoted + " is spoken as a whole word in no line of the film");
    }
    if (t.SearchWordCount == 0) Add(t.Problems, shown, 0, "the word list is empty: the word search has no words to offer");
}

void CheckDiscTarget(TDiscTarget& t) {
    const auto& entries = t.Index.MovieEntries;
    const std::string movieFile = NativePath(t.Folder + "\\movieinf.txt");
    const std::string recordFile = NativePath(t.Folder + "\\record.txt");
    const std::string settingsFile = NativePath(t.Folder + "\\settings.txt");
    const auto& settings = t.Index.SettingsLines;

    // The movie index: the searches step through it assuming rising numbers and times.
    if (entries.empty()) Add(t.Problems, movieFile, 0, "no line is kept: the movie index is empty");
    else if (t.Index.ActivityLineCount == 0)
        Add(t.Problems, movieFile, 0, "no line is flagged for activities: the activities have nothing to draw");
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        if (e.EndFrame <= e.StartFrame)
            Add(t.Problems, movieFile, e.LineNumber, "ends before it starts: the line is never captioned");
        if (i == 0) continue;
        const auto& prev = entries[i - 1];
        if (e.SequenceNumber <= prev.SequenceNumber)
            Add(t.Problems, movieFile, e.LineNumber,
                Format("sequence number %d does not rise after %d (line %d)", e.SequenceNumber,
                       prev.SequenceNumber, prev.LineNumber));
        if (e.StartFrame < prev.StartFrame)
            Add(t.Problems, movieFile, e.LineNumber,
                Format("starts before the line before it (line %d)", prev.LineNumber));
    }

    CheckSearchList(t);

    // The recording index: numbers are read as line numbers and as positions
    // in the movie index, and the cue is the line before each scene's first.
    if (t.Index.RecordEntries.size() > 9)
        Add(t.Problems, recordFile, static_cast<int>(2 * 9 + 1),
            Format("%d actors: the recording studio offers only the first 9",
                   static_cast<int>(t.Index.RecordEntries.size())));
    for (size_t a = 0; a < t.Index.RecordEntries.size(); ++a) {
        const auto& r = t.Index.RecordEntries[a];
        const int dataLine = static_cast<int>(2 * a + 2);
        for (int p = 0; p < 9; ++p) {
            if (r.Parts[p][0] == 0) continue; // no such scene
            if (r.Parts[p][0] == 1)
                Add(t.Problems, recordFile, dataLine,
                    Format("scene %d starts with entry 1: there is no line before it to cue from", p + 1));
            int lines = 0;
            for (int s = 0; s < 5 && r.Parts[p][s] != 0; ++s) ++lines;
            if (lines < 3)
                Add(t.Problems, recordFile, dataLine,
                    Format("scene %d has %d line%s; a scene needs lines 1 to 3", p + 1, lines, lines == 1 ? "" : "s"));
            for (int s = 0; s < 5; ++s) {
                const int n = r.Parts[p][s];
                if (n == 0) continue;
                if (n < 1 || static_cast<size_t>(n) > entries.size())
                    Add(t.Problems, recordFile, dataLine,
                        Format("scene %d line %d: %d points at no entry of the movie index", p + 1, s + 1, n));
                else if (entries[static_cast<size_t>(n) - 1].LineNumber != n)
                    Add(t.Problems, recordFile, dataLine,
                        Format("scene %d line %d: %d is line %d of movieinf.txt as an index position "
                               "(a skipped line before it shifts the numbering)",
                               p + 1, s + 1, n, entries[static_cast<size_t>(n) - 1].LineNumber));
            }
        }
    }

    // Next-line start numbers must name entries exactly.
    const TStringList starts = SplitKeyList(settings, "NextGameStartLines", '|');
    const int startsLine = KeyLineNumber(settings, "NextGameStartLines");
    if (starts.empty()) Add(t.Problems, settingsFile, startsLine, "no NextGameStartLines: the next-line activity has no start");
    std::set<int> numbers;
    for (const auto& e : entries) numbers.insert(e.SequenceNumber);
    for (const auto& item : starts) {
        int n = 0;
        if (!TryStrToInt(item, n))
            Add(t.Problems, settingsFile, startsLine, "NextGameStartLines: \"" + item + "\" is not a whole number");
        else if (!numbers.count(n))
            Add(t.Problems, settingsFile, startsLine, Format("NextGameStartLines: %d matches no entry", n));
    }

    CheckDictionary(t);

    // Film part files, looked up as the clip pool does (case-insensitive).
    if (t.MovieNames.empty()) Add(t.Problems, settingsFile, KeyLineNumber(settings, "MovieNames"), "no MovieNames: there is no film");
    for (const auto& name : t.MovieNames)
        if (!FileExists(t.Folder + "\\" + name))
            Add(t.Problems, settingsFile, KeyLineNumber(settings, "MovieNames"),
                "film part \"" + name + "\" not found in the target folder");
}

int CheckQuiz(TDiscTarget& t, const std::string& root) {
    const std::string quizFile = t.Folder + "\\quiz\\quiz.txt";
    // A target without a quiz folder offers no quiz to check.
    if (!DirectoryExists(t.Folder + "\\quiz")) return -1;
    if (!FileExists(quizFile)) {
        Add(t.Problems, NativePath(quizFile), 0, "missing: the film quiz cannot start");
        return 0;
    }
    TQuizFile quiz;
    try {
        quiz = LoadQuizFile(quizFile);
    } catch (...) {
        Add(t.Problems, NativePath(quizFile), 0, ErrorText(std::current_exception()));
        return 0;
    }
    if (quiz.Questions.size() < 20)
        Add(t.Problems, NativePath(quizFile), 0,
            Format("%d questions: a game needs 20 (\"Run out of questions!\")", int(quiz.Questions.size())));
    if (quiz.Dropped > 0)
        Add(t.Problems, NativePath(quizFile), 0,
            Format("more than %d questions: %d are left out", kMaxQuizQuestions, quiz.Dropped));
    for (const TQuizEntry& q : quiz.Questions) {
        std::vector<std::string> sounds{QuestionSoundFile(t.Folder, q.Number)};
        for (const char* order : {"a", "b"})
            for (int k = 1; k <= 3; ++k) sounds.push_back(AnswerSoundFile(t.Folder, q.Number, k, order));
        for (const std::string& f : sounds)
            if (!FileExists(f)) Add(t.Problems, NativePath(quizFile), q.Number, "sound missing: " + NativePath(f));
        if (q.Correct < 1 || q.Correct > 3)
            Add(t.Problems, NativePath(quizFile), q.Number, Format("right answer %d is not 1, 2 or 3", q.Correct));
        if (q.EndFrame <= q.StartFrame) Add(t.Problems, NativePath(quizFile), q.Number, "the film range ends before it starts");
    }
    for (const std::string& name : MiscQuizSounds())
        if (!FileExists(t.Folder + name)) Add(t.Problems, NativePath(t.Folder + name), 0, "missing quiz sound");
    const std::string nameFile = t.Folder + "\\quiz\\miscq\\oppname.txt";
    if (!FileExists(nameFile)) Add(t.Problems, NativePath(nameFile), 0, "missing: the opponent is called \"Computer\"");

    // The opponent belongs to the program folder; a disc that is also a
    // program folder (or carries its PC folder) is checked too.
    const std::string script = root + "\\pc\\quiz\\oppmoov.txt", clip = root + "\\pc\\quiz\\oppmoov.mpg";
    if (!FileExists(script)) return int(quiz.Questions.size());
    const std::vector<TPlayer2Entry> actions = LoadOpponentScriptFile(script);
    for (const std::string& name : RequiredOpponentActions())
        if (!FindAction(actions, name)) Add(t.Problems, NativePath(script), 0, "no action \"" + name + "\" (the game asks for it)");
    int lengthMs = -1;
    try {
        TMCIPlayer player;
        player.Open(clip, nullptr, 0);
        player.SetTimeFormat(MCI_FORMAT_MILLISECONDS);
        lengthMs = player.GetLength();
    } catch (...) {
        Add(t.Problems, NativePath(clip), 0, "cannot be opened: " + ErrorText(std::current_exception()));
    }
    for (size_t i = 0; i < actions.size() && lengthMs >= 0; ++i) {
        const TPlayer2Entry& a = actions[i];
        if (a.EndFrame <= a.StartFrame || a.EndFrame * 40 > lengthMs)
            Add(t.Problems, NativePath(script), 0,
                Format("action \"%s\" (%d..%d ms) is not a section inside the clip (%d ms)", a.Name.c_str(),
                       a.StartFrame * 40, a.EndFrame * 40, lengthMs));
    }
    return int(quiz.Questions.size());
}

TStringList CheckSpelling(const TDisc& disc, TDiscTarget& t) {
    const std::string table = disc.Root + "\\Spelinfo.txt";
    if (!FileExists(table)) return {}; // reported with the disc
    const std::string tableFile = NativePath(table);
    const int language = StrToIntDef(LookupKey(t.Index.SettingsLines, "TargetLang", "0"), 0);
    TSpellingInfo info;
    try {
        info = LoadSpellingInfo(table, language);
    } catch (...) {
        Add(t.Problems, tableFile, 0, ErrorText(std::current_exception()));
        return {};
    }
    if (info.LineNumber == 0) {
        Add(t.Problems, tableFile, 0,
            Format("no line for target language %d: the spelling activity has no alphabet", language));
        return {};
    }
    // The tiles carry user-perceived characters: "é" written as e and its
    // accent, or a kana with its voicing mark, is one letter.
    const TStringList letters = Graphemes(info.Letters);
    if (letters.size() < 17)
        Add(t.Problems, tableFile, info.LineNumber,
            Format("%d letters: the spelling activity needs 17 for its tiles", static_cast<int>(letters.size())));
    const std::string folder = "\\shared\\spell_" + info.FolderSuffix;
    if (!DirectoryExists(disc.Root + folder)) {
        Add(t.Problems, tableFile, info.LineNumber, "spelling folder \"" + folder.substr(1) + "\" not found");
        return letters;
    }
    std::set<std::string> seen;
    for (size_t k = 0; k < letters.size(); ++k) {
        if (!seen.insert(letters[k]).second) continue;
        for (const std::string& name : LetterPictureNames(letters[k]))
            if (!FileExists(disc.Root + folder + name))
                Add(t.Problems, tableFile, info.LineNumber,
                    "picture \"" + folder.substr(1) + name + "\" for letter \"" + letters[k] + "\" not found");
    }
    return letters;
}

// ---- the command line -------------------------------------------------------

namespace {

const char* const kUsage =
    "usage: tavolin-disc check ROOT\n"
    "       tavolin-disc index ROOT [TARGET]\n"
    "       tavolin-disc script ROOT [TARGET]\n"
    "       tavolin-disc picture FILE OUT.png\n"
    "       tavolin-disc build FILM SUBTITLES --lang CODE --title TEXT --out ROOT [...] (build --help)\n"
    "ROOT is the content disc (the folder with Target.txt); TARGET a target folder name\n"
    "(default: the disc's start target, or its first multi-menu target).\n"
    "The disc's text is Mac OS Roman, or UTF-8 when Target.txt has the line TextEncoding|UTF-8\n"
    "(a file beginning with a UTF-8 byte-order mark is UTF-8 either way); check reports\n"
    "which, and every line of a UTF-8 file that is not valid UTF-8.\n"
    "picture loads FILE as the program does (JPEG, PNG, BMP, PICT) and writes it as PNG.\n"
    "Exit status: 0 the disc (or picture) loads, 1 it would fail, 2 usage error.\n";

void PrintProblem(std::ostream& out, const TIndexProblem& p) {
    out << "  " << NativePath(p.File); // the loaders name files as the program does
    if (p.Line > 0) out << ':' << p.Line;
    out << ": " << Utf8(p.Text) << '\n';
}

std::string SceneList(const TRecordEntry& r, int& scenes) {
    std::string s;
    scenes = 0;
    for (int p = 0; p < 9; ++p) {
        if (r.Parts[p][0] == 0) continue;
        ++scenes;
        s += ' ';
        for (int k = 0; k < 5 && r.Parts[p][k] != 0; ++k) s += (k ? "|" : "") + IntToStr(r.Parts[p][k]);
    }
    return s;
}

int Check(const std::string& root, std::ostream& out) {
    TDisc disc;
    out << "Disc " << root << '\n';
    if (!OpenDisc(disc, root)) {
        out << "  error: " << Utf8(disc.Error) << "\nResult: the program would fail to start\n";
        return dsFails;
    }
    out << "  text: " << (disc.Encoding == TContentEncoding::Utf8 ? "UTF-8 (Target.txt)" : "Mac OS Roman") << '\n';
    out << "  filter: " << (disc.Filter1 ? "on" : "off") << '\n';
    if (!disc.MultiMenuPicture.empty()) out << "  multi menu: " << Utf8(disc.MultiMenuPicture) << '\n';
    out << "  multi-menu entries: " << disc.MultiEntries.size() << '\n';
    for (const auto& p : disc.Problems) PrintProblem(out, p);

    int failed = 0;
    size_t problems = disc.Problems.size();
    for (const auto& [name, path] : DiscTargets(disc)) {
        TDiscTarget t;
        const bool loaded = LoadDiscTarget(disc, t, name, path);
        out << "Target " << Utf8(name) << " (" << NativePath(t.Folder) << ")\n";
        if (loaded) {
            CheckDiscTarget(t);
            const int questions = CheckQuiz(t, disc.Root);
            const TStringList letters = CheckSpelling(disc, t);
            const auto& ix = t.Index;
            out << "  movie entries: " << ix.MovieEntries.size() << '\n'
                << "  script rows: " << ix.ScriptLines.size() << '\n'
                << "  activity lines: " << ix.ActivityLineCount << '\n'
                << "  actors: " << ix.RecordEntries.size() << '\n';
            for (const auto& r : ix.RecordEntries) {
                int scenes = 0;
                const std::string list = SceneList(r, scenes);
                out << "    " << Utf8(r.Title) << ": " << scenes << (scenes == 1 ? " scene" : " scenes") << (scenes ? ":" : "") << list << '\n';
            }
            out << "  multi-menu entries: " << disc.MultiEntries.size() << '\n'
                << "  filter words: " << ix.FilterWords.size() << '\n'
                << "  spelling letters: " << letters.size() << '\n'
                << "  search words: " << t.SearchWordCount << '\n'
                << "  quiz questions: " << (questions < 0 ? std::string("none (no quiz folder)") : IntToStr(questions)) << '\n';
            if (t.DictionaryEntries >= 0) out << "  dictionary entries: " << t.DictionaryEntries << '\n';
        } else {
            ++failed;
            out << "  error: " << Utf8(t.Error) << '\n';
        }
        out << "  problems: " << t.Problems.size() << '\n';
        for (const auto& p : t.Problems) PrintProblem(out, p);
        problems += t.Problems.size();
    }
    if (failed) {
        out << "Result: the program would fail to start (" << failed << " target" << (failed == 1 ? "" : "s")
            << " cannot be loaded)\n";
        return dsFails;
    }
    out << "Result: the disc loads (" << problems << (problems == 1 ? " problem" : " problems") << ")\n";
    return dsLoads;
}

// Loads the target a listing asks for; prints the error and returns false when it cannot.
bool LoadListedTarget(const std::string& root, const std::string& wanted, TDiscTarget& t, std::ostream& err) {
    TDisc disc;
    if (!OpenDisc(disc, root)) {
        err << "tavolin-disc: " << Utf8(disc.Error) << '\n';
        return false;
    }
    std::string name = wanted, path;
    const auto targets = DiscTargets(disc);
    if (wanted.empty()) {
        if (targets.empty()) {
            err << "tavolin-disc: the disc names no target\n";
            return false;
        }
        name = targets.front().first;
        path = targets.front().second;
    } else {
        for (const auto& [n, p] : targets)
            if (SameText(n, wanted)) {
                name = n;
                path = p;
                break;
            }
    }
    if (!LoadDiscTarget(disc, t, name, path)) {
        err << "tavolin-disc: " << Utf8(t.Error) << '\n';
        return false;
    }
    return true;
}

void PrintIndex(const TTargetIndex& ix, std::ostream& out) {
    // Positions in film units (40 ms): exact, where a timecode would round.
    out << "line\tsequence\tstart\tend\tspeaker\tsame_speaker\tfor_activities\ttext\n";
    for (const auto& e : ix.MovieEntries)
        out << e.LineNumber << '\t' << e.SequenceNumber << '\t' << e.StartFrame << '\t' << e.EndFrame << '\t'
            << Field(e.Speaker) << '\t' << (e.SameSpeaker ? 1 : 0) << '\t'
            << (e.ForActivities ? 1 : 0) << '\t' << Field(e.LineText) << '\n';
}

void PrintScript(const TTargetIndex& ix, std::ostream& out) {
    out << "row\tkind\tline\ttext\n";
    for (size_t i = 0; i < ix.ScriptLines.size(); ++i) {
        const auto& r = ix.ScriptLines[i];
        const char* kind = r.Kind == TScriptRowKind::Blank ? "blank" : r.Kind == TScriptRowKind::Heading ? "heading" : "line";
        out << i << '\t' << kind << '\t';
        if (r.Entry >= 0) out << ix.MovieEntries[static_cast<size_t>(r.Entry)].LineNumber;
        out << '\t' << Field(r.Text) << '\n';
    }
}

} // namespace

int RunDiscTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        out << kUsage;
        return dsLoads;
    }
    if (args.empty()) {
        err << kUsage;
        return dsUsage;
    }
    const std::string& command = args[0];
    if (command == "check" && args.size() == 2) return Check(args[1], out);
    if ((command == "index" || command == "script") && (args.size() == 2 || args.size() == 3)) {
        TDiscTarget t;
        if (!LoadListedTarget(args[1], args.size() == 3 ? args[2] : std::string(), t, err)) return dsFails;
        if (command == "index") PrintIndex(t.Index, out);
        else PrintScript(t.Index, out);
        return dsLoads;
    }
    if (command == "picture" && args.size() == 3) {
        RegisterPictFormat();
        const std::string message = ConvertPictureToPng(args[1], args[2]);
        if (message.empty()) return dsLoads;
        err << message << '\n';
        return dsFails;
    }
    err << kUsage;
    return dsUsage;
}

} // namespace tav
