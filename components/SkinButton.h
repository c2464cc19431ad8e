#pragma once
// Screens' built-in buttons in one call: a TZrButton with the skin's
// four-frame strip for its role, placed and tagged.
#include <QMargins>
#include <QPoint>
#include <QSize>

#include <string>

#include "components/ZrButton.h"

namespace tav {

// role is the button's name after "EButton_" ("Back", "Play", "VocabTest" ...,
// see skin::NamedButtonStrip); size is the button's own size (one frame).
TZrButton* CreateSkinButton(QWidget* parent, const std::string& role, QPoint pos, QSize size, int tag = 0);

// The same with the plate drawn smaller inside the button's rectangle and the
// margins left clear: for buttons whose rectangles overlap a neighbour's or
// cover a caption of the background. Clicks on the clear margins go through
// to what lies below.
TZrButton* CreateInsetSkinButton(QWidget* parent, const std::string& role, QPoint pos, QSize size, int tag,
                                 QMargins margins);

} // namespace tav
