#pragma once
// The film quiz: a game show of twenty questions on film scenes against an
// animated opponent. Each question shows a still of its film range, the
// opponent looks up, the range plays, the question and its three answers are
// spoken one after the other; whoever clicks the right answer first wins 50
// points. The opponent is one clip whose named sections play as its actions
// and it answers after a delay that follows the learner's reaction times.
//
// The game is a small state engine: twenty states, each with an entry action,
// and three pending transitions taken when the question's film range, a
// notifying sound or the opponent's action completes.
//
// Completions never need flushing: each film range and notifying sound
// reports to a receiver of its own that carries the play serial in force
// when it started, and every state change moves the serial on, so a report
// of an earlier play finds nothing. No handler lets queued messages run; the
// waits of blocking plays (which do) are checked afterwards: the step goes
// on only while the screen is alive, not being left, and still at the same
// serial.
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "games/QuizData.h"
#include "toolkit/Screen.h"
#include "toolkit/Timer.h"

class QVariantAnimation;

namespace tav {

class TForm_Main;
class TZrButton;
class TZrMCIMedia;
class TImage;
class TPanel;
class TfcLabel;
class THelpOverlay;

// An invisible click area (the answer areas) or a painted area (the round
// animation): the screen's PaintBox_ controls.
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget* parent);
    int Tag = 0;
    std::function<void(TPaintBox*)> OnClick;
    std::function<void(QPainter&)> OnPaint;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    bool pressed_ = false;
};

struct TChangeState {
    std::function<void()> OnEnter, OnLeave;
};

class TForm_Quiz : public TScreen {
    Q_OBJECT
public:
    TForm_Quiz(TForm_Main& main, QWidget* parent);
    ~TForm_Quiz() override;

    void ScreenReady() override;

    static constexpr int kPointsPerQuestion = 50;
    static constexpr int kQuestionsPerRound = 5;
    static constexpr int kStartDelayMs = 5000, kMaxDelayMs = 5000;

    // ---- controls
    TImage* Image_Background;
    TImage* Image_Player2;
    TZrMCIMedia* ZrMedia_Player2;
    TImage* Image_Podium;
    TPanel* Panel_Player2Score;
    TImage *Image_P2K, *Image_P2H, *Image_P2T;
    TPanel* Panel_Player1Score;
    TImage *Image_P1K, *Image_P1H, *Image_P1T;
    TPanel* Panel_Video;
    TImage* Image_Video;
    TImage* Image_Slide; // the winner picture while it slides in
    TPaintBox* PaintBox_Video;
    TfcLabel *fcLabel_Score1, *fcLabel_Score2;
    TfcLabel* fcLabel_Caption;
    std::array<TfcLabel*, 4> fcLabel_Ans{};  // [1..3]: A, B, C
    std::array<TImage*, 4> Markers{};        // [1..3]: Image_A, Image_B, Image_C
    std::array<TPaintBox*, 4> PaintBox_Ans{}; // [1..3]
    TfcLabel* fcLabel_Name;
    TZrButton* EButton_Back;
    THelpOverlay* Help;
    std::vector<QImage> ImageList_P1Score, ImageList_P2Score;
    TTimer Timer_RoundAnim, Timer_Player2, Timer_Flash;
    QVariantAnimation* SlideAnimation = nullptr;

    // ---- fields
    std::vector<TQuizEntry> Questions;
    std::string QuestionPool;
    TQuizEntry CurrentQuestion;
    std::vector<TPlayer2Entry> Actions;
    std::string CurrentAction;
    std::string OpponentName;
    bool HasPodium = false;
    int LearnerScore = 0, OpponentScore = 0;
    int QuestionCount = 0;
    int QuestionsPerGame = 20;
    int State = 0;
    int WelcomeStep = 0; // which sound of the welcome state 1 plays next
    int EndStep = 0;     // which sound of the game's end (states 19 and 20) plays next
    std::string EndResult; // the winner's words, drawn when the game ends
    int OnClipDone = 0, OnSoundDone = 0, OnOpponentDone = 0;
    std::array<TChangeState, 21> StateTable{}; // [1..20]
    QImage RoundStrip;
    int RoundPhase = 0, RoundFrame = -1;
    std::string AnswerOrder = "a";
    std::array<int, 4> AnswerAt{}; // [1..3]: answer number shown at A, B, C
    int CorrectPos = 0;
    int LearnerChoice = 0, OpponentChoice = 0;
    bool LookingUp = false, Thinking = false, AnswersEarly = false, WillBeWrong = false, ShortAnswer = false;
    int OpponentDelay = kStartDelayMs;
    uint32_t ReactionStart = 0;
    bool Leaving = false;
    bool SeedPending = true;
    // Moved on by ClearPending; the plays started since carry it.
    uint32_t PlaySerial = 0;

    // ---- operations
    void LoadQuiz(const std::string& fileName);
    void LoadOpponentScript(const std::string& fileName);
    void PickQuestion();
    void PlayOpponentAction(const std::string& name);
    void PlayQuestionClip(bool notify);
    void SetLearnerScore(int value);
    void SetOpponentScore(int value);
    void ClearPending();
    void ChangeState(int newState);
    void StartGame();
    void ReadAnswer(int position);
    // The answer order "a" (1, 2, 3 at A, B, C) or "b" (3, 1, 2) with the
    // right answer's position.
    void SetAnswerOrder(const std::string& order);
    // The end of a film range (kind 1) or a notifying sound (kind 2) started
    // under `serial`; outcome and device as MM_MCINOTIFY carries them.
    void PlayDone(int kind, uint32_t serial, intptr_t outcome, intptr_t device);

    // ---- events
    void ZrMedia_Player2MediaComplete();
    void ZrMedia_Player2MediaFailed();
    void Timer_RoundAnimTimer();
    void PaintBox_VideoPaint(QPainter& painter);
    void Timer_FlashTimer();
    void Timer_Player2Timer();
    void PaintBox_AnsAClick(int position);
    void EButton_BackClick();

    // ---- the states' entry actions
    void Welcome();
    void QuestionStart();
    void ShowQuestion();
    void PlayClip();
    void AskQuestion();
    void ReadAnswerA();
    void ReadAnswerB();
    void ReadAnswerC();
    void AllRead();
    void OpponentWrong();
    void LearnerWrong();
    void LearnerRight();
    void OpponentRight();
    void BothWrongLearnerLast();
    void BothWrongOpponentLast();
    void LearnerScores();
    void OpponentScores();
    void QuestionOver();
    void GameOver();
    void Goodbye();

private:
    std::string Program(const std::string& name) const;
    std::string Target(const std::string& name) const;
    std::string Numbered(const std::string& stem, int count) const; // target "\quiz\miscq\" stem + 1..count + ".aif"
    // Shows one film picture, waiting for it: false when the step that asked
    // must stop (the screen is gone or being left, or the game moved on).
    bool ShowStill(int frame);
    bool StillCurrent(const QPointer<TForm_Quiz>& alive, uint32_t serial) const;
    // A receiver for the completion of a play started now.
    QObject* PlayReceiver(int kind);
    void PlayNotifying(const std::string& path);
    void PlayPlain(const std::string& path);
    void StopOpponentTimer();
    void StartOpponentTimer();
    // Stop the timer, drop thinking, stop sounds in NT mode, play the cue.
    void Verdict(const std::string& cue);
    void ShowAllAnswers();
    void ShowScoreLabels(bool setFonts);
    void SlideInWinner(const QImage& picture);

    std::vector<QPointer<QObject>> receivers_;

    TForm_Main& main_;
};

} // namespace tav
