#pragma once
// The picture control (Image_* on the screens): shows a picture at its natural
// size (top-left) or stretched over the control, optionally through a
// clipped view of part of the picture, optionally transparent (colour key:
// the picture's bottom-left pixel). It raises the screens' mouse events.
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <string>

namespace tav {

class TImage : public QWidget {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TImage* sender)>;
    using TMouseEvent =
        std::function<void(TImage* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TImage* sender, Qt::KeyboardModifiers shift, int x, int y)>;

    explicit TImage(QWidget* parent = nullptr);

    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);
    // Loads through the program's picture loader; its error passes on.
    void LoadFromFile(const std::string& programPath);

    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    // With AutoSize the control takes the picture's (or the view's) size.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // Shows only this part of the picture (null: the whole picture).
    QRect View() const { return view_; }
    void SetView(const QRect& view);

    // The picture's bottom-left pixel (RGB), the transparent colour.
    QRgb TransparentColor() const;
    // The RGB value (low 24 bits) of the picture pixel under control point
    // (x, y), or -1 outside the picture.
    int64_t PixelAt(int x, int y) const;
    // True where the control shows no picture pixel or a transparent one.
    bool IsTransparentAt(int x, int y) const;

    int Tag = 0;
    TNotifyEvent OnClick, OnDblClick;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void Changed();
    QRect SourceRect() const;
    QPoint PicturePoint(int x, int y) const;
    QPoint DevicePoint(const QPoint& logical) const;

    QImage picture_;
    QPixmap drawn_;
    QRect view_;
    bool stretch_ = false;
    bool transparent_ = false;
    bool autoSize_ = false;
    bool pressedForClick_ = false;
};

// Covers `panel` with a picture of what it shows now (in `cover` when given,
// else in a new image), so what is inside can be taken away without the
// panel going blank: a film display handed back while its screen leaves.
TImage* CoverWithSnapshot(QWidget* panel, TImage* cover = nullptr);

// A new image child of parent at r showing picture: the way screens lay out
// their pictures.
TImage* MakeImage(QWidget* parent, const QRect& r, const QImage& picture = QImage(), bool transparent = false);

} // namespace tav
