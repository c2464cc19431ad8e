#pragma once
// The build screen: the course the new-course dialog asked for is made by
// the course builder while this screen shows its stage, a bar, the time left
// and Cancel. A cancelled or failed build leaves nothing and says why; a
// finished one opens the new course.
#include <memory>

#include "toolkit/Screen.h"

class QLabel;
class QPushButton;

namespace tav {

class TForm_Main;
class TImage;
class TCourseBuildRun;
struct TBuildProgress;

class TForm_CourseBuild : public TScreen {
    Q_OBJECT
public:
    TForm_CourseBuild(TForm_Main& main, QWidget* parent);
    ~TForm_CourseBuild() override;

    TImage* Image_Background;
    QLabel* Label_Title;
    QLabel* Label_Stage;
    QLabel* Label_Left;
    QWidget* Bar;
    QPushButton* Button_Cancel;

    void ScreenReady() override;
    void CancelClick();
    double Fraction() const { return fraction_; }
    bool Building() const;

    // The stage as the learner reads it: "film parts" -> "Making the film parts".
    static QString StageText(const std::string& stage);
    // "About 3 minutes left", "Less than a minute left", "" while unknown.
    static QString TimeLeftText(int seconds);

private:
    void Progress(const TBuildProgress& p);
    void Done(bool ok, bool cancelled, const std::string& why);
    void Leave();

    TForm_Main& main_;
    std::unique_ptr<TCourseBuildRun> run_;
    double fraction_ = 0;
    bool started_ = false;
};

} // namespace tav
