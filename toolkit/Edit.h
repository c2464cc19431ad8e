#pragma once
// The single-line edit (CoolEdit_* on the screens, the learner's name): UTF-8
// text of any script with a maximum length in characters, drawn in the
// screen's font and alignment without a frame.
#include <QLineEdit>

#include <functional>
#include <string>

namespace tav {

class TCoolEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCoolEdit(QWidget* parent = nullptr);

    // The text, UTF-8.
    std::string Text() const;
    void SetText(const std::string& utf8);
    // Characters as a reader counts them ("é" as e and a combining accent is
    // one, and so is a Devanagari syllable with its vowel sign), not bytes or
    // UTF-16 units; 0: no limit. Typing beyond it is refused; SetText is not cut.
    void SetMaxLength(int characters);
    int MaxLength() const { return maxCharacters_; }

    std::function<void(TCoolEdit*)> OnChange;

private:
    int maxCharacters_ = 0;
};

} // namespace tav
