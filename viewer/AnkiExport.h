#pragma once
// Exports one film line to Anki: its sound cut exactly to the line (MP3), the
// film's picture at the line (JPEG), its text, its translation and the film's
// title. Straight into a running Anki through AnkiConnect; when no Anki
// answers, into the film's deck file in the learner's documents folder. The
// cutting, encoding and file writing run off the UI thread; the result comes
// back as one message for the learner.
#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "learners/MyWords.h"

#include "viewer/AnkiNote.h"
#include "viewer/LineMedia.h"

namespace tav {

class TAnkiConnect;

// What the screen knows of the line.
struct TLineExport {
    TFilmRange Range;
    int LineNumber = 0;
    std::string Text, Translation, Title;
    std::string DeckFolder; // where the deck file goes without Anki
};

struct TExportOutcome {
    bool Ok = false;
    bool ToAnki = false;  // through AnkiConnect (else the deck file)
    std::string FilePath; // the deck file written
    QString Message;      // for the learner
};

// The film's title from the window caption "Tavolin – Title" (the program's
// name and a dash in front are dropped); the caption itself otherwise.
std::string FilmTitleFromCaption(const std::string& caption);

// The note for a line: media cut from the film and encoded, texts in UTF-8.
// Throws EMediaError when the film cannot be read.
TAnkiNote BuildLineNote(const TLineExport& line);

// A note built off the UI thread, or why it could not be.
struct TBuiltNote {
    TAnkiNote Note;
    QString Error;
};

class TAnkiExporter : public QObject {
    Q_OBJECT
public:
    explicit TAnkiExporter(QObject* parent = nullptr, quint16 ankiConnectPort = 8765);
    ~TAnkiExporter() override;

    // Starts an export; done is called once, on the UI thread. False (and
    // nothing started) while another export is still running.
    bool Export(const TLineExport& line, std::function<void(const TExportOutcome&)> done);
    bool Busy() const { return busy_; }

private:
    void WriteDeckFile(const TLineExport& line, const TAnkiNote& note);
    void Finish(const TExportOutcome& outcome);

    TAnkiConnect* anki_;
    QFutureWatcher<TBuiltNote>* building_;
    QFutureWatcher<TExportOutcome>* writing_;
    std::function<void(const TExportOutcome&)> done_;
    TLineExport line_;
    bool busy_ = false;
};

// ---- the learner's words: one "Tavolin word" note per word, with the
// sentence's sound and picture cut as for a line.

// What the screen knows of the words to export: each word with its line's
// export (a line without a film file gives a note without sound and picture).
struct TWordsExport {
    std::vector<TMyWord> Words;
    std::vector<TLineExport> Lines; // one per word
    std::string Title;              // the deck: the film's
    std::string DeckFolder;         // where the deck file goes without Anki
};

struct TWordsOutcome {
    bool Ok = false;
    bool ToAnki = false;
    std::string FilePath;
    int Exported = 0;     // notes Anki or the deck file took
    int AlreadyThere = 0; // refused by Anki as duplicates
    int WithoutMedia = 0; // whose line's sound and picture could not be made
    QString Message;      // one message for the learner
};

// The note of a word; its line's media are built with BuildLineNote unless
// the line has no film file. Throws EMediaError when the film cannot be read.
TAnkiWordNote BuildWordNote(const TMyWord& word, const TLineExport& line);

// Notes built off the UI thread.
struct TBuiltWordNotes {
    std::vector<TAnkiFilledNote> Notes;
    int WithoutMedia = 0;
    QString Error;
};

class TAnkiWordExporter : public QObject {
    Q_OBJECT
public:
    explicit TAnkiWordExporter(QObject* parent = nullptr, quint16 ankiConnectPort = 8765);
    ~TAnkiWordExporter() override;

    // Starts the export of all the words; done is called once, on the UI
    // thread. False (and nothing started) while another export runs.
    bool Export(const TWordsExport& words, std::function<void(const TWordsOutcome&)> done);
    bool Busy() const { return busy_; }

private:
    void SendNext();
    void WriteDeckFile();
    void Finish(TWordsOutcome outcome);

    TAnkiConnect* anki_;
    QFutureWatcher<TBuiltWordNotes>* building_;
    QFutureWatcher<TWordsOutcome>* writing_;
    std::function<void(const TWordsOutcome&)> done_;
    TWordsExport words_;
    TBuiltWordNotes built_;
    size_t next_ = 0;
    TWordsOutcome progress_;
    QString firstRefusal_;
    bool busy_ = false;
};

} // namespace tav
