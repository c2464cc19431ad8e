#pragma once
// Where the 800 x 600 scene goes in a window of any size: as large as the
// window allows with its shape kept, centred, black bars on the two other
// sides. Plain geometry, used by the scene window and its tests.
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

namespace tav {

constexpr QSize kSceneSize{800, 600};

struct TSceneFit {
    double Scale = 1.0; // window pixels per scene pixel
    QPointF Offset;     // the scene's top-left corner in the window
    QSizeF Scene{kSceneSize};

    // The scene's place in the window.
    QRectF Area() const { return {Offset, Scene * Scale}; }
    QPointF ToScene(QPointF windowPoint) const { return (windowPoint - Offset) / Scale; }
    QPointF ToWindow(QPointF scenePoint) const { return scenePoint * Scale + Offset; }
};

// The fit of scene in a window of the given size. An empty window gets
// scale 1 at the corner (nothing is shown; nothing divides by zero).
TSceneFit FitScene(QSizeF window, QSizeF scene = QSizeF(kSceneSize));

// The window a program sizes for itself where no window manager maximises
// it: the largest rectangle of the scene's shape inside the free part of the
// screen, centred on it.
QRect LargestSceneRect(const QRect& available, QSize scene = kSceneSize);

} // namespace tav
