#pragma once
// The start menu: start (sign in, or straight to the main menu in remote
// mode), the help language, the read-me and licence texts, the information
// web page, a new course from the learner's own film, and the way out (to
// the course menu when there are courses to choose from).
#include "toolkit/Screen.h"

class QPlainTextEdit;
class QPushButton;

namespace tav {

class TForm_Main;
class TImage;
class TPanel;
class TZrButton;
class THelpOverlay;

class TForm_StartMenu : public TScreen {
    Q_OBJECT
public:
    TForm_StartMenu(TForm_Main& main, QWidget* parent);

    TImage* fcImager_Background;
    TPanel* Panel_Dim;          // lowers the background's lightness behind the text panel
    QWidget* PaintBox_Version;  // top-left corner: the version as a tooltip
    TZrButton* EButton_Start;
    TZrButton* EButton_Flag;
    TZrButton* EButton_ReadMe;
    TZrButton* EButton_Info;
    TZrButton* EButton_Licence;
    TZrButton* EButton_Back;
    QPushButton* Button_NewCourse; // "New course from a film…" (not in remote mode)
    TPanel* Panel_HideButtons;
    QWidget* Panel_Text;
    TImage* Image_Text;
    QPlainTextEdit* Memo_Text;
    QWidget* PaintBox_ExitText;
    THelpOverlay* Help;

    void EButton_StartClick();
    void EButton_FlagClick();
    void EButton_ReadMeClick();
    void EButton_InfoClick();
    void EButton_LicenceClick();
    void EButton_BackClick();
    void NewCourseClick();
    void PaintBox_ExitTextClick();
    // Shows a text file (Mac text) in the text panel over the darkened menu.
    void ShowTextFile(const std::string& fileName);
    bool TextPanelShown() const;

private:
    TForm_Main& main_;
};

} // namespace tav
