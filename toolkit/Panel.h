#pragma once
// Panels: a borderless container filled with a colour (or clear), and the
// video panel that shows the frames the media engine hands it, stretched to
// the panel as the film display is.
#include <QColor>
#include <QImage>
#include <QWidget>

#include <functional>

namespace tav {

class TPanel : public QWidget {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr, const QColor& colour = QColor());
    // An invalid colour leaves the panel clear: the parent shows through.
    void SetColor(const QColor& colour);
    QColor Color() const { return colour_; }

    int Tag = 0;
    std::function<void(TPanel*)> OnClick;
    std::function<void(TPanel*, int x, int y)> OnMouseMove;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    QColor colour_;
};

class TVideoPanel : public TPanel {
    Q_OBJECT
public:
    explicit TVideoPanel(QWidget* parent = nullptr, const QColor& colour = QColor(0, 0, 128));
    // The current frame; a null image shows the panel's colour.
    void ShowFrame(const QImage& frame);
    void ClearFrame() { ShowFrame(QImage()); }
    const QImage& Frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage frame_;
};

} // namespace tav
