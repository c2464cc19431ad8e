#pragma once
// The icons of the screenplay viewer's line tools, drawn in the skin's style
// (cream line drawings on the night-blue plate; gold when a toggle is on).
#include <QImage>

namespace tav {

enum class TLineTool { PrevLine, Replay, NextLine, Loop, Slow75, Slow50, AutoPause, Translation, MyWords };

// The four-frame button strip of a line tool at w x h; lit for a toggle that is on.
QImage LineToolStrip(TLineTool tool, int w, int h, bool lit = false);

} // namespace tav
