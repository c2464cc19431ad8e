#include "app/FullScreenScale.h"

#include <algorithm>

namespace tav {

double UserScaleFactor(const QByteArray& value) {
    bool ok = false;
    const double factor = value.trimmed().toDouble(&ok);
    return ok && factor > 0.0 ? factor : 1.0;
}

double FullScreenScaleFactor(QSize screenSize, double userFactor) {
    if (screenSize.width() <= 0 || screenSize.height() <= 0 || userFactor <= 0.0) return 0.0;
    return userFactor * std::min(screenSize.width() / 800.0, screenSize.height() / 600.0);
}

} // namespace tav
