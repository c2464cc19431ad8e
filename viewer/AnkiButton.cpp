#include "viewer/AnkiButton.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>

#include "components/ZrButton.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Skin.h"

namespace tav {

namespace {

// A card with a downward arrow into it, in the box.
void DrawIcon(QPainter& p, const QRectF& box, const QColor& ink) {
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = std::min(box.width(), box.height()) / 20.0;
    QPen pen(ink, 1.6 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QPointF c = box.center();
    const QRectF card(c.x() - 7 * u, c.y() - 2 * u, 14 * u, 10 * u);
    p.drawRoundedRect(card, 1.5 * u, 1.5 * u);
    p.drawLine(QPointF(card.left() + 3 * u, card.top() + 6.5 * u), QPointF(card.right() - 3 * u, card.top() + 6.5 * u));
    // The arrow drops into the card's top edge.
    p.drawLine(QPointF(c.x(), c.y() - 9 * u), QPointF(c.x(), c.y() + 2.5 * u));
    QPainterPath head;
    head.moveTo(c.x() - 3 * u, c.y() - 0.5 * u);
    head.lineTo(c.x(), c.y() + 2.5 * u);
    head.lineTo(c.x() + 3 * u, c.y() - 0.5 * u);
    p.drawPath(head);
}

} // namespace

QImage AnkiButtonStrip(int w, int h) {
    QImage strip = skin::ButtonStrip(skin::TIcon::None, w, h);
    QPainter p(&strip);
    const qreal scale = strip.devicePixelRatio();
    Q_UNUSED(scale);
    QColor dim = skin::Cream();
    dim.setAlphaF(0.45);
    const QColor inks[4] = {skin::Cream(), dim, skin::Cream().darker(115), skin::GoldLight()};
    for (int f = 0; f < 4; ++f) {
        QRectF box(f * w + w * 0.2, h * 0.15, w * 0.6, h * 0.7);
        if (f == 2) box.translate(0, 1); // pressed frames sit one pixel lower
        DrawIcon(p, box, inks[f]);
    }
    return strip;
}

TAnkiButton::TAnkiButton(QWidget* screen, QPoint pos, std::function<std::optional<TLineExport>()> currentLine,
                         quint16 ankiConnectPort)
    : QObject(screen), currentLine_(std::move(currentLine)), exporter_(new TAnkiExporter(this, ankiConnectPort)) {
    Button = new TZrButton(screen);
    Button->setGeometry(QRect(pos, QSize(42, 36)));
    Button->SetPicture(AnkiButtonStrip(42, 36));
    Button->setToolTip(QStringLiteral("Export this line to Anki (A)"));
    Button->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { ExportClick(); }); };

    Key = new QShortcut(QKeySequence(Qt::Key_A), screen);
    Key->setContext(Qt::WindowShortcut);
    connect(Key, &QShortcut::activated, this, [this] { RunGuarded([this] { ExportClick(); }); });

    Label_Message = new QLabel(screen);
    Label_Message->setGeometry(234, 246, 332, 62);
    Label_Message->setWordWrap(true);
    Label_Message->setAlignment(Qt::AlignCenter);
    Label_Message->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label_Message->setStyleSheet(QStringLiteral(
        "QLabel { background-color: rgba(16, 22, 44, 225); color: #f4ead0; border: 1px solid #d8b760; "
        "border-radius: 7px; padding: 4px 8px; font-family: Arial; font-size: 13px; }"));
    Label_Message->hide();
    hide_.setSingleShot(true);
    connect(&hide_, &QTimer::timeout, Label_Message, &QLabel::hide);
}

QString TAnkiButton::Message() const { return Label_Message->text(); }

void TAnkiButton::Say(const QString& text, int ms) {
    Label_Message->setText(text);
    Label_Message->show();
    Label_Message->raise();
    if (ms > 0) hide_.start(ms);
    else hide_.stop();
}

void TAnkiButton::ExportClick() {
    if (exporter_->Busy()) return;
    const std::optional<TLineExport> line = currentLine_ ? currentLine_() : std::nullopt;
    if (!line || line->Range.File.empty()) {
        Say(QStringLiteral("There is no line here to export: play the film to a line first."), kShowMs);
        return;
    }
    Button->setEnabled(false);
    Say(QStringLiteral("Exporting the line to Anki\u2026"), 0);
    exporter_->Export(*line, [this](const TExportOutcome& outcome) {
        Button->setEnabled(true);
        Say(outcome.Message, outcome.Ok ? kShowMs : kShowErrorMs);
        if (OnExported) OnExported(outcome);
    });
}

} // namespace tav
