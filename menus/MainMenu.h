#pragma once
// The main menu: the screenplay viewer, the film quiz, the recording studio,
// the dictionary, the word search and the activities menu. Its first showing
// creates the film clip pool; coming back from screens that used the pool
// heavily resets it.
#include "toolkit/Screen.h"

namespace tav {

class TForm_Main;
class TImage;
class TfcLabel;
class TZrButton;
class THelpOverlay;

// Set when the main menu leaves for the screenplay viewer, word search,
// dictionary or film quiz; acted on when it is shown again.
extern bool MainPoolReset;

class TForm_MainMenu : public TScreen {
    Q_OBJECT
public:
    TForm_MainMenu(TForm_Main& main, QWidget* parent);
    void ScreenReady() override;

    TImage* Image_Background;
    TZrButton* EButton_Activities;
    TZrButton* EButton_ScreenPlay;
    TZrButton* EButton_MovieQuiz;
    TZrButton* EButton_Record;
    TZrButton* EButton_Dictionary;
    TZrButton* EButton_WordSearch;
    TZrButton* EButton_Back;
    TfcLabel* fcLabel_Name;
    THelpOverlay* Help;

    // The seven buttons: detach the film display, then go.
    void Leave(int state, int transition, bool resetPool);

private:
    TForm_Main& main_;
};

} // namespace tav
