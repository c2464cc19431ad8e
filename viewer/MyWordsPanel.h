#pragma once
// The learner's word list over the film: one row per word (the word, its
// dictionary form and reading, its meaning, and the line it came from under
// it) with Play (the line in the film) and Remove; Export to Anki for the
// whole list and Close at the top. Escape closes it. Drawn in the skin's
// colours, all painted by the panel itself so it scrolls as one piece.
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "components/WordCardHost.h" // LearnerWords
#include "learners/MyWords.h"
#include "viewer/AnkiExport.h"

namespace tav {

class TForm_Main;


class TMyWordsPanel : public QWidget {
    Q_OBJECT
public:
    // words must outlive the panel. ankiConnectPort is for tests.
    TMyWordsPanel(QWidget* parent, TMyWords& words, quint16 ankiConnectPort = 8765);

    // Where it sits in the 800 x 600 scene unless the viewer places it.
    static QRect DefaultGeometry() { return QRect(40, 40, 720, 488); }

    // The viewer plays the word's line.
    std::function<void(const TMyWord&)> OnPlayLine;
    // The words with their lines for the export (ViewerWordsExport).
    std::function<TWordsExport(const std::vector<TMyWord>&)> ExportSource;
    // After Close or Escape (the panel is hidden already).
    std::function<void()> OnClose;
    // The export's one message, also shown in the panel's status line.
    std::function<void(const TWordsOutcome&)> OnExported;

    // The list changed elsewhere (a word added from the word card).
    void Refresh();
    // A line of text at the bottom (a removed word, the export's outcome).
    void SetStatus(const QString& text);
    const QString& Status() const { return status_; }
    bool Exporting() const { return exporter_->Busy(); }

    // The parts' places, for painting, clicks and tests. Rows are in the
    // list's coordinates on screen (scrolled); -1 when not visible.
    QRect ExportButton() const;
    QRect CloseButton() const;
    QRect ListArea() const;
    QRect RowRect(int index) const;
    QRect PlayButton(int index) const;
    QRect RemoveButton(int index) const;
    int FirstVisibleRow() const { return top_; }
    int VisibleRows() const;
    void ScrollTo(int row);

    // The actions the buttons run.
    void ExportAll();
    void RemoveWord(int index);
    void CloseNow();
    // Deletes the panel now, or when a running export has given its message.
    void DeleteWhenIdle();

    static constexpr int kRowHeight = 50;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    bool event(QEvent*) override;

private:
    void PaintTextButton(QPainter& p, const QRect& r, const QString& text, bool hot, bool enabled);
    void PaintIconButton(QPainter& p, const QRect& r, bool play, bool hot);

    TMyWords& words_;
    TAnkiWordExporter* exporter_;
    int top_ = 0;
    QPoint hover_{-1, -1};
    QString status_;
    bool deleteWhenIdle_ = false;
};

// Opens the panel over the viewer's film with the main window's export and
// the viewer's Play; the panel deletes itself when closed (after a running
// export has finished; set OnExported to show its message once the panel
// is closed).
TMyWordsPanel* OpenMyWordsPanel(QWidget* parent, TForm_Main& main, TMyWords& words,
                                std::function<void(const TMyWord&)> onPlayLine);

} // namespace tav
