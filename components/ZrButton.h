#pragma once
// Picture buttons. TCustomZrImageStrip shows one frame of a strip picture that
// holds NumImages equal frames across (or down, when Vertical); it sizes
// itself to one frame. TZrButton shows frame 0 normal, 1 disabled, 2 pressed
// and 3 with the pointer over it, and raises the screens' mouse events.
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <functional>

namespace tav {

class TCustomZrImageStrip : public QWidget {
    Q_OBJECT
public:
    // Event handlers in the screens' style: the sender comes first; x, y are
    // in the control's own coordinates.
    using TNotifyEvent = std::function<void(TCustomZrImageStrip* sender)>;
    using TMouseEvent = std::function<void(TCustomZrImageStrip* sender, Qt::MouseButton button,
                                           Qt::KeyboardModifiers shift, int x, int y)>;
    using TMouseMoveEvent =
        std::function<void(TCustomZrImageStrip* sender, Qt::KeyboardModifiers shift, int x, int y)>;

    explicit TCustomZrImageStrip(QWidget* parent = nullptr);

    // The strip; assigning copies it. An empty image clears it.
    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);

    int NumImages() const { return numImages_; }
    void SetNumImages(int n); // below 1 counts as 1
    bool Vertical() const { return vertical_; }
    void SetVertical(bool vertical);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);

    int Rows() const { return rows_; }
    int Columns() const { return columns_; }
    int FrameIndex() const { return frameIndex_; }
    // Picture width div Columns, height div Rows (logical pixels).
    QSize FrameSize() const;
    QSize PictureSize() const;
    // The strip's transparent colour: its bottom-left pixel (RGB).
    QRgb TransparentColor() const;
    // True while the control is counted as opaque (its parent need not paint behind it).
    bool Opaque() const { return opaque_; }

    // Shows frame n; ignored when n >= NumImages or n is the current frame.
    void SelectFrame(int n);

    int Tag = 0;
    TNotifyEvent OnClick, OnDblClick;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    // Runs when the picture or Transparent changes and after SelectFrame.
    virtual void PictureChanged();
    // The size auto-sizing gives; returns false to keep the current size.
    virtual bool CanAutoSize(int& newWidth, int& newHeight) const;

    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void RecomputeLayout();
    void ApplyAutoSize();

    QImage picture_;
    QPixmap drawn_; // the strip ready to paint (transparent colour masked out)
    bool transparent_ = false;
    bool drawing_ = false;
    int numImages_ = 4;
    int rows_ = 1, columns_ = 4;
    int frameIndex_ = 0;
    bool vertical_ = false;
    bool autoSize_ = true;
    bool opaque_ = false;
    bool pressedForClick_ = false;
};

class TZrButton : public TCustomZrImageStrip {
    Q_OBJECT
public:
    explicit TZrButton(QWidget* parent = nullptr);

    bool Down() const { return down_; }
    bool Hot() const { return hot_; }
    // Only while enabled: set the flag and show the matching frame.
    void SetDown(bool down);
    void SetHot(bool hot);
    // Frame 2 when Down, else 3 when Hot, else 0 enabled / 1 disabled.
    void UpdateFrame();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    bool down_ = false;
    bool hot_ = false;
};

} // namespace tav
