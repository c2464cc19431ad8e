#include "activities/NextLine.h"

#include "activities/ActivityMedia.h"
#include "app/Main.h"
#include "components/ZrButton.h"
#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "components/HelpOverlay.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/Skin.h"

namespace tav {

namespace {

TActivitySetup PracticeSetup() { return {.Test = false, .Slot = 3, .HelpPicture = "\\WNPHelp.jpg"}; }
TActivitySetup TestSetup() {
    return {.Test = true, .Slot = 3, .Questions = 20, .TimeLimitMs = 10000, .HelpPicture = "\\wnthelp.jpg"};
}

constexpr int kBarTops[TForm_NextLine::kBars + 1] = {0, 7, 51, 95};
constexpr int kBarLefts[TForm_NextLine::kBars + 1] = {0, 9, 9, 10};

} // namespace

const char* const TForm_NextLine::kNoStartText = "This film names no line for this activity to start from.";
const char* const TForm_NextLine::kNoMoreText = "No more movie!";

TForm_NextLine::TForm_NextLine(TForm_Main& main, QWidget* parent, const TActivitySetup& setup)
    : TForm_Activity(main, parent, setup) {
    Image_Background->SetPicture(skin::Background(skin::TBackground::NextLine));
    fcLabel_Caption->setGeometry(25, 360, 750, 124);
    fcLabel_Caption->SetFontColor(QColor(240, 64, 64));
    EButton_Play->move(EButton_Play->x(), 269);
    EButton_Volume->move(EButton_Volume->x(), 270);
    Panel_Video->move(setup.Test ? Panel_Video->x() : 263, 46);

    // The three choices cover the caption once the line has been heard.
    Panel_Bars = new TPanel(Panel_Background);
    Panel_Bars->setGeometry(26, 357, 750, 132);
    Image_Bars = new TImage(Panel_Bars);
    Image_Bars->setGeometry(0, 4, 750, 124);
    Image_Bars->SetPicture(skin::Background(skin::TBackground::Bars, 750, 124));
    for (int k = 1; k <= kBars; ++k) {
        auto* bar = new TfcLabel(Panel_Bars);
        bar->setGeometry(kBarLefts[k], kBarTops[k], 734, 30);
        bar->SetLabelFont(PixelFont("Arial", 13));
        bar->SetFontColor(Qt::white);
        bar->SetAlignment(Qt::AlignCenter);
        bar->SetWordWrap(true);
        bar->SetEffects({.ShadowOffset = 1, .ShadowColor = Qt::black});
        bar->Tag = k;
        bar->OnClick = [this, k](TfcLabel*) { RunGuarded([this, k] { fcLabel_Bar1Click(k); }); };
        bar->SetCaption("");
        Bars[size_t(k)] = bar;
    }
    Image_Tick2 = new TImage(Panel_Bars);
    Image_Tick2->setGeometry(0, 0, 42, 45);
    Image_Tick2->SetPicture(skin::Tick());
    Image_Tick2->SetTransparent(true);
    Image_Tick2->hide();
    Image_Cross2 = new TImage(Panel_Bars);
    Image_Cross2->setGeometry(0, 0, 42, 45);
    Image_Cross2->SetPicture(skin::Cross());
    Image_Cross2->SetTransparent(true);
    Image_Cross2->hide();
    Panel_Bars->hide();

    // The first line played is a start line the content names; the main
    // window draws them without repeating one until all have been used.
    AnswerLine = main.DrawNextLineStart();
}

void TForm_NextLine::StartActivity() {
    TForm_Activity::StartActivity();
    NextQuestion();
}

void TForm_NextLine::NextQuestion() {
    if (LeavingScreen()) return;
    ActivityMedia().CloseSounds();
    Randomize();
    NoQuestion = false;
    RightAnswerShown = false;
    CurrentLine = AnswerLine;
    if (!CurrentLine) {
        Panel_Bars->hide();
        ShowNoQuestion(kNoStartText);
        return;
    }
    AnswerLine = Main().NextSpokenLine(CurrentLine);
    if (!AnswerLine) {
        // The film's last line has been answered: the walk starts again from
        // another start line rather than ending the visit with an error.
        CurrentLine = Main().DrawNextLineStart();
        AnswerLine = CurrentLine ? Main().NextSpokenLine(CurrentLine) : nullptr;
        if (!AnswerLine) {
            Panel_Bars->hide();
            ShowNoQuestion(kNoMoreText);
            return;
        }
        DebugLog("Next line: the film's end was reached, starting again at line " +
                 IntToStr(CurrentLine->SequenceNumber));
    }
    if (Main().Cheat) DebugLog("Next line: " + AnswerLine->LineText);
    Panel_Bars->hide();
    Image_Tick2->hide();
    Image_Cross2->hide();
    fcLabel_Caption->SetCaption(CurrentLine->LineText);

    CorrectSlot = Random(kBars) + 1;
    for (int i = 1; i <= kBars; ++i) {
        std::string text = AnswerLine->LineText;
        if (i != CorrectSlot) {
            // Any line meant for activities but the answer itself; the
            // draw ends because the answer line is one entry of many.
            const TMovieEntry* wrong = nullptr;
            for (int tries = 0; tries < 1000 && (!wrong || wrong == AnswerLine); ++tries)
                wrong = Main().RandomActivityLine();
            if (wrong && wrong != AnswerLine) text = wrong->LineText;
            else DebugLog("Next line: no other line to offer beside the answer");
        }
        Bars[size_t(i)]->SetCaption(text);
        Bars[size_t(i)]->show();
    }
    repaint();
    // Completions of earlier plays are told apart by their play's serial
    // number: no queued message has to run before this play starts.
    QuestionBuilt();
    PlayLine(true, false);
}

void TForm_NextLine::PlaybackDone() {
    if (NoQuestion || !CurrentLine || LeavingScreen()) return;
    Panel_Bars->show();
    Panel_Bars->raise();
    Help->RaiseAll();
    TForm_Activity::PlaybackDone();
}

bool TForm_NextLine::BarOpen(int tag) const {
    return tag >= 1 && tag <= kBars && !Panel_Bars->isHidden() && !Bars[size_t(tag)]->isHidden();
}

void TForm_NextLine::CentreMark(TImage* mark, const TfcLabel* bar) {
    const QRect r = bar->geometry();
    mark->move(r.x() + r.width() / 2 - mark->width() / 2, r.y() + r.height() / 2 - mark->height() / 2);
    mark->show();
    mark->raise();
}

TFeedback TForm_NextLine::AnswerFeedback(int tag) {
    const TFeedbackScope feedback(*this);
    StopLine();
    if (tag == CorrectSlot) {
        LastAnswerRight = true;
        RightAnswerShown = true; // no second answer to this question
        CentreMark(Image_Tick2, Bars[size_t(tag)]);
        for (int k = 1; k <= kBars; ++k)
            if (k != tag) Bars[size_t(k)]->hide();
        repaint();
        if (!PlayRightSound()) return TFeedback::Gone;
        Image_Tick2->hide();
        return TFeedback::Right;
    }
    LastAnswerRight = false;
    CentreMark(Image_Cross2, Bars[size_t(tag)]);
    repaint();
    if (!PlayWrongSound(true)) return TFeedback::Gone;
    Image_Cross2->hide();
    Bars[size_t(tag)]->hide();
    return TFeedback::Wrong;
}

void TForm_NextLine::fcLabel_Bar1Click(int tag) {
    // The family alone has no pattern; the practice and test screens count.
    if (!AcceptsAnswers() || !BarOpen(tag)) return;
    (void)AnswerFeedback(tag);
}

// ---- practice ----------------------------------------------------------------------------

TForm_NextLinePrac::TForm_NextLinePrac(TForm_Main& main, QWidget* parent)
    : TForm_NextLine(main, parent, PracticeSetup()) {
    CreatePracticeParts({107, 41}, {107, 260}, {376, 550});
    EButton_Hint->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_HintClick(); }); };
    Help->RaiseAll();
}

void TForm_NextLinePrac::fcLabel_Bar1Click(int tag) {
    if (!AcceptsAnswers() || !BarOpen(tag)) return;
    const TFeedback answer = AnswerFeedback(tag);
    if (answer == TFeedback::Gone) return;
    CountAttempt(answer == TFeedback::Right);
    if (answer == TFeedback::Right) NextQuestion(); // the chosen line is the one played next
}

void TForm_NextLinePrac::EButton_HintClick() {
    if (!AcceptsAnswers() || Panel_Bars->isHidden()) return;
    std::vector<int> open;
    for (int k = 1; k <= kBars; ++k)
        if (k != CorrectSlot && !Bars[size_t(k)]->isHidden()) open.push_back(k);
    if (open.empty()) return;
    PlayWrongSound(false);
    Bars[size_t(open[size_t(Random(int(open.size())))])]->hide();
    ++Attempts; // a hint counts as a wrong attempt
    ShowPercent(RightAnswers * 100 / Attempts);
}

// ---- test ----------------------------------------------------------------------------------

TForm_NextLineTest::TForm_NextLineTest(TForm_Main& main, QWidget* parent)
    : TForm_NextLine(main, parent, TestSetup()) {
    CreateTestParts({95, 143}, {98, 199}, {637, 138});
    Help->RaiseAll();
}

void TForm_NextLineTest::NextQuestion() {
    RunTestQuestion([this] { TForm_NextLine::NextQuestion(); });
}

void TForm_NextLineTest::fcLabel_Bar1Click(int tag) {
    if (!BarOpen(tag)) return;
    if (!BeginTestAnswer()) return;
    const TFeedback answer = AnswerFeedback(tag);
    if (answer == TFeedback::Gone) return;
    EndTestAnswer(answer == TFeedback::Right);
    if (answer == TFeedback::Right) NextQuestion();
}

} // namespace tav
