#pragma once
// The picture dictionary: the film's word list in a scrollable list;
// choosing a word shows it in large letters with its picture and says it.
// Words the filter catches are left out but the others keep their entry
// numbers, so each still finds its own picture and sound.
#include <string>
#include <vector>

#include "toolkit/Screen.h"
#include "toolkit/Timer.h"

namespace tav {

class TForm_Main;
class TTargetIndex;
class TCoolListBox;
class TImage;
class TfcLabel;
class TZrButton;
class THelpOverlay;

// One row of the list: the entry's text and its index in the word list.
struct TDictionaryRow {
    std::string Text;
    int Index = 0;
};
std::vector<TDictionaryRow> DictionaryRows(const std::vector<std::string>& entries, const TTargetIndex& filter);

// One tick of the held arrow: the new top row and the next step. The step
// doubles up to 8 rows; the top row stays within 0 .. count - visibleRows.
struct TDictionaryScroll {
    int TopRow = 0, Step = 0;
};
TDictionaryScroll ScrollTick(int topRow, int step, int count, int visibleRows);

class TForm_Dictionary : public TScreen {
    Q_OBJECT
public:
    TForm_Dictionary(TForm_Main& main, QWidget* parent);
    ~TForm_Dictionary() override;

    static constexpr int kVisibleRows = 20;
    static const char* const kNoWordsText;

    TImage* Image_Background;
    TImage* Image;
    TZrButton* EButton_Play;
    TfcLabel* fcLabel_Caption;
    TCoolListBox* CoolListBox;
    TImage* Image_NoScroll;
    TImage* Image_HideScroll2;
    TZrButton* EButton_Up;
    TZrButton* EButton_Down;
    TZrButton* EButton_Back;
    THelpOverlay* Help;
    TTimer Timer_UpDown;

    std::vector<TDictionaryRow> Rows;
    std::string WordSound;
    int ScrollStep = 0;

    void ScreenReady() override;
    void CoolListBoxClick();
    void ShowWord(int row);
    void EButton_PlayClick();
    void Timer_UpDownTimer();
    void EButton_BackClick();

private:
    // Caption, picture and sound of a row, without saying it.
    void SetWord(int row);
    TForm_Main& main_;
};

} // namespace tav
