#include "toolkit/Label.h"

#include <QMouseEvent>
#include <QPainter>

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

void TfcLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!transparent_) painter.fillRect(rect(), background_);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const int flags = int(alignment_) | (wordWrap_ ? int(Qt::TextWordWrap) : 0);
    // A lone CR breaks the line as CR LF does.
    QString text = ShownCaption();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
    DrawTextWithEffects(painter, rect(), flags, text, color_, effects_);
}

void TfcLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && OnClick) OnClick(this);
}

void TfcLabel::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove) OnMouseMove(this, int(e->position().x()), int(e->position().y()));
}

} // namespace tav
