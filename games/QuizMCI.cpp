#include "games/QuizMCI.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>

#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "components/SkinButton.h"
#include "components/ZrButton.h"
#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "games/QuizMedia.h"
#include "media/ZrMedia.h"
#include "components/HelpOverlay.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/PictureLoader.h"
#include "toolkit/Skin.h"
#include "toolkit/Transition.h"

namespace tav {

namespace {

constexpr int kRoundFrameW = 128, kRoundFrameH = 187;
constexpr int kVideoW = 292, kVideoH = 188;
constexpr int kScoreFontPx = 26;

TfcLabel* MakeLabel(QWidget* parent, const QRect& r, const QFont& font, const QColor& ink, Qt::Alignment align) {
    auto* label = new TfcLabel(parent);
    label->setGeometry(r);
    label->SetLabelFont(font);
    label->SetFontColor(ink);
    label->SetAlignment(align);
    return label;
}

// Receives the completion of one play and hands it to the screen with the
// serial the play was started under.
class TQuizPlay : public QObject {
public:
    TQuizPlay(TForm_Quiz* quiz, int kind, uint32_t serial) : QObject(quiz), quiz_(quiz), kind_(kind), serial_(serial) {}

protected:
    bool event(QEvent* e) override {
        const TMessageEvent* m = AsMessage(e, MM_MCINOTIFY);
        if (!m) return QObject::event(e);
        const QPointer<TForm_Quiz> quiz = quiz_;
        const int kind = kind_;
        const uint32_t serial = serial_;
        const intptr_t outcome = m->WParam(), device = m->LParam();
        if (quiz) RunGuarded([&] { quiz->PlayDone(kind, serial, outcome, device); });
        return true;
    }

private:
    QPointer<TForm_Quiz> quiz_;
    int kind_;
    uint32_t serial_;
};

} // namespace

// ---- the paint box ---------------------------------------------------------------------

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TranslucentBackground); }

void TPaintBox::paintEvent(QPaintEvent*) {
    if (!OnPaint) return;
    QPainter p(this);
    OnPaint(p);
}

void TPaintBox::mousePressEvent(QMouseEvent* e) { pressed_ = e->button() == Qt::LeftButton; }

void TPaintBox::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    if (click && OnClick) OnClick(this);
}

// ---- creation ----------------------------------------------------------------------------

TForm_Quiz::TForm_Quiz(TForm_Main& main, QWidget* parent)
    : TScreen(parent), Timer_RoundAnim(this, 100), Timer_Player2(this, kStartDelayMs), Timer_Flash(this, 250),
      main_(main) {
    QuestionsPerGame = 20;

    Image_Background = MakeImage(this, {0, 0, 800, 600}, skin::Background(skin::TBackground::Quiz));
    ImageList_P1Score = skin::ScoreDigitImages(37, 25);
    ImageList_P2Score = skin::ScoreDigitImages(14, 21);

    Image_Player2 = MakeImage(this, {16, 105, 154, 370}, skin::OpponentFigure(154, 370), true);
    ZrMedia_Player2 = new TZrMedia(this);
    ZrMedia_Player2->setGeometry(43, 87, 192, 224);
    {
        QPalette black = ZrMedia_Player2->palette();
        black.setColor(QPalette::Window, Qt::black);
        ZrMedia_Player2->setPalette(black);
    }
    ZrMedia_Player2->OnMediaComplete = [this] { RunGuarded([this] { ZrMedia_Player2MediaComplete(); }); };
    ZrMedia_Player2->OnMediaFailed = [this] { RunGuarded([this] { ZrMedia_Player2MediaFailed(); }); };
    Image_Podium = MakeImage(this, {174, 289, 118, 59});

    const auto digits = [this](QPoint at, QSize size, const std::vector<QImage>& list, TImage** k, TImage** h,
                               TImage** t) {
        // The units digit is always 0: a fixed picture after the three that
        // change (the opponent's figure would cover one drawn on the set).
        auto* panel = new TPanel(this);
        panel->setGeometry(at.x(), at.y(), size.width() * 4, size.height());
        TImage** images[3] = {k, h, t};
        const int initial[3] = {0, 2, 12};
        for (int i = 0; i < 3; ++i)
            *images[i] = MakeImage(panel, {i * size.width(), 0, size.width(), size.height()}, list[size_t(initial[i])]);
        MakeImage(panel, {3 * size.width(), 0, size.width(), size.height()}, list[12]);
        return panel;
    };
    Panel_Player2Score = digits({111, 321}, {14, 21}, ImageList_P2Score, &Image_P2K, &Image_P2H, &Image_P2T);
    Panel_Player1Score = digits({377, 398}, {37, 25}, ImageList_P1Score, &Image_P1K, &Image_P1H, &Image_P1T);

    Panel_Video = new TPanel(this, Qt::black);
    Panel_Video->setGeometry(292, 34, kVideoW, kVideoH);
    Image_Video = MakeImage(Panel_Video, {0, 0, kVideoW, kVideoH});
    Image_Slide = MakeImage(Panel_Video, {0, kVideoH, kVideoW, kVideoH});
    Image_Slide->hide();
    PaintBox_Video = new TPaintBox(Panel_Video);
    PaintBox_Video->setGeometry(94, 0, kRoundFrameW, kRoundFrameH);
    PaintBox_Video->OnPaint = [this](QPainter& p) { PaintBox_VideoPaint(p); };
    const TTextEffects shadow{.ShadowOffset = 3, .ShadowColor = Qt::black};
    // Name and score on two lines must fit the label's 68 pixels.
    fcLabel_Score1 = MakeLabel(Panel_Video, {25, 21, 239, 68}, PixelFont("Arial Black", kScoreFontPx), QColor(255, 0, 255),
                               Qt::AlignCenter);
    fcLabel_Score2 = MakeLabel(Panel_Video, {25, 94, 239, 68}, PixelFont("Arial Black", kScoreFontPx), QColor(0, 255, 0),
                               Qt::AlignCenter);
    for (TfcLabel* l : {fcLabel_Score1, fcLabel_Score2}) {
        l->SetEffects(shadow);
        l->hide();
    }

    fcLabel_Caption = MakeLabel(this, {301, 240, 270, 72}, PixelFont("Arial", 16), Qt::white, Qt::AlignCenter);
    fcLabel_Caption->SetWordWrap(true);
    const QRect ansRects[4] = {{}, {269, 452, 416, 25}, {253, 486, 459, 31}, {235, 526, 511, 38}};
    const QPoint markerAt[4] = {{}, {216, 446}, {195, 480}, {171, 522}};
    const QRect clickRects[4] = {{}, {203, 450, 513, 31}, {182, 484, 569, 35}, {156, 526, 636, 44}};
    for (int k = 1; k <= 3; ++k) {
        fcLabel_Ans[k] = MakeLabel(this, ansRects[k], PixelFont("Arial", 14 + k), Qt::white,
                                   Qt::AlignLeft | Qt::AlignVCenter);
        Markers[k] = MakeImage(this, {markerAt[k], QSize(30, 28)}, skin::Marker(char('A' + k - 1)), true);
        Markers[k]->hide();
    }
    // The click areas lie over the answer plates, above the texts.
    for (int k = 1; k <= 3; ++k) {
        PaintBox_Ans[k] = new TPaintBox(this);
        PaintBox_Ans[k]->setGeometry(clickRects[k]);
        PaintBox_Ans[k]->Tag = k;
        PaintBox_Ans[k]->setCursor(Qt::PointingHandCursor);
        PaintBox_Ans[k]->OnClick = [this](TPaintBox* box) { RunGuarded([this, box] { PaintBox_AnsAClick(box->Tag); }); };
    }

    fcLabel_Name = MakeLabel(this, {156, 574, 635, 22}, PixelFont(main_.NameFont, 23, true), Qt::white,
                             Qt::AlignCenter);
    EButton_Back = CreateSkinButton(this, "Back", {0, 557}, {38, 44}, 1);
    EButton_Back->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_BackClick(); }); };

    Timer_RoundAnim.OnTimer = [this] { Timer_RoundAnimTimer(); };
    Timer_Player2.OnTimer = [this] { Timer_Player2Timer(); };
    Timer_Flash.OnTimer = [this] { Timer_FlashTimer(); };

    // Creation steps in their order. The help picture comes and goes with
    // the game (the welcome shows it), so there is no lifebelt.
    Help = new THelpOverlay(this, THelpVariant::Plain, false);
    Help->LoadHelp(main_.HelpFolder, "\\quizhelp.jpg");

    const std::array<void (TForm_Quiz::*)(), 21> entries = {
        nullptr,
        &TForm_Quiz::Welcome,           &TForm_Quiz::QuestionStart,        &TForm_Quiz::ShowQuestion,
        &TForm_Quiz::PlayClip,          &TForm_Quiz::AskQuestion,          &TForm_Quiz::ReadAnswerA,
        &TForm_Quiz::ReadAnswerB,       &TForm_Quiz::ReadAnswerC,          &TForm_Quiz::AllRead,
        &TForm_Quiz::OpponentWrong,     &TForm_Quiz::LearnerWrong,         &TForm_Quiz::LearnerRight,
        &TForm_Quiz::OpponentRight,     &TForm_Quiz::BothWrongLearnerLast, &TForm_Quiz::BothWrongOpponentLast,
        &TForm_Quiz::LearnerScores,     &TForm_Quiz::OpponentScores,       &TForm_Quiz::QuestionOver,
        &TForm_Quiz::GameOver,          &TForm_Quiz::Goodbye,
    };
    for (int s = 1; s <= 20; ++s) StateTable[size_t(s)].OnEnter = [this, fn = entries[size_t(s)]] { (this->*fn)(); };

    Panel_Video->hide();
    Image_Player2->hide();
    Image_Podium->hide();
    ZrMedia_Player2->hide();
    fcLabel_Caption->SetCaption("");
    for (int k = 1; k <= 3; ++k) fcLabel_Ans[k]->SetCaption("");
    SeedPending = true;

    LoadOpponentScript(Program("\\pc\\quiz\\oppmoov.txt"));
    QuizMedia().PrepareSound(Program("\\pc\\quiz\\musak.aif"));
    LoadQuiz(Target("\\quiz\\quiz.txt"));
    OpponentName = ReadOpponentName(Target("\\quiz\\miscq\\oppname.txt"));
    try {
        Image_Podium->SetPicture(LoadPicture(Target("\\quiz\\miscq\\opppod.jpg")));
        HasPodium = !Image_Podium->Picture().isNull();
    } catch (...) {
        HasPodium = false; // the podium is optional
    }
    fcLabel_Name->SetCaption("1 - " + main_.StudentName);
    QuizMedia().PrepareSound(Target("\\quiz\\miscq\\welcome1.aif"));
    QuizMedia().PrepareSound(Target("\\quiz\\miscq\\welcome2.aif"));
    Help->RaiseAll();
}

TForm_Quiz::~TForm_Quiz() {
    Leaving = true;
    Timer_RoundAnim.SetEnabled(false);
    Timer_Player2.SetEnabled(false);
    Timer_Flash.SetEnabled(false);
    if (SlideAnimation) SlideAnimation->stop();
    QuizMedia().CloseOpponent(*ZrMedia_Player2);
}

std::string TForm_Quiz::Program(const std::string& name) const { return main_.ProgramFolder + name; }
std::string TForm_Quiz::Target(const std::string& name) const { return main_.TargetFolder + name; }
std::string TForm_Quiz::Numbered(const std::string& stem, int count) const {
    return Target("\\quiz\\miscq\\" + stem + IntToStr(Random(count) + 1) + ".aif");
}

bool TForm_Quiz::StillCurrent(const QPointer<TForm_Quiz>& alive, uint32_t serial) const {
    return alive && !Leaving && PlaySerial == serial;
}

// ---- data ----------------------------------------------------------------------------------

void TForm_Quiz::LoadQuiz(const std::string& fileName) {
    TQuizFile file = LoadGameQuestions(fileName);
    for (const std::string& refused : file.Refused) DebugLog("Quiz: " + refused + "; the question is left out");
    if (file.Dropped > 0)
        DebugLog("Quiz: " + fileName + " has more than " + IntToStr(kMaxQuizQuestions) + " questions; the first " +
                 IntToStr(kMaxQuizQuestions) + " take part, " + IntToStr(file.Dropped) + " are left out");
    Questions = std::move(file.Questions);
    QuestionPool = std::move(file.QuestionPool);
}

void TForm_Quiz::LoadOpponentScript(const std::string& fileName) { Actions = LoadOpponentScriptFile(fileName); }

void TForm_Quiz::PickQuestion() {
    if (QuestionPool.empty()) throw EProgramError("Run out of questions!");
    if (SeedPending) {
        Randomize();
        SeedPending = false;
    }
    const int m = int(QuestionPool.size() / 2);
    const int r = Random(m);
    const int index = StrToIntDef(QuestionPool.substr(size_t(r) * 2, 2), 0);
    QuestionPool.erase(size_t(r) * 2, 2);
    CurrentQuestion = Questions[size_t(index)];
}

// ---- media ---------------------------------------------------------------------------------

void TForm_Quiz::PlayOpponentAction(const std::string& name) {
    if (Leaving) return; // the clip is closed
    CurrentAction.clear();
    const TPlayer2Entry* action = FindAction(Actions, name);
    if (!action) throw EProgramError("Unknown player2 action " + name);
    QuizMedia().PlayOpponent(*ZrMedia_Player2, action->StartFrame * 40, action->EndFrame * 40);
    CurrentAction = name;
}

void TForm_Quiz::PlayQuestionClip(bool notify) {
    QuizMedia().PlayFilm(CurrentQuestion.StartFrame, CurrentQuestion.EndFrame, false, notify ? PlayReceiver(1) : nullptr);
}

QObject* TForm_Quiz::PlayReceiver(int kind) {
    auto* receiver = new TQuizPlay(this, kind, PlaySerial);
    receivers_.push_back(receiver);
    return receiver;
}

bool TForm_Quiz::ShowStill(int frame) {
    const QPointer<TForm_Quiz> alive(this);
    const uint32_t serial = PlaySerial;
    QuizMedia().PlayFilm(frame, frame, true, nullptr);
    return StillCurrent(alive, serial);
}

void TForm_Quiz::PlayNotifying(const std::string& path) { QuizMedia().PlaySound(path, false, PlayReceiver(2)); }
void TForm_Quiz::PlayPlain(const std::string& path) { QuizMedia().PlaySound(path, false, nullptr); }

void TForm_Quiz::ZrMedia_Player2MediaComplete() {
    if (Leaving) return;
    // The end of a section reported just before the next one started: that
    // one is still playing and reports its own end.
    if (QuizMedia().OpponentPlaying(*ZrMedia_Player2)) return;
    CurrentAction.clear();
    if (OnOpponentDone != 0) ChangeState(OnOpponentDone);
    else if (Thinking) PlayOpponentAction("think" + IntToStr(Random(3) + 1));
    else if (!LookingUp) PlayOpponentAction("idle");
    // Looking up: the opponent holds its last picture until the film plays.
}

void TForm_Quiz::ZrMedia_Player2MediaFailed() {
    if (Leaving) return;
    // A damaged opponent clip: the game goes on without the animation. No
    // idle or thinking section is started again: it would fail at once too.
    DebugLog("Quiz: the opponent's section " + CurrentAction + " could not be played");
    CurrentAction.clear();
    if (OnOpponentDone != 0) ChangeState(OnOpponentDone);
}

void TForm_Quiz::PlayDone(int kind, uint32_t serial, intptr_t outcome, intptr_t device) {
    // A play started before the last state change belongs to a state left.
    if (Leaving || serial != PlaySerial) return;
    if (outcome == MCI_NOTIFY_FAILURE) {
        // Nothing more comes from a play that failed: the game goes on.
        DebugLog(kind == 1 ? "Quiz: the question's film range could not be played" : "Quiz: a sound could not be played");
    } else if (outcome != MCI_NOTIFY_SUCCESSFUL) {
        return; // superseded or aborted by whoever is in charge now
    }
    const int known = QuizMedia().ClassifyDevice(int(device));
    if (known != 0 && known != kind) return;
    const int next = kind == 1 ? OnClipDone : OnSoundDone;
    if (next != 0) ChangeState(next);
}

// ---- scores and the video area -----------------------------------------------------------

void TForm_Quiz::SetLearnerScore(int value) {
    LearnerScore = value;
    Image_P1K->SetPicture(ImageList_P1Score[size_t(std::clamp(value / 1000, 0, 1))]);
    Image_P1H->SetPicture(ImageList_P1Score[size_t((value / 100) % 10 + 2)]);
    Image_P1T->SetPicture(ImageList_P1Score[size_t((value / 10) % 10 / 5 + 12)]);
    Panel_Player1Score->repaint();
}

void TForm_Quiz::SetOpponentScore(int value) {
    OpponentScore = value;
    Image_P2K->SetPicture(ImageList_P2Score[size_t(std::clamp(value / 1000, 0, 1))]);
    Image_P2H->SetPicture(ImageList_P2Score[size_t((value / 100) % 10 + 2)]);
    Image_P2T->SetPicture(ImageList_P2Score[size_t((value / 10) % 10 / 5 + 12)]);
    Panel_Player2Score->repaint();
}

void TForm_Quiz::PaintBox_VideoPaint(QPainter& painter) {
    if (RoundFrame < 0 || RoundStrip.isNull()) return;
    painter.drawImage(QRect(0, 0, kRoundFrameW, kRoundFrameH), RoundStrip,
                      QRect(0, RoundFrame * kRoundFrameH, kRoundFrameW, kRoundFrameH));
}

void TForm_Quiz::Timer_RoundAnimTimer() {
    switch (RoundPhase) {
    case 1:
        if (RoundFrame > 7) {
            Timer_RoundAnim.SetInterval(1700);
            RoundPhase = 2;
        } else {
            ++RoundFrame;
            PaintBox_Video->repaint();
        }
        break;
    case 2:
        RoundPhase = 3;
        Timer_RoundAnim.SetInterval(100);
        break;
    case 3:
        if (RoundFrame < 1) {
            RoundPhase = 0;
            Timer_RoundAnim.SetEnabled(false);
            PaintBox_Video->hide();
            Image_Video->SetPicture(LoadPicture(Program("\\pc\\quiz\\cover.bmp")));
            Panel_Video->repaint();
        } else {
            --RoundFrame;
            PaintBox_Video->repaint();
        }
        break;
    default: Timer_RoundAnim.SetEnabled(false); break;
    }
}

void TForm_Quiz::Timer_FlashTimer() {
    if (OpponentScore < LearnerScore) fcLabel_Score2->setVisible(!fcLabel_Score2->isVisible());
    else if (LearnerScore < OpponentScore) fcLabel_Score1->setVisible(!fcLabel_Score1->isVisible());
    Panel_Video->repaint();
}

void TForm_Quiz::ShowScoreLabels(bool setFonts) {
    fcLabel_Score1->SetCaption(OpponentName + "\r" + IntToStr(OpponentScore));
    fcLabel_Score2->SetCaption(main_.StudentName + "\r" + IntToStr(LearnerScore));
    if (setFonts)
        for (TfcLabel* l : {fcLabel_Score1, fcLabel_Score2}) l->SetLabelFont(PixelFont(main_.NameFont, kScoreFontPx, true));
    for (TfcLabel* l : {fcLabel_Score1, fcLabel_Score2}) {
        l->show();
        l->raise();
    }
    Panel_Video->repaint();
}

void TForm_Quiz::SlideInWinner(const QImage& picture) {
    // The winner picture rises from below into the video area in 500 ms
    // and then becomes the area's picture.
    Image_Slide->SetPicture(picture);
    Image_Slide->move(0, kVideoH);
    Image_Slide->show();
    Image_Slide->raise();
    for (TfcLabel* l : {fcLabel_Score1, fcLabel_Score2}) l->raise();
    if (!SlideAnimation) {
        SlideAnimation = new QVariantAnimation(this);
        SlideAnimation->setDuration(kTransitionMs);
        SlideAnimation->setStartValue(kVideoH);
        SlideAnimation->setEndValue(0);
        connect(SlideAnimation, &QVariantAnimation::valueChanged, this,
                [this](const QVariant& v) { Image_Slide->move(0, v.toInt()); });
        connect(SlideAnimation, &QVariantAnimation::finished, this, [this] {
            Image_Video->SetPicture(Image_Slide->Picture());
            Image_Slide->hide();
        });
    }
    SlideAnimation->start();
}

// ---- the state engine ----------------------------------------------------------------------

void TForm_Quiz::ClearPending() {
    OnClipDone = 0;
    OnSoundDone = 0;
    OnOpponentDone = 0;
    // Completions of the plays started so far, queued or still to come, find
    // nothing to take: their receivers carry an earlier serial, and go.
    ++PlaySerial;
    for (const QPointer<QObject>& receiver : receivers_)
        if (receiver) receiver->deleteLater();
    receivers_.clear();
}

void TForm_Quiz::ChangeState(int newState) {
    if (Leaving) return;
    const QPointer<TForm_Quiz> alive(this);
    ClearPending();
    if (State > 0 && State <= 20 && StateTable[size_t(State)].OnLeave) StateTable[size_t(State)].OnLeave();
    if (!alive || Leaving) return;
    if (newState > 0 && newState <= 20 && StateTable[size_t(newState)].OnEnter) StateTable[size_t(newState)].OnEnter();
    if (!alive || Leaving) return;
    State = newState;
}

void TForm_Quiz::ScreenReady() { StartGame(); }

void TForm_Quiz::StartGame() {
    if (Leaving) return;
    QuizMedia().OpenOpponent(*ZrMedia_Player2, Program("\\pc\\quiz\\oppmoov.mpg"));
    Image_Player2->show();
    if (HasPodium) Image_Podium->show();
    PlayOpponentAction("idle");
    ZrMedia_Player2->show();
    // The delay is set before the welcome: a timer started during it would
    // otherwise keep the value left from creation.
    OpponentDelay = kStartDelayMs;
    WelcomeStep = 0;
    EndStep = 0;
    ChangeState(1);
}

// ---- the states ----------------------------------------------------------------------------

void TForm_Quiz::Welcome() {
    // The music, the first words, then the second while the opponent waves:
    // each reports its end and brings the next (state 1 again), so nothing
    // holds the learner's input for those seconds and Back ends the welcome
    // at once.
    const int step = WelcomeStep++;
    if (step == 0) {
        Help->ShowHelp();
        repaint();
        PlayNotifying(Program("\\pc\\quiz\\musak.aif"));
        OnSoundDone = 1;
    } else if (step == 1) {
        PlayNotifying(Target("\\quiz\\miscq\\welcome1.aif"));
        OnSoundDone = 1;
    } else {
        PlayOpponentAction("wave");
        PlayNotifying(Target("\\quiz\\miscq\\welcome2.aif"));
        OnSoundDone = 2;
    }
}

void TForm_Quiz::QuestionStart() {
    QuizMedia().CloseSounds();
    StopOpponentTimer(); // never running here; a tick must not reach the next question
    ++QuestionCount;
    WillBeWrong = false;
    Help->HideHelp();
    fcLabel_Score1->hide();
    fcLabel_Score2->hide();
    repaint();
    if (QuestionCount % kQuestionsPerRound != 1) {
        ChangeState(3);
        return;
    }
    // A round starts: its title animation runs beside the announcement.
    const int round = QuestionCount / kQuestionsPerRound + 1;
    Image_Video->SetPicture(LoadPicture(Program("\\pc\\quiz\\animstrt.bmp")));
    RoundStrip = LoadPicture(Program("\\pc\\quiz\\R" + IntToStr(round) + "_anim.bmp"));
    const std::string announcement = Target("\\quiz\\miscq\\round" + IntToStr(round) + ".aif");
    QuizMedia().PrepareSound(announcement);
    RoundFrame = -1;
    PaintBox_Video->show();
    PaintBox_Video->raise();
    Panel_Video->show();
    repaint();
    if (QuestionCount == 1) PlayOpponentAction("idle");
    QuizMedia().DetachDisplay();
    PlayNotifying(announcement);
    OnSoundDone = 3;
    RoundPhase = 1;
    Timer_RoundAnim.SetInterval(100);
    Timer_RoundAnim.SetEnabled(true);
}

void TForm_Quiz::ShowQuestion() {
    for (int k = 1; k <= 3; ++k) Markers[k]->hide();
    repaint();
    PickQuestion();
    QuizMedia().AttachDisplay(Panel_Video);
    // The first frame stands in the video area; Back may be pressed meanwhile.
    if (!ShowStill(CurrentQuestion.StartFrame)) return;
    LookingUp = true;
    PlayOpponentAction("lookup1");
    OnOpponentDone = 4;
}

void TForm_Quiz::SetAnswerOrder(const std::string& order) {
    AnswerOrder = order;
    const int c = CurrentQuestion.Correct;
    if (order == "a") {
        AnswerAt = {0, 1, 2, 3};
        CorrectPos = c;
    } else {
        AnswerAt = {0, 3, 1, 2};
        CorrectPos = c == 1 ? 2 : c == 2 ? 3 : c == 3 ? 1 : 0;
    }
}

void TForm_Quiz::PlayClip() {
    PlayQuestionClip(true);
    main_.FlushInput();
    SetAnswerOrder(Random(100) < 50 ? "a" : "b");
    LearnerChoice = 0;
    OpponentChoice = 0;
    if (main_.Cheat)
        DebugLog("Quiz: question " + IntToStr(CurrentQuestion.Number) + ", the answer is " +
                 std::string(1, char('A' + CorrectPos - 1)));
    OnClipDone = 5;
}

void TForm_Quiz::AskQuestion() {
    const int n = CurrentQuestion.Number;
    QuizMedia().PrepareSound(QuestionSoundFile(main_.TargetFolder, n));
    for (int p = 1; p <= 3; ++p)
        QuizMedia().PrepareSound(AnswerSoundFile(main_.TargetFolder, n, AnswerAt[size_t(p)], AnswerOrder));
    fcLabel_Caption->SetCaption(CurrentQuestion.Question);
    LookingUp = false;
    Thinking = true;
    PlayOpponentAction("lookup2");
    PlayNotifying(QuestionSoundFile(main_.TargetFolder, n));
    OnSoundDone = 6;
}

void TForm_Quiz::ReadAnswer(int position) {
    if (position == CorrectPos) {
        ReactionStart = GetTickCount();
        if (AnswersEarly) {
            Timer_Player2.SetInterval(OpponentDelay);
            Timer_Player2.SetEnabled(true);
        }
    }
    PlayNotifying(AnswerSoundFile(main_.TargetFolder, CurrentQuestion.Number, AnswerAt[size_t(position)], AnswerOrder));
}

void TForm_Quiz::ReadAnswerA() {
    fcLabel_Ans[1]->SetCaption(CurrentQuestion.Answer(AnswerAt[1]));
    ReadAnswer(1);
    OnSoundDone = 7;
}

void TForm_Quiz::ReadAnswerB() {
    fcLabel_Ans[2]->SetCaption(CurrentQuestion.Answer(AnswerAt[2]));
    ReadAnswer(2);
    OnSoundDone = 8;
}

void TForm_Quiz::ReadAnswerC() {
    fcLabel_Ans[3]->SetCaption(CurrentQuestion.Answer(AnswerAt[3]));
    ReadAnswer(3);
    OnSoundDone = 9;
}

void TForm_Quiz::StartOpponentTimer() {
    if (Timer_Player2.Enabled()) return;
    Timer_Player2.SetInterval(OpponentDelay);
    Timer_Player2.SetEnabled(true);
}

void TForm_Quiz::StopOpponentTimer() { Timer_Player2.SetEnabled(false); }

void TForm_Quiz::AllRead() {
    if (!AnswersEarly) ReactionStart = GetTickCount();
    StartOpponentTimer();
}

void TForm_Quiz::Verdict(const std::string& cue) {
    StopOpponentTimer();
    Thinking = false;
    if (main_.NtMode) QuizMedia().StopSounds();
    PlayPlain(Program(cue));
}

void TForm_Quiz::ShowAllAnswers() {
    for (int p = 1; p <= 3; ++p) fcLabel_Ans[p]->SetCaption(CurrentQuestion.Answer(AnswerAt[size_t(p)]));
}

void TForm_Quiz::OpponentWrong() {
    Verdict("\\pc\\common\\boo.aif");
    PlayOpponentAction("no" + IntToStr(Random(8) + 1));
}

void TForm_Quiz::LearnerWrong() {
    StartOpponentTimer();
    if (main_.NtMode) QuizMedia().StopSounds();
    PlayPlain(Program("\\pc\\common\\boo.aif"));
    ShowAllAnswers();
}

void TForm_Quiz::LearnerRight() {
    Verdict("\\pc\\common\\applause.aif");
    PlayOpponentAction("no" + IntToStr(Random(8) + 1));
    OnOpponentDone = 16;
}

void TForm_Quiz::OpponentRight() {
    ShowAllAnswers();
    repaint();
    Verdict("\\pc\\common\\applause.aif");
    PlayOpponentAction("yes" + IntToStr(Random(6) + 1));
    OnOpponentDone = 17;
}

void TForm_Quiz::BothWrongLearnerLast() {
    Verdict("\\pc\\common\\boo.aif");
    PlayOpponentAction("yes" + IntToStr(Random(6) + 1));
    OnOpponentDone = 18;
}

void TForm_Quiz::BothWrongOpponentLast() {
    Verdict("\\pc\\common\\boo.aif");
    PlayOpponentAction("no" + IntToStr(Random(8) + 1));
    OnOpponentDone = 18;
}

void TForm_Quiz::LearnerScores() {
    PlayOpponentAction("idle");
    PlayNotifying(Numbered("play1y", 6));
    SetLearnerScore(LearnerScore + kPointsPerQuestion);
    OnSoundDone = 18;
}

void TForm_Quiz::OpponentScores() {
    PlayOpponentAction("idle");
    PlayNotifying(Numbered("play2y", 2));
    SetOpponentScore(OpponentScore + kPointsPerQuestion);
    OnSoundDone = 18;
}

void TForm_Quiz::QuestionOver() {
    if (CurrentAction.empty()) PlayOpponentAction("idle");
    QuizMedia().DetachDisplay();
    fcLabel_Caption->SetCaption("");
    for (int p = 1; p <= 3; ++p) fcLabel_Ans[p]->SetCaption("");
    repaint();
    if (QuestionCount >= QuestionsPerGame) {
        ChangeState(19);
        return;
    }
    if (QuestionCount % kQuestionsPerRound != 0) {
        ChangeState(2);
        return;
    }
    // The round's result: the scores are shown and announced.
    const std::string result = OpponentScore < LearnerScore   ? Numbered("P1Lead", 3)
                               : LearnerScore < OpponentScore ? Numbered("P2Lead", 3)
                                                              : Numbered("Level", 2);
    QuizMedia().PrepareSound(result);
    ShowScoreLabels(true);
    PlayNotifying(result);
    OnSoundDone = 2;
}

void TForm_Quiz::GameOver() {
    // "The end", then the winner's words: each reports its end and brings
    // the next, so Back ends the game's end at once as it does the welcome.
    const bool learnerAhead = OpponentScore < LearnerScore, opponentAhead = LearnerScore < OpponentScore;
    if (EndStep++ == 0) {
        EndResult = learnerAhead    ? Numbered("P1Win", 2)
                    : opponentAhead ? Numbered("P2Win", 2)
                                    : Target("\\quiz\\miscq\\Draw.aif");
        const std::string theEnd = Target("\\quiz\\miscq\\TheEnd.aif");
        QuizMedia().PrepareSound(theEnd);
        QuizMedia().PrepareSound(EndResult);
        QuizMedia().PrepareSound(Target("\\quiz\\miscq\\Bye.aif"));
        if (learnerAhead) SlideInWinner(LoadPicture(Program("\\pc\\quiz\\winner.bmp")));
        ShowScoreLabels(false);
        PlayNotifying(theEnd);
        OnSoundDone = 19;
        return;
    }
    EndStep = 0;
    if (learnerAhead) PlayOpponentAction("no" + IntToStr(Random(8) + 1));
    else if (opponentAhead) PlayOpponentAction("yes" + IntToStr(Random(6) + 1));
    Timer_Flash.SetEnabled(true);
    PlayNotifying(EndResult);
    OnSoundDone = 20;
}

void TForm_Quiz::Goodbye() {
    if (EndStep++ == 0) {
        Timer_Flash.SetEnabled(false);
        fcLabel_Score1->show();
        fcLabel_Score2->show();
        repaint();
        PlayOpponentAction("wave");
        PlayNotifying(Target("\\quiz\\miscq\\Bye.aif"));
        OnSoundDone = 20;
        return;
    }
    EndStep = 0;
    EButton_BackClick();
}

// ---- the players' answers ------------------------------------------------------------------

void TForm_Quiz::PaintBox_AnsAClick(int p) {
    Randomize();
    if (Leaving || p < 1 || p > 3 || p + 5 > State || State > 10) return;
    if (State < 9) AnswersEarly = true;
    LearnerChoice = p;
    Markers[p]->show();
    Markers[p]->raise();
    repaint();
    if (p == CorrectPos) {
        const uint32_t t = GetTickCount() - ReactionStart; // wraps like the tick counter
        const int64_t mean = (int64_t(OpponentDelay) + int64_t(t)) / 2;
        OpponentDelay = int(std::min<int64_t>(mean, kMaxDelayMs));
        ChangeState(12);
    } else {
        ChangeState(State > 9 ? 14 : 11);
    }
}

void TForm_Quiz::Timer_Player2Timer() {
    StopOpponentTimer();
    if (Leaving || State <= 5 || State > 11) return;
    ShortAnswer = State < 10 ? true : Random(100) < 50;
    const int threshold = OpponentScore > LearnerScore ? 50 : 75;
    const int d = WillBeWrong ? 100 : Random(100);
    int next = 0;
    if (d < threshold && CorrectPos >= 1 && CorrectPos <= 3) {
        OpponentChoice = CorrectPos;
        next = 13;
    } else if (State < 9) {
        // Wrong while the answers are still read: it answers (wrongly) once
        // all are read and its delay has run again.
        WillBeWrong = true;
        return;
    } else {
        std::string left = "123";
        // A quiz line whose right answer is not 1, 2 or 3 has only wrong answers.
        const size_t right = left.find(char('0' + CorrectPos));
        if (right != std::string::npos) left.erase(right, 1);
        int choice = left[size_t(Random(2))] - '0';
        if (choice == LearnerChoice) choice = left[0] - '0' == choice ? left[1] - '0' : left[0] - '0';
        OpponentChoice = choice;
        next = LearnerChoice == 0 ? 10 : 15;
    }
    const std::string name = std::string(ShortAnswer ? "AnswerShort" : "AnswerLong") + char('A' + OpponentChoice - 1);
    // Answers still being read are read no further.
    ClearPending();
    PlayOpponentAction(name);
    OnOpponentDone = next;
}

// ---- leaving -------------------------------------------------------------------------------

void TForm_Quiz::EButton_BackClick() {
    main_.FlushInput();
    if (Leaving) return;
    Leaving = true;
    main_.SetLastScore(LearnerScore);
    ClearPending();
    Timer_Player2.SetEnabled(false);
    Timer_RoundAnim.SetEnabled(false);
    Timer_Flash.SetEnabled(false);
    // Nothing queued needs to run first: with Leaving set every handler of
    // the screen does nothing.
    RunGuarded([this] { QuizMedia().StopOpponent(*ZrMedia_Player2); });
    ZrMedia_Player2->hide();
    repaint();
    Image_Player2->hide();
    repaint();
    QuizMedia().CloseOpponent(*ZrMedia_Player2);
    QuizMedia().DetachDisplay();
    QuizMedia().CloseSounds();
    main_.PostStateChange(stMainMenu, trWipeLeft);
}

} // namespace tav
