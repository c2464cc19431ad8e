#include "viewer/AnkiExport.h"

#include <QDateTime>
#include <QDir>
#include <QtConcurrent/QtConcurrentRun>

#include <map>
#include <tuple>

#include "content/UnicodeText.h"
#include "media/MediaDecoder.h"
#include "viewer/AnkiConnect.h"
#include "viewer/AnkiPackage.h"

namespace tav {

namespace {

constexpr int kSoundRate = 44100;

// The program's text is UTF-8 already; a damaged sequence must not reach Anki.
std::string Utf8(const std::string& text) { return ValidUtf8(text); }

// Letters and digits of the title for media file names (Anki keeps every
// film's media in one folder).
std::string Slug(const std::string& title) {
    std::string slug;
    for (unsigned char c : title) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) slug += char(c);
        else if (!slug.empty() && slug.back() != '-') slug += '-';
        if (slug.size() >= 40) break;
    }
    while (!slug.empty() && slug.back() == '-') slug.pop_back();
    return slug.empty() ? "film" : slug;
}

} // namespace

std::string FilmTitleFromCaption(const std::string& caption) {
    std::string title = caption;
    const std::string program = "Tavolin";
    if (title.rfind(program, 0) == 0) {
        size_t at = program.size();
        while (at < title.size() && title[at] == ' ') ++at;
        // "-", ":", an en dash or an em dash.
        const bool dash = title.compare(at, 3, "\xE2\x80\x93") == 0 || title.compare(at, 3, "\xE2\x80\x94") == 0;
        if (at < title.size() && (title[at] == '-' || title[at] == ':' || dash)) {
            at += dash ? 3 : 1;
            while (at < title.size() && title[at] == ' ') ++at;
            if (at < title.size()) title = title.substr(at);
        }
    }
    return title;
}

TAnkiNote BuildLineNote(const TLineExport& line) {
    const TLineCut cut = CutFilmRange(line.Range, kSoundRate, true);
    TAnkiNote note;
    note.Text = Utf8(line.Text);
    note.Translation = Utf8(line.Translation);
    note.Film = Utf8(line.Title);
    const std::string stem = "tavolin-" + Slug(line.Title) + "-" + std::to_string(line.LineNumber) + "-" +
                             std::to_string(QDateTime::currentMSecsSinceEpoch());
    note.Sound = EncodeMp3(cut.Stereo, cut.SampleRate);
    note.SoundName = stem + ".mp3";
    note.Picture = EncodeJpeg(cut.Picture);
    if (!note.Picture.isEmpty()) note.PictureName = stem + ".jpg";
    return note;
}

TAnkiExporter::TAnkiExporter(QObject* parent, quint16 ankiConnectPort)
    : QObject(parent), anki_(new TAnkiConnect(this, ankiConnectPort)), building_(new QFutureWatcher<TBuiltNote>(this)),
      writing_(new QFutureWatcher<TExportOutcome>(this)) {
    connect(building_, &QFutureWatcher<TBuiltNote>::finished, this, [this] {
        const TBuiltNote built = building_->result();
        if (!built.Error.isEmpty()) {
            Finish({false, false, {}, QStringLiteral("The line could not be exported to Anki: ") + built.Error});
            return;
        }
        const std::string deck = Utf8(line_.Title);
        anki_->AddNote(deck, built.Note, [this, note = built.Note, deck](const TAnkiConnectResult& r) {
            if (r.Kind == TAnkiConnectResult::Added)
                Finish({true, true, {}, QStringLiteral("Added to Anki deck \u201C%1\u201D.").arg(QString::fromStdString(deck))});
            else if (r.Kind == TAnkiConnectResult::NotRunning)
                WriteDeckFile(line_, note);
            else
                Finish({false, true, {}, QStringLiteral("Anki did not take the line: ") + r.Message});
        });
    });
    connect(writing_, &QFutureWatcher<TExportOutcome>::finished, this, [this] { Finish(writing_->result()); });
}

TAnkiExporter::~TAnkiExporter() = default;

bool TAnkiExporter::Export(const TLineExport& line, std::function<void(const TExportOutcome&)> done) {
    if (busy_) return false;
    busy_ = true;
    done_ = std::move(done);
    line_ = line;
    building_->setFuture(QtConcurrent::run([line] {
        TBuiltNote built;
        try {
            built.Note = BuildLineNote(line);
        } catch (const std::exception& e) {
            built.Error = QString::fromStdString(e.what());
        }
        return built;
    }));
    return true;
}

void TAnkiExporter::WriteDeckFile(const TLineExport& line, const TAnkiNote& note) {
    writing_->setFuture(QtConcurrent::run([line, note] {
        TExportOutcome outcome;
        const std::string deck = Utf8(line.Title);
        outcome.FilePath = AnkiPackagePath(line.DeckFolder, deck);
        try {
            if (!QDir().mkpath(QString::fromStdString(line.DeckFolder)))
                throw EAnkiError("the folder " + line.DeckFolder + " cannot be made");
            AppendToAnkiPackage(outcome.FilePath, deck, note);
            outcome.Ok = true;
            outcome.Message = QStringLiteral("Anki is not running: the line was added to the deck file %1 "
                                             "(open it with Anki to import it).")
                                  .arg(QString::fromStdString(outcome.FilePath));
        } catch (const std::exception& e) {
            outcome.Message = QStringLiteral("The line could not be exported to Anki: ") + QString::fromStdString(e.what());
        }
        return outcome;
    }));
}

void TAnkiExporter::Finish(const TExportOutcome& outcome) {
    busy_ = false;
    auto done = std::move(done_);
    done_ = nullptr;
    if (done) done(outcome);
}

// ---- words ---------------------------------------------------------------------

namespace {

QString Words(int n) { return n == 1 ? QStringLiteral("1 word") : QStringLiteral("%1 words").arg(n); }

// The parts of the message every outcome shares: duplicates and words without media.
QString Remarks(const TWordsOutcome& o, const QString& mediaError) {
    QString text;
    if (o.AlreadyThere)
        text += QStringLiteral(" %1 in the deck already.").arg(o.AlreadyThere == 1 ? QStringLiteral("1 word was")
                                                                                 : QStringLiteral("%1 words were").arg(o.AlreadyThere));
    if (o.WithoutMedia)
        text += QStringLiteral(" %1 without the line's sound and picture (%2).").arg(Words(o.WithoutMedia), mediaError);
    return text;
}

} // namespace

TAnkiWordNote BuildWordNote(const TMyWord& word, const TLineExport& line) {
    TAnkiWordNote note;
    note.Word = Utf8(word.Word);
    note.DictionaryForm = Utf8(word.DictionaryForm);
    note.Reading = Utf8(word.Reading);
    note.Sense = Utf8(word.Sense);
    if (!line.Range.File.empty()) {
        note.Line = BuildLineNote(line);
    } else {
        note.Line.Translation = Utf8(line.Translation);
        note.Line.Film = Utf8(line.Title);
    }
    // The sentence as the learner saw it in the caption.
    note.Line.Text = Utf8(word.Line.empty() ? line.Text : word.Line);
    return note;
}

TAnkiWordExporter::TAnkiWordExporter(QObject* parent, quint16 ankiConnectPort)
    : QObject(parent), anki_(new TAnkiConnect(this, ankiConnectPort)),
      building_(new QFutureWatcher<TBuiltWordNotes>(this)), writing_(new QFutureWatcher<TWordsOutcome>(this)) {
    connect(building_, &QFutureWatcher<TBuiltWordNotes>::finished, this, [this] {
        built_ = building_->result();
        progress_.WithoutMedia = built_.WithoutMedia;
        if (built_.Notes.empty()) {
            TWordsOutcome o = progress_;
            o.Message = QStringLiteral("The words could not be exported to Anki: ") +
                        (built_.Error.isEmpty() ? QStringLiteral("no note could be made") : built_.Error);
            Finish(o);
            return;
        }
        next_ = 0;
        SendNext();
    });
    connect(writing_, &QFutureWatcher<TWordsOutcome>::finished, this, [this] { Finish(writing_->result()); });
}

TAnkiWordExporter::~TAnkiWordExporter() = default;

bool TAnkiWordExporter::Export(const TWordsExport& words, std::function<void(const TWordsOutcome&)> done) {
    if (busy_) return false;
    busy_ = true;
    done_ = std::move(done);
    words_ = words;
    built_ = {};
    progress_ = {};
    firstRefusal_.clear();
    if (words.Words.empty() || words.Lines.size() != words.Words.size()) {
        TWordsOutcome o;
        o.Message = words.Words.empty() ? QStringLiteral("Your word list is empty: there is nothing to export.")
                                        : QStringLiteral("The words could not be exported to Anki: their lines are missing.");
        QMetaObject::invokeMethod(this, [this, o] { Finish(o); }, Qt::QueuedConnection);
        return true;
    }
    building_->setFuture(QtConcurrent::run([words] {
        TBuiltWordNotes built;
        // Words of one line share its sound and picture, cut once.
        std::map<std::tuple<std::string, int64_t, int64_t>, TAnkiNote> media;
        for (size_t i = 0; i < words.Words.size(); ++i) {
            TLineExport line = words.Lines[i];
            TAnkiWordNote note;
            try {
                const auto key = std::make_tuple(line.Range.File, line.Range.StartUs, line.Range.EndUs);
                auto it = line.Range.File.empty() ? media.end() : media.find(key);
                if (it != media.end()) {
                    TLineExport textOnly = line;
                    textOnly.Range.File.clear();
                    note = BuildWordNote(words.Words[i], textOnly);
                    const TAnkiNote& cut = it->second;
                    note.Line.Sound = cut.Sound, note.Line.SoundName = cut.SoundName;
                    note.Line.Picture = cut.Picture, note.Line.PictureName = cut.PictureName;
                    note.Line.Film = cut.Film;
                } else {
                    note = BuildWordNote(words.Words[i], line);
                    if (!line.Range.File.empty()) media[key] = note.Line;
                    else ++built.WithoutMedia;
                }
            } catch (const std::exception& e) {
                if (built.Error.isEmpty()) built.Error = QString::fromStdString(e.what());
                line.Range.File.clear();
                note = BuildWordNote(words.Words[i], line);
                ++built.WithoutMedia;
            }
            built.Notes.push_back(FilledWordNote(note));
        }
        if (built.Error.isEmpty() && built.WithoutMedia) built.Error = QStringLiteral("the word's film is not at hand");
        return built;
    }));
    return true;
}

void TAnkiWordExporter::SendNext() {
    if (next_ >= built_.Notes.size()) {
        TWordsOutcome o = progress_;
        o.ToAnki = true;
        o.Ok = o.Exported > 0 || o.AlreadyThere > 0;
        const QString deck = QString::fromStdString(Utf8(words_.Title));
        if (o.Exported)
            o.Message = QStringLiteral("%1 exported to Anki (deck \u201C%2\u201D).").arg(Words(o.Exported), deck);
        else if (o.AlreadyThere)
            o.Message = QStringLiteral("No new words for Anki (deck \u201C%1\u201D).").arg(deck);
        else
            o.Message = QStringLiteral("Anki did not take the words: ") + firstRefusal_;
        o.Message += Remarks(o, built_.Error);
        const int refused = int(built_.Notes.size()) - o.Exported - o.AlreadyThere;
        if (refused > 0 && o.Exported + o.AlreadyThere > 0)
            o.Message += QStringLiteral(" %1 refused: %2").arg(Words(refused), firstRefusal_);
        Finish(o);
        return;
    }
    anki_->AddNote(Utf8(words_.Title), built_.Notes[next_], [this](const TAnkiConnectResult& r) {
        if (r.Kind == TAnkiConnectResult::NotRunning) {
            WriteDeckFile();
            return;
        }
        if (r.Kind == TAnkiConnectResult::Added) ++progress_.Exported;
        else if (r.Message.contains(QStringLiteral("duplicate"), Qt::CaseInsensitive)) ++progress_.AlreadyThere;
        else if (firstRefusal_.isEmpty()) firstRefusal_ = r.Message;
        ++next_;
        SendNext();
    });
}

void TAnkiWordExporter::WriteDeckFile() {
    // What Anki has not taken yet goes into the film's deck file.
    std::vector<TAnkiFilledNote> rest(built_.Notes.begin() + ptrdiff_t(next_), built_.Notes.end());
    const TWordsOutcome sofar = progress_;
    const QString mediaError = built_.Error;
    const std::string title = Utf8(words_.Title), folder = words_.DeckFolder;
    writing_->setFuture(QtConcurrent::run([rest, sofar, mediaError, title, folder] {
        TWordsOutcome o = sofar;
        o.FilePath = AnkiPackagePath(folder, title);
        try {
            if (!QDir().mkpath(QString::fromStdString(folder)))
                throw EAnkiError("the folder " + folder + " cannot be made");
            AppendToAnkiPackage(o.FilePath, title, rest);
            o.Ok = true;
            const QString before = sofar.Exported ? QStringLiteral(" (%1 had gone to Anki before it closed)").arg(Words(sofar.Exported))
                                                  : QString();
            o.Exported += int(rest.size());
            o.Message = QStringLiteral("Anki is not running: %1 added to the deck file %2%3 "
                                       "(open it with Anki to import it).")
                            .arg(int(rest.size()) == 1 ? QStringLiteral("1 word was") : QStringLiteral("%1 words were").arg(rest.size()),
                                 QString::fromStdString(o.FilePath), before) +
                        Remarks(o, mediaError);
        } catch (const std::exception& e) {
            o.Ok = false;
            o.Message = QStringLiteral("The words could not be exported to Anki: ") + QString::fromStdString(e.what());
        }
        return o;
    }));
}

void TAnkiWordExporter::Finish(TWordsOutcome outcome) {
    busy_ = false;
    built_ = {};
    auto done = std::move(done_);
    done_ = nullptr;
    if (done) done(outcome);
}

} // namespace tav
