#include "components/WordCard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "components/ZrButton.h"
#include "content/UnicodeText.h"
#include "toolkit/Label.h"
#include "toolkit/Skin.h"
#include "toolkit/SkinPaint.h"
#include "toolkit/ScaledScene.h"

namespace tav {

namespace {

constexpr int kPad = 14, kButtonH = 30, kGap = 8, kMaxHeight = 330;
enum { kWord, kForms, kHead, kSense, kNote, kHeading, kOtherLine, kStatus };

QFont BlockFont(int kind) {
    switch (kind) {
    case kWord: return PixelFont("Arial", 24, true);
    case kHead: return PixelFont("Arial", 13, true);
    case kSense: return PixelFont("Arial", 15);
    case kHeading: return PixelFont("Arial", 12, true);
    case kOtherLine: return PixelFont("Arial", 13);
    default: return PixelFont("Arial", 14);
    }
}

QColor BlockInk(int kind, bool hot) {
    switch (kind) {
    case kWord: return skin::GoldLight();
    case kHead:
    case kHeading: return skin::Gold();
    case kNote:
    case kStatus: return QColor(196, 186, 168);
    case kOtherLine: return hot ? skin::GoldLight() : skin::Cream();
    default: return skin::Cream();
    }
}

// The buttons' faces: an icon at the left of the plate and the button's words.
using TIconShape = std::function<void(QPainter&, const QRectF&, const QColor&)>;

QImage TextButtonStrip(const QString& text, const TIconShape& icon, int w, int h) {
    return skin::CustomButtonStrip(
        [text, icon, w](QPainter& p, const QRectF& box, const QColor& ink) {
            const QRectF iconBox(8, box.top(), box.width(), box.height());
            icon(p, iconBox, ink);
            p.setPen(ink);
            p.setFont(PixelFont("Arial", 13, true));
            p.drawText(QRectF(iconBox.right() + 6, box.top() - 4, w - iconBox.right() - 12, box.height() + 8),
                       Qt::AlignLeft | Qt::AlignVCenter, text);
        },
        w, h);
}

void SpeakerIcon(QPainter& p, const QRectF& b, const QColor& ink) {
    p.setPen(skin::LineIconPen(b, ink));
    p.setBrush(ink);
    QPolygonF cone;
    cone << QPointF(b.left(), b.top() + b.height() * 0.35) << QPointF(b.left() + b.width() * 0.25, b.top() + b.height() * 0.35)
         << QPointF(b.left() + b.width() * 0.55, b.top() + b.height() * 0.1)
         << QPointF(b.left() + b.width() * 0.55, b.top() + b.height() * 0.9)
         << QPointF(b.left() + b.width() * 0.25, b.top() + b.height() * 0.65) << QPointF(b.left(), b.top() + b.height() * 0.65);
    p.drawPolygon(cone);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(b.left() + b.width() * 0.35, b.top() + b.height() * 0.2, b.width() * 0.55, b.height() * 0.6), -50 * 16, 100 * 16);
}

void ReplayIcon(QPainter& p, const QRectF& b, const QColor& ink) {
    p.setPen(skin::LineIconPen(b, ink));
    p.setBrush(Qt::NoBrush);
    const QRectF ring = b.adjusted(b.width() * 0.1, b.height() * 0.1, -b.width() * 0.1, -b.height() * 0.1);
    p.drawArc(ring, 100 * 16, 290 * 16);
    p.setBrush(ink);
    const QPointF tip(ring.center().x() - ring.width() * 0.1, ring.top());
    QPolygonF head;
    head << tip + QPointF(-b.width() * 0.25, 0) << tip + QPointF(0.05 * b.width(), -b.height() * 0.2)
         << tip + QPointF(0.05 * b.width(), b.height() * 0.2);
    p.drawPolygon(head);
}

void PlusIcon(QPainter& p, const QRectF& b, const QColor& ink) {
    p.setPen(skin::LineIconPen(b, ink));
    const QPointF c = b.center();
    p.drawLine(QPointF(c.x(), b.top() + 2), QPointF(c.x(), b.bottom() - 2));
    p.drawLine(QPointF(b.left() + 2, c.y()), QPointF(b.right() - 2, c.y()));
}

void TickIcon(QPainter& p, const QRectF& b, const QColor& ink) {
    p.setPen(skin::LineIconPen(b, skin::Go()));
    p.drawLine(QPointF(b.left() + 2, b.center().y()), QPointF(b.left() + b.width() * 0.4, b.bottom() - 3));
    p.drawLine(QPointF(b.left() + b.width() * 0.4, b.bottom() - 3), QPointF(b.right() - 1, b.top() + 2));
}

void CrossIcon(QPainter& p, const QRectF& box, const QColor& ink) {
    p.setPen(skin::LineIconPen(box, ink));
    const QRectF b = box.adjusted(2, 2, -2, -2);
    p.drawLine(b.topLeft(), b.bottomRight());
    p.drawLine(b.topRight(), b.bottomLeft());
}

TZrButton* CardButton(QWidget* parent, const QString& text, const TIconShape& icon, int w, const char* name) {
    auto* b = new TZrButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->resize(w, kButtonH);
    b->SetPicture(TextButtonStrip(text, icon, w, kButtonH));
    return b;
}

} // namespace

TWordCard::TWordCard(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("WordCard"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    SayButton = CardButton(this, QStringLiteral("Say it"), SpeakerIcon, 100, "EButton_SayWord");
    ReplayButton = CardButton(this, QStringLiteral("Hear the line"), ReplayIcon, 132, "EButton_ReplayLine");
    AddButton = CardButton(this, QStringLiteral("Add to my words"), PlusIcon, 152, "EButton_AddWord");
    CloseButton = new TZrButton(this);
    CloseButton->setObjectName(QStringLiteral("EButton_CloseCard"));
    CloseButton->resize(24, 24);
    CloseButton->SetPicture(skin::CustomButtonStrip(CrossIcon, 24, 24));
    CloseButton->setToolTip(QStringLiteral("Close (Esc)"));
    SayButton->OnClick = [this](TCustomZrImageStrip*) { if (OnSay) OnSay(); };
    ReplayButton->OnClick = [this](TCustomZrImageStrip*) { if (OnReplay) OnReplay(); };
    AddButton->OnClick = [this](TCustomZrImageStrip*) { if (OnAdd) OnAdd(); };
    CloseButton->OnClick = [this](TCustomZrImageStrip*) { Close(); };
    hide();
}

TWordCard::~TWordCard() {
    if (open_) qApp->removeEventFilter(this);
}

void TWordCard::SetCard(const TWordCardText& card, const std::vector<std::string>& otherLines, bool canAdd) {
    card_ = card;
    otherLines_ = otherLines;
    addMessage_.clear();
    hotLine_ = -1;
    AddButton->SetPicture(TextButtonStrip(QStringLiteral("Add to my words"), PlusIcon, AddButton->width(), kButtonH));
    AddButton->setEnabled(canAdd);
    AddButton->setToolTip(canAdd ? QString() : QStringLiteral("Sign in to keep a list of your words"));
    Layout();
}

void TWordCard::MarkAdded() {
    AddButton->SetPicture(TextButtonStrip(QStringLiteral("In my words"), TickIcon, AddButton->width(), kButtonH));
}

void TWordCard::SetStatus(const std::string& message) {
    if (message == addMessage_) return;
    addMessage_ = message;
    const QPoint bottom = geometry().bottomLeft();
    Layout();
    // Grown or shrunk, the card keeps its foot where it was.
    if (isVisible()) move(x(), std::max(4, bottom.y() + 1 - height()));
}

void TWordCard::Layout() {
    blocks_.clear();
    const int textW = kWidth - 2 * kPad;
    int y = 10;
    auto add = [&](int kind, const std::string& text, int line = -1, bool wrap = true, int indent = 0) {
        if (text.empty()) return;
        const QFontMetrics fm(BlockFont(kind));
        QString shown = ToQString(text);
        QRect r(kPad + indent, y, textW - indent - (kind == kWord ? 28 : 0), fm.height());
        if (wrap) {
            r = fm.boundingRect(QRect(r.left(), y, r.width(), 1000), Qt::TextWordWrap | Qt::AlignLeft, shown);
            r.setWidth(textW - indent);
        } else {
            shown = fm.elidedText(shown, Qt::ElideRight, r.width());
        }
        blocks_.push_back({r, shown, kind, line});
        y = r.bottom() + 1 + (kind == kWord ? 2 : 3);
    };
    add(kWord, card_.Word, -1, false);
    std::string forms;
    if (!card_.DictionaryForms.empty()) {
        forms = "dictionary form: ";
        for (size_t i = 0; i < card_.DictionaryForms.size(); ++i) forms += (i ? ", " : "") + card_.DictionaryForms[i];
    }
    if (!card_.Reading.empty()) forms += (forms.empty() ? "" : "   ") + std::string("reading: ") + card_.Reading;
    add(kForms, forms);
    const int limit = kMaxHeight - kButtonH - 2 * kGap - 60;
    for (const TWordCardEntry& e : card_.Entries) {
        if (y > limit) break;
        add(kHead, e.Head);
        for (size_t i = 0; i < e.Senses.size() && y <= limit; ++i)
            add(kSense, (e.Senses.size() > 1 ? std::to_string(i + 1) + ". " : std::string()) + e.Senses[i], -1, true, 8);
    }
    add(kNote, card_.Note);
    if (!otherLines_.empty()) {
        y += 4;
        add(kHeading, otherLines_.size() == 1 ? "Another line says it" : "Other lines say it");
        for (size_t i = 0; i < otherLines_.size() && y <= limit + 50; ++i)
            add(kOtherLine, "\u25B6 " + otherLines_[i], int(i), false, 4);
    }
    add(kStatus, addMessage_);
    y += kGap;
    SayButton->move(kPad, y);
    ReplayButton->move(SayButton->geometry().right() + 1 + kGap, y);
    AddButton->move(ReplayButton->geometry().right() + 1 + kGap, y);
    CloseButton->move(kWidth - kPad - CloseButton->width() + 6, 8);
    resize(kWidth, y + kButtonH + kGap + 4);
    update();
}

void TWordCard::OpenAt(const QPoint& anchor) {
    QWidget* p = parentWidget();
    const int w = width(), h = height();
    int x = anchor.x() - w / 2, top = anchor.y() - h;
    if (p) {
        x = std::clamp(x, 4, std::max(4, p->width() - w - 4));
        top = std::clamp(top, 4, std::max(4, p->height() - h - 4));
    }
    move(x, top);
    show();
    raise();
    setFocus(Qt::PopupFocusReason);
    if (!open_) {
        open_ = true;
        qApp->installEventFilter(this);
    }
}

void TWordCard::Close() {
    if (!open_) return;
    open_ = false;
    qApp->removeEventFilter(this);
    hide();
    if (OnClosed) OnClosed();
}

int TWordCard::OtherLineAt(const QPoint& at) const {
    for (const TBlock& b : blocks_)
        if (b.Kind == kOtherLine && b.Rect.adjusted(-4, -1, 0, 1).contains(at)) return b.Line;
    return -1;
}

void TWordCard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    skin::paint::Smooth(p);
    skin::paint::Plate(p, QRectF(rect()).adjusted(1, 1, -1, -2), skin::Night(), skin::NightDeep(), skin::Gold(), 10);
    for (const TBlock& b : blocks_) {
        if (b.Kind == kOtherLine && b.Line == hotLine_) p.fillRect(b.Rect.adjusted(-4, -1, 0, 1), QColor(255, 255, 255, 24));
        QFont font = BlockFont(b.Kind);
        if (b.Kind == kNote || b.Kind == kStatus) font.setItalic(true);
        p.setFont(font);
        p.setPen(BlockInk(b.Kind, b.Line == hotLine_ && b.Kind == kOtherLine));
        p.drawText(b.Rect, Qt::AlignLeft | Qt::AlignTop | (b.Kind == kOtherLine || b.Kind == kWord ? 0 : Qt::TextWordWrap), b.Text);
    }
}

void TWordCard::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        Close();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TWordCard::mousePressEvent(QMouseEvent* e) {
    const int line = OtherLineAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && line >= 0 && OnPlayOtherLine) OnPlayOtherLine(line);
}

void TWordCard::mouseMoveEvent(QMouseEvent* e) {
    const int line = OtherLineAt(e->position().toPoint());
    if (line != hotLine_) {
        hotLine_ = line;
        setCursor(line >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
}

void TWordCard::leaveEvent(QEvent*) {
    if (hotLine_ >= 0) {
        hotLine_ = -1;
        update();
    }
}

bool TWordCard::eventFilter(QObject* watched, QEvent* event) {
    if (!open_) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        // A click elsewhere closes the card and still does what it does.
        auto* m = static_cast<QMouseEvent*>(event);
        if (!rect().contains(MapFromGlobal(this, m->globalPosition()))) Close();
        return false;
    }
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
        // Escape closes the card and nothing else.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            if (event->type() == QEvent::KeyPress) Close();
            event->accept();
            return true;
        }
        return false;
    default: return false;
    }
}

} // namespace tav
