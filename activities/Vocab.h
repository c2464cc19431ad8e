#pragma once
// The vocabulary activity: the learner hears a word of the film's word list,
// sees it written and picks its picture out of six. No film: the test clock
// starts when the word's sound has ended. The practice screen counts a
// percentage on a horizontal light bar and offers a hint; the test has 20
// questions with a 5-second clock each and records its score in slot 1.
#include <array>
#include <string>
#include <vector>

#include "activities/Drill.h"
#include "activities/VocabWords.h"

namespace tav {

class TForm_Vocab : public TForm_Drill {
    Q_OBJECT
public:
    TForm_Vocab(TForm_Main& main, QWidget* parent, const TActivitySetup& setup);

    std::array<TImage*, kVocabChoices + 1> Images{}; // [1..6]: Image1 .. Image6
    bool LastAnswerRight = false;
    int CorrectSlot = 0;
    std::vector<std::string> Captions; // the entries' written forms by index
    int CurrentWord = -1;
    std::string WordSound;
    std::string NumberBag;
    std::string AllNumbers;

    void StartActivity() override;
    void NextQuestion() override;
    void EButton_PlayClick() override;
    // A picture was clicked; tag = its place.
    virtual void Image1Click(int tag) = 0;

    static const char* const kFewWordsText;

protected:
    void AskWord(int index);
    // The family's feedback.
    TFeedback AnswerFeedback(int tag);
    // A click that may count: a question is up and no feedback is playing.
    bool TakesClick(int tag) const;
};

class TForm_VocabPrac : public TForm_Vocab {
    Q_OBJECT
public:
    TForm_VocabPrac(TForm_Main& main, QWidget* parent);
    void Image1Click(int tag) override;
    void EButton_HintClick();
};

class TForm_VocabTest : public TForm_Vocab {
    Q_OBJECT
public:
    TForm_VocabTest(TForm_Main& main, QWidget* parent);
    void NextQuestion() override;
    void Image1Click(int tag) override;
};

} // namespace tav
