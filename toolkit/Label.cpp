#include "toolkit/Label.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>

#include "content/UnicodeText.h"

namespace tav {

QFont PixelFont(const std::string& family, int pixelSize, bool bold) {
    QFont font;
    if (SameText(family, "Arial Black")) {
        // No metric twin is installed: a black-weight Arial stands in.
        font.setFamily(QStringLiteral("Arial"));
        font.setWeight(QFont::Black);
    } else {
        font.setFamily(ToQString(family));
        if (bold) font.setWeight(QFont::Bold);
    }
    font.setPixelSize(std::max(pixelSize, 1));
    // The skin's fonts hold Latin letters only; Noto carries the other
    // scripts, with the Han forms of the disc's language (a Japanese and a
    // Chinese character may share a code but not a shape).
    const std::string& language = TextLanguage();
    const QString cjk = language == "ja"   ? QStringLiteral("Noto Sans CJK JP")
                        : language == "ko" ? QStringLiteral("Noto Sans CJK KR")
                        : language == "yue" ? QStringLiteral("Noto Sans CJK HK")
                                            : QStringLiteral("Noto Sans CJK SC");
    font.setFamilies({font.family(), QStringLiteral("Noto Sans"), cjk});
    return font;
}

std::optional<size_t> Utf8OffsetAtX(const QString& text, const QFont& font, qreal x) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) line.setLineWidth(1e6);
    layout.endLayout();
    if (!line.isValid() || x < 0 || x >= line.naturalTextWidth()) return std::nullopt;
    const int cursor = line.xToCursor(x, QTextLine::CursorOnCharacter);
    if (cursor < 0 || cursor >= text.size()) return std::nullopt;
    return size_t(text.left(cursor).toUtf8().size());
}

void DrawTextWithEffects(QPainter& painter, const QRect& rect, int flags, const QString& text, const QColor& color,
                         const TTextEffects& effects) {
    if (effects.ShadowOffset > 0) {
        painter.setPen(effects.ShadowColor);
        painter.drawText(rect.translated(effects.ShadowOffset, effects.ShadowOffset), flags, text);
    }
    if (effects.OutlineWidth > 0) {
        painter.setPen(effects.OutlineColor);
        const int w = effects.OutlineWidth;
        for (int dy = -w; dy <= w; ++dy)
            for (int dx = -w; dx <= w; ++dx)
                if ((dx || dy) && dx * dx + dy * dy <= w * w + w) painter.drawText(rect.translated(dx, dy), flags, text);
    }
    painter.setPen(color);
    painter.drawText(rect, flags, text);
}

TfcLabel::TfcLabel(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

void TfcLabel::SetCaption(const std::string& text) {
    if (text == caption_) return;
    caption_ = text;
    update();
}

void TfcLabel::SetLabelFont(const QFont& font) {
    setFont(font);
    update();
}

void TfcLabel::SetFontColor(const QColor& color) {
    color_ = color;
    update();
}

void TfcLabel::SetAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void TfcLabel::SetWordWrap(bool wrap) {
    wordWrap_ = wrap;
    update();
}

void TfcLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void TfcLabel::SetBackgroundColor(const QColor& color) {
    background_ = color;
    update();
}

void TfcLabel::SetEffects(const TTextEffects& effects) {
    effects_ = effects;
    update();
}

QString TfcLabel::ShownCaption() const { return ToQString(caption_); }

namespace {

// A lone CR breaks the line as CR LF does.
QString DrawnText(const QString& caption) {
    QString text = caption;
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
}

} // namespace

void TfcLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!transparent_) painter.fillRect(rect(), background_);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const int flags = int(alignment_) | (wordWrap_ ? int(Qt::TextWordWrap) : 0);
    DrawTextWithEffects(painter, rect(), flags, DrawnText(ShownCaption()), color_, effects_);
}

bool TfcLabel::CharacterAt(const QPoint& at, std::string& shown, size_t& byteOffset) const {
    const QString text = DrawnText(ShownCaption());
    if (text.isEmpty() || !rect().contains(at)) return false;
    // The same layout QPainter::drawText makes: lines of the label's width,
    // each aligned, the block placed by the vertical alignment.
    QString laidOut = text;
    laidOut.replace(QChar('\n'), QChar::LineSeparator);
    QTextLayout layout(laidOut, font());
    QTextOption option(alignment_ & Qt::AlignHorizontal_Mask);
    option.setWrapMode(wordWrap_ ? QTextOption::WordWrap : QTextOption::ManualWrap);
    layout.setTextOption(option);
    const qreal leading = QFontMetricsF(font()).leading();
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width());
        height += leading; // before every line, as drawText places them
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    qreal top = 0;
    if (alignment_ & Qt::AlignBottom) top = this->height() - height;
    else if (alignment_ & Qt::AlignVCenter) top = (this->height() - height) / 2;
    const QPointF p(at.x(), at.y() - top);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        if (p.y() < line.y() || p.y() >= line.y() + line.height()) continue;
        const qreal left = line.cursorToX(line.textStart());
        const qreal right = line.cursorToX(line.textStart() + line.textLength());
        if (p.x() < std::min(left, right) || p.x() >= std::max(left, right)) return false;
        const int cursor = line.xToCursor(p.x(), QTextLine::CursorOnCharacter);
        if (cursor < 0 || cursor >= text.size()) return false;
        shown = FromQString(text);
        byteOffset = size_t(text.left(cursor).toUtf8().size());
        return true;
    }
    return false;
}

void TfcLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !rect().contains(e->position().toPoint())) return;
    if (OnClick) OnClick(this);
    if (OnClickAt) OnClickAt(this, e->position().toPoint());
}

void TfcLabel::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove) OnMouseMove(this, int(e->position().x()), int(e->position().y()));
}

} // namespace tav
