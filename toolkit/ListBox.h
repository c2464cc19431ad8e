#pragma once
// The owner-drawn list (CoolListBox_*, ListBox_* on the screens): UTF-8
// items in rows of a fixed height over an optional background picture, a
// selected item, a top row the screens scroll themselves (arrow buttons,
// timers), and a 16-pixel scroll bar at the right edge that appears when
// there are more items than rows (screens may cover it with a picture).
#include <QColor>
#include <QImage>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QScrollBar;

namespace tav {

class TCoolListBox : public QWidget {
    Q_OBJECT
public:
    // Paints item `index` in `rect`; without it the list draws the text itself.
    using TDrawItemEvent =
        std::function<void(class TCoolListBox* sender, class QPainter& painter, int index, const QRect& rect, bool selected)>;

    explicit TCoolListBox(QWidget* parent = nullptr);

    void SetItems(std::vector<std::string> items);
    QString ShownItem(int index) const;
    const std::vector<std::string>& Items() const { return items_; }
    int Count() const { return int(items_.size()); }

    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int pixels);
    // Whole rows that fit.
    int VisibleRows() const;

    int TopIndex() const { return topIndex_; }
    // Clamped to 0 .. Count - VisibleRows.
    void SetTopIndex(int index);
    int ItemIndex() const { return itemIndex_; }
    // -1: nothing selected; other values are clamped to the items.
    void SetItemIndex(int index);
    // The item under a point of the list, or -1.
    int ItemAtPos(const QPoint& pos) const;

    void SetBackground(const QImage& picture);
    void SetBackgroundColor(const QColor& colour);
    void SetTextColors(const QColor& text, const QColor& selected);
    bool ScrollBarVisible() const;
    static constexpr int kScrollBarWidth = 16;

    int Tag = 0;
    TDrawItemEvent OnDrawItem;
    std::function<void(TCoolListBox*)> OnClick, OnDblClick;
    // The wheel turned by whole notches (positive: towards the top); without
    // a handler the list scrolls a line per notch itself.
    std::function<void(TCoolListBox*, int notches)> OnWheel;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void UpdateScrollBar();

    std::vector<std::string> items_;
    int itemHeight_ = 16;
    int topIndex_ = 0;
    int itemIndex_ = -1;
    QImage background_;
    QColor backgroundColour_ = Qt::white;
    QColor text_ = Qt::black, selected_ = Qt::red;
    QScrollBar* scrollBar_;
};

} // namespace tav
