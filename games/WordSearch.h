#pragma once
// The word search: a list of the film's words on the right; choosing one
// lists every spoken line that holds it as a whole word, shows the first
// with the word highlighted and plays its scene from the clip pool. A line
// of the list, the caption, the film or the play button plays a line again.
#include <QWidget>

#include <string>
#include <vector>

#include "toolkit/Screen.h"
#include "toolkit/Timer.h"

namespace tav {

class TForm_Main;
class TZrButton;
class TImage;
class TPanel;
class TfcLabel;
class TCoolListBox;
class THelpOverlay;
class TWordCardHost;
struct TMovieEntry;

// The caption under the film: the current line in display lines of the
// caption's width, each with the search word's first occurrence in red.
class TCaptionBox : public QWidget {
    Q_OBJECT
public:
    explicit TCaptionBox(QWidget* parent);
    void SetCaption(const std::string& text, const std::string& searchWord);
    const std::string& Text() const { return text_; }
    // The display line under a point and the byte offset of the character
    // in it; false between characters' lines or beside the text.
    bool CharacterAt(const QPoint& at, std::string& line, size_t& byteOffset) const;
    std::function<void()> OnClick;
    // A click with its place; a click on a word opens its card instead of OnClick.
    std::function<bool(const QPoint&)> OnClickAt;

    static constexpr int kLineStep = 23;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    std::string text_, word_;
};

class TForm_WordSearch : public TScreen {
    Q_OBJECT
public:
    TForm_WordSearch(TForm_Main& main, QWidget* parent);
    ~TForm_WordSearch() override;

    void ScreenReady() override;

    static constexpr int kWordRows = 22, kLineRows = 7;
    static constexpr int kWordStepLimit = 16, kLineStepLimit = 4;

    // ---- controls
    TImage* Image_Background;
    TPanel* Panel_Video;
    TZrButton* EButton_Play;
    TCaptionBox* PaintBox_Caption;
    TCoolListBox* CoolListBox2;  // the matching lines
    TPanel* Panel_Scroll3;
    TImage* Image_Scroll3;
    TZrButton *EButton_Up2, *EButton_Down2;
    TCoolListBox* CoolListBox;   // the word list
    TZrButton *EButton_Up, *EButton_Down;
    TImage *Panel_NoScroll, *Panel_HideScroll2, *Panel_HideScroll4;
    TfcLabel* Label_Notice;      // "no line holds the word", "no word list"
    TZrButton* EButton_Back;
    THelpOverlay* Help;
    TWordCardHost* WordCards; // a clicked word of the caption
    TTimer Timer_UpDown, Timer_UpDown2;

    // ---- fields
    std::vector<const TMovieEntry*> Matches;
    std::string SearchWord;
    const TMovieEntry* CurrentMatch = nullptr;
    int ScrollStep = 0, ScrollStep2 = 0;
    bool Searching = false;
    // Back was clicked: the screen waits for its screen change and takes no
    // more choices, searches or plays.
    bool Leaving = false;

    // ---- operations
    void SearchWordInFilm(int row, bool play);
    void PlayMatch();
    void SetCaption(const std::string& text);
    // The word card for the caption's word under a point; false when none is there.
    bool CaptionWordClicked(const QPoint& at);

    // ---- events
    void CoolListBoxClick();
    void CoolListBox2Click();
    void EButton_PlayClick();
    void ArrowDown(bool lineList, int step);
    void ArrowUp(bool lineList);
    void Timer_UpDownTimer();
    void Timer_UpDown2Timer();
    void EButton_BackClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadWordList();
    void Notice(const std::string& text);
    void ScrollTick(TCoolListBox* list, int& step, int limit, int rows, TZrButton* up, TZrButton* down);
    static void EnableArrows(TCoolListBox* list, int rows, TZrButton* up, TZrButton* down);
    void PlayRange(int from, int to);

    // Counts the searches begun; a search that lets queued messages run goes
    // on only if no other search began meanwhile.
    int searchSerial_ = 0;
    // A search is between clearing its results and showing the new ones.
    bool betweenResults_ = false;

    TForm_Main& main_;
};

} // namespace tav
