#pragma once
// The debug log window: a small always-on-top tool window that collects the
// diagnostic lines of DebugLog for testing content and classroom set-ups.
// It is created hidden at program start and shows itself on the first line
// that arrives, but only when the configuration key Debug is set. Its lines
// can be cleared or saved to a text file.
#include <QPushButton>
#include <QListWidget>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace tav {

class TForm_Debug : public QWidget {
    Q_OBJECT
public:
    // Creates the window hidden at the right edge of the screen and installs
    // it as the sink of DebugLog; destruction removes it again.
    explicit TForm_Debug(QWidget* parent = nullptr);
    ~TForm_Debug() override;

    QListWidget* ListBox1 = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* Button_Clear = nullptr;
    QPushButton* Button_Save = nullptr;

    // One line from DebugLog: ignored unless DebugEnabled; otherwise the
    // window shows itself if hidden (also after the tester closed it), and the
    // line is appended, selected and painted at once.
    void AddLine(const std::string& line);

    // All lines, oldest first, as 8-bit text.
    std::vector<std::string> Lines() const;
    // Writes the lines to file (a native path), one per line; false when the
    // file could not be written.
    bool SaveToFile(const std::string& file) const;

    void Button_ClearClick();
    void Button_SaveClick();

    // The save dialog (SaveDialog1); returns the chosen file or "" when
    // cancelled. Tests replace it.
    static std::function<std::string(QWidget* owner)> SaveDialog1;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void LayoutControls();
};

} // namespace tav
