#include "toolkit/ListBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

#include "content/UnicodeText.h"

namespace tav {

TCoolListBox::TCoolListBox(QWidget* parent) : QWidget(parent), scrollBar_(new QScrollBar(Qt::Vertical, this)) {
    scrollBar_->hide();
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) { SetTopIndex(value); });
}

QString TCoolListBox::ShownItem(int index) const {
    return index >= 0 && index < Count() ? ToQString(items_[size_t(index)]) : QString();
}

void TCoolListBox::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    itemIndex_ = std::min(itemIndex_, Count() - 1);
    SetTopIndex(topIndex_);
    UpdateScrollBar();
    update();
}

void TCoolListBox::SetItemHeight(int pixels) {
    itemHeight_ = std::max(1, pixels);
    SetTopIndex(topIndex_);
    UpdateScrollBar();
    update();
}

int TCoolListBox::VisibleRows() const { return std::max(1, height() / itemHeight_); }

void TCoolListBox::SetTopIndex(int index) {
    const int top = std::clamp(index, 0, std::max(0, Count() - VisibleRows()));
    if (top == topIndex_) return;
    topIndex_ = top;
    if (scrollBar_->value() != top) scrollBar_->setValue(top);
    update();
}

void TCoolListBox::SetItemIndex(int index) {
    const int i = index < 0 || Count() == 0 ? -1 : std::min(index, Count() - 1);
    if (i == itemIndex_) return;
    itemIndex_ = i;
    update();
}

int TCoolListBox::ItemAtPos(const QPoint& pos) const {
    if (!rect().contains(pos) || (ScrollBarVisible() && pos.x() >= width() - kScrollBarWidth)) return -1;
    const int index = topIndex_ + pos.y() / itemHeight_;
    return index < Count() ? index : -1;
}

void TCoolListBox::SetBackground(const QImage& picture) {
    background_ = picture.copy();
    update();
}

void TCoolListBox::SetBackgroundColor(const QColor& colour) {
    backgroundColour_ = colour;
    update();
}

void TCoolListBox::SetTextColors(const QColor& text, const QColor& selected) {
    text_ = text;
    selected_ = selected;
    update();
}

bool TCoolListBox::ScrollBarVisible() const { return Count() > VisibleRows(); }

void TCoolListBox::UpdateScrollBar() {
    scrollBar_->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
    scrollBar_->setRange(0, std::max(0, Count() - VisibleRows()));
    scrollBar_->setPageStep(VisibleRows());
    scrollBar_->setValue(topIndex_);
    scrollBar_->setVisible(ScrollBarVisible());
}

void TCoolListBox::resizeEvent(QResizeEvent*) {
    SetTopIndex(topIndex_);
    UpdateScrollBar();
}

void TCoolListBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (background_.isNull())
        painter.fillRect(rect(), backgroundColour_);
    else
        painter.drawImage(0, 0, background_);
    const int textWidth = width() - (ScrollBarVisible() ? kScrollBarWidth : 0);
    for (int row = 0; row * itemHeight_ < height(); ++row) {
        const int index = topIndex_ + row;
        if (index >= Count()) break;
        const QRect r(0, row * itemHeight_, textWidth, itemHeight_);
        const bool selected = index == itemIndex_;
        painter.save();
        painter.setClipRect(r);
        if (OnDrawItem) {
            OnDrawItem(this, painter, index, r, selected);
        } else {
            painter.setPen(selected ? selected_ : text_);
            painter.drawText(r.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, ShownItem(index));
        }
        painter.restore();
    }
}

void TCoolListBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const int index = ItemAtPos(e->position().toPoint());
    if (index < 0) return;
    SetItemIndex(index);
    if (OnClick) OnClick(this);
}

void TCoolListBox::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && ItemAtPos(e->position().toPoint()) >= 0 && OnDblClick) OnDblClick(this);
}

void TCoolListBox::wheelEvent(QWheelEvent* e) {
    const int notches = e->angleDelta().y() / 120;
    if (!notches) return;
    if (OnWheel) OnWheel(this, notches);
    else SetTopIndex(topIndex_ - notches);
}

} // namespace tav
