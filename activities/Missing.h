#pragma once
// The missing-word activity: a film line with one word hidden behind the gap
// mark, its clip played, and ten words on plaques to choose from. The
// practice screen counts a percentage and offers a hint; the test has 20
// questions with a 10-second clock each.
#include <array>
#include <string>
#include <vector>

#include "activities/Activity.h"

namespace tav {

class TForm_Missing : public TForm_Activity {
    Q_OBJECT
public:
    TForm_Missing(TForm_Main& main, QWidget* parent, const TActivitySetup& setup);
    ~TForm_Missing() override;

    static constexpr int kChoices = 10;

    std::array<TImage*, kChoices + 1> Images{};   // [1..10]: Image1 .. Image10
    std::array<TfcLabel*, kChoices + 1> Labels{}; // [1..10]: fcLabel1 .. fcLabel10
    TTimer Timer_NextQuestion;
    int CorrectSlot = 0;
    bool LastAnswerRight = false;
    std::string LastSpeaker;
    std::vector<std::string> WordList;
    std::string HiddenWord;
    std::string GappedLine;

    void StartActivity() override;
    void NextQuestion() override;
    // A plaque or its label was clicked; tag = the choice.
    virtual void Image1Click(int tag);
    void Timer_NextQuestionTimer();

    // The messages shown instead of a question when the content falls short.
    static const char* const kNoLineText;
    static const char* const kFewWordsText;

protected:
    // The family's feedback.
    TFeedback AnswerFeedback(int tag);
    void ShowChoice(int slot, bool visible);
    void HideChoices();
};

class TForm_MissingPrac : public TForm_Missing {
    Q_OBJECT
public:
    TForm_MissingPrac(TForm_Main& main, QWidget* parent);
    void Image1Click(int tag) override;
    void EButton_HintClick();
};

class TForm_MissingTest : public TForm_Missing {
    Q_OBJECT
public:
    TForm_MissingTest(TForm_Main& main, QWidget* parent);
    void NextQuestion() override;
    void Image1Click(int tag) override;
};

} // namespace tav
