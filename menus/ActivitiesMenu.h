#pragma once
// The activities menu: practice and test of the four activities, the
// learner's results and award (with a short star animation), and the
// printing of the award certificate.
#include <QImage>
#include <functional>

#include "toolkit/Screen.h"
#include "toolkit/Timer.h"

namespace tav {

class TForm_Main;
class TImage;
class TfcLabel;
class TZrButton;
class THelpOverlay;

// Set when the activities menu leaves for an activity; acted on when it is
// shown again.
extern bool ActivitiesPoolReset;

// Prints the certificate for a learner and award; the certificate module
// installs it.
using TPrintCertificate = std::function<void(const std::string& studentName, const std::string& awardName)>;
extern TPrintCertificate PrintCertificateHook;

class TForm_ActivitiesMenu : public TScreen {
    Q_OBJECT
public:
    TForm_ActivitiesMenu(TForm_Main& main, QWidget* parent);
    ~TForm_ActivitiesMenu() override;
    void ScreenReady() override;

    TImage* Image_Background;
    TZrButton* EButton_VocabPrac;
    TZrButton* EButton_VocabTest;
    TZrButton* EButton_MissingPrac;
    TZrButton* EButton_MissingTest;
    TZrButton* EButton_NextLinePrac;
    TZrButton* EButton_NextLineTest;
    TZrButton* EButton_SpellPrac;
    TZrButton* EButton_SpellTest;
    TZrButton* EButton_Print;
    TZrButton* EButton_Back;
    TfcLabel* fcLabel_Percent[5] = {}; // [1..4]
    TfcLabel* fcLabel_Score[5] = {};   // [1..4]
    TfcLabel* fcLabel_Total;
    TfcLabel* fcLabel_Name;
    TImage* Image_Stars;
    QWidget* Panel_Star;
    TImage* PaintBox_Star;
    TTimer Timer_Star;
    THelpOverlay* Help;

    QImage StarStrip;
    int StarFrame = -1;
    int StarCycles = 0;
    std::string AwardShown; // the award name A of the last showing

    // Results and award: run when the screen is shown.
    void FormShow();
    void Timer_StarTimer();
    void ShowStarFrame();
    void EButton_PrintClick();
    void ActivityClick(int state);

protected:
    void showEvent(QShowEvent* e) override;

private:
    TForm_Main& main_;
};

} // namespace tav
