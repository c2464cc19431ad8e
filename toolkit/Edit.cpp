#include "toolkit/Edit.h"

#include <QValidator>

#include "content/NameCharset.h"

namespace tav {

namespace {

// Only printable characters the edit's code page can hold may be typed: the
// text is stored that way.
class TCodePageValidator : public QValidator {
public:
    explicit TCodePageValidator(TCoolEdit* edit) : QValidator(edit), edit_(edit) {}
    State validate(QString& input, int&) const override {
        for (QChar q : input)
            if (q.unicode() < 0x20 || (q.unicode() >= 0x7F && q.unicode() < 0xA0)) return Invalid;
        return CanEncodeName(input, edit_->Charset()) ? Acceptable : Invalid;
    }

private:
    TCoolEdit* edit_;
};

} // namespace

TCoolEdit::TCoolEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setValidator(new TCodePageValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange) OnChange(this);
    });
}

std::string TCoolEdit::Text() const { return EncodeName(text(), charset_); }

void TCoolEdit::SetText(const std::string& bytes) { setText(DecodeName(bytes, charset_)); }

void TCoolEdit::SetCharset(int charset) {
    if (charset == charset_) return;
    const std::string bytes = Text();
    charset_ = charset;
    SetText(bytes);
}

void TCoolEdit::SetMaxLength(int characters) { setMaxLength(characters > 0 ? characters : 32767); }

} // namespace tav
