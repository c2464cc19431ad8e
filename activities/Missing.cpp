#include "activities/Missing.h"

#include "activities/ActivityMedia.h"
#include "activities/MissingWords.h"
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

struct TChoicePlace {
    QPoint plaque, label;
};
const TChoicePlace kPlaces[TForm_Missing::kChoices + 1] = {
    {},
    {{0, 400}, {25, 419}},   {{200, 400}, {223, 417}}, {{401, 400}, {423, 419}}, {{600, 400}, {624, 418}},
    {{0, 454}, {22, 472}},   {{201, 454}, {223, 473}}, {{401, 453}, {424, 473}}, {{600, 454}, {623, 473}},
    {{100, 508}, {122, 528}}, {{500, 508}, {524, 528}},
};

TActivitySetup PracticeSetup() { return {.Test = false, .Slot = 2, .HelpPicture = "\\wphelp.jpg"}; }
TActivitySetup TestSetup() {
    return {.Test = true, .Slot = 2, .Questions = 20, .TimeLimitMs = 10000, .HelpPicture = "\\wthelp.jpg"};
}

} // namespace

const char* const TForm_Missing::kNoLineText = "This film has no line with a word that can be hidden.";
const char* const TForm_Missing::kFewWordsText = "The word list has too few words to choose from.";

TForm_Missing::TForm_Missing(TForm_Main& main, QWidget* parent, const TActivitySetup& setup)
    : TForm_Activity(main, parent, setup), Timer_NextQuestion(this, 1000) {
    fcLabel_Caption->OnClick = [this](TfcLabel*) { RunGuarded([this] { EButton_PlayClick(); }); };
    const QImage plaque = skin::Plaque(setup.Test);
    const QColor ink = setup.Test ? QColor(237, 225, 225) : QColor(242, 145, 146);
    for (int k = 1; k <= kChoices; ++k) {
        QPoint at = kPlaces[k].plaque;
        if (k == 1 && !setup.Test) at.setX(1);
        Images[k] = new TImage(Panel_Background);
        Images[k]->setGeometry(QRect(at, QSize(196, 54)));
        Images[k]->SetPicture(plaque);
        Images[k]->SetTransparent(true);
        Images[k]->Tag = k;
        Images[k]->OnClick = [this, k](TImage*) { RunGuarded([this, k] { Image1Click(k); }); };
        Labels[k] = new TfcLabel(Panel_Background);
        Labels[k]->setGeometry(QRect(kPlaces[k].label, QSize(149, 16)));
        Labels[k]->SetLabelFont(PixelFont("Arial", 13, true));
        Labels[k]->SetFontColor(ink);
        Labels[k]->SetAlignment(Qt::AlignCenter);
        Labels[k]->SetEffects({.ShadowOffset = 1, .ShadowColor = Qt::black});
        Labels[k]->Tag = k;
        Labels[k]->OnClick = [this, k](TfcLabel*) { RunGuarded([this, k] { Image1Click(k); }); };
        Labels[k]->SetCaption("");
    }
    WordList = LoadWordList(main.TargetFolder + "\\words.txt", main);
    LastSpeaker.clear();
    Timer_NextQuestion.OnTimer = [this] { Timer_NextQuestionTimer(); };
}

TForm_Missing::~TForm_Missing() { Timer_NextQuestion.SetEnabled(false); }

void TForm_Missing::StartActivity() {
    TForm_Activity::StartActivity();
    NextQuestion();
}

void TForm_Missing::ShowChoice(int slot, bool visible) {
    Images[slot]->setVisible(visible);
    Labels[slot]->setVisible(visible);
}

void TForm_Missing::HideChoices() {
    for (int k = 1; k <= kChoices; ++k) ShowChoice(k, false);
}

void TForm_Missing::NextQuestion() {
    if (LeavingScreen()) return;
    ActivityMedia().CloseSounds();
    Randomize();
    NoQuestion = false;
    RightAnswerShown = false;
    Image_Tick->hide();
    Image_Cross->hide();

    bool sameSpeaker = false;
    const std::vector<const TMovieEntry*> suitable = GapLines(
        Main().MovieEntries, LastSpeaker, [](const std::string& text) { return !GapCandidates(text).empty(); },
        &sameSpeaker);
    if (sameSpeaker) DebugLog("Missing word: only lines of " + LastSpeaker + " remain");
    if (suitable.empty()) {
        HideChoices();
        ShowNoQuestion(kNoLineText);
        return;
    }
    const TMovieEntry* line = suitable[size_t(Random(int(suitable.size())))];
    std::string gapped = line->LineText;
    const std::string word = MakeGap(gapped, Random);
    const std::vector<std::string> wrong = DrawWrongChoices(WordList, word, kChoices - 1, Random);
    if (wrong.empty()) {
        HideChoices();
        ShowNoQuestion(kFewWordsText);
        return;
    }
    CurrentLine = line;
    HiddenWord = word;
    GappedLine = gapped;
    LastSpeaker = line->Speaker;
    CorrectSlot = Random(kChoices) + 1;
    if (Main().Cheat) DebugLog("Missing word: " + word + " (choice " + IntToStr(CorrectSlot) + ")");
    fcLabel_Caption->SetCaption(gapped);

    size_t next = 0;
    for (int s = 1; s <= kChoices; ++s) {
        Labels[s]->SetCaption(s == CorrectSlot ? word : wrong[next++]);
        ShowChoice(s, true);
    }
    repaint();
    // Completions of earlier plays are told apart by their play's serial
    // number: no queued message has to run before this play starts.
    QuestionBuilt();
    PlayLine(true, false);
}

TFeedback TForm_Missing::AnswerFeedback(int tag) {
    const TFeedbackScope feedback(*this);
    StopLine();
    if (tag == CorrectSlot) {
        LastAnswerRight = true;
        RightAnswerShown = true; // no second answer to this question
        ShowMark(Image_Tick, Images[tag]);
        Labels[tag]->raise(); // the word stays readable over the mark
        fcLabel_Caption->SetCaption(CurrentLine ? CurrentLine->LineText : GappedLine);
        for (int k = 1; k <= kChoices; ++k)
            if (k != tag) ShowChoice(k, false);
        repaint();
        return PlayRightSound() ? TFeedback::Right : TFeedback::Gone;
    }
    LastAnswerRight = false;
    ShowMark(Image_Cross, Images[tag]);
    Labels[tag]->raise();
    repaint();
    if (!PlayWrongSound(true)) return TFeedback::Gone;
    Image_Cross->hide();
    ShowChoice(tag, false);
    return TFeedback::Wrong;
}

void TForm_Missing::Image1Click(int tag) {
    // The family alone has no pattern; the practice and test screens count.
    if (!AcceptsAnswers()) return;
    (void)AnswerFeedback(tag);
}

void TForm_Missing::Timer_NextQuestionTimer() {
    Timer_NextQuestion.SetEnabled(false);
    if (LeavingScreen() || Finishing) return;
    Image_Tick->hide();
    NextQuestion();
}

// ---- practice ----------------------------------------------------------------------------

TForm_MissingPrac::TForm_MissingPrac(TForm_Main& main, QWidget* parent)
    : TForm_Missing(main, parent, PracticeSetup()) {
    CreatePracticeParts({107, 41}, {107, 260}, {376, 550});
    EButton_Hint->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_HintClick(); }); };
    Help->RaiseAll();
}

void TForm_MissingPrac::Image1Click(int tag) {
    if (!AcceptsAnswers() || !Images[tag]->isVisibleTo(this)) return;
    const TFeedback answer = AnswerFeedback(tag);
    if (answer == TFeedback::Gone) return;
    CountAttempt(answer == TFeedback::Right);
    if (answer == TFeedback::Right && !LeavingScreen()) Timer_NextQuestion.SetEnabled(true);
}

void TForm_MissingPrac::EButton_HintClick() {
    if (!AcceptsAnswers()) return;
    std::vector<int> open;
    for (int k = 1; k <= kChoices; ++k)
        if (k != CorrectSlot && !Labels[k]->isHidden()) open.push_back(k);
    if (open.empty()) return;
    PlayWrongSound(false);
    ShowChoice(open[size_t(Random(int(open.size())))], false);
    ++Attempts; // a hint counts as a wrong attempt
    ShowPercent(RightAnswers * 100 / Attempts);
}

// ---- test ----------------------------------------------------------------------------------

TForm_MissingTest::TForm_MissingTest(TForm_Main& main, QWidget* parent) : TForm_Missing(main, parent, TestSetup()) {
    CreateTestParts({104, 129}, {107, 185}, {638, 123});
    Help->RaiseAll();
}

void TForm_MissingTest::NextQuestion() {
    RunTestQuestion([this] { TForm_Missing::NextQuestion(); });
}

void TForm_MissingTest::Image1Click(int tag) {
    if (!Images[tag]->isVisibleTo(this)) return;
    if (!BeginTestAnswer()) return;
    const TFeedback answer = AnswerFeedback(tag);
    if (answer == TFeedback::Gone) return;
    EndTestAnswer(answer == TFeedback::Right);
    if (answer == TFeedback::Right && !Finishing) Timer_NextQuestion.SetEnabled(true);
}

} // namespace tav
