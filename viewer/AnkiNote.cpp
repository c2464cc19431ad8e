#include "viewer/AnkiNote.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QString>

namespace tav {

namespace {
std::string SoundField(const std::string& name) { return name.empty() ? std::string() : "[sound:" + name + "]"; }
std::string PictureField(const std::string& name) {
    return name.empty() ? std::string() : "<img src=\"" + EscapeHtml(name) + "\">";
}
} // namespace

const char* const kAnkiModelName = "Tavolin film line";

const std::vector<std::string>& AnkiFieldNames() {
    static const std::vector<std::string> names{"Text", "Translation", "Sound", "Picture", "Film"};
    return names;
}

const char* const kAnkiFront = "{{Picture}}<br>{{Sound}}<div class=film>{{Film}}</div>";
const char* const kAnkiBack =
    "{{FrontSide}}<hr id=answer><div class=line>{{Text}}</div>"
    "{{#Translation}}<div class=translation>{{Translation}}</div>{{/Translation}}";
const char* const kAnkiCss =
    ".card { font-family: Arial, sans-serif; font-size: 22px; text-align: center; color: #f4ead0; "
    "background-color: #141b33; }\n"
    ".card img { max-width: 100%; border-radius: 6px; }\n"
    ".film { font-size: 14px; color: #d8b760; margin-top: 8px; }\n"
    ".line { font-size: 26px; }\n"
    ".translation { font-size: 18px; color: #c9c2ae; margin-top: 6px; }\n";

std::string EscapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\r': break;
        case '\n': out += "<br>"; break;
        default: out += c;
        }
    }
    return out;
}

std::vector<std::string> AnkiFieldValues(const TAnkiNote& note) {
    return {EscapeHtml(note.Text), EscapeHtml(note.Translation), SoundField(note.SoundName),
            PictureField(note.PictureName), EscapeHtml(note.Film)};
}

const char* const kAnkiWordModelName = "Tavolin word";

const std::vector<std::string>& AnkiWordFieldNames() {
    static const std::vector<std::string> names{"Word",        "DictionaryForm", "Reading", "Sense", "Sentence",
                                                "Translation", "Sound",          "Picture", "Film"};
    return names;
}

namespace {

const char* const kWordFront = "<div class=word>{{Word}}</div><div class=sentence>{{Sentence}}</div>{{Sound}}";
const char* const kWordBack =
    "{{FrontSide}}<hr id=answer><div class=form>{{DictionaryForm}}"
    "{{#Reading}} <span class=reading>[{{Reading}}]</span>{{/Reading}}</div>"
    "<div class=sense>{{Sense}}</div>{{Picture}}"
    "{{#Translation}}<div class=translation>{{Translation}}</div>{{/Translation}}<div class=film>{{Film}}</div>";
const char* const kWordCss =
    ".card { font-family: Arial, sans-serif; font-size: 22px; text-align: center; color: #f4ead0; "
    "background-color: #141b33; }\n"
    ".card img { max-width: 100%; border-radius: 6px; margin-top: 8px; }\n"
    ".word { font-size: 34px; color: #d8b760; }\n"
    ".sentence { font-size: 20px; margin: 8px 0; }\n"
    ".sentence b { color: #d8b760; }\n"
    ".form { font-size: 26px; }\n"
    ".reading { font-size: 18px; color: #c9c2ae; }\n"
    ".sense { font-size: 18px; margin-top: 6px; }\n"
    ".translation { font-size: 16px; color: #c9c2ae; margin-top: 6px; }\n"
    ".film { font-size: 14px; color: #d8b760; margin-top: 8px; }\n";


void AddMedia(TAnkiFilledNote& filled, const TAnkiNote& note) {
    if (!note.SoundName.empty() && !note.Sound.isEmpty()) filled.Media.emplace_back(note.SoundName, note.Sound);
    if (!note.PictureName.empty() && !note.Picture.isEmpty()) filled.Media.emplace_back(note.PictureName, note.Picture);
}

// The sentence escaped, its first use of the word in bold.
std::string SentenceWithWord(const std::string& sentence, const std::string& word) {
    const size_t at = word.empty() ? std::string::npos : sentence.find(word);
    if (at == std::string::npos) return EscapeHtml(sentence);
    return EscapeHtml(sentence.substr(0, at)) + "<b>" + EscapeHtml(word) + "</b>" +
           EscapeHtml(sentence.substr(at + word.size()));
}

} // namespace

const TAnkiNoteType& AnkiLineNoteType() {
    // A card exists when the note has its sound or its picture.
    static const TAnkiNoteType type{kAnkiModelName, 1733400000000LL, AnkiFieldNames(), kAnkiFront, kAnkiBack,
                                    kAnkiCss,       {2, 3}};
    return type;
}

const TAnkiNoteType& AnkiWordNoteType() {
    static const TAnkiNoteType type{kAnkiWordModelName, 1733400000001LL, AnkiWordFieldNames(), kWordFront, kWordBack,
                                    kWordCss,           {0}};
    return type;
}

TAnkiFilledNote FilledLineNote(const TAnkiNote& note) {
    TAnkiFilledNote filled{&AnkiLineNoteType(), AnkiFieldValues(note), {}};
    AddMedia(filled, note);
    return filled;
}

std::vector<std::string> AnkiWordFieldValues(const TAnkiWordNote& note) {
    return {EscapeHtml(note.Word),
            EscapeHtml(note.DictionaryForm.empty() ? note.Word : note.DictionaryForm),
            EscapeHtml(note.Reading),
            EscapeHtml(note.Sense),
            SentenceWithWord(note.Line.Text, note.Word),
            EscapeHtml(note.Line.Translation),
            SoundField(note.Line.SoundName),
            PictureField(note.Line.PictureName),
            EscapeHtml(note.Line.Film)};
}

TAnkiFilledNote FilledWordNote(const TAnkiWordNote& note) {
    TAnkiFilledNote filled{&AnkiWordNoteType(), AnkiWordFieldValues(note), {}};
    AddMedia(filled, note.Line);
    return filled;
}

std::string StripHtmlKeepMedia(const std::string& html) {
    QString s = QString::fromUtf8(html);
    static const QRegularExpression img(QStringLiteral("<img[^>]*src=[\"']?([^\"'>]+)[\"']?[^>]*>"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    s.replace(img, QStringLiteral(" \\1 "));
    s.remove(tags);
    s.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s.trimmed().toStdString();
}

long long AnkiFieldChecksum(const std::string& firstField) {
    const std::string stripped = StripHtmlKeepMedia(firstField);
    const QByteArray sha = QCryptographicHash::hash(QByteArray::fromStdString(stripped), QCryptographicHash::Sha1);
    return std::stoll(sha.toHex().left(8).toStdString(), nullptr, 16);
}

} // namespace tav
