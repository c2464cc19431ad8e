#pragma once
// The practice screens' light bars. The vertical light bar (27 x 219): twenty lamps, one per
// 5 %, laid out on the same 11-pixel steps by which the "off" picture in
// front of the lit one is shortened, so a lamp is always lit whole.
#include <QImage>

namespace tav {

constexpr int kLightBarWidth = 27, kLightBarHeight = 219;

// The height of the "off" picture for a percentage: 0 at 100 %, otherwise
// 223 - 11 per full 5 % (no higher than the bar).
int LightsOffHeight(int percent);

QImage ActivityLightBar(bool on);

// The horizontal bar (219 x 27) of the vocabulary practice: the lit picture
// alone, its lamps on the same 11-pixel steps from the left.
QImage HorizontalLightBar();
// Its lit width for a percentage: 219 at 100 %, otherwise 11 per full 5 %
// less 4 (not positive below 5 %: nothing shows).
int LightsOnWidth(int percent);

} // namespace tav
