#pragma once
// The screenplay viewer's "export this line to Anki" control: its skin
// button (key A, with a hover hint), the exporter behind it, and a short
// message over the film that says what happened.
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

#include "viewer/AnkiExport.h"

class QLabel;
class QShortcut;

namespace tav {

class TZrButton;

// The button's four frames: the skin's plain plate with a cream card-and-
// arrow line icon.
QImage AnkiButtonStrip(int w, int h);

class TAnkiButton : public QObject {
    Q_OBJECT
public:
    // currentLine gives the line to export, or nothing when there is none.
    TAnkiButton(QWidget* screen, QPoint pos, std::function<std::optional<TLineExport>()> currentLine,
                quint16 ankiConnectPort = 8765);

    static constexpr int kShowMs = 6000, kShowErrorMs = 10000;

    TZrButton* Button;
    QLabel* Label_Message;
    QShortcut* Key;

    void ExportClick();
    QString Message() const;
    bool Busy() const { return exporter_->Busy(); }
    // Called after each export (tests and the walk watch it).
    std::function<void(const TExportOutcome&)> OnExported;

private:
    void Say(const QString& text, int ms);

    std::function<std::optional<TLineExport>()> currentLine_;
    TAnkiExporter* exporter_;
    QTimer hide_;
};

} // namespace tav
