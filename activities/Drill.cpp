#include "activities/Drill.h"

#include <QApplication>
#include <QPointer>
#include <QMouseEvent>

#include "activities/ActivityMedia.h"
#include "activities/LightBar.h"
#include "app/Main.h"
#include "components/SkinButton.h"
#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "components/HelpOverlay.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "toolkit/AppEvents.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/PictureLoader.h"
#include "toolkit/Skin.h"

namespace tav {

namespace {

constexpr int kSpinnerW = 188, kSpinnerH = 185;
constexpr int kLastSpinnerFrame = 16;
const QColor kStopwatchFace(137, 169, 160);

} // namespace

TForm_Drill::TForm_Drill(TForm_Main& main, QWidget* parent, const TActivitySetup& setup, const TDrillLayout& layout)
    : TScreen(parent), Timer_Spinner(this, 100), Timer_LED(this, 50), TimeLimit(setup.TimeLimitMs), main_(main),
      setup_(setup) {
    Panel_Background = new TPanel(this);
    Panel_Background->setGeometry(0, 0, 800, 600);
    Image_Background = MakeImage(Panel_Background, {0, 0, 800, 600}, layout.Background);

    fcLabel_Caption = new TfcLabel(Panel_Background);

    EButton_Back = CreateSkinButton(Panel_Background, "Back", {0, 556}, {38, 44});
    EButton_Back->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_BackClick(); }); };

    Image_Tick = MakeImage(Panel_Background, {0, 0, 42, 45}, skin::Tick(), true);
    Image_Tick->hide();
    Image_Cross = MakeImage(Panel_Background, {0, 0, 42, 45}, skin::Cross(), true);
    Image_Cross->hide();

    // Creation: the spinner strip, hidden end score, seeded draws.
    SpinnerBitmap = LoadPicture(main_.ProgramFolder + "\\pc\\common\\spinner.bmp");
    SpinnerFrame = -1;
    // The frames' bottom-left colour is their background: the reel alone shows.
    Image_Spinner = MakeImage(Panel_Background, layout.Spinner, QImage(), true);
    Image_Spinner->hide();
    fcLabel_EndScore = new TfcLabel(Panel_Background);
    fcLabel_EndScore->setGeometry(layout.EndScore);
    fcLabel_EndScore->SetLabelFont(PixelFont("Arial", 48, true));
    fcLabel_EndScore->SetFontColor(Qt::white);
    fcLabel_EndScore->SetAlignment(Qt::AlignCenter);
    fcLabel_EndScore->SetEffects({.ShadowOffset = 2, .ShadowColor = Qt::black, .OutlineWidth = 2,
                                  .OutlineColor = QColor(16, 20, 36)});
    fcLabel_EndScore->hide();
    Timer_Spinner.OnTimer = [this] { Timer_SpinnerTimer(); };
    Timer_LED.OnTimer = [this] { Timer_LEDTimer(); };
    Randomize();

    Help = new THelpOverlay(this, layout.HelpVariant);
    Help->LoadHelp(main_.HelpFolder, setup_.HelpPicture);
    Help->WireBackground(Image_Background);
    Help->OnBackgroundMove = [this] { HelpToggled = false; };
    Help->OnHelpShown = [this] { HelpShown(); };
    Help->OnHelpHidden = [this] { HelpHidden(); };
}

TForm_Drill::~TForm_Drill() {
    leaving_ = true;
    Timer_LED.SetEnabled(false);
    Timer_Spinner.SetEnabled(false);
    RemoveSorryHook();
}

// ---- start and playback -------------------------------------------------------------

// The notify window of one play: it hands the play's completions to the
// screen with the play's serial number.
class TPlayRelay : public QObject {
public:
    TPlayRelay(TForm_Drill& screen, uint32_t serial) : QObject(&screen), screen_(screen), serial_(serial) {}

protected:
    bool event(QEvent* e) override {
        const TMessageEvent* m = AsMessage(e, MM_MCINOTIFY);
        if (!m) return QObject::event(e);
        // The screen may let this object go while it handles the report:
        // nothing of it is touched afterwards.
        const uint32_t serial = serial_;
        const int outcome = int(m->WParam());
        TForm_Drill& screen = screen_;
        RunGuarded([&] { screen.PlayReported(serial, outcome); });
        return true;
    }

private:
    TForm_Drill& screen_;
    uint32_t serial_;
};

void TForm_Drill::ScreenReady() { StartActivity(); }

void TForm_Drill::MessageReceived(int, intptr_t, intptr_t) {
    // Completions reach the screen through the notify object of their play
    // (NewPlay); one addressed to the screen itself belongs to no play.
}

QObject* TForm_Drill::NewPlay(bool reported) {
    ++playSerial_;
    // Whatever the earlier play still reports goes to an object that is
    // gone, and a play not yet started for it does not start.
    delete relay_;
    relay_ = reported ? new TPlayRelay(*this, playSerial_) : nullptr;
    playOpen_ = reported;
    return relay_;
}

void TForm_Drill::PlayStopped() {
    if (!playOpen_) return;
    ++playSerial_;
    delete relay_;
    relay_ = nullptr;
    playOpen_ = false;
}

void TForm_Drill::PlayReported(uint32_t serial, int) {
    if (serial != playSerial_ || !playOpen_) return; // an earlier play's report
    // The report of the play this one replaced, forwarded to the new play's
    // window: the new play is still running and reports its own end.
    if (PlaybackRunning()) return;
    playOpen_ = false;
    PlaybackDone();
}

void TForm_Drill::PlaybackDone() {
    if (!setup_.Test || ClockStarted || leaving_ || Finishing) return;
    if (ClockArmed) StartClock();
}

void TForm_Drill::StartClock() {
    ClockStarted = true;
    ClockStart = GetTickCount();
    if (Help->HelpVisible()) {
        // The help picture is up: the clock starts paused.
        PauseStart = ClockStart;
        ClockPaused = true;
    } else {
        Timer_LED.SetEnabled(true);
    }
}

bool TForm_Drill::AcceptsAnswers() const {
    if (NoQuestion || Finishing || SorryShown || RightAnswerShown || inFeedback_ || leaving_) return false;
    return !setup_.Test || QuestionNumber <= setup_.Questions;
}

void TForm_Drill::ShowNoQuestion(const std::string& why) {
    NoQuestion = true;
    ClockArmed = false;
    Timer_LED.SetEnabled(false);
    fcLabel_Caption->SetCaption(why);
    DebugLog("Activity: " + why);
}

// ---- feedback ------------------------------------------------------------------------

void TForm_Drill::ShowMark(TImage* mark, const QWidget* on) {
    const QRect r = on->geometry();
    const QPoint origin = on->parentWidget()->mapTo(Panel_Background, r.topLeft());
    mark->move(origin.x() + r.width() / 2 - mark->width() / 2, origin.y() + r.height() / 2 - mark->height() / 2);
    mark->show();
    mark->raise();
}

bool TForm_Drill::PlayCueSound(const std::string& path, bool wait) {
    // A missing cue sound is reported ("Missing sound file ...") but the
    // question or the end of the test goes on: failing half-way would leave
    // the learner on a question that takes no answer or a test that cannot end.
    // A waiting sound runs queued messages: a screen change among them may
    // delete this screen before the sound returns.
    const QPointer<TForm_Drill> alive(this);
    try {
        ActivityMedia().PlaySound(path, wait);
    } catch (...) {
        HandleException(std::current_exception());
    }
    return !alive.isNull();
}

bool TForm_Drill::PlayRightSound() {
    return PlayCueSound(main_.ProgramFolder + "\\pc\\common\\right" + IntToStr(Random(3) + 1) + ".aif", true);
}

bool TForm_Drill::PlayWrongSound(bool wait) {
    return PlayCueSound(main_.ProgramFolder + "\\pc\\common\\wrong" + IntToStr(Random(3) + 1) + ".aif", wait);
}

// ---- practice --------------------------------------------------------------------------

void TForm_Drill::CreatePracticeParts(QPoint lights, QPoint score, QPoint hint, TLightBarShape shape) {
    if (shape == TLightBarShape::Vertical) {
        Image_LightsOn = MakeImage(Panel_Background, {lights, QSize(27, 219)}, ActivityLightBar(true), true);
        Image_LightsOff = MakeImage(Panel_Background, {lights, QSize(27, 219)}, ActivityLightBar(false), true);
    } else {
        Image_LightsOn = MakeImage(Panel_Background, {lights, QSize(kLightBarHeight, kLightBarWidth)},
                                   HorizontalLightBar(), true);
    }
    fcLabel_Score = new TfcLabel(Panel_Background);
    fcLabel_Score->setGeometry(score.x() - 12, score.y(), 51, 22);
    fcLabel_Score->SetLabelFont(PixelFont("Arial", 16, true));
    fcLabel_Score->SetFontColor(QColor(214, 214, 191));
    fcLabel_Score->SetAlignment(Qt::AlignHCenter | Qt::AlignTop);
    fcLabel_Score->SetEffects({.ShadowOffset = 1, .ShadowColor = Qt::black});
    fcLabel_Score->SetCaption("0");
    EButton_Hint = CreateSkinButton(Panel_Background, "Hint", hint, {49, 47});
}

void TForm_Drill::CountAttempt(bool right) {
    ++Attempts;
    if (right) ++RightAnswers;
    ShowPercent(RightAnswers * 100 / Attempts);
}

void TForm_Drill::ShowPercent(int percent) {
    Percent = percent;
    fcLabel_Score->SetCaption(IntToStr(percent));
    if (!Image_LightsOff) {
        // The lit picture alone, cut to its lit length from the left.
        const int lit = LightsOnWidth(percent);
        Image_LightsOn->resize(std::max(lit, 0), kLightBarWidth);
        Image_LightsOn->setVisible(lit > 0);
        return;
    }
    // The "off" picture covers the bar from the top; 11 pixels per 5 % lit.
    const int off = LightsOffHeight(percent);
    Image_LightsOff->resize(27, off);
    Image_LightsOff->setVisible(off > 0);
}

// ---- test ----------------------------------------------------------------------------

void TForm_Drill::CreateTestParts(QPoint score, QPoint count, QPoint stopwatch) {
    const QColor ink(221, 225, 225);
    fcLabel_Score = new TfcLabel(Panel_Background);
    fcLabel_Score->setGeometry(score.x() - 20, score.y(), 70, 30);
    fcLabel_Score->SetLabelFont(PixelFont("Arial", 24, true));
    fcLabel_Score->SetFontColor(ink);
    fcLabel_Score->SetAlignment(Qt::AlignHCenter | Qt::AlignTop);
    fcLabel_Score->SetEffects({.ShadowOffset = 1, .ShadowColor = Qt::black});
    fcLabel_Score->SetCaption("0");
    fcLabel_Count = new TfcLabel(Panel_Background);
    fcLabel_Count->setGeometry(count.x() - 15, count.y(), 60, 18);
    fcLabel_Count->SetLabelFont(PixelFont("Arial", 12, true));
    fcLabel_Count->SetFontColor(ink);
    fcLabel_Count->SetAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // Outlined: at the end of a test the count stays up over the spinner.
    fcLabel_Count->SetEffects({.ShadowOffset = 1, .ShadowColor = Qt::black, .OutlineWidth = 2,
                               .OutlineColor = QColor(16, 20, 36)});
    fcLabel_Count->SetCaption("1/" + IntToStr(setup_.Questions));

    for (int d = 0; d <= 9; ++d) ImageList_LED.push_back(skin::LedDigit(d));
    Panel_Stopwatch = new TPanel(Panel_Background, kStopwatchFace);
    Panel_Stopwatch->setGeometry(stopwatch.x(), stopwatch.y(), 101, 36);
    const int xs[4] = {0, 23, 56, 79};
    TImage** digits[4] = {&Image_SecHi, &Image_SecLo, &Image_HunHi, &Image_HunLo};
    for (int i = 0; i < 4; ++i) *digits[i] = MakeImage(Panel_Stopwatch, {xs[i], 0, 23, 36}, ImageList_LED[0]);
    // The decimal point between seconds and tenths.
    auto* dot = new TPanel(Panel_Stopwatch, QColor(40, 52, 48));
    dot->setGeometry(48, 28, 5, 5);

    Panel_Sorry = new TPanel(this);
    Image_Sorry = new TImage(Panel_Sorry);
    Image_Sorry->LoadFromFile(main_.HelpFolder + "\\wtsorry.jpg");
    const QSize s = Image_Sorry->Picture().size();
    Image_Sorry->setGeometry(0, 0, s.width(), s.height());
    Panel_Sorry->setGeometry((800 - s.width()) / 2, (600 - s.height()) / 2, s.width(), s.height());
    Panel_Sorry->hide();
    ShowTimeLeft(setup_.TimeLimitMs);
}

void TForm_Drill::RunTestQuestion(const std::function<void()>& family) {
    // A question due after the test ended (Back, the last question) never comes.
    if (leaving_ || Finishing) return;
    ++QuestionNumber;
    if (QuestionNumber > setup_.Questions) {
        fcLabel_Score->hide();
        FinishTest(setup_.Slot, Score);
        return;
    }
    TimeLimit = setup_.TimeLimitMs;
    try {
        family();
    } catch (...) {
        // The question could not be built: the screen still shows the last one.
        if (!Finishing) --QuestionNumber;
        throw;
    }
}

void TForm_Drill::QuestionBuilt() {
    if (!setup_.Test) return;
    fcLabel_Count->SetCaption(IntToStr(QuestionNumber) + "/" + IntToStr(setup_.Questions));
    ShowTimeLeft(TimeLimit);
    Timer_LED.SetEnabled(false); // each question's clock starts afresh when its play ends
    ClockArmed = true;
    ClockStarted = false;
    ClockPaused = false;
    PauseStart = 0;
}

bool TForm_Drill::BeginTestAnswer() {
    if (!AcceptsAnswers()) return false;
    ledWasRunning_ = Timer_LED.Enabled();
    Timer_LED.SetEnabled(false);
    ClockArmed = false;
    return true;
}

void TForm_Drill::EndTestAnswer(bool right) {
    Answered = true;
    if (right) {
        // The clock stays stopped, also when the help picture that paused it goes.
        ClockPaused = false;
        PauseStart = 0;
        ShowScore(Score + 5);
        return;
    }
    ResumeClock();
    ShowScore(Score > 1 ? Score - 2 : 0);
}

void TForm_Drill::ResumeClock() {
    if (Finishing || leaving_) return;
    Timer_LED.SetEnabled(ledWasRunning_ && !ClockPaused); // the clock runs on
    ClockArmed = true;
    // The question's play ended meanwhile, or the answer stopped it: its
    // end is not waited for, whenever its report comes.
    if (!ClockStarted && !playOpen_) StartClock();
}

void TForm_Drill::ShowScore(int score) {
    Score = score;
    fcLabel_Score->SetCaption(IntToStr(score));
    fcLabel_Score->repaint();
}

void TForm_Drill::ShowTimeLeft(int ms) {
    TimeLeft = std::max(ms, 0);
    Image_HunLo->SetPicture(ImageList_LED[size_t(TimeLeft / 10 % 10)]);
    Image_HunHi->SetPicture(ImageList_LED[size_t(TimeLeft / 100 % 10)]);
    Image_SecLo->SetPicture(ImageList_LED[size_t(TimeLeft / 1000 % 10)]);
    Image_SecHi->SetPicture(ImageList_LED[size_t(TimeLeft / 10000 % 10)]);
}

void TForm_Drill::Timer_LEDTimer() {
    const uint32_t elapsed = GetTickCount() - ClockStart; // wraps like the tick counter
    const int64_t left = int64_t(TimeLimit) - int64_t(elapsed);
    ShowTimeLeft(static_cast<int>(std::max<int64_t>(left, 0)));
    if (elapsed >= static_cast<uint32_t>(TimeLimit)) TimeOut();
}

void TForm_Drill::TimeOut() {
    Timer_LED.SetEnabled(false);
    if (Finishing || leaving_) return;
    ClockArmed = false;
    ClockPaused = false;
    PauseStart = 0;
    if (Help->HelpVisible()) Help->HideHelp();
    SorryShown = true;
    Panel_Sorry->show();
    Panel_Sorry->raise();
    PlayCueSound(main_.ProgramFolder + "\\pc\\common\\boo.aif", false);
    InstallSorryHook();
}

void TForm_Drill::InstallSorryHook() {
    if (sorryHookInstalled_) return;
    TAppEvents& events = TAppEvents::Instance();
    savedHook_ = events.Hook();
    sorryHookInstalled_ = true;
    events.SetHook([this](QObject* receiver, QEvent* event) {
        // The usual hook first: a click still counts as activity.
        const bool handled = savedHook_ ? savedHook_(receiver, event) : main_.AppMessageHook(receiver, event);
        if (handled) return true;
        if (event->type() != QEvent::MouseButtonPress) return false;
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
        // The click that dismisses the picture does nothing else.
        QMetaObject::invokeMethod(this, [this] { RunGuarded([this] { DismissSorry(); }); }, Qt::QueuedConnection);
        RemoveSorryHook();
        return true;
    });
}

void TForm_Drill::RemoveSorryHook() {
    if (!sorryHookInstalled_) return;
    sorryHookInstalled_ = false;
    TAppEvents::Instance().SetHook(savedHook_);
    savedHook_ = nullptr;
}

void TForm_Drill::DismissSorry() {
    if (!SorryShown) return;
    Panel_Sorry->hide();
    SorryShown = false;
    NextQuestion();
}

void TForm_Drill::HelpShown() {
    HelpToggled = true;
    if (setup_.Test && Timer_LED.Enabled()) {
        PauseStart = GetTickCount();
        ClockPaused = true;
        Timer_LED.SetEnabled(false);
    }
}

void TForm_Drill::HelpHidden() {
    HelpToggled = true;
    // A clock paused by the help picture goes on only while its question does.
    if (setup_.Test && ClockPaused && !Finishing && !leaving_ && !SorryShown) {
        ClockStart += GetTickCount() - PauseStart;
        ClockPaused = false;
        PauseStart = 0;
        Timer_LED.SetEnabled(true);
    }
}

// ---- end of a test ---------------------------------------------------------------------

void TForm_Drill::FinishTest(int slot, int score) {
    if (Finishing) return;
    Finishing = true;
    Timer_LED.SetEnabled(false);
    ClockArmed = false;
    ClockPaused = false; // hiding the help picture later does not start it again
    PauseStart = 0;
    main_.RecordTestScore(slot, score);
    FinalScore = score;
    PlayCueSound(main_.ContentRoot + "\\shared\\jingle.aif", false);
    SpinnerFrame = 0;
    Image_Spinner->SetPicture(SpinnerBitmap.copy(0, 0, kSpinnerW, kSpinnerH));
    Image_Spinner->show();
    Image_Spinner->raise();
    if (Panel_Spinner) {
        Panel_Spinner->show();
        Panel_Spinner->raise();
    }
    // The running score would show through the reel's holes while it spins
    // (Back ends a test with it still up); the final score replaces it.
    // The question count stays readable on top of the reel.
    if (fcLabel_Score) fcLabel_Score->hide();
    if (fcLabel_Count) fcLabel_Count->raise();
    fcLabel_EndScore->raise();
    Timer_Spinner.SetEnabled(true);
}

void TForm_Drill::Timer_SpinnerTimer() {
    ++SpinnerFrame;
    if (SpinnerFrame <= kLastSpinnerFrame) {
        ++SpinnerFrame;
        Image_Spinner->SetPicture(SpinnerBitmap.copy(0, kSpinnerH * SpinnerFrame, kSpinnerW, kSpinnerH));
        Image_Spinner->repaint();
        return;
    }
    Timer_Spinner.SetEnabled(false);
    fcLabel_EndScore->SetCaption(IntToStr(FinalScore));
    fcLabel_EndScore->show();
    fcLabel_EndScore->repaint();
    const std::string name = FinalScore == 100 ? "hh" : IntToStr(FinalScore);
    const std::string spoken = main_.TargetFolder + "\\scores\\Db" + name + ".aif";
    if (FileExists(spoken) && !PlayCueSound(spoken, true)) return; // left while the score was spoken
    if (leaving_) return;
    Leave();
}

void TForm_Drill::Leave() {
    leaving_ = true;
    Timer_LED.SetEnabled(false);
    BeforeLeaving();
    main_.PostStateChange(6, 2);
}

// ---- Back ------------------------------------------------------------------------------

void TForm_Drill::EButton_BackClick() {
    if (Finishing || leaving_) return; // the test is ending and leaves by itself
    if (setup_.Test) {
        Timer_LED.SetEnabled(false);
        if (Answered) {
            // The line stops with the display: the spinner and the spoken
            // score come without the film playing on under them.
            BeforeLeaving();
            FinishTest(setup_.Slot, Score);
            return;
        }
        Leave();
        return;
    }
    if (Attempts > 0) main_.RecordPracticePercent(setup_.Slot, Percent);
    Leave();
}

} // namespace tav
