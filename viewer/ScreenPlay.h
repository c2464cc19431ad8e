#pragma once
// The screenplay viewer: the whole film in a panel with the current line as a
// caption under it; play and stop, winding with a position scale, full screen,
// a drop-down script whose lines play when clicked, and a film strip of 24
// thumbnails that start the film where they stand. The film is the clip pool's;
// captions and script come from the main window's movie index.
#include <QPoint>
#include <QWidget>

#include <QPointer>

#include <array>
#include <map>
#include <memory>
#include <string>

#include "toolkit/Screen.h"
#include "toolkit/Timer.h"

namespace tav {

class TForm_Main;
class TZrButton;
class TCustomZrImageStrip;
class TImage;
class TPanel;
class TfcLabel;
class TCoolListBox;
class THelpOverlay;
class TVolumeControl;
class TAnkiButton;
class TWordCardHost;
class TMyWords;
class TMyWordsPanel;
struct TMovieEntry;
struct TMyWord;

// A click area over one thumbnail of the film strip: clear, with a red
// two-pixel outline only while it is the selected one.
class TThumbShape : public QWidget {
    Q_OBJECT
public:
    explicit TThumbShape(QWidget* parent);
    void SetOutlined(bool on);
    bool Outlined() const { return outlined_; }
    int Tag = 0;
    std::function<void(TThumbShape*)> OnMouseDown;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    bool outlined_ = false;
};

class TForm_ScreenPlay : public TScreen {
    Q_OBJECT
public:
    TForm_ScreenPlay(TForm_Main& main, QWidget* parent);
    ~TForm_ScreenPlay() override;

    void ScreenReady() override;
    void MessageReceived(int message, intptr_t wParam, intptr_t lParam) override;

    static constexpr int kThumbs = 24;
    static constexpr int kDropClosed = 82, kDropOpen = 190, kListOpen = 175;
    static constexpr int kKnobFirst = 26, kKnobTravel = 104;
    static constexpr int kMaxJump = 4096;

    // ---- controls
    TImage* Image_Background;
    TPanel* Panel_Video;
    TfcLabel* fcLabel_Caption;
    TZrButton *EButton_Rwd, *EButton_Play, *EButton_Stop, *EButton_Fwd, *EButton_Volume;
    TZrButton *EButton_Back, *EButton_Script, *EButton_Find, *EButton_Expand;
    TVolumeControl* Volume;
    TPanel* Panel_Scale;
    TImage* Image_Scale;
    TImage* Image_Arrow;
    TfcLabel* fcLabel_HMSF;
    TPanel* Panel_DropDown;
    TImage* Image_DropDown;
    TCoolListBox* ListBox_DropDown;
    TPanel* Panel_Scrollbar;
    TImage* Image_Scrollbar;
    TZrButton *EButton_ScrollUp, *EButton_ScrollDown;
    TImage* Image_ScrollButton;
    TImage* Image_Find;
    TfcLabel* fcLabel_Caption2;
    std::array<TThumbShape*, kThumbs + 1> Shapes{}; // [1..24]
    THelpOverlay* Help;
    TAnkiButton* AnkiExport; // the current line to Anki (key A)
    TWordCardHost* WordCards; // a clicked word of the caption or the script
    TZrButton* EButton_MyWords; // the learner's word list (key W)
    QPointer<TMyWordsPanel> WordsPanel;
    std::unique_ptr<TMyWords> MyWords; // the list the open panel shows
    TTimer Timer_Captions, Timer_RwdFwd, Timer_DropDown, Timer_ScrollBar;
    TTimer Timer_WheelEnd; // the wheel has stopped turning: stand the film at the script

    // ---- line tools: beside the film, each with a key and a tool tip
    TZrButton *EButton_PrevLine, *EButton_Replay, *EButton_NextLine, *EButton_Loop;     // left column
    TZrButton *EButton_Slow75, *EButton_Slow50, *EButton_AutoPause, *EButton_Translation; // right column
    TfcLabel* fcLabel_Translation; // under the caption

    // ---- fields
    const TMovieEntry* CurrentEntry = nullptr;
    int JumpStep = 0;
    int DropDownMode = 0; // 0 closed or closing, 1 script, 2 film strip
    bool Playing = false;
    int ScrollStep = 0;
    int MaxTopLine = 0;
    bool KnobDragging = false;
    int KnobGrabY = 0;
    int LastTopLine = -1, KnobTop = kKnobFirst;
    std::array<int, kThumbs + 1> ThumbPositions{}; // [1..24], -1 = no thumbnail
    std::array<std::string, kThumbs + 1> ThumbHints{};
    int SelectedThumb = 0;

    // ---- line tools' state
    bool LoopLine = false;        // line plays start again at their end until stopped
    bool AutoPause = false;       // the film stops at the end of every line
    bool ShowTranslation = false; // the translation under the caption
    double Speed = 1.0;           // 1, 0.75 or 0.5; the pitch is kept
    std::map<int, std::string> Translations; // by the line's SequenceNumber, help language
    // The exact range play in progress: one line (replay, previous, next,
    // loop) or the film up to the end of a line (auto-pause).
    enum class TRangePlay { None, Line, ToLineEnd };
    TRangePlay RangePlay = TRangePlay::None;
    const TMovieEntry* RangeEntry = nullptr; // the line of a line play
    int RangeEnd = -1;                       // where the range play stops (excluded)
    int ResumeAt = -1;                       // stopped at a line's end: where Play goes on

    // ---- the word card: the film pauses while it is open and goes on when
    // it is closed, unless something else has started meanwhile
    bool ResumeAfterCard = false;
    bool CardPlaying = false; // a line play the card asked for (it stays open)

    // ---- operations
    void LoadStrip(const std::string& fileName);
    void ShowScalePosition(int position, int length);
    void JumpBy();
    void ShowEntry(const TMovieEntry* entry, bool scroll);
    void PlayEntry(const TMovieEntry* entry, bool toEnd);
    void SetPlaying(bool playing);
    void StartViewing();
    void ScrollLines();
    void SeekToVisibleLine();

    // ---- events
    void Timer_CaptionsTimer();
    void EButton_PlayClick();
    void EButton_ExpandClick();
    void WindDown(int step);
    void WindUp();
    void Timer_RwdFwdTimer();
    void EButton_ScriptClick();
    void EButton_FindClick();
    void Timer_DropDownTimer();
    void ListBox_DropDownMouseDown();
    void ScrollButtonDown(int step);
    void Image_ScrollbarMouseDown(int y);
    void Image_ScrollButtonMouseDown(int y);
    void Image_ScrollButtonMouseMove(int y);
    void ScrollMouseUp();
    void ListBox_DropDownWheel(int notches);
    void Timer_ScrollBarTimer();
    void Shape1MouseDown(int tag);
    void EButton_BackClick();

    // ---- line tools
    void ReplayLine();
    void StepLine(int delta);
    void ToggleLoop();
    void ToggleSpeed(double speed);
    void ToggleAutoPause();
    void ToggleTranslation();
    // The line the tools work on: the caption's, else the one just heard,
    // else the next one; nullptr when the film has none.
    const TMovieEntry* ToolLine() const;
    // Plays one line exactly, from its first frame to its last.
    void PlayLine(const TMovieEntry* entry);
    // Plays the film on from a position (-1: where it stands); with
    // auto-pause on, only up to the end of the line at or after it.
    void PlayOn(int from);

    // The word card for the character at byte offset `at` of the shown
    // text of entry's line; its foot at y, centred on x (screen coordinates).
    // False when no word is there.
    bool OpenWordCard(const std::string& text, size_t at, const TMovieEntry* entry, int x, int y);
    void CaptionClicked(TfcLabel* label, const QPoint& at);
    // Opens the learner's word list over the film (the film stops).
    void OpenMyWords();
    void PlayMyWord(const TMyWord& word);
    // A click on the script's current row at a point of the list: the word card.
    bool ScriptWordClicked(int index, const QPoint& at);

    // The knob's top for a list top line (26 .. 130).
    int KnobTopFor(int topLine) const;

private:
    void DropDownButton(int mode);
    void CreateLineTools();
    void ShowToggle(TZrButton* button, int tool, bool on);
    void ShowTranslationOf(const TMovieEntry* entry);
    int LineEndAfter(int position) const;
    int IndexOf(const TMovieEntry* entry) const;
    void UpdateKnob();
    int FilmPosition() const;
    int FilmLength() const;

    TForm_Main& main_;
};

} // namespace tav
