#include "toolkit/Edit.h"

#include <QRegularExpressionValidator>

#include "content/Text1252.h"

namespace tav {

TCoolEdit::TCoolEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    // Only characters Windows-1252 can hold may be typed: the text is stored that way.
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x{20}-\\x{7E}\\x{A0}-\\x{FF}\\x{152}\\x{153}\\x{160}\\x{161}\\x{178}"
                                          "\\x{17D}\\x{17E}\\x{192}\\x{2C6}\\x{2DC}\\x{2013}\\x{2014}\\x{2018}-\\x{201A}"
                                          "\\x{201C}-\\x{201E}\\x{2020}-\\x{2022}\\x{2026}\\x{2030}\\x{2039}\\x{203A}"
                                          "\\x{20AC}\\x{2122}]*")),
        this));
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange) OnChange(this);
    });
}

std::string TCoolEdit::Text() const { return FromQString(text()); }

void TCoolEdit::SetText(const std::string& text1252) { setText(ToQString(text1252)); }

void TCoolEdit::SetMaxLength(int characters) { setMaxLength(characters > 0 ? characters : 32767); }

} // namespace tav
