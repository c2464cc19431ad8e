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

// HTML special characters escaped, line breaks as <br>.
std::string EscapeHtml(const std::string& text);
// A field's text as Anki compares and sorts it: tags removed (a picture
// leaves its file name), entities decoded, blanks trimmed.
std::string StripHtmlKeepMedia(const std::string& html);
// Anki's duplicate check value: the first 8 hex digits of the SHA-1 of the
// stripped first field, as a number.
long long AnkiFieldChecksum(const std::string& firstField);

} // namespace tav
