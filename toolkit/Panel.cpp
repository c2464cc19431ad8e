#include "toolkit/Panel.h"

#include <QMouseEvent>
#include <QPainter>

namespace tav {

TPanel::TPanel(QWidget* parent, const QColor& colour) : QWidget(parent), colour_(colour) {}

void TPanel::SetColor(const QColor& colour) {
    colour_ = colour;
    update();
}

void TPanel::paintEvent(QPaintEvent*) {
    if (!colour_.isValid()) return;
    QPainter painter(this);
    painter.fillRect(rect(), colour_);
}

void TPanel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && OnClick) OnClick(this);
}

void TPanel::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove) OnMouseMove(this, int(e->position().x()), int(e->position().y()));
}

} // namespace tav
