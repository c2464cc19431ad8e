#pragma once
// The multi menu: one content disc with several targets. A picture with one
// button per target; choosing one loads that target and goes to the start
// menu. Back ends the program.
#include <vector>

#include "toolkit/Screen.h"

namespace tav {

class TForm_Main;
class TImage;
class TZrButton;
class TCustomZrImageStrip;

class TForm_MultiMenu : public TScreen {
    Q_OBJECT
public:
    TForm_MultiMenu(TForm_Main& main, QWidget* parent);

    TImage* Image_Background;
    TZrButton* EButton_Back;
    std::vector<TZrButton*> TargetButtons; // one per multi-menu entry, tag = entry index

    void MultiTargetClick(TCustomZrImageStrip* sender);
    void EButton_BackClick();

private:
    TForm_Main& main_;
};

} // namespace tav
