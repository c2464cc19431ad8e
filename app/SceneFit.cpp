#include "app/SceneFit.h"

#include <algorithm>
#include <cmath>

namespace tav {

TSceneFit FitScene(QSizeF window, QSizeF scene) {
    TSceneFit fit;
    fit.Scene = scene;
    if (window.width() <= 0 || window.height() <= 0 || scene.isEmpty()) return fit;
    fit.Scale = std::min(window.width() / scene.width(), window.height() / scene.height());
    fit.Offset = QPointF((window.width() - scene.width() * fit.Scale) / 2, (window.height() - scene.height() * fit.Scale) / 2);
    return fit;
}

QRect LargestSceneRect(const QRect& available, QSize scene) {
    if (available.isEmpty() || scene.isEmpty()) return QRect(available.topLeft(), scene);
    const TSceneFit fit = FitScene(QSizeF(available.size()), QSizeF(scene));
    // Whole pixels, never past the free area; the shape is kept to a pixel.
    const int w = std::min(available.width(), int(std::lround(scene.width() * fit.Scale)));
    const int h = std::min(available.height(), int(std::lround(scene.height() * fit.Scale)));
    return QRect(available.x() + (available.width() - w) / 2, available.y() + (available.height() - h) / 2, w, h);
}

} // namespace tav
