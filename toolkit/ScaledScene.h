#pragma once
// The program's screens may be shown scaled inside the scene window (an
// embedded widget tree with no window of its own). Qt's own mapFromGlobal,
// dialog parenting and grab do not see that scale; these do.
#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QRect>

class QWidget;

namespace tav {

// A point on the screen (an event's global position, the pointer) in the
// widget's own coordinates, through the scale it is shown at.
QPoint MapFromGlobal(const QWidget* widget, QPointF global);

// The window on the screen that shows widget: the scene window when the
// widget is shown scaled inside it, otherwise widget's own window. Dialogs
// take it as their parent, so they open as windows of their own (centred on
// it) instead of being drawn into the scene.
QWidget* DialogOwner(QWidget* widget);

// A picture of area (the whole widget when empty) at the density the
// program's pictures are drawn at, so a snapshot shown in a transition or a
// fade is as sharp as the widget itself on a scaled scene.
QPixmap Snapshot(QWidget* widget, QRect area = {});

} // namespace tav
