#pragma once
// The recording studio: one actor's scene with up to five of the actor's
// lines. For each line the learner listens to it, records their own voice for
// exactly the line's length (the film plays silently meanwhile) and hears the
// take over the silent film; then the whole scene plays with the takes dubbed
// in at the actor's lines and the film's own sound elsewhere. Takes live in
// temporary WAVE files that go when the screen goes.
#include <QFutureWatcher>
#include <QWidget>

#include <array>
#include <memory>
#include <string>

#include "content/TargetIndex.h"
#include "toolkit/AppEvents.h"
#include "toolkit/Screen.h"
#include "toolkit/Timer.h"
#include "viewer/Shadowing.h"

namespace tav {

class TForm_Main;
class TZrButton;
class TImage;
class TPanel;
class TfcLabel;
class THelpOverlay;
class TShadowView;

// The voice recorder the studio takes with: a TMCIRecorder in the program.
// Every Open gives a new device identifier, so a take's completion
// (MM_MCINOTIFY, LParam = that identifier) is told apart from the
// completions of takes abandoned before it.
class IStudioRecorder {
public:
    virtual ~IStudioRecorder() = default;
    virtual void Open(int channels, int bytesPerSample, int samplesPerSec) = 0;
    // Records toMs milliseconds without waiting; notify hears the end.
    virtual void Record(int toMs, QObject* notify) = 0;
    virtual void Stop() = 0;
    virtual void SaveToFile(const std::string& fileName) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual bool IsRecording() const = 0;
    virtual int DeviceID() const = 0;
};

// What the studio asks of the media, behind one small interface so the
// screen can be driven without real playback or a microphone. The default
// goes to the program's clip pool (Form_Movie; without one there is no film
// and no sound) and to TMCIRecorder.
class IStudioMedia {
public:
    virtual ~IStudioMedia() = default;
    virtual bool HasFilm() const = 0;
    virtual void AttachDisplay(QWidget* panel) = 0;
    virtual void DetachDisplay() = 0;
    // Film units; wait blocks (messages run, user input waits) until the
    // range has played; notify hears its end.
    virtual void PlayFilm(int from, int to, bool wait, QObject* notify) = 0;
    // The serial number of the last film play; its completion carries it
    // (0: not known).
    virtual uint32_t FilmSerial() const = 0;
    virtual void StopFilm() = 0;
    virtual void SetFilmMuted(bool muted) = 0;
    virtual int GetFilmPosition() = 0;
    virtual void PrepareSound(const std::string& fileName) = 0;
    // No wait, nobody told of the end.
    virtual void PlaySound(const std::string& fileName) = 0;
    virtual void CloseSounds() = 0;
    virtual void ResetPlayers() = 0;
    virtual std::unique_ptr<IStudioRecorder> NewRecorder() = 0;
};

IStudioMedia& StudioMedia();
// Replaces it (tests); nullptr restores the clip pool and TMCIRecorder.
void SetStudioMedia(IStudioMedia* media);

// The studio's temporary recordings: "allrecord" + n + ".wav" in the
// temporary folder.
bool IsStudioRecordingName(const std::string& fileName);
// Deletes recordings a crashed run left in the temporary folder; returns how
// many went.
int RemoveLeftoverRecordings();

class TForm_Recording : public TScreen {
    Q_OBJECT
public:
    TForm_Recording(TForm_Main& main, QWidget* parent);
    ~TForm_Recording() override;

    void ScreenReady() override;
    void MessageReceived(int message, intptr_t wParam, intptr_t lParam) override;

    static constexpr int kLines = 5, kScenes = 9;
    static constexpr int kProgressWidth = 600;
    static constexpr int kEarlyClickMs = 500;
    static constexpr int kUnitMs = 40;
    static constexpr int kSampleRate = 22050;
    static constexpr int kCaptionTickMs = 100;

    // ---- controls
    TImage* Image_Background;
    TfcLabel* fcLabel_Name;
    TImage* Image_Actor;
    TPanel* Panel_Video;
    std::array<TImage*, kScenes + 1> SceneImages{}; // [1..9]: Image_DSel1 .. 9
    TPanel* Panel_Clapper;
    TZrButton* EButton_Clapper;
    TImage* Image_ClapNumber;
    std::array<QImage, kScenes> ImageList_Clapper;
    std::array<TZrButton*, kLines + 1> SoundButtons{}, RecordButtons{}, PlayButtons{}; // [1..5]
    TImage *Image_Cover4, *Image_Cover5;
    TfcLabel* fcLabel_Caption;
    TPanel* Panel_ProgressBar;
    QWidget* Shape_ProgressBar;
    TZrButton *EButton_BigPlay, *EButton_BigStop, *EButton_Back;
    THelpOverlay* Help;
    TTimer Timer_ProgressBar, Timer_Captions;
    // After a take: the actor's line and the take compared, over the film.
    TShadowView* ShadowView;

    // ---- fields
    int CurrentScene = 1;
    TRecordEntry Actor;
    std::array<std::string, kLines + 1> TempFiles; // [1..5]
    std::unique_ptr<IStudioRecorder> Recorder;
    int RecordingLine = 0;
    int LineCount = 3;
    int NextDubLine = 1;
    int RecordMs = 0;
    uint32_t RecordStartTick = 0;
    const TMovieEntry* LastCaptionEntry = nullptr;
    int SceneEnd = 0;
    bool SyncRecording = true;
    // A take runs (the hook is installed and the progress bar moves).
    bool Recording = false;
    // Back was clicked: the screen waits for its screen change and starts
    // nothing more.
    bool Leaving = false;

    // ---- operations
    void SetScene(int n);
    void PrepareScene();
    void StopScenePlay();
    void RecordingDone();

    // The movie entry of line k (1..5) of the current scene; nullptr when the
    // scene has no such line.
    const TMovieEntry* LineEntry(int k) const;
    // The start of the line before the actor's line 1 (the line's own start
    // when it is the film's first line).
    int CuePosition() const;
    bool SceneExists(int n) const;
    bool HasRecording(int k) const;

    // ---- events
    void EButton_SoundClick(int k);
    void EButton_RecordClick(int k);
    void EButton_PlayClick(int k);
    void EButton_BigPlayClick();
    void EButton_ClapperClick();
    void Image_DSelClick(int n);
    void EButton_BackClick();
    void Timer_ProgressBarTimer();
    void Timer_CaptionsTimer();
    bool RecordingHook(QObject* receiver, QEvent* event);

    int ProgressWidth() const;

    // The line the shadowing view shows (0 = none); its analysis runs off
    // the UI thread.
    int ShadowLine = 0;
    bool ShadowPending() const;
    void HideShadowing();

protected:
    bool event(QEvent* e) override;

private:
    void StartStudio();
    void SetLineButtonsEnabled(bool enabled);
    void ShowCaption(const std::string& text);
    void ShowVideo();
    bool StartTake(int k, int step);
    void AimAtNextTake(int position);
    void GiveBackHook();
    std::string ChooseTempFile(int k) const;
    void StartShadowing(int k);

    QFutureWatcher<TShadowAnalysis>* shadowWork_;
    // The recorder device of the take that runs (0: none); a recorder
    // completion from any other device belongs to an abandoned take.
    int takeDevice_ = 0;
    // Counts the screen's steps that change what the film or the buttons
    // do (plays, takes, scene changes); a step that waited for a play goes
    // on only if no other step began meanwhile.
    int stepSerial_ = 0;
    // The serial of the scene play-back's film play.
    uint32_t scenePlaySerial_ = 0;

    TForm_Main& main_;
    TAppMessageHook savedHook_;
};

} // namespace tav
