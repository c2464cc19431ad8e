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

    std::string Text() const; // Windows-1252
    void SetText(const std::string& text1252);
    // 0: no limit.
    void SetMaxLength(int characters);

    std::function<void(TCoolEdit*)> OnChange;
};

} // namespace tav
