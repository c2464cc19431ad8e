#include "toolkit/Transition.h"

#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>

namespace tav {

TTransition TransitionForCode(int code) {
    code &= 0x7F;
    return (code >= 1 && code <= 7) ? static_cast<TTransition>(code) : trNone;
}

namespace {

// Number of whole bands revealed of `total` bands at `progress`.
int BandsShown(double progress, int total) {
    int n = static_cast<int>(std::floor(progress * total + 1e-9));
    return std::clamp(n, 0, total);
}

// The part of the frame that already shows the new screen.
QRegion RevealedRegion(TTransition effect, double progress, int w, int h) {
    switch (effect) {
    case trWipeRight: {
        int n = BandsShown(progress, (w + kWipeBand - 1) / kWipeBand);
        return QRegion(0, 0, std::min(w, n * kWipeBand), h);
    }
    case trWipeLeft: {
        int n = BandsShown(progress, (w + kWipeBand - 1) / kWipeBand);
        int x = std::max(0, w - n * kWipeBand);
        return QRegion(x, 0, w - x, h);
    }
    case trWipeDown: {
        int n = BandsShown(progress, (h + kWipeBand - 1) / kWipeBand);
        return QRegion(0, 0, w, std::min(h, n * kWipeBand));
    }
    case trWipeUp: {
        int n = BandsShown(progress, (h + kWipeBand - 1) / kWipeBand);
        int y = std::max(0, h - n * kWipeBand);
        return QRegion(0, y, w, h - y);
    }
    case trWipeOut:
    case trWipeIn: {
        // A rectangle about the centre whose half-width grows (outwards) or
        // shrinks (inwards) one band per step; the height keeps the aspect.
        int steps = (w / 2 + kWipeBand - 1) / kWipeBand;
        int n = BandsShown(progress, steps);
        int half = effect == trWipeOut ? n * kWipeBand : (steps - n) * kWipeBand;
        int hw = std::min(w / 2, half);
        int hh = std::min(h / 2, static_cast<int>(std::lround(half * double(h) / w)));
        QRegion centre(w / 2 - hw, h / 2 - hh, 2 * hw, 2 * hh);
        if (effect == trWipeOut) return n >= steps ? QRegion(0, 0, w, h) : centre;
        return n >= steps ? QRegion(0, 0, w, h) : QRegion(0, 0, w, h).subtracted(centre);
    }
    default:
        return progress >= 1.0 ? QRegion(0, 0, w, h) : QRegion();
    }
}

} // namespace

void PaintTransitionFrame(QPainter& painter, const QPixmap& oldScreen, const QPixmap& newScreen,
                          TTransition effect, double progress) {
    progress = std::clamp(progress, 0.0, 1.0);
    // Snapshots may be denser than the screen (drawn at the scene's scale):
    // the bands are laid out in screen pixels.
    const QSizeF oldSize = oldScreen.deviceIndependentSize(), newSize = newScreen.deviceIndependentSize();
    const int w = int(std::lround(std::max(oldSize.width(), newSize.width())));
    const int h = int(std::lround(std::max(oldSize.height(), newSize.height())));
    painter.fillRect(0, 0, w, h, Qt::black);
    painter.drawPixmap(0, 0, oldScreen);
    if (effect == trBlend) {
        painter.setOpacity(progress);
        painter.drawPixmap(0, 0, newScreen);
        painter.setOpacity(1.0);
        return;
    }
    QRegion shown = RevealedRegion(effect, progress, w, h);
    if (shown.isEmpty()) return;
    painter.save();
    painter.setClipRegion(shown);
    painter.drawPixmap(0, 0, newScreen);
    painter.restore();
}

} // namespace tav
