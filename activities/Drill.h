#pragma once
// The question-and-answer screen that every activity stands on, with or
// without a film: caption, tick and cross, Back, the help overlay and the
// score spinner that ends a test. It carries the two patterns every activity
// follows:
// - practice: a percentage of right attempts with a light bar and a hint
//   button; Back records the percentage once something was attempted;
// - test: numbered questions, a stopwatch per question that starts when the
//   question's line or word has finished playing and stands still while the
//   help picture is up, a time-out with the sorry picture, +5 / -2 (never
//   below 0), and the end of the test with the jingle, the spinning score
//   and the spoken score.
// The film-line activities add the film (TForm_Activity); the vocabulary
// screens use it as it is. A screen creates its Play button, the parts of
// its pattern (CreatePracticeParts or CreateTestParts) and implements
// NextQuestion and EButton_PlayClick.
#include <QImage>
#include <QPoint>
#include <QPointer>

#include <functional>

#include <cstdint>
#include <string>
#include <vector>

#include "components/HelpOverlay.h"
#include "toolkit/Screen.h"
#include "toolkit/Timer.h"

namespace tav {

class TForm_Main;
class TImage;
class TfcLabel;
class TPanel;
class TZrButton;

// What differs between the practice and test screens of the activities.
struct TActivitySetup {
    bool Test = false;
    int Slot = 0;           // result slot (1 vocabulary, 2 missing word, 3 next line, 4 spelling)
    int Questions = 20;     // test only
    int TimeLimitMs = 10000; // test only
    std::string HelpPicture; // in the help-language folder, e.g. "\wphelp.jpg"
};

// How a screen lays out the shared parts.
struct TDrillLayout {
    QImage Background;
    THelpVariant HelpVariant = THelpVariant::Plain;
    QRect Spinner{48, 68, 188, 185};   // Image_Spinner on the background panel
    QRect EndScore{82, 117, 81, 56};  // fcLabel_EndScore on the background panel
};

// What came of an answer's feedback: the screen may have been deleted while
// its sound played (a screen change queued meanwhile), and then nothing
// more may be done.
enum class TFeedback { Wrong, Right, Gone };

// The two shapes of the practice light bar.
enum class TLightBarShape {
    Vertical,   // 27 x 219, an "off" picture shortened in front of the lit one
    Horizontal, // 219 x 27, the lit picture alone, growing from its left end
};

class TForm_Drill : public TScreen {
    Q_OBJECT
public:
    TForm_Drill(TForm_Main& main, QWidget* parent, const TActivitySetup& setup, const TDrillLayout& layout);
    ~TForm_Drill() override;

    // ---- controls
    TPanel* Panel_Background;
    TImage* Image_Background;
    TfcLabel* fcLabel_Caption; // placed and styled by the screen
    TZrButton* EButton_Play = nullptr; // created by the screen
    TImage* Image_Tick;
    TImage* Image_Cross;
    TZrButton* EButton_Back;
    QWidget* Panel_Spinner = nullptr; // holds the spinner where a screen gives it a panel
    TImage* Image_Spinner;
    TfcLabel* fcLabel_EndScore;
    TTimer Timer_Spinner;
    THelpOverlay* Help;

    // ---- fields
    bool HelpToggled = false;
    int FinalScore = 0;
    int SpinnerFrame = -1;
    QImage SpinnerBitmap;
    // The content cannot give a question; the caption says why.
    bool NoQuestion = false;

    // ---- practice parts (nullptr on test screens)
    TImage* Image_LightsOn = nullptr;
    TImage* Image_LightsOff = nullptr; // vertical bar only
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
    virtual void StartActivity() {}
    // A question of the family: build it and play its line or word.
    virtual void NextQuestion() = 0;
    // Play again what the question asks.
    virtual void EButton_PlayClick() = 0;

    // ---- operations
    void FinishTest(int slot, int score);
    void Timer_SpinnerTimer();

    // ---- feedback
    // Centres the tick or cross on the clicked control and shows it.
    void ShowMark(TImage* mark, const QWidget* on);
    // Right, wrong, boo and jingle: a missing file is reported, the screen goes on.
    // Each returns false when the screen was deleted while a waiting sound played.
    bool PlayCueSound(const std::string& path, bool wait);
    bool PlayRightSound();
    bool PlayWrongSound(bool wait);

    // ---- practice pattern
    void CreatePracticeParts(QPoint lights, QPoint score, QPoint hint,
                             TLightBarShape shape = TLightBarShape::Vertical);
    void CountAttempt(bool right);
    void ShowPercent(int percent);

    // ---- test pattern
    void CreateTestParts(QPoint score, QPoint count, QPoint stopwatch);
    // The test wrapper around the family's question: counts the question
    // and runs the family's NextQuestion, or ends the test after the last.
    // A question that fails while it is built leaves the count as it was.
    void RunTestQuestion(const std::function<void()>& family);
    // An answer in a test: before and after the family's feedback. Begin
    // returns false when the answer must be ignored.
    bool BeginTestAnswer();
    void EndTestAnswer(bool right);
    // After an answer that leaves the question open: the clock runs on as it
    // did, or starts if the question's play has ended (also by the answer).
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

    // ---- plays and their completions
    // Every play the screen starts gets a serial number and a notify object
    // of its own; a completion counts only when it belongs to the current
    // play, so no handler has to run queued events to flush old ones.
    // NewPlay returns the object to name as the play's notify window
    // (nullptr when the play reports nothing).
    QObject* NewPlay(bool reported = true);
    // The screen stops its play: the play counts as ended, and its report,
    // when it comes, is dropped.
    void PlayStopped();
    uint32_t PlaySerial() const { return playSerial_; }
    // The current play has not ended (nor been stopped) yet.
    bool PlayOpen() const { return playOpen_; }
    // A completion of the play with this serial has arrived.
    void PlayReported(uint32_t serial, int outcome);
    // Back (or the end of a test) has sent the screen away: no further question.
    bool LeavingScreen() const { return leaving_; }

    void ScreenReady() override;
    void MessageReceived(int message, intptr_t wParam, intptr_t lParam) override;

protected:
    // The line or word (or a stopped one) has ended; test screens start the clock.
    virtual void PlaybackDone();
    // The family has built its question and is about to play it: a test
    // shows the count and the time and arms the clock.
    void QuestionBuilt();
    // What the screen lets go of before it leaves (the film display).
    virtual void BeforeLeaving() {}
    // A play that will report its end is still running (a replayed line).
    virtual bool PlaybackRunning() const { return false; }
    // The family's question is open for answers (not answered right, not
    // ended, not waiting after a time-out).
    bool AcceptsAnswers() const;
    bool RightAnswerShown = false; // a right answer waits for the next question

    // Held while an answer's feedback runs (its sound waits in a local
    // event loop): no second answer is taken meanwhile.
    class TFeedbackScope {
    public:
        explicit TFeedbackScope(TForm_Drill& screen) : screen_(&screen) { screen.inFeedback_ = true; }
        ~TFeedbackScope() {
            if (screen_) screen_->inFeedback_ = false;
        }
        TFeedbackScope(const TFeedbackScope&) = delete;
        TFeedbackScope& operator=(const TFeedbackScope&) = delete;

    private:
        QPointer<TForm_Drill> screen_;
    };

    void HelpShown();
    void HelpHidden();
    // Goes back to the activities menu (once).
    void Leave();

    TForm_Main& main_;

private:
    void StartClock();
    void InstallSorryHook();
    void RemoveSorryHook();

    TActivitySetup setup_;
    bool sorryHookInstalled_ = false;
    std::function<bool(QObject*, QEvent*)> savedHook_;
    bool leaving_ = false;
    bool ledWasRunning_ = false;
    uint32_t playSerial_ = 0;
    bool playOpen_ = false;
    bool inFeedback_ = false;
    QObject* relay_ = nullptr; // the current play's notify object
};

} // namespace tav
