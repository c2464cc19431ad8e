#pragma once
// The student records screen (state 4): the learners of the target's
// profile, best total first; picking one or typing a new name and pressing
// Start signs in (date stamp, session count, LoadStudent) and goes on to the
// main menu. The Delete key removes the picked learner with all results.
#include <QDate>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Screen.h"
#include "toolkit/Timer.h"

namespace tav {

class TForm_Main;
class TImage;
class TPanel;
class TCoolListBox;
class TCoolEdit;
class TfcLabel;
class TZrButton;
class THelpOverlay;

class TForm_StudRec : public TScreen {
    Q_OBJECT
public:
    TForm_StudRec(TForm_Main& main, QWidget* parent);

    // ---- controls
    TImage* fcImager_Background;
    TPanel* Panel_StudRec;
    TImage* Image_StudRec;
    TCoolListBox* ListBox_Names;
    TPanel* Panel_HideScroll;
    TZrButton* EButton_Up;
    TZrButton* EButton_Down;
    TfcLabel* fcLabel_LastUsed;
    TfcLabel* fcLabel_Score;
    TfcLabel* fcLabel_Sessions;
    TImage* Image_Award;
    TZrButton* EButton_Start;
    TCoolEdit* CoolEdit_Name;
    TZrButton* EButton_Back;
    THelpOverlay* Help;
    TTimer Timer_UpDown;

    // Rows the list shows (list height div row height).
    int RowsShown = 0;
    // -1 up, +1 down while an arrow is held, 0 otherwise.
    int ScrollDirection = 0;

    // ---- events
    void ListBox_NamesClick();
    void CoolEdit_NameChange();
    void SignIn();               // Start, a double click on a name, Enter in the name box
    void DeleteSelectedLearner(); // Delete key in the list
    void Timer_UpDownTimer();
    void EButton_BackClick();

    // The warning beep (tests count it).
    std::function<void()> Beep;

    // A learner's total of the four test scores.
    int TotalScoreOf(const std::string& name);

    // Characters (what a reader counts as one, whatever the script), not bytes.
    static constexpr int kNameLength = 28;
    static constexpr int kAwardStripWidth = 57;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The profile section of the learner's results (learners/StudentList.h).
    std::string SectionOf(const std::string& name) const;
    void ShowLearner(const std::string& name);
    void ClearLearner();
    void UpdateStartButton();
    void UpdateHideScroll();
    void StoreNames();
    std::vector<std::string> names() const;

    TForm_Main& main_;
    bool settingName_ = false; // the name box changes because a name was picked
};

} // namespace tav
