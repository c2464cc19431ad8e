#pragma once
// The help overlay and hover hints that nearly every screen offers, as one
// helper the screen owns and wires in:
// - Image_Lifebelt, the lifebelt icon at (741, 547); touching its painted ring
//   shows Panel_Help (the screen's help picture, bottom-right corner 45 pixels
//   from the right and bottom edges); moving over the background or the help
//   picture hides it again and drops queued input (FlushInput);
// - hover hints: resting one second on a control with a hint shows that hint
//   picture; at most one hint is up at a time.
// The blend variant cross-fades the whole screen for 250 ms when the help
// picture comes and goes; the plain variant shows and hides it at once.
//
// In a screen's FormCreate, after its own controls:
//   Help = new THelpOverlay(this, THelpVariant::Blend);
//   Help->LoadHelp(Main->HelpFolder, "\mainhelp.jpg");
//   Help->LoadHints(Main->HelpFolder, "\mmhint", {{491, 541}, ...},
//                   Main->HelpLanguage != Main->TargetLanguage);
//   Help->WireBackground(Image_Background);
//   Help->WireHintControl(EButton_Activities, 1); ...
// and, where the screen has more to do: Help->OnHelpShown = ... (pause a
// clock), Help->OnBackgroundMove = ... (clear a highlight).
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Timer.h"

namespace tav {

class TImage;

// Blend: 250 ms cross-fade when the help comes and goes; Plain: at once;
// AlwaysShown: no lifebelt, the help picture is up from LoadHelp on and the
// background does not take it down (the help-language choice).
enum class THelpVariant { Blend, Plain, AlwaysShown };

class THelpOverlay : public QObject {
    Q_OBJECT
public:
    // withLifebelt false: the screen shows and hides the help itself
    // (ShowHelp/HideHelp), as the help-language choice and the quiz do.
    THelpOverlay(QWidget* screen, THelpVariant variant, bool withLifebelt = true);
    ~THelpOverlay() override;

    // ---- creation steps
    // Loads Image_Help from helpFolder + pictureName ("\mainhelp.jpg") and
    // places Panel_Help. The loader's error passes on.
    void LoadHelp(const std::string& helpFolder, const std::string& pictureName);
    // Hint pictures 1..N from helpFolder + baseName + n + ".jpg" ("\mmhint"),
    // placed at positions[n - 1]. With hints off (help language = target
    // language) nothing is loaded and no hint is ever shown.
    void LoadHints(const std::string& helpFolder, const std::string& baseName, const std::vector<QPoint>& positions,
                   bool hintsEnabled);
    // A further lifebelt at pos with the same behaviour (the spelling
    // screens have a second one over their tile area).
    TImage* AddLifebelt(const QPoint& pos);
    // Puts the lifebelt, the hints and the help panel above the screen's
    // other controls (call after creating them).
    void RaiseAll();

    // ---- wiring: mouse moves over these widgets reach the handlers below
    void WireBackground(QWidget* background);
    // A control with hint number `tag`.
    void WireHintControl(QWidget* control, int tag);

    // ---- the four events
    void Image_LifebeltMouseMove(int x, int y);
    void BackgroundMouseMove();
    void ControlMouseMove(int tag);
    void Timer_HintTimer();

    // Shows or hides the help picture in the screen's variant.
    void ShowHelp();
    void HideHelp();
    bool HelpVisible() const;

    // ---- the screen's own extra work
    std::function<void()> OnHelpShown;   // after the help picture came up
    std::function<void()> OnHelpHidden;  // after it went (before FlushInput)
    std::function<void()> OnBackgroundMove; // every background move, first
    // Drops queued input after hiding; defaults to the application's FlushInput.
    std::function<void()> FlushInput;

    // ---- elements (owned by the screen through Qt parenthood)
    TImage* Image_Lifebelt = nullptr; // the first lifebelt, nullptr without one
    QWidget* Panel_Help = nullptr;
    TImage* Image_Help = nullptr;
    TTimer Timer_Hint;
    bool HintsEnabled = false;
    int CurrentHint = 0;
    std::vector<TImage*> HintImages; // HintImages[n - 1] is hint n

    // The hint picture shown now, 0 for none.
    int VisibleHint() const;

    static constexpr int kHelpMargin = 45;
    static constexpr int kHintDelayMs = 1000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetHelpVisible(bool visible);
    TImage* Hint(int n) const;

    TImage* MakeLifebelt(const QPoint& pos);

    QWidget* screen_;
    std::vector<TImage*> lifebelts_;
    THelpVariant variant_;
    QPointer<QWidget> background_;
    std::vector<std::pair<QPointer<QWidget>, int>> hintControls_;
};

} // namespace tav
