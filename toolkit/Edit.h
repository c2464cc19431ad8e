#pragma once
// The single-line edit (CoolEdit_* on the screens): Windows-1252 text with a
// maximum length, drawn in the screen's font and alignment without a frame.
#include <QLineEdit>

#include <functional>
#include <string>

namespace tav {

class TCoolEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCoolEdit(QWidget* parent = nullptr);

    // The text as bytes in the edit's character set (Windows-1252 unless set).
    std::string Text() const;
    void SetText(const std::string& bytes);
    // A Windows character-set number (161 Greek, 204 Cyrillic ...): the text is
    // stored in its code page, and only characters it can hold may be typed.
    void SetCharset(int charset);
    int Charset() const { return charset_; }
    // 0: no limit.
    void SetMaxLength(int characters);

    std::function<void(TCoolEdit*)> OnChange;

private:
    int charset_ = 1;
};

} // namespace tav
