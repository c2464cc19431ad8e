#include "toolkit/Edit.h"

#include <QValidator>

#include "content/NameCharset.h"
#include "content/UnicodeText.h"

namespace tav {

namespace {

// What may be typed: characters a name may hold (letters, marks and digits
// of any script, blanks, punctuation, symbols; no control or invisible
// format characters, see content/NameCharset.h), up to the edit's length.
class TNameValidator : public QValidator {
public:
    explicit TNameValidator(TCoolEdit* edit) : QValidator(edit), edit_(edit) {}
    State validate(QString& input, int&) const override {
        for (char32_t c : input.toUcs4())
            if (!IsNameCodePoint(c)) return Invalid;
        if (edit_->MaxLength() > 0 && GraphemeCount(FromQString(input)) > edit_->MaxLength()) return Invalid;
        return Acceptable;
    }

private:
    TCoolEdit* edit_;
};

} // namespace

TCoolEdit::TCoolEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setValidator(new TNameValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange) OnChange(this);
    });
}

std::string TCoolEdit::Text() const { return FromQString(text()); }

void TCoolEdit::SetText(const std::string& utf8) { setText(ToQString(utf8)); }

void TCoolEdit::SetMaxLength(int characters) { maxCharacters_ = characters > 0 ? characters : 0; }

} // namespace tav
