#include "viewer/MyWordsPanel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>

#include "app/Main.h"
#include "toolkit/Skin.h"
#include "toolkit/SkinPaint.h"
#include "viewer/LineExportSource.h"

namespace tav {

namespace {
constexpr int kMargin = 12, kTitleHeight = 40, kStatusHeight = 36, kIcon = 28, kScrollWidth = 6;

QFont Font(int px, bool bold = false) {
    QFont f("Arial");
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QString WordsCount(size_t n) { return n == 1 ? QStringLiteral("1 word") : QStringLiteral("%1 words").arg(n); }
} // namespace

TMyWordsPanel::TMyWordsPanel(QWidget* parent, TMyWords& words, quint16 ankiConnectPort)
    : QWidget(parent), words_(words), exporter_(new TAnkiWordExporter(this, ankiConnectPort)) {
    setGeometry(DefaultGeometry());
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    if (!words_.Message().empty()) status_ = Q(words_.Message());
}

QRect TMyWordsPanel::CloseButton() const { return QRect(width() - kMargin - 76, 8, 76, 26); }
QRect TMyWordsPanel::ExportButton() const { return QRect(CloseButton().left() - 10 - 130, 8, 130, 26); }
QRect TMyWordsPanel::ListArea() const {
    return QRect(kMargin, kTitleHeight + 4, width() - 2 * kMargin, height() - kTitleHeight - 4 - kStatusHeight - 4);
}
int TMyWordsPanel::VisibleRows() const { return std::max(1, ListArea().height() / kRowHeight); }

QRect TMyWordsPanel::RowRect(int index) const {
    const int visible = index - top_;
    if (index < 0 || size_t(index) >= words_.Size() || visible < 0 || visible >= VisibleRows()) return {};
    const QRect list = ListArea();
    return QRect(list.left(), list.top() + visible * kRowHeight, list.width() - kScrollWidth - 6, kRowHeight - 4);
}
QRect TMyWordsPanel::RemoveButton(int index) const {
    const QRect r = RowRect(index);
    if (r.isNull()) return {};
    return QRect(r.right() - 6 - kIcon, r.top() + (r.height() - kIcon) / 2, kIcon, kIcon);
}
QRect TMyWordsPanel::PlayButton(int index) const {
    const QRect r = RemoveButton(index);
    return r.isNull() ? QRect() : r.translated(-kIcon - 6, 0);
}

void TMyWordsPanel::ScrollTo(int row) {
    const int most = std::max(0, int(words_.Size()) - VisibleRows());
    top_ = std::clamp(row, 0, most);
    update();
}

void TMyWordsPanel::Refresh() {
    ScrollTo(top_);
    update();
}

void TMyWordsPanel::SetStatus(const QString& text) {
    status_ = text;
    update();
}

void TMyWordsPanel::PaintTextButton(QPainter& p, const QRect& r, const QString& text, bool hot, bool enabled) {
    const QColor top = hot && enabled ? QColor(78, 86, 122) : QColor(58, 64, 94);
    skin::paint::Plate(p, QRectF(r), top, skin::Night(), hot && enabled ? skin::GoldLight() : skin::Gold(), 6);
    p.setFont(Font(13, true));
    QColor ink = skin::Cream();
    if (!enabled) ink.setAlpha(90);
    p.setPen(ink);
    p.drawText(r, Qt::AlignCenter, text);
}

void TMyWordsPanel::PaintIconButton(QPainter& p, const QRect& r, bool play, bool hot) {
    skin::paint::Plate(p, QRectF(r), hot ? QColor(78, 86, 122) : QColor(52, 58, 86), skin::Night(),
                       hot ? skin::GoldLight() : QColor(216, 183, 96, 150), 6);
    const QRectF box = QRectF(r).adjusted(8, 8, -8, -8);
    if (play) {
        QPainterPath tri;
        tri.moveTo(box.left() + 1, box.top());
        tri.lineTo(box.right() + 1, box.center().y());
        tri.lineTo(box.left() + 1, box.bottom());
        tri.closeSubpath();
        p.fillPath(tri, hot ? skin::GoldLight() : skin::Cream());
    } else {
        p.setPen(QPen(hot ? skin::Signal().lighter(130) : skin::Cream(), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(box.topLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomLeft());
    }
}

void TMyWordsPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QColor plate = skin::NightDeep();
    plate.setAlpha(240);
    p.setPen(QPen(skin::Gold(), 2));
    p.setBrush(plate);
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 10, 10);

    // Title and buttons.
    p.setFont(Font(17, true));
    p.setPen(skin::GoldLight());
    const QRect titleBox(kMargin + 4, 8, ExportButton().left() - kMargin - 8, 26);
    p.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("My words"));
    const int titleWidth = QFontMetrics(p.font()).horizontalAdvance(QStringLiteral("My words"));
    p.setFont(Font(13));
    p.setPen(QColor(244, 234, 208, 160));
    p.drawText(titleBox.adjusted(titleWidth + 10, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               WordsCount(words_.Size()));
    PaintTextButton(p, ExportButton(), exporter_->Busy() ? QStringLiteral("Exporting\u2026") : QStringLiteral("Export to Anki"),
                    ExportButton().contains(hover_), words_.Size() > 0 && !exporter_->Busy());
    PaintTextButton(p, CloseButton(), QStringLiteral("Close"), CloseButton().contains(hover_), true);
    p.setPen(QPen(QColor(216, 183, 96, 110), 1));
    p.drawLine(kMargin, kTitleHeight, width() - kMargin, kTitleHeight);

    const QRect list = ListArea();
    if (words_.Size() == 0) {
        p.setFont(Font(15));
        p.setPen(skin::Cream());
        p.drawText(list, Qt::AlignCenter | Qt::TextWordWrap,
                   QStringLiteral("No words yet.\nClick a word in a caption, then \u201CAdd to my words\u201D."));
    }
    for (int i = top_; i < top_ + VisibleRows() && size_t(i) < words_.Size(); ++i) {
        const TMyWord& w = words_.Words()[size_t(i)];
        const QRect row = RowRect(i);
        const bool hot = row.contains(hover_);
        p.setPen(Qt::NoPen);
        p.setBrush(hot ? QColor(255, 255, 255, 26) : QColor(255, 255, 255, i % 2 ? 8 : 14));
        p.drawRoundedRect(row, 6, 6);

        const int textRight = PlayButton(i).left() - 10;
        QRect first(row.left() + 10, row.top() + 4, textRight - row.left() - 10, 22);
        // The word, then its dictionary form and reading, then its meaning.
        p.setFont(Font(17, true));
        p.setPen(skin::GoldLight());
        QFontMetrics fm(p.font());
        const QString word = fm.elidedText(Q(w.Word), Qt::ElideRight, first.width() / 2);
        p.drawText(first, Qt::AlignLeft | Qt::AlignVCenter, word);
        int x = first.left() + fm.horizontalAdvance(word);
        QString form;
        if (!w.DictionaryForm.empty() && w.DictionaryForm != w.Word) form = Q(w.DictionaryForm);
        if (!w.Reading.empty()) form += (form.isEmpty() ? QString() : QStringLiteral(" ")) + "[" + Q(w.Reading) + "]";
        QString rest;
        if (!form.isEmpty()) rest += QStringLiteral("  \u2014  ") + form;
        if (!w.Sense.empty()) rest += QStringLiteral("  \u2014  ") + Q(w.Sense).simplified();
        p.setFont(Font(14));
        p.setPen(skin::Cream());
        const QRect restBox(x, first.top(), first.right() - x, first.height());
        p.drawText(restBox, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(p.font()).elidedText(rest, Qt::ElideRight, restBox.width()));
        // The line it came from.
        p.setFont(Font(12));
        p.setPen(QColor(201, 194, 174, 200));
        const QRect second(first.left(), first.bottom() + 1, first.width(), 18);
        p.drawText(second, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(p.font()).elidedText(Q(w.Line).simplified(), Qt::ElideRight, second.width()));

        PaintIconButton(p, PlayButton(i), true, PlayButton(i).contains(hover_));
        PaintIconButton(p, RemoveButton(i), false, RemoveButton(i).contains(hover_));
    }

    // Where the rows shown sit in the whole list.
    if (int(words_.Size()) > VisibleRows()) {
        const QRect track(list.right() - kScrollWidth, list.top(), kScrollWidth, VisibleRows() * kRowHeight - 4);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 20));
        p.drawRoundedRect(track, 3, 3);
        const double n = double(words_.Size());
        const int h = std::max(16, int(track.height() * VisibleRows() / n));
        const int y = track.top() + int((track.height() - h) * top_ / std::max(1.0, n - VisibleRows()));
        p.setBrush(skin::Gold());
        p.drawRoundedRect(QRect(track.left(), y, kScrollWidth, h), 3, 3);
    }

    p.setPen(QPen(QColor(216, 183, 96, 110), 1));
    const int statusTop = height() - kStatusHeight - 6;
    p.drawLine(kMargin, statusTop, width() - kMargin, statusTop);
    p.setFont(Font(12));
    p.setPen(QColor(244, 234, 208, 200));
    const QRect statusBox(kMargin + 4, statusTop + 2, width() - 2 * kMargin - 8, kStatusHeight);
    const QString hint = QStringLiteral("Esc closes");
    p.drawText(statusBox, Qt::AlignRight | Qt::AlignVCenter, hint);
    // Up to two lines; a longer message is cut at the end of the second.
    const QFontMetrics fm(p.font());
    const QRect textBox = statusBox.adjusted(0, 0, -(fm.horizontalAdvance(hint) + 16), 0);
    QString text = status_;
    if (fm.boundingRect(textBox, Qt::TextWordWrap, text).height() > textBox.height()) {
        while (text.size() > 1 && fm.boundingRect(textBox, Qt::TextWordWrap, text + QStringLiteral("…")).height() >
                                      textBox.height())
            text.chop(std::max<qsizetype>(1, text.size() / 20));
        text += QStringLiteral("…");
    }
    p.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text);
}

void TMyWordsPanel::ExportAll() {
    if (exporter_->Busy()) return;
    if (words_.Size() == 0) {
        SetStatus(QStringLiteral("Your word list is empty: there is nothing to export."));
        return;
    }
    if (!ExportSource) {
        SetStatus(QStringLiteral("The words cannot be exported from here."));
        return;
    }
    const TWordsExport what = ExportSource(words_.Words());
    QPointer<TMyWordsPanel> self(this);
    const bool started = exporter_->Export(what, [self](const TWordsOutcome& o) {
        if (!self) return;
        self->SetStatus(o.Message);
        if (self->OnExported) self->OnExported(o);
        if (self && self->deleteWhenIdle_) self->deleteLater();
    });
    if (started) SetStatus(QStringLiteral("Exporting %1 to Anki\u2026").arg(WordsCount(words_.Size())));
}

void TMyWordsPanel::RemoveWord(int index) {
    if (index < 0 || size_t(index) >= words_.Size()) return;
    const QString word = Q(words_.Words()[size_t(index)].Word);
    std::string why;
    if (words_.Remove(size_t(index), &why)) SetStatus(QStringLiteral("\u201C%1\u201D removed from your words.").arg(word));
    else SetStatus(Q(why));
    ScrollTo(top_);
}

void TMyWordsPanel::CloseNow() {
    hide();
    if (OnClose) OnClose();
}

void TMyWordsPanel::mousePressEvent(QMouseEvent* e) {
    e->accept();
    if (e->button() != Qt::LeftButton) return;
    const QPoint at = e->position().toPoint();
    if (CloseButton().contains(at)) return CloseNow();
    if (ExportButton().contains(at)) return ExportAll();
    for (int i = top_; i < top_ + VisibleRows() && size_t(i) < words_.Size(); ++i) {
        if (PlayButton(i).contains(at)) {
            const TMyWord w = words_.Words()[size_t(i)];
            if (OnPlayLine) OnPlayLine(w);
            return;
        }
        if (RemoveButton(i).contains(at)) return RemoveWord(i);
    }
}

void TMyWordsPanel::mouseMoveEvent(QMouseEvent* e) {
    hover_ = e->position().toPoint();
    update();
}

void TMyWordsPanel::leaveEvent(QEvent*) {
    hover_ = {-1, -1};
    update();
}

void TMyWordsPanel::wheelEvent(QWheelEvent* e) {
    e->accept();
    const int steps = e->angleDelta().y() / 120;
    ScrollTo(top_ - (steps ? steps : (e->angleDelta().y() > 0 ? 1 : e->angleDelta().y() < 0 ? -1 : 0)) * 2);
}

bool TMyWordsPanel::event(QEvent* e) {
    // The panel's own keys win over the viewer's window shortcuts while it has the focus.
    if (e->type() == QEvent::ShortcutOverride) {
        switch (static_cast<QKeyEvent*>(e)->key()) {
        case Qt::Key_Escape: case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown:
        case Qt::Key_Home: case Qt::Key_End:
            e->accept();
            return true;
        default: break;
        }
    }
    return QWidget::event(e);
}

void TMyWordsPanel::DeleteWhenIdle() {
    if (exporter_->Busy()) deleteWhenIdle_ = true;
    else deleteLater();
}

void TMyWordsPanel::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Escape: CloseNow(); break;
    case Qt::Key_Down: ScrollTo(top_ + 1); break;
    case Qt::Key_Up: ScrollTo(top_ - 1); break;
    case Qt::Key_PageDown: ScrollTo(top_ + VisibleRows()); break;
    case Qt::Key_PageUp: ScrollTo(top_ - VisibleRows()); break;
    case Qt::Key_Home: ScrollTo(0); break;
    case Qt::Key_End: ScrollTo(int(words_.Size())); break;
    default: QWidget::keyPressEvent(e); return;
    }
    e->accept();
}

TMyWordsPanel* OpenMyWordsPanel(QWidget* parent, TForm_Main& main, TMyWords& words,
                                std::function<void(const TMyWord&)> onPlayLine) {
    auto* panel = new TMyWordsPanel(parent, words);
    TForm_Main* m = &main;
    panel->ExportSource = [m](const std::vector<TMyWord>& list) { return ViewerWordsExport(*m, list); };
    panel->OnPlayLine = std::move(onPlayLine);
    panel->OnClose = [panel] { panel->DeleteWhenIdle(); };
    panel->show();
    panel->raise();
    panel->setFocus();
    return panel;
}

} // namespace tav
