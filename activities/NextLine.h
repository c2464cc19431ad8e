#pragma once
// The next-line activity: a film line is shown and played; when it has been
// heard, three lines are offered and the learner picks the one spoken next.
// A right answer makes that line the next one played, so a visit walks
// forward through the film from a random starting point. The practice
// screen counts a percentage and offers a hint; the test has 20 questions
// whose 10-second clock starts when the choices appear.
#include <array>
#include <string>

#include "activities/Activity.h"

namespace tav {

class TForm_NextLine : public TForm_Activity {
    Q_OBJECT
public:
    TForm_NextLine(TForm_Main& main, QWidget* parent, const TActivitySetup& setup);

    static constexpr int kBars = 3;

    TPanel* Panel_Bars;
    TImage* Image_Bars;
    std::array<TfcLabel*, kBars + 1> Bars{}; // [1..3]: fcLabel_Bar1 .. fcLabel_Bar3
    TImage* Image_Tick2;
    TImage* Image_Cross2;
    int CorrectSlot = 0;
    bool LastAnswerRight = false;
    const TMovieEntry* AnswerLine = nullptr; // the right answer now, the line played next

    void StartActivity() override;
    void NextQuestion() override;
    // A bar was clicked; tag = 1..3.
    virtual void fcLabel_Bar1Click(int tag);

    // The messages shown instead of a question when the film falls short.
    static const char* const kNoStartText;
    static const char* const kNoMoreText;

protected:
    void PlaybackDone() override;
    // The family's feedback.
    TFeedback AnswerFeedback(int tag);
    bool BarOpen(int tag) const;

private:
    void CentreMark(TImage* mark, const TfcLabel* bar);
};

class TForm_NextLinePrac : public TForm_NextLine {
    Q_OBJECT
public:
    TForm_NextLinePrac(TForm_Main& main, QWidget* parent);
    void fcLabel_Bar1Click(int tag) override;
    void EButton_HintClick();
};

class TForm_NextLineTest : public TForm_NextLine {
    Q_OBJECT
public:
    TForm_NextLineTest(TForm_Main& main, QWidget* parent);
    void NextQuestion() override;
    void fcLabel_Bar1Click(int tag) override;
};

} // namespace tav
