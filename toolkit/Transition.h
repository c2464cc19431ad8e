#pragma once
// Screen transitions drawn from snapshots of the old and the new screen, so
// they run at the display's frame rate without laying out widgets again.
#include <QPixmap>

class QPainter;

namespace tav {

enum TTransition {
    trNone = 0,
    trWipeRight = 1,
    trWipeLeft = 2,
    trWipeOut = 3,
    trWipeIn = 4,
    trBlend = 5,
    trWipeDown = 6,
    trWipeUp = 7,
};

constexpr int kTransitionMs = 500;
constexpr int kWipeBand = 50;

// The transition for a code: codes 8..127 and 0 have none.
TTransition TransitionForCode(int code);

// Paints one frame: progress runs from 0 (old screen) to 1 (new screen).
// Wipes advance in whole 50-pixel bands; the blend fades smoothly.
void PaintTransitionFrame(QPainter& painter, const QPixmap& oldScreen, const QPixmap& newScreen,
                          TTransition effect, double progress);

} // namespace tav
