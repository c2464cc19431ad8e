#pragma once
// Panels: a borderless container filled with a colour (or clear). The film's
// video panel is the media layer's TVideoPanel.
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


} // namespace tav
