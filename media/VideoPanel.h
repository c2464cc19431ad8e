#pragma once
// The widget a player shows its pictures in: it paints the latest frame
// scaled into its picture rectangle (the whole widget unless one is set).
// A frame of a clearly other shape than the rectangle (a 16:9 film in a
// 352 x 288 panel) keeps its shape, centred on black; a frame shrunk into
// the rectangle is averaged down, not sampled, so a sharp film stays clean.
#include <QImage>
#include <QRect>
#include <QWidget>

namespace tav {

class TVideoPanel : public QWidget {
public:
    explicit TVideoPanel(QWidget* parent = nullptr);

    void SetFrame(const QImage& frame);
    void Clear();
    QImage Frame() const { return frame_; }
    // Frames received since creation (tests and diagnostics).
    int FrameCount() const { return frameCount_; }

    // Where inside the widget the picture goes; an empty rectangle means the
    // whole widget.
    void SetPictureRect(const QRect& rect);
    QRect PictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage frame_;
    QImage scaled_;         // frame_ averaged down to the size it is painted at
    qint64 scaledKey_ = 0;  // frame_'s cache key when scaled_ was made
    QRect pictureRect_;
    int frameCount_ = 0;
};

} // namespace tav
