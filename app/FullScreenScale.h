#pragma once
// "800"/"force": the scale factor Qt is given so that the 800 x 600 program
// fills the screen with its aspect kept.
#include <QByteArray>
#include <QSize>

namespace tav {

// The user's own QT_SCALE_FACTOR value; 1 when unset or not a positive number.
double UserScaleFactor(const QByteArray& value);

// The factor to put in QT_SCALE_FACTOR. screenSize is the screen as Qt reported
// it while the user's factor was in effect, so the fit is multiplied by it.
// 0 when the screen size is unknown.
double FullScreenScaleFactor(QSize screenSize, double userFactor);

} // namespace tav
