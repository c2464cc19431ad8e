#include "viewer/AnkiNote.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QString>

namespace tav {

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
    return {EscapeHtml(note.Text), EscapeHtml(note.Translation),
            note.SoundName.empty() ? std::string() : "[sound:" + note.SoundName + "]",
            note.PictureName.empty() ? std::string() : "<img src=\"" + EscapeHtml(note.PictureName) + "\">",
            EscapeHtml(note.Film)};
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
