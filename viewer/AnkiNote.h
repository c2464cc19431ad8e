#pragma once
// One film line as an Anki note: the learner hears the line and sees its
// picture, then reads the line, its translation and the film. Shared by the
// deck file writer and the AnkiConnect client, so both give Anki the same
// note type with the same fields.
#include <QByteArray>

#include <string>
#include <utility>
#include <vector>

namespace tav {

struct TAnkiNote {
    // Text in UTF-8, plain (escaped for HTML when the fields are built).
    std::string Text, Translation, Film;
    // Media file names as Anki will store them, and their bytes.
    std::string SoundName, PictureName;
    QByteArray Sound, Picture; // MP3, JPEG
};

// The note type every exported line uses.
extern const char* const kAnkiModelName;
// Its field names in order; the first is the sort field.
const std::vector<std::string>& AnkiFieldNames();
// The card's question and answer templates and its style sheet.
extern const char* const kAnkiFront;
extern const char* const kAnkiBack;
extern const char* const kAnkiCss;

// The note's field values in AnkiFieldNames order (HTML, UTF-8).
std::vector<std::string> AnkiFieldValues(const TAnkiNote& note);

// A note type as Anki stores it: name, fixed id (so Anki merges it on
// import), fields in order (the first sorts and checks duplicates), one card
// and the fields of which at least one must be filled for the card to exist.
struct TAnkiNoteType {
    const char* Name;
    long long Id;
    std::vector<std::string> Fields;
    const char* Front;
    const char* Back;
    const char* Css;
    std::vector<int> Required;
};
// "Tavolin film line" (the fields above) and "Tavolin word".
const TAnkiNoteType& AnkiLineNoteType();
const TAnkiNoteType& AnkiWordNoteType();

// A note ready for Anki: its type, field values (HTML) in the type's order,
// and the media files the values name.
struct TAnkiFilledNote {
    const TAnkiNoteType* Type = nullptr;
    std::vector<std::string> Values;
    std::vector<std::pair<std::string, QByteArray>> Media; // file name, bytes
};
TAnkiFilledNote FilledLineNote(const TAnkiNote& note);

// One of the learner's words with the line it came from.
struct TAnkiWordNote {
    std::string Word, DictionaryForm, Reading, Sense;
    TAnkiNote Line; // the sentence, its translation, sound, picture and film
};
extern const char* const kAnkiWordModelName;
// Word, DictionaryForm, Reading, Sense, Sentence (the word in bold),
// Translation, Sound, Picture, Film.
const std::vector<std::string>& AnkiWordFieldNames();
std::vector<std::string> AnkiWordFieldValues(const TAnkiWordNote& note);
TAnkiFilledNote FilledWordNote(const TAnkiWordNote& note);

// HTML special characters escaped, line breaks as <br>.
std::string EscapeHtml(const std::string& text);
// A field's text as Anki compares and sorts it: tags removed (a picture
// leaves its file name), entities decoded, blanks trimmed.
std::string StripHtmlKeepMedia(const std::string& html);
// Anki's duplicate check value: the first 8 hex digits of the SHA-1 of the
// stripped first field, as a number.
long long AnkiFieldChecksum(const std::string& firstField);

} // namespace tav
