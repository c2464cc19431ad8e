#pragma once
// The film-line activity screen that the missing-word, spelling and
// next-line activities share: the question-and-answer screen (TForm_Drill:
// caption, tick and cross, help, Back, the practice and test patterns, the
// score spinner) with the video panel, Play and volume. Its test clock
// starts when the line has finished playing.
// A family screen creates the parts of its pattern with CreatePracticeParts
// or CreateTestParts and implements NextQuestion.
#include "activities/Drill.h"
#include "content/TargetIndex.h"

namespace tav {

class TVolumeControl;

class TForm_Activity : public TForm_Drill {
    Q_OBJECT
public:
    TForm_Activity(TForm_Main& main, QWidget* parent, const TActivitySetup& setup);
    ~TForm_Activity() override;

    // ---- controls beyond the drill's
    QWidget* Panel_Video;
    TZrButton* EButton_Volume;
    TVolumeControl* Volume;
    TImage* Image_Still = nullptr; // the film's last picture, shown while the screen leaves

    // ---- fields
    const TMovieEntry* CurrentLine = nullptr;

    // ---- virtual operations
    void StartActivity() override;

    // ---- operations
    // False when the screen was deleted while the play started or (waiting) ran.
    bool PlayLine(bool notify, bool wait);
    // Stops the line (an answer was given).
    void StopLine();
    void EButton_PlayClick() override;
    // Detaches the film display for leaving, its last picture left in place.
    void LeaveFilm();

    // Puts a shortage of content on the caption instead of a question.
    void ShowNoQuestion(const std::string& why);

protected:
    void BeforeLeaving() override { LeaveFilm(); }
    bool PlaybackRunning() const override;
};

} // namespace tav
