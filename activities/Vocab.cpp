#include "activities/Vocab.h"

#include "activities/ActivityMedia.h"
#include "app/Main.h"
#include "components/SkinButton.h"
#include "content/DebugLog.h"
#include "content/DictionaryWords.h"
#include "content/OurUtils.h"
#include "platform/Messages.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/PictureLoader.h"
#include "toolkit/Skin.h"

namespace tav {

namespace {

constexpr int kPictureW = 249, kPictureH = 187;
const int kColumns[3] = {14, 274, 536};

TActivitySetup PracticeSetup() { return {.Test = false, .Slot = 1, .HelpPicture = "\\VocPHelp.jpg"}; }
TActivitySetup TestSetup() {
    return {.Test = true, .Slot = 1, .Questions = 20, .TimeLimitMs = 5000, .HelpPicture = "\\VocTHelp.jpg"};
}

TDrillLayout Layout(bool test) {
    // The test keeps its spinner in a panel of its own at the top left.
    return {.Background = skin::Background(test ? skin::TBackground::VocabularyTest : skin::TBackground::Vocabulary),
            .HelpVariant = THelpVariant::Blend,
            .Spinner = {0, 0, 188, 185},
            .EndScore = {33, 48, 81, 56}};
}

} // namespace

const char* const TForm_Vocab::kFewWordsText = "The word list has too few words for this activity (6 are needed).";

TForm_Vocab::TForm_Vocab(TForm_Main& main, QWidget* parent, const TActivitySetup& setup)
    : TForm_Drill(main, parent, setup, Layout(setup.Test)) {
    const bool test = setup.Test;
    for (int k = 1; k <= kVocabChoices; ++k) {
        const int row = (k - 1) / 3, column = (k - 1) % 3;
        int left = kColumns[column], top = test ? (row ? 350 : 151) : (row ? 296 : 97);
        if (!test && k == 1) left = 15;
        if (!test && k == 4) top = 294;
        Images[k] = new TImage(Panel_Background);
        Images[k]->setGeometry(left, top, kPictureW, kPictureH);
        Images[k]->SetStretch(true);
        Images[k]->Tag = k;
        Images[k]->hide();
        Images[k]->OnClick = [this, k](TImage*) { RunGuarded([this, k] { Image1Click(k); }); };
    }
    fcLabel_Caption->setGeometry(test ? QRect(258, 558, 254, 26) : QRect(257, 504, 254, 26));
    fcLabel_Caption->SetLabelFont(PixelFont("Arial", 19));
    fcLabel_Caption->SetFontColor(QColor(204, 204, 204));
    fcLabel_Caption->SetAlignment(Qt::AlignCenter);
    fcLabel_Caption->SetWordWrap(true);
    fcLabel_Caption->SetCaption("");
    fcLabel_Caption->OnClick = [this](TfcLabel*) { RunGuarded([this] { EButton_PlayClick(); }); };
    EButton_Play = CreateSkinButton(Panel_Background, "Play", {515, test ? 551 : 497}, {35, 38});
    EButton_Play->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_PlayClick(); }); };

    Captions = LoadDictionaryWords(main.TargetFolder + "\\DicWords.txt");
    if (Captions.size() > size_t(kMaxDictionaryEntries)) {
        // Indexes are 4 digits: entries beyond them can never be asked.
        DebugLog("Vocabulary: only the first 10000 entries of DicWords.txt are used");
        Captions.resize(size_t(kMaxDictionaryEntries));
    }
    AllNumbers = AllEntryNumbers(int(Captions.size()));
    NumberBag = AllNumbers;
}

void TForm_Vocab::StartActivity() { NextQuestion(); }

void TForm_Vocab::NextQuestion() {
    if (LeavingScreen()) return;
    ActivityMedia().CloseSounds();
    // Closing the last word's sound reports it cut off; that report carries
    // the last question's play serial and cannot start this one's clock.
    Randomize();
    if (Captions.size() < size_t(kVocabChoices)) {
        RightAnswerShown = false;
        for (int k = 1; k <= kVocabChoices; ++k) Images[k]->hide();
        ShowNoQuestion(kFewWordsText);
        return;
    }
    const int correct = Random(kVocabChoices) + 1;
    std::string bag = NumberBag;
    const TVocabQuestion q = DrawVocabQuestion(bag, AllNumbers, correct);
    // All six pictures first: a missing one fails here, naming its file,
    // and leaves the screen, the word asked and the round as they were.
    std::array<QImage, kVocabChoices + 1> pictures;
    for (int k = 1; k <= kVocabChoices; ++k)
        pictures[size_t(k)] = LoadPicture(DictionaryPicture(Main().TargetFolder, q.Entries[size_t(k)]));

    RightAnswerShown = false;
    NumberBag = bag;
    CorrectSlot = correct;
    if (Main().Cheat) DebugLog(Format("%d", CorrectSlot));
    CurrentWord = q.Word;
    for (int k = 1; k <= kVocabChoices; ++k) {
        Images[k]->SetPicture(pictures[size_t(k)]);
        Images[k]->show();
    }
    QuestionBuilt();
    AskWord(CurrentWord);
}

void TForm_Vocab::AskWord(int index) {
    fcLabel_Caption->SetCaption(Captions[size_t(index)]);
    WordSound = DictionarySound(Main().TargetFolder, index);
    ActivityMedia().PlayNotifiedSound(WordSound, NewPlay());
    Main().FlushInput();
}

void TForm_Vocab::EButton_PlayClick() {
    if (NoQuestion || Finishing || LeavingScreen() || WordSound.empty()) return;
    ActivityMedia().PlayNotifiedSound(WordSound, NewPlay());
}

bool TForm_Vocab::TakesClick(int tag) const {
    return AcceptsAnswers() && Images[size_t(tag)]->isVisibleTo(this);
}

TFeedback TForm_Vocab::AnswerFeedback(int tag) {
    // The cue sounds wait in a local event loop: no second click meanwhile.
    const TFeedbackScope feedback(*this);
    if (tag == CorrectSlot) {
        LastAnswerRight = true;
        RightAnswerShown = true; // no second answer to this question
        ShowMark(Image_Tick, Images[size_t(tag)]);
        for (int k = 1; k <= kVocabChoices; ++k)
            if (k != tag) Images[k]->hide();
        repaint();
        if (!PlayRightSound()) return TFeedback::Gone;
        Image_Tick->hide();
        return TFeedback::Right;
    }
    LastAnswerRight = false;
    ShowMark(Image_Cross, Images[size_t(tag)]);
    repaint();
    if (!PlayWrongSound(true)) return TFeedback::Gone;
    Image_Cross->hide();
    Images[size_t(tag)]->hide();
    if (!LeavingScreen() && !Finishing)
        ActivityMedia().PlayNotifiedSound(WordSound, NewPlay()); // the word again
    return TFeedback::Wrong;
}

// ---- practice ----------------------------------------------------------------------------

TForm_VocabPrac::TForm_VocabPrac(TForm_Main& main, QWidget* parent) : TForm_Vocab(main, parent, PracticeSetup()) {
    CreatePracticeParts({48, 27}, {18, 32}, {376, 550}, TLightBarShape::Horizontal);
    EButton_Hint->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_HintClick(); }); };
    ShowPercent(0);
    Help->RaiseAll();
}

void TForm_VocabPrac::Image1Click(int tag) {
    if (!TakesClick(tag)) return;
    const TFeedback answer = AnswerFeedback(tag);
    if (answer == TFeedback::Gone) return;
    CountAttempt(answer == TFeedback::Right);
    if (answer == TFeedback::Right) NextQuestion();
}

void TForm_VocabPrac::EButton_HintClick() {
    if (!AcceptsAnswers()) return;
    std::vector<int> open;
    for (int k = 1; k <= kVocabChoices; ++k)
        if (k != CorrectSlot && Images[k]->isVisibleTo(this)) open.push_back(k);
    if (open.empty()) return;
    PlayWrongSound(false);
    Images[size_t(open[size_t(Random(int(open.size())))])]->hide();
    ++Attempts; // a hint counts as a wrong attempt
    ShowPercent(RightAnswers * 100 / Attempts);
}

// ---- test ----------------------------------------------------------------------------------

TForm_VocabTest::TForm_VocabTest(TForm_Main& main, QWidget* parent) : TForm_Vocab(main, parent, TestSetup()) {
    CreateTestParts({96, 58}, {99, 114}, {613, 49});
    Panel_Spinner = new QWidget(Panel_Background);
    Panel_Spinner->setGeometry(42, -2, 188, 149);
    Panel_Spinner->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image_Spinner->setParent(Panel_Spinner);
    fcLabel_EndScore->setParent(Panel_Spinner);
    Panel_Spinner->hide();
    Help->RaiseAll();
}

void TForm_VocabTest::NextQuestion() {
    RunTestQuestion([this] { TForm_Vocab::NextQuestion(); });
}

void TForm_VocabTest::Image1Click(int tag) {
    if (!TakesClick(tag)) return;
    if (!BeginTestAnswer()) return;
    const TFeedback answer = AnswerFeedback(tag);
    if (answer == TFeedback::Gone) return;
    EndTestAnswer(answer == TFeedback::Right);
    if (answer == TFeedback::Right) NextQuestion();
}

} // namespace tav
