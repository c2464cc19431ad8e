#include "viewer/AnkiExport.h"

#include <QDateTime>
#include <QDir>
#include <QtConcurrent/QtConcurrentRun>

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

} // namespace tav
