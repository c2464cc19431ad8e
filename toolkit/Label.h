#pragma once
// The text label (fcLabel_* on the screens): UTF-8 text in any script drawn with a
// pixel-sized font, transparent by default, aligned both ways, optionally
// word-wrapped, with an optional drop shadow and outline so text stays
// readable on pictures.
#include <QColor>
#include <QFont>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

namespace tav {

// A font by family and pixel size; "Arial Black" becomes a heavy Arial.
QFont PixelFont(const std::string& family, int pixelSize, bool bold = false);

// The byte offset in UTF-8 of the character of a one-line text drawn from
// x = 0 in font under x; nothing left of the text or beyond its end.
std::optional<size_t> Utf8OffsetAtX(const QString& text, const QFont& font, qreal x);

struct TTextEffects {
    int ShadowOffset = 0; // pixels down and right; 0: no shadow
    QColor ShadowColor = Qt::black;
    int OutlineWidth = 0; // 0: no outline
    QColor OutlineColor = Qt::black;
};

// Draws text in rect with the effects; shared by the label and the skin.
void DrawTextWithEffects(class QPainter& painter, const QRect& rect, int flags, const QString& text,
                         const QColor& color, const TTextEffects& effects);

class TfcLabel : public QWidget {
    Q_OBJECT
public:
    explicit TfcLabel(QWidget* parent = nullptr);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& text);
    QString ShownCaption() const;
    void SetLabelFont(const QFont& font);
    QColor FontColor() const { return color_; }
    void SetFontColor(const QColor& color);
    // Horizontal and vertical alignment (Qt::AlignLeft | Qt::AlignTop ...).
    void SetAlignment(Qt::Alignment alignment);
    Qt::Alignment Alignment() const { return alignment_; }
    void SetWordWrap(bool wrap);
    // Opaque labels fill their rectangle with the background colour first.
    void SetTransparent(bool transparent);
    void SetBackgroundColor(const QColor& color);
    void SetEffects(const TTextEffects& effects);
    const TTextEffects& Effects() const { return effects_; }
    // The character under a point of the label, laid out as it is drawn:
    // the shown text (UTF-8, line breaks as '\n') and the byte offset of the
    // character in it. False between lines or beside the text.
    bool CharacterAt(const QPoint& at, std::string& shown, size_t& byteOffset) const;

    int Tag = 0;
    std::function<void(TfcLabel*)> OnClick;
    std::function<void(TfcLabel*, const QPoint&)> OnClickAt; // with the click's place
    std::function<void(TfcLabel*, int x, int y)> OnMouseMove;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    std::string caption_;
    QColor color_ = Qt::black;
    QColor background_ = Qt::white;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignTop;
    bool wordWrap_ = false;
    bool transparent_ = true;
    TTextEffects effects_;
};

} // namespace tav
