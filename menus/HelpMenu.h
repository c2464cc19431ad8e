#pragma once
// The help-language screen (state 3): the help languages the disc offers as a
// scrolling list of flags. Clicking a flag switches the help language (when
// the disc has its help folder), reloads the help picture and greets the
// learner in that language by the time of day.
#include <QImage>
#include <QTime>

#include <functional>
#include <memory>
#include <string>

#include "toolkit/Screen.h"
#include "toolkit/Timer.h"

namespace tav {

class TForm_Main;
class TImage;
class TPanel;
class TCoolListBox;
class TZrButton;
class THelpOverlay;
class TMCIPlayer;

// "gm" before noon, "ge" from 18:00, "ga" in between.
std::string GreetingSuffix(const QTime& time);

class TForm_HelpMenu : public TScreen {
    Q_OBJECT
public:
    TForm_HelpMenu(TForm_Main& main, QWidget* parent);
    ~TForm_HelpMenu() override;

    // ---- controls
    TImage* Image_Background;
    TCoolListBox* ListBox_Flags;
    TPanel* Panel_HideScroll;
    TZrButton* EButton_Up;
    TZrButton* EButton_Down;
    TZrButton* EButton_Back;
    THelpOverlay* Help; // Panel_Help/Image_Help, Image_Hint1, Timer_Hint
    TTimer Timer_UpDown;

    QImage FlagStrip; // one 30-pixel band per offered language, in list order
    int RowsShown = 0;
    int CurrentRow = -1;
    int ScrollDirection = 0;

    // ---- events
    void ListBox_FlagsClick();
    void Timer_UpDownTimer();
    void EButton_BackClick();

    // The greeting player, created with the screen.
    std::unique_ptr<TMCIPlayer> GreetingPlayer;
    // Plays a greeting file from start to end without waiting (through
    // GreetingPlayer; tests replace it).
    std::function<void(const std::string& file)> PlayGreeting;
    // Stops and closes the greeting (Back).
    std::function<void()> CloseGreeting;
    // The time of day (tests fix it).
    static std::function<QTime()> Now;

    // The greeting file of a language code for the current time of day.
    std::string GreetingFile(const std::string& codeText) const;

    static constexpr int kRowHeight = 30;
    static constexpr int kRows = 8;

private:
    void LoadHelpPictures();
    void DrawFlag(class QPainter& painter, int index, const QRect& rect, bool selected);

    TForm_Main& main_;
};

} // namespace tav
