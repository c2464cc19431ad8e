#include "Builder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QSaveFile>
#include <QString>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "CueSource.h"
#include "FilmSource.h"
#include "Languages.h"
#include "MacFit.h"
#include "Material.h"
#include "Progress.h"
#include "SpeechAlign.h"
#include "Subtitles.h"
#include "content/LanguageCodes.h"
#include "content/LineTranslations.h"
#include "content/SearchList.h"
#include "content/SpellingTable.h"
#include "content/UnicodeText.h"
#include "platform/Paths.h"
#include "tools/demodisc/DiscFiles.h"
#include "tools/demodisc/MacText.h"
#include "tools/demodisc/Pictures.h"
#include "tools/demodisc/Story.h"
#include "tools/demodisc/Style.h"
#include "tools/disc/DiscCheck.h"

namespace discbuild {

const char* const kBuildUsage =
    "usage: tavolin-disc build FILM [SUBTITLES] --lang CODE --title TEXT --out ROOT\n"
    "                          [--subtitle-track N] [--audio-track N] [--no-align]\n"
    "                          [--help-subtitles FILE | --help-track N] [--help-lang CODE]\n"
    "                          [--pictures DIR] [--cache DIR]\n"
    "  FILM: any film ffmpeg reads; SUBTITLES: SRT, WebVTT or ASS/SSA in the film's language.\n"
    "    Without SUBTITLES the film's own subtitle track in --lang is used (text tracks\n"
    "    decoded, picture tracks read with OCR); --subtitle-track N chooses one (from 0).\n"
    "  --audio-track N: the film's sound track (from 0; default the first).\n"
    "  --no-align: keep the subtitles' times (they are fitted to the film's speech otherwise).\n"
    "  --lang: the film's language (program code, e.g. 2, short code en, or name English).\n"
    "    A language Mac OS Roman cannot carry (Japanese, Chinese, Korean, Russian, Greek,\n"
    "    Polish, Czech, Turkish) gets a UTF-8 disc; right-to-left scripts are refused.\n"
    "  --help-subtitles/--help-track, --help-lang: subtitles in a help language, shown beside\n"
    "    each line, from a file or a subtitle track of the film.\n"
    "  --pictures: dictionary pictures, each file named after its word (e.g. dog.jpg).\n"
    "  --cache: where spoken words are kept between builds (default ROOT.cache).\n"
    "  --part-seconds: length of the film parts (default 240; at most eight parts).\n";

namespace {

std::atomic<bool> gInterrupted{false};
extern "C" void OnInterrupt(int) { gInterrupted = true; }

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

std::string ReadAll(const std::string& path) {
    QFile f(Q(path));
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path);
    const QByteArray b = f.readAll();
    return std::string(b.constData(), size_t(b.size()));
}

void CheckInterrupt() {
    if (gInterrupted) throw std::runtime_error("interrupted");
}

// What the report lists at the end.
struct TReport {
    std::vector<std::string> Built, NotBuilt, Notes;
};

const char* const kRightToLeftRefusal = "Right-to-left scripts (Arabic, Hebrew) are not supported yet";

// Subtitles read from a file or a track of the film, their problems listed
// as NAME:LINE. Throws when nothing can be read or the text is in a
// right-to-left script; name is what the report calls the source.
std::vector<TSubtitleCue> ReadCues(const TCueSource& source, std::ostream& out, TReport& report, std::string& name,
                                   const TProgressFn& progress) {
    std::vector<std::string> notes;
    TSubtitleFile file = ReadCueSource(source, name, notes, progress);
    const std::string& path = name;
    out << path << ": " << file.Format << ", " << file.Encoding << ", " << file.Cues.size() << " cues\n";
    for (const TSubtitleProblem& p : file.Problems)
        out << path << ":" << p.Line << ": " << p.Text << '\n';
    for (const std::string& n : notes) out << n << '\n';
    if (file.Cues.empty()) throw std::runtime_error("no cue could be read from " + path);
    int letters = 0, rightToLeft = 0;
    for (const TSubtitleCue& c : file.Cues)
        for (char32_t cp : tav::CodePoints(c.Text)) {
            if (!QChar::isLetter(cp)) continue;
            ++letters;
            const QChar::Direction d = QChar::direction(cp);
            rightToLeft += d == QChar::DirR || d == QChar::DirAL;
        }
    if (letters > 0 && rightToLeft * 20 > letters)
        throw std::runtime_error(path + ": " + kRightToLeftRefusal + " (" + std::to_string(rightToLeft) + " of " +
                                 std::to_string(letters) + " letters are written from right to left)");
    report.Notes.push_back(path + ": " + file.Format + ", " + file.Encoding);
    if (!notes.empty()) report.Built.push_back(notes.front());
    return file.Cues;
}

// Cue text fitted to Mac OS Roman; false when too many letters have no code
// (the script is foreign to it).
bool FitCues(std::vector<TSubtitleCue>& cues, TMacFitter& fit) {
    for (TSubtitleCue& c : cues) {
        c.Text = fit.Fit(c.Text);
        c.Speaker = fit.Fit(c.Speaker);
    }
    return !(fit.Letters() > 0 && fit.DroppedLetters() * 20 > fit.Letters());
}

std::string CarryError(const std::string& path, const TMacFitter& fit) {
    return path + " is written in a script that Mac OS Roman cannot carry (" + std::to_string(fit.DroppedLetters()) +
           " of " + std::to_string(fit.Letters()) + " letters have no code); the disc cannot hold it";
}

// Text for a UTF-8 disc: composed (NFC), so that a letter and its marks are
// the same bytes everywhere; invisible format marks left out; the
// activities' gap mark and the one-character ellipsis written as the Mac
// OS Roman disc writes them.
std::string CleanUtf8(const std::string& utf8) {
    QString s = Q(tav::ValidUtf8(utf8)).normalized(QString::NormalizationForm_C);
    QString out;
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u == 0x200B || u == 0x200E || u == 0x200F || u == 0x00AD || u == 0xFEFF) continue;
        if (u == 0x00D7) out += 'x';
        else if (u == 0x2026) out += "...";
        else if (u == 0x00A0 || u == 0x202F || (u >= 0x2000 && u <= 0x200A)) out += ' ';
        else out += c;
    }
    return out.toStdString();
}

void CleanCues(std::vector<TSubtitleCue>& cues) {
    for (TSubtitleCue& c : cues) {
        c.Text = CleanUtf8(c.Text);
        c.Speaker = CleanUtf8(c.Speaker);
    }
}

// True when espeak-ng lists the voice (its second column).
bool EspeakHasVoice(const std::string& voice) {
    QProcess p;
    p.start("espeak-ng", {"--voices"});
    if (!p.waitForStarted(10000) || !p.waitForFinished(30000)) return false;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() > 1 && f[1].toStdString() == voice) return true;
    }
    return false;
}

// movietr<N>.txt in UTF-8 behind a byte-order mark, for a Mac OS Roman disc
// whose help language is in a script Mac OS Roman lacks: the mark makes the
// program read this one file as UTF-8.
bool WriteUtf8Translations(const std::string& fileName, const std::map<int, std::string>& texts) {
    QSaveFile f(Q(tav::NativePath(fileName))); // a program path, as LineTranslationFile gives it
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write("\xEF\xBB\xBF", 3);
    for (const auto& [number, text] : texts) {
        std::string t = text;
        for (char& c : t)
            if (c == '|' || c == '\r' || c == '\n') c = ' ';
        const std::string line = std::to_string(number) + "|" + t + "\r\n";
        f.write(line.data(), qint64(line.size()));
    }
    return f.commit();
}

void ReportFit(const TMacFitter& fit, const std::string& path, std::ostream& out) {
    for (const auto& [ch, n] : fit.Transliterated())
        out << path << ": \"" << ch << "\" written as a stand-in (" << n << "x)\n";
    for (const auto& [ch, n] : fit.Dropped())
        out << path << ": \"" << ch << "\" has no Mac OS Roman code and was left out (" << n << "x)\n";
}

QImage Fill(const QImage& src, int w, int h) {
    if (src.isNull()) {
        QImage blank(w, h, QImage::Format_RGB32);
        blank.fill(QColor(16, 26, 51));
        return blank;
    }
    const QImage scaled = src.scaled(w, h, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return scaled.copy((scaled.width() - w) / 2, (scaled.height() - h) / 2, w, h);
}

// A picture of its own fitted onto the dictionary's cream card.
QImage OnCard(const QImage& src) {
    QImage card(280, 212, QImage::Format_RGB32);
    card.fill(QColor(243, 230, 196));
    QPainter p(&card);
    const QImage s = src.scaled(272, 204, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    p.drawImage((280 - s.width()) / 2, (212 - s.height()) / 2, s);
    return card;
}

std::string FolderNameFor(const TLanguage& lang) {
    std::string name;
    for (char c : tav::LanguageName(lang.Code))
        if (std::isalnum((unsigned char)c)) name += c;
    return name.empty() ? "Film" : name;
}

// Picture files named after words: lower-case base name -> path.
std::map<std::string, std::string> PictureFiles(const std::string& dir) {
    std::map<std::string, std::string> out;
    if (dir.empty()) return out;
    QDirIterator it(Q(dir), {"*.jpg", "*.jpeg", "*.png", "*.bmp", "*.JPG", "*.JPEG", "*.PNG", "*.BMP"}, QDir::Files);
    while (it.hasNext()) {
        const QFileInfo fi(it.next());
        out[fi.completeBaseName().toLower().toStdString()] = fi.absoluteFilePath().toStdString();
    }
    return out;
}

std::string LettersOf(const std::vector<TWordCount>& words) {
    std::set<QChar> extra;
    for (const TWordCount& w : words)
        for (QChar c : Q(w.Word))
            if (c.isLetter() && c.isLower() && (c < 'a' || c > 'z')) extra.insert(c);
    QString letters = "abcdefghijklmnopqrstuvwxyz";
    for (QChar c : extra) {
        try {
            (void)demodisc::ToMac(QString(c).toStdString());
            letters += c;
        } catch (const std::exception&) {
        }
    }
    return letters.toStdString();
}

// The spelling alphabet of a UTF-8 disc: the distinct user-perceived
// characters of the spelling words (the words the word search offers), in
// code point order; when they give fewer than the activity's 17 tiles, those
// of the film's other words join them.
std::vector<std::string> Utf8LettersOf(const std::vector<std::string>& spellingWords,
                                       const std::vector<TWordCount>& words) {
    std::set<std::string> letters;
    auto add = [&](const std::string& word) {
        for (const std::string& g : tav::Graphemes(word))
            if (QChar::isLetter(tav::CodePointAt(g, 0))) letters.insert(g);
    };
    for (const std::string& w : spellingWords) add(w);
    for (size_t i = 0; i < words.size() && letters.size() < 17; ++i) add(words[i].Word);
    std::vector<std::string> out(letters.begin(), letters.end());
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        return tav::CodePoints(a) < tav::CodePoints(b);
    });
    return out;
}

class TBuild {
public:
    TBuild(const TBuildOptions& o, std::ostream& out) : o_(o), out_(out) {}
    void Run(const std::string& root);
    TReport Report;

private:
    void Stage(const std::string& name) {
        CheckInterrupt();
        progress_->Begin(name);
    }
    TProgressFn Tick() {
        return [this](double f) {
            progress_->Update(f);
            return !gInterrupted.load();
        };
    }
    void WritePictures(const std::string& root, const std::string& targetDir);

    const TBuildOptions& o_;
    std::ostream& out_;
    std::unique_ptr<TProgress> progress_;
    TLanguage lang_;
    TFilmInfo info_;
    std::vector<TFilmLine> lines_;
    std::vector<int> scenes_, starts_;
    std::vector<TWordCount> words_;
    std::string work_;
    bool utf8_ = false;  // a UTF-8 disc: the language's letters are not in Mac OS Roman
    std::string voice_;  // espeak-ng voice of the film's language; empty when espeak-ng has none
    TSpeechTrack speech_; // the film's speech, when it was read to fit the subtitles
};

void TBuild::Run(const std::string& root) {
    lang_ = FindLanguage(o_.Language);
    if (lang_.Code == 0) throw std::runtime_error("unknown language \"" + o_.Language + "\"");
    if (WritesRightToLeft(lang_.Code))
        throw std::runtime_error(std::string(kRightToLeftRefusal) + ": " + tav::LanguageName(lang_.Code) +
                                 " cannot be built");
    if (lang_.Voice.empty()) throw std::runtime_error("no espeak-ng voice is known for " + tav::LanguageName(lang_.Code));
    TLanguage help;
    if (!o_.HelpSubtitles.empty() || o_.HelpTrack >= 0) {
        help = FindLanguage(o_.HelpLanguage);
        if (help.Code == 0) throw std::runtime_error("help subtitles need --help-lang with a known language");
        if (WritesRightToLeft(help.Code))
            throw std::runtime_error(std::string(kRightToLeftRefusal) + ": " + tav::LanguageName(help.Code) +
                                     " cannot be a help language");
    }
    // A language Mac OS Roman carries keeps the Mac OS Roman disc; the others get a UTF-8 one.
    utf8_ = !MacRomanCarries(lang_.Code);
    const demodisc::TDiscEncodingScope encoding(utf8_ ? demodisc::TDiscEncoding::Utf8 : demodisc::TDiscEncoding::MacRoman);
    // Words are broken and lower-cased as the program will for this language.
    const std::string iso = tav::IsoCodeOfLanguage(lang_.Code);
    tav::SetTextLanguage(iso.empty() ? lang_.Iso : iso);
    voice_ = EspeakHasVoice(lang_.Voice) ? lang_.Voice : std::string();
    if (voice_.empty())
        Report.NotBuilt.push_back("speech: espeak-ng has no voice \"" + lang_.Voice + "\" for " +
                                  tav::LanguageName(lang_.Code) + "; the dictionary's words are silent");
    if (utf8_)
        Report.Built.push_back("text: UTF-8 (Mac OS Roman cannot carry " + tav::LanguageName(lang_.Code) +
                               "; Target.txt says TextEncoding|UTF-8)");

    info_ = ProbeFilm(o_.Film);
    if (o_.AudioTrack > 0) {
        int sounds = 0;
        for (const TFilmTrack& t : ListFilmTracks(o_.Film).Tracks) sounds += t.kind == TFilmTrack::Audio;
        if (o_.AudioTrack >= sounds)
            throw std::runtime_error(o_.Film + " has " + std::to_string(sounds) + " sound track(s); there is no sound track " +
                                     std::to_string(o_.AudioTrack) + " (tracks count from 0)");
    }
    info_.AudioTrack = std::max(0, o_.AudioTrack);
    const double minutes = info_.DurationMs / 60000.0;
    const bool subtitleTrack = o_.Subtitles.empty();
    progress_ = std::make_unique<TProgress>(stderr, std::vector<std::pair<std::string, double>>{
        {"reading the subtitles", subtitleTrack ? 1 + minutes * 0.3 : 0.1},
        {"finding the speech", o_.Align ? 0.5 + minutes * 0.05 : 0},
        {"reading the film", 1 + minutes * 0.3}, {"film parts", minutes * 9}, {"pictures", 4}, {"words", 4}, {"quiz", 6},
        {"checking", 1}});

    // Subtitles first: a wrong file or track should fail before the long work.
    Stage("reading the subtitles");
    const std::string filmIso = tav::IsoCodeOfLanguage(lang_.Code).empty() ? lang_.Iso : tav::IsoCodeOfLanguage(lang_.Code);
    std::string cueName;
    std::vector<TSubtitleCue> cues =
        ReadCues({o_.Subtitles, o_.Film, o_.SubtitleTrack, filmIso.substr(0, 2)}, out_, Report, cueName, Tick());
    if (utf8_) {
        CleanCues(cues);
    } else {
        TMacFitter fit;
        if (!FitCues(cues, fit)) throw std::runtime_error(CarryError(cueName, fit));
        ReportFit(fit, cueName, out_);
    }
    // Subtitles timed for another cut or frame rate are fitted to the film's speech.
    Stage("finding the speech");
    if (o_.Align) {
        if (!info_.HasAudio) {
            Report.Built.push_back("times: kept (the film has no sound to fit them to)");
        } else {
            try {
                speech_ = ReadSpeech(o_.Film, o_.AudioTrack, Tick());
                const TAlignment fitted = AlignCues(cues, speech_);
                cues = fitted.Cues;
                out_ << cueName << ": " << fitted.Report << '\n';
                Report.Built.push_back("times: " + fitted.Report);
            } catch (const std::exception& e) {
                CheckInterrupt();
                speech_ = {};
                Report.NotBuilt.push_back(std::string("times: kept, the speech could not be read: ") + e.what());
            }
        }
    } else {
        Report.Built.push_back("times: kept as the subtitles give them (--no-align)");
    }
    const int filmUnits = info_.DurationMs / kUnitMs;
    std::vector<TSubtitleCue> inside;
    for (const TSubtitleCue& c : cues)
        if (c.StartMs / kUnitMs < filmUnits - 1) {
            inside.push_back(c);
            inside.back().EndMs = std::min(c.EndMs, (filmUnits - 1) * kUnitMs);
        }
    if (inside.size() < cues.size())
        out_ << cueName << ": " << cues.size() - inside.size() << " cue(s) after the film's end left out\n";
    lines_ = MakeLines(inside);
    if (lines_.empty()) throw std::runtime_error("no subtitle line lies inside the film");
    out_ << o_.Film << ": " << info_.Width << "x" << info_.Height << ", " << info_.DurationMs / 1000.0 << " s"
         << (info_.HasAudio ? "" : ", no sound") << '\n';

    const std::string targetName = FolderNameFor(lang_);
    const std::string targetDir = root + "/" + targetName;
    QDir().mkpath(Q(targetDir));
    work_ = root + "/.work";
    QDir().mkpath(Q(work_));

    Stage("reading the film");
    // The cuts are chosen before the one pass that makes the parts: scene
    // changes are looked for only near the places ChooseCuts aims at (the
    // film split into equal parts), where it may cut.
    const int partUnits = o_.PartSeconds * 25;
    const int parts = std::clamp((filmUnits + partUnits - 1) / partUnits, 1, 8);
    std::vector<int> aims;
    for (int k = 1; k < parts; ++k) aims.push_back(int((long long)filmUnits * k / parts));
    starts_ = ChooseCuts(filmUnits, ScenesNear(o_.Film, aims, 30 * 25, work_, Tick()), lines_, 8, partUnits);

    Stage("film parts");
    std::vector<int> keys;
    for (const TFilmLine& l : lines_) keys.push_back(l.StartUnits);
    scenes_ = EncodeFilm(o_.Film, info_, starts_, keys, work_, Tick());
    std::vector<std::string> partFiles;
    for (size_t k = 0; k < starts_.size(); ++k) {
        const std::string name = "part" + std::to_string(k + 1) + ".mp4";
        if (!QFile::rename(Q(work_ + "/" + name), Q(targetDir + "/" + name)))
            throw std::runtime_error("cannot move the film part " + name + " into " + targetDir);
        partFiles.push_back(name);
    }
    const QSize partSize = PartSize(info_);
    out_ << "film parts: " << partSize.width() << "x" << partSize.height() << " H.264\n";
    Report.Built.push_back(std::to_string(partFiles.size()) + " film part(s) with a key frame at each of " +
                           std::to_string(lines_.size()) + " lines");

    // Index files.
    std::vector<demodisc::TIndexLine> index;
    for (const TFilmLine& l : lines_)
        index.push_back({l.Number, l.StartUnits, l.EndUnits, l.Text, l.Speaker, l.SameSpeaker, l.ForActivities});
    demodisc::WriteMovieIndex(targetDir + "/movieinf.txt", index);
    int activityLines = 0;
    for (const TFilmLine& l : lines_) activityLines += l.ForActivities;
    Report.Built.push_back("movieinf.txt: " + std::to_string(lines_.size()) + " lines, " +
                           std::to_string(activityLines) + " for the activities");
    const std::vector<TActor> actors = RecordingScenes(lines_, starts_);
    std::vector<demodisc::TActorRecord> records;
    for (const TActor& a : actors) records.push_back({a.Name, a.Scenes});
    demodisc::WriteRecordIndex(targetDir + "/record.txt", records);
    bool named = false;
    for (const TFilmLine& l : lines_) named = named || !l.Speaker.empty();
    if (actors.empty())
        Report.NotBuilt.push_back(named ? "recording studio: no speaker has two scenes of three or more lines"
                                        : "recording studio: the subtitles name no speakers");
    else
        Report.Built.push_back("record.txt: " + std::to_string(actors.size()) + " actor(s)");
    const std::vector<int> nextStarts = NextLineStarts(lines_);
    demodisc::WriteTargetSettings(targetDir + "/settings.txt", "Tavolin \xE2\x80\x93 " + o_.Title, lang_.Code, partFiles,
                                  nextStarts);
    if (nextStarts.empty()) Report.NotBuilt.push_back("next line: no line has four spoken lines after it");
    std::vector<int> helpLanguages = demodisc::HelpLanguages();
    if (help.Code && std::find(helpLanguages.begin(), helpLanguages.end(), help.Code) == helpLanguages.end())
        helpLanguages.push_back(help.Code);
    demodisc::WriteTargetFile(root + "/Target.txt", targetName, helpLanguages);

    words_ = WordFrequencies(lines_);
    // Only words the word search finds: a whole word in some line.
    std::vector<tav::TMovieEntry> entries(lines_.size());
    for (size_t i = 0; i < lines_.size(); ++i) entries[i].LineText = lines_[i].Text;
    std::vector<std::string> search;
    for (const std::string& w : SearchCandidates(words_))
        if (!tav::FindMatches(entries, tav::SearchWordOf(w)).empty()) search.push_back(w);
    std::string letters;
    std::vector<std::pair<std::string, std::string>> codedLetters;
    if (utf8_) {
        for (const std::string& g : Utf8LettersOf(search, words_)) {
            letters += g;
            codedLetters.push_back({tav::TileCode(g), g});
        }
    } else {
        letters = LettersOf(words_);
    }
    demodisc::WriteDiscLines(root + "/Spelinfo.txt", {std::to_string(lang_.Code) + " " + letters + " " + lang_.Iso});

    Stage("pictures");
    WritePictures(root, targetDir);
    if (utf8_) demodisc::WriteLetterTiles(codedLetters, root + "/shared/spell_" + lang_.Iso);
    else demodisc::WriteSpellingTiles(demodisc::ToAnsi(letters), root + "/shared/spell_" + lang_.Iso);
    demodisc::WriteJingle(root + "/shared/jingle.aif");
    demodisc::WriteDiscLines(root + "/shared/licence.txt",
                            {"\xC2\xAB " + o_.Title + " \xC2\xBB", "",
                             "This disc was made by tavolin-disc build from the film " +
                                 QFileInfo(Q(o_.Film)).fileName().toStdString() + " and its subtitles.",
                             "The film, its subtitles and its pictures belong to their owners.",
                             "Voices: synthesized with espeak-ng."});

    Stage("words");
    const std::string speechCache = o_.Cache.empty() ? o_.Out + ".cache" : o_.Cache;
    demodisc::TSpeechCache speech(speechCache + "/speech");
    demodisc::WriteDiscLines(targetDir + "/words.txt", WrongWordRows(words_));
    demodisc::WriteDiscLines(targetDir + "/Search.txt", search);
    Report.Built.push_back("Search.txt: " + std::to_string(search.size()) + " words; words.txt: " +
                           std::to_string(WrongWordRows(words_).size() * 5) + " wrong choices at most");
    progress_->Update(0.2);

    const std::map<std::string, std::string> ownPictures = PictureFiles(o_.Pictures);
    std::vector<std::string> pictured;
    for (const auto& [word, path] : ownPictures) pictured.push_back(word);
    const std::vector<TWordCount> dict = DictionaryChoice(words_, pictured);
    std::vector<std::string> dictWords;
    std::vector<int> at;
    for (const TWordCount& w : dict) {
        dictWords.push_back(w.Word);
        const TFilmLine& l = lines_[size_t(w.FirstLine)];
        at.push_back((l.StartUnits + l.EndUnits) / 2);
    }
    const std::vector<QImage> frames = GrabFrames(work_ + "/film.mkv", at, work_);
    std::vector<QImage> pictures;
    int own = 0;
    for (size_t i = 0; i < dict.size(); ++i) {
        auto found = ownPictures.find(dict[i].Word);
        QImage picture;
        if (found != ownPictures.end()) picture.load(Q(found->second));
        if (!picture.isNull()) {
            pictures.push_back(OnCard(picture));
            ++own;
        } else {
            if (found != ownPictures.end()) out_ << found->second << ": not a picture Qt reads; the film's frame is used\n";
            pictures.push_back(Fill(frames[i], 280, 212));
        }
    }
    progress_->Update(0.5);
    demodisc::WriteDictionary(targetDir, dictWords, pictures, {voice_, 50, 140}, speech);
    Report.Built.push_back("DicWords.txt: " + std::to_string(dictWords.size()) + " words (" + std::to_string(own) +
                           " with pictures of their own, the others with the film's frame)");
    if (dictWords.size() < 6) Report.NotBuilt.push_back("vocabulary: fewer than six dictionary words");

    Stage("quiz");
    const THostWords host = HostWords(lang_);
    std::vector<demodisc::TQuizRecord> quiz;
    for (const TQuizItem& q : QuizItems(lines_, host.WhoSays, host.WhatNext, host.Nobody))
        quiz.push_back(
            {q.FromUnits, q.ToUnits, q.Question, {q.Answers[0], q.Answers[1], q.Answers[2]}, q.Correct, q.Quote});
    if (quiz.size() >= 20) {
        // A host speaking English quotes the film in the film's own voice.
        const demodisc::TVoice filmVoice{voice_, 50, 150};
        const bool ownVoice = !lang_.OwnQuizWords && !voice_.empty() && voice_ != host.Voice;
        demodisc::WriteQuizFolder(targetDir + "/quiz", quiz, {host.Voice, 45, 150}, host.Misc, host.OpponentName,
                                  speech, false, ownVoice ? &filmVoice : nullptr, host.Nobody);
        Report.Built.push_back("quiz: " + std::to_string(quiz.size()) + " questions" +
                               (lang_.OwnQuizWords ? "" : " (the host speaks English)"));
    } else {
        Report.NotBuilt.push_back("quiz: the film supports only " + std::to_string(quiz.size()) +
                                  " questions, the game needs 20");
    }

    // Help-language lines beside the movie index.
    // Help-language lines beside the movie index, in any script: UTF-8 on a
    // UTF-8 disc; on a Mac OS Roman disc Mac OS Roman when it carries them,
    // else UTF-8 behind a byte-order mark.
    if (help.Code) {
        const std::string helpIso =
            tav::IsoCodeOfLanguage(help.Code).empty() ? help.Iso : tav::IsoCodeOfLanguage(help.Code);
        std::string helpName;
        std::vector<TSubtitleCue> helpCues =
            ReadCues({o_.HelpSubtitles, o_.Film, o_.HelpTrack, helpIso.substr(0, 2)}, out_, Report, helpName, {});
        // Timed for the same other cut, as a rule: fitted to the speech on their own.
        if (!speech_.Speech.empty()) {
            const TAlignment fitted = AlignCues(helpCues, speech_);
            helpCues = fitted.Cues;
            out_ << helpName << ": " << fitted.Report << '\n';
        }
        bool bom = false;
        if (utf8_) {
            CleanCues(helpCues);
        } else {
            std::vector<TSubtitleCue> fitted = helpCues;
            TMacFitter helpFit;
            if (FitCues(fitted, helpFit)) {
                ReportFit(helpFit, helpName, out_);
                helpCues = fitted;
            } else {
                CleanCues(helpCues);
                bom = true;
            }
        }
        std::map<int, std::string> texts;
        for (const auto& [number, text] : AlignTranslations(lines_, helpCues))
            texts[number] = bom ? text : demodisc::ToDisc(text);
        const std::string file = tav::LineTranslationFile(targetDir, help.Code);
        if (!(bom ? WriteUtf8Translations(file, texts) : tav::WriteLineTranslations(file, texts)))
            throw std::runtime_error("cannot write the translations into " + targetDir);
        Report.Built.push_back("movietr" + std::to_string(help.Code) + ".txt: " + std::to_string(texts.size()) + " of " +
                               std::to_string(lines_.size()) + " lines translated" +
                               (bom ? " (UTF-8 with a byte-order mark: Mac OS Roman cannot carry them)" : ""));
    }
    QDir(Q(work_)).removeRecursively();
}

void TBuild::WritePictures(const std::string& root, const std::string& targetDir) {
    demodisc::TStory story;
    story.Title = o_.Title;
    // The words in the film's language; the footer names the program, not a free demo: it is the learner's film.
    demodisc::TPictureWords words = PictureWords(lang_);
    words.Footer = "Tavolin";
    demodisc::WriteMenuPictures(story, targetDir, words);
    demodisc::THelpFilm helpFilm;
    helpFilm.Title = o_.Title;
    helpFilm.LanguageEn = tav::LanguageName(lang_.Code);
    helpFilm.LanguageEs = tav::LanguageName(lang_.Code);
    // The help languages' pictures; no speech cache is needed for the greetings' few words.
    demodisc::TSpeechCache speech((o_.Cache.empty() ? o_.Out + ".cache" : o_.Cache) + "/speech");
    std::vector<int> languages = demodisc::HelpLanguages();
    const TLanguage help = o_.HelpSubtitles.empty() ? TLanguage{} : FindLanguage(o_.HelpLanguage);
    if (help.Code && std::find(languages.begin(), languages.end(), help.Code) == languages.end())
        languages.push_back(help.Code);
    demodisc::WriteHelpLanguages(root + "/shared", languages, speech, helpFilm);
    demodisc::WriteCertificatePictures(root + "/shared/cert", targetDir + "/cert", o_.Title, words);
    progress_->Update(0.4);

    // Film strip and actors from the film's own frames.
    const int filmUnits = info_.DurationMs / kUnitMs;
    const std::vector<int> places = StripPlaces(filmUnits, scenes_);
    std::vector<std::pair<int, std::string>> strip;
    for (int u : places) strip.push_back({u, StripHint(lines_, u)});
    demodisc::WriteStripIndex(targetDir + "/strip.txt", strip);
    std::vector<QImage> thumbs;
    for (const QImage& f : GrabFrames(work_ + "/film.mkv", places, work_)) thumbs.push_back(f);
    // A place the picture does not reach (a film whose sound outlasts its
    // picture) shows the nearest frame before it.
    for (size_t i = 1; i < thumbs.size(); ++i)
        if (thumbs[i].isNull()) thumbs[i] = thumbs[i - 1];
    demodisc::WriteFilmStrip(thumbs, targetDir + "/minis.jpg");
    progress_->Update(0.8);

    const std::vector<TActor> actors = RecordingScenes(lines_, starts_);
    std::vector<int> at;
    std::vector<std::string> names;
    for (const TActor& a : actors) {
        const int number = a.Scenes.front().front();
        const TFilmLine& l = lines_[size_t(number - 1)];
        at.push_back((l.StartUnits + l.EndUnits) / 2);
        names.push_back(a.Name);
    }
    std::vector<QImage> faces;
    // The working copy has no bars: the face is the middle square of the frame.
    for (const QImage& f : GrabFrames(work_ + "/film.mkv", at, work_)) {
        const int side = std::min(f.width(), f.height());
        faces.push_back(Fill(f.isNull() ? f : f.copy((f.width() - side) / 2, 0, side, side), 150, 150));
    }
    demodisc::WriteActorSheet(faces, names, targetDir + "/recpic",
                              PictureWords(lang_).ChooseActor);
}

} // namespace

bool ParseBuildArgs(const std::vector<std::string>& args, TBuildOptions& o, std::string& why) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                why = a + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        bool ok = true;
        if (a == "--lang") ok = value(o.Language);
        else if (a == "--title") ok = value(o.Title);
        else if (a == "--out") ok = value(o.Out);
        else if (a == "--help-subtitles") ok = value(o.HelpSubtitles);
        else if (a == "--help-lang") ok = value(o.HelpLanguage);
        else if (a == "--no-align") o.Align = false;
        else if (a == "--subtitle-track" || a == "--audio-track" || a == "--help-track") {
            std::string v;
            ok = value(v);
            int& n = a == "--subtitle-track" ? o.SubtitleTrack : a == "--audio-track" ? o.AudioTrack : o.HelpTrack;
            n = ok && !v.empty() && v.find_first_not_of("0123456789") == std::string::npos && v.size() < 4
                    ? std::atoi(v.c_str())
                    : -1;
            if (ok && n < 0) {
                why = a + " needs a track number (0, 1, 2 ...)";
                return false;
            }
        }
        else if (a == "--pictures") ok = value(o.Pictures);
        else if (a == "--cache") ok = value(o.Cache);
        else if (a == "--part-seconds") {
            std::string v;
            ok = value(v);
            o.PartSeconds = ok ? std::atoi(v.c_str()) : 0;
            if (ok && o.PartSeconds < 5) {
                why = "--part-seconds needs a number of at least 5";
                return false;
            }
        }
        else if (a.rfind("--", 0) == 0) {
            why = "unknown option " + a;
            return false;
        } else positional.push_back(a);
        if (!ok) return false;
    }
    if (positional.empty() || positional.size() > 2) {
        why = "FILM (and SUBTITLES unless the film's own track is used) are needed";
        return false;
    }
    o.Film = positional[0];
    o.Subtitles = positional.size() > 1 ? positional[1] : std::string();
    if (!o.Subtitles.empty() && o.SubtitleTrack >= 0) {
        why = "give SUBTITLES or --subtitle-track, not both";
        return false;
    }
    if (o.Language.empty() || o.Title.empty() || o.Out.empty()) {
        why = "--lang, --title and --out are needed";
        return false;
    }
    if (!o.HelpSubtitles.empty() && o.HelpTrack >= 0) {
        why = "give --help-subtitles or --help-track, not both";
        return false;
    }
    if ((o.HelpSubtitles.empty() && o.HelpTrack < 0) != o.HelpLanguage.empty()) {
        why = "--help-subtitles (or --help-track) and --help-lang go together";
        return false;
    }
    // Absolute paths: ffmpeg runs inside the work folder.
    for (std::string* path : {&o.Film, &o.Subtitles, &o.HelpSubtitles, &o.Pictures, &o.Out, &o.Cache})
        if (!path->empty()) *path = QFileInfo(Q(*path)).absoluteFilePath().toStdString();
    while (o.Out.size() > 1 && o.Out.back() == '/') o.Out.pop_back();
    return true;
}

int RunBuild(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TBuildOptions o;
    std::string why;
    if (!args.empty() && (args.front() == "--help" || args.front() == "-h")) {
        out << kBuildUsage;
        return 0;
    }
    if (!ParseBuildArgs(args, o, why)) {
        err << "tavolin-disc build: " << why << '\n' << kBuildUsage;
        return 2;
    }
    const QFileInfo outInfo(Q(o.Out));
    if (outInfo.exists() && !outInfo.isDir()) {
        err << "tavolin-disc build: " << o.Out << " exists and is not a folder\n";
        return 1;
    }
    // Built beside the result, so the final move is a rename on one file system.
    const std::string temp = outInfo.absolutePath().toStdString() + "/." + outInfo.fileName().toStdString() + ".building";
    QDir(Q(temp)).removeRecursively();
    if (!QDir().mkpath(Q(temp))) {
        err << "tavolin-disc build: cannot make " << temp << '\n';
        return 1;
    }
    gInterrupted = false;
    auto oldInt = std::signal(SIGINT, OnInterrupt);
    auto oldTerm = std::signal(SIGTERM, OnInterrupt);
    TBuild build(o, out);
    int status = 0;
    try {
        build.Run(temp);
        std::ostringstream check, checkErr;
        const int loads = tav::RunDiscTool({"check", temp}, check, checkErr);
        // The check's findings, with the temporary folder's name taken out.
        std::string text = check.str();
        for (size_t at; (at = text.find(temp)) != std::string::npos;) text.replace(at, temp.size(), o.Out);
        out << text;
        if (loads != tav::dsLoads) throw std::runtime_error("the built disc does not load; nothing was written");
        CheckInterrupt();
        // Into place: an older disc there is moved aside first and removed after.
        const std::string old = temp + ".old";
        QDir(Q(old)).removeRecursively();
        if (outInfo.exists() && !QDir().rename(Q(o.Out), Q(old)))
            throw std::runtime_error("cannot move the old " + o.Out + " aside");
        if (!QDir().rename(Q(temp), Q(o.Out))) {
            QDir().rename(Q(old), Q(o.Out));
            throw std::runtime_error("cannot move the disc into " + o.Out);
        }
        QDir(Q(old)).removeRecursively();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "\n");
        err << "tavolin-disc build: " << e.what() << '\n';
        QDir(Q(temp)).removeRecursively();
        status = 1;
    }
    std::signal(SIGINT, oldInt);
    std::signal(SIGTERM, oldTerm);
    out << (status ? "Not built.\n" : "Built " + o.Out + ":\n");
    for (const std::string& b : build.Report.Built) out << "  built: " << b << '\n';
    for (const std::string& n : build.Report.NotBuilt) out << "  not built: " << n << '\n';
    return status;
}

} // namespace discbuild
