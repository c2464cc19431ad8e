#include "toolkit/ScaledScene.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QWidget>

#include <algorithm>

#include "toolkit/Skin.h"

namespace tav {

namespace {

QGraphicsView* HostView(const QWidget* widget, QGraphicsProxyWidget** proxy) {
    if (!widget) return nullptr;
    QGraphicsProxyWidget* p = widget->window()->graphicsProxyWidget();
    if (!p || !p->scene() || p->scene()->views().isEmpty()) return nullptr;
    if (proxy) *proxy = p;
    return p->scene()->views().constFirst();
}

} // namespace

QPoint MapFromGlobal(const QWidget* widget, QPointF global) {
    if (!widget) return global.toPoint();
    QGraphicsProxyWidget* proxy = nullptr;
    QGraphicsView* view = HostView(widget, &proxy);
    if (!view) return widget->mapFromGlobal(global).toPoint();
    const QPointF inView = view->viewport()->mapFromGlobal(global);
    const QPointF inWindow = proxy->mapFromScene(view->viewportTransform().inverted().map(inView));
    return widget->mapFrom(widget->window(), inWindow).toPoint();
}

QWidget* DialogOwner(QWidget* widget) {
    if (QGraphicsView* view = HostView(widget, nullptr)) return view->window();
    return widget ? widget->window() : nullptr;
}

QPixmap Snapshot(QWidget* widget, QRect area) {
    if (area.isEmpty() && widget) area = widget->rect();
    const qreal density = std::max<qreal>(1.0, skin::PictureScale());
    QPixmap shot((QSizeF(area.size()) * density).toSize());
    shot.setDevicePixelRatio(density);
    shot.fill(Qt::black);
    if (widget) widget->render(&shot, QPoint(), QRegion(area));
    return shot;
}

} // namespace tav
