#pragma once
// The film-line activity screen that the missing-word, spelling and
// next-line activities share: the video panel with its caption, Play and
// volume, tick and cross, the help overlay, Back, and the score spinner that
// ends a test. It also carries the two patterns every activity follows:
// - practice: a percentage of right attempts with a light bar and a hint
//   button; Back records the percentage once something was attempted;
// - test: numbered questions, a stopwatch per question that starts when the
//   line has finished playing and stands still while the help picture is
//   up, a time-out with the sorry picture, +5 / -2 (never below 0), and the
//   end of the test with the jingle, the spinning score and the spoken score.
// A family screen creates the parts of its pattern with CreatePracticeParts
// or CreateTestParts and implements NextQuestion.
#include <QImage>
#include <QPoint>

#include <functional>

#include <cstdint>
#include <string>
#include <vector>

#include "content/TargetIndex.h"
#include "toolkit/Screen.h"
#include "toolkit/Timer.h"

namespace tav {

class TForm_Main;
class TImage;
class TfcLabel;
class TPanel;
class TZrButton;
class THelpOverlay;
class TVolumeControl;

// What differs between the practice and test screens of the activities.
struct TActivitySetup {
    bool Test = false;
    int Slot = 0;           // result slot (1 vocabulary, 2 missing word, 3 next line, 4 spelling)
    int Questions = 20;     // test only
    int TimeLimitMs = 10000; // test only
    std::string HelpPicture; // in the help-language folder, e.g. "\wphelp.jpg"
};

class TForm_Activity : public TScreen {
    Q_OBJECT
public:
    TForm_Activity(TForm_Main& main, QWidget* parent, const TActivitySetup& setup);
    ~TForm_Activity() override;

    // ---- controls
    TPanel* Panel_Background;
    TImage* Image_Background;
    QWidget* Panel_Video;
    TfcLabel* fcLabel_Caption;
    TZrButton* EButton_Play;
    TZrButton* EButton_Volume;
    TVolumeControl* Volume;
    TImage* Image_Tick;
    TImage* Image_Cross;
    TZrButton* EButton_Back;
    TImage* Image_Spinner;
    TImage* Image_Still = nullptr; // the film's last picture, shown while the screen leaves
    TfcLabel* fcLabel_EndScore;
    TTimer Timer_Spinner;
    THelpOverlay* Help;

    // ---- fields
    bool HelpToggled = false;
    const TMovieEntry* CurrentLine = nullptr;
    int FinalScore = 0;
    int SpinnerFrame = -1;
    QImage SpinnerBitmap;
    // The content cannot give a question; the caption says why.
    bool NoQuestion = false;

    // ---- practice parts (nullptr on test screens)
    TImage* Image_LightsOn = nullptr;
    TImage* Image_LightsOff = nullptr;
    TfcLabel* fcLabel_Score = nullptr; // practice percentage or test score
    TZrButton* EButton_Hint = nullptr;
    int Attempts = 0, RightAnswers = 0, Percent = 0;

    // ---- test parts (nullptr on practice screens)
    TfcLabel* fcLabel_Count = nullptr;
    TPanel* Panel_Stopwatch = nullptr;
    TImage* Image_SecHi = nullptr;
    TImage* Image_SecLo = nullptr;
    TImage* Image_HunHi = nullptr;
    TImage* Image_HunLo = nullptr;
    std::vector<QImage> ImageList_LED;
    TTimer Timer_LED;
    TPanel* Panel_Sorry = nullptr;
    TImage* Image_Sorry = nullptr;
    int Score = 0, QuestionNumber = 0, TimeLeft = 0;
    int TimeLimit = 0; // of the current question, ms; the setup's unless the family sets its own
    bool Answered = false;
    bool ClockArmed = false, ClockStarted = false;
    uint32_t ClockStart = 0, PauseStart = 0;
    bool ClockPaused = false; // PauseStart holds a pause (a tick count may be 0)
    bool Finishing = false;   // FinishTest has run: the spinner and the way out
    bool SorryShown = false;  // the time-out picture waits for a click

    const TActivitySetup& Setup() const { return setup_; }
    TForm_Main& Main() const { return main_; }

    // ---- virtual operations
    virtual void StartActivity();
    // A question of the family: build it and play its line.
    virtual void NextQuestion() = 0;

    // ---- operations
    void PlayLine(bool notify, bool wait);
    void EButton_PlayClick();
    void FinishTest(int slot, int score);
    void Timer_SpinnerTimer();
    // Detaches the film display for leaving, its last picture left in place.
    void LeaveFilm();

    // ---- feedback
    // Centres the tick or cross on the clicked control and shows it.
    void ShowMark(TImage* mark, const QWidget* on);
    // Right, wrong, boo and jingle: a missing file is reported, the screen goes on.
    void PlayCueSound(const std::string& path, bool wait);
    void PlayRightSound();
    void PlayWrongSound(bool wait);

    // ---- practice pattern
    void CreatePracticeParts(QPoint lights, QPoint score, QPoint hint);
    void CountAttempt(bool right);
    void ShowPercent(int percent);

    // ---- test pattern
    void CreateTestParts(QPoint score, QPoint count, QPoint stopwatch);
    // The test wrapper around the family's question; false when the test ended.
    bool BeginTestQuestion();
    void EndTestQuestion();
    // An answer in a test: before and after the family's feedback. Begin
    // returns false when the answer must be ignored.
    bool BeginTestAnswer();
    void EndTestAnswer(bool right);
    // After an answer that leaves the question open: the clock runs on as it did.
    void ResumeClock();
    void ShowScore(int score);
    void ShowTimeLeft(int ms);
    void Timer_LEDTimer();
    void TimeOut();
    void DismissSorry();

    // ---- Back
    void EButton_BackClick();

    // Puts a shortage of content on the caption instead of a question.
    void ShowNoQuestion(const std::string& why);

    void ScreenReady() override;
    void MessageReceived(int message, intptr_t wParam, intptr_t lParam) override;

protected:
    // The line (or a stopped line) has ended; test screens start the clock.
    virtual void PlaybackDone();
    // The family's question is open for answers (not answered right, not
    // ended, not waiting after a time-out).
    bool AcceptsAnswers() const;
    bool RightAnswerShown = false; // a right answer waits for the next question

    void HelpShown();
    void HelpHidden();

private:
    void StartClock();
    void InstallSorryHook();
    void RemoveSorryHook();

    TForm_Main& main_;
    TActivitySetup setup_;
    bool sorryHookInstalled_ = false;
    std::function<bool(QObject*, QEvent*)> savedHook_;
    bool leaving_ = false;
    bool ledWasRunning_ = false;
    bool answering_ = false;               // between BeginTestAnswer and EndTestAnswer
    bool lineEndedWhileAnswering_ = false; // the stopped line reported during the feedback
};

} // namespace tav
