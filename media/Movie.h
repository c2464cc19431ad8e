#pragma once
// The film clip pool: one hidden window that outlives the screens and joins
// the film's part files into one timeline in film units (40 ms). Screens
// attach their video panel, play, seek and stop ranges of the film and learn
// the position; completions come to the pool and are forwarded to the screen
// that asked. It also keeps a ring of five preloaded sound players.
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "media/MCIControl.h"
#include "toolkit/AppEvents.h"

class QFrame;

namespace tav {

// What the pool takes from the main window.
struct TMovieSettings {
    std::vector<std::string> MovieNames; // part file names in the target folder
    std::string TargetFolder;
    bool NtMode = false;      // ".wav" files go to a player of their own
    bool MovieSingle = true;  // only the shown part's player stays open
    bool MovieVisible = false;
    QPointer<QWidget> MainWindow; // shown again when full-screen play ends
    // The application hook that sees every message first during full-screen
    // play; empty: the hook installed when full screen began.
    TAppMessageHook AppHook;

};

// The black full-screen backdrop of full-screen play; the film is scaled
// into it with its shape kept.
class TForm_blanker : public QWidget {
public:
    TForm_blanker();
    TVideoPanel* Video = nullptr;
    // The largest rectangle of the given shape centred in the backdrop.
    QRect FitRect(QSize natural) const;

protected:
    void resizeEvent(QResizeEvent*) override;
};

class TForm_Movie : public QWidget {
public:
    // Creation (FormCreate): opens every part to learn its length. Throws
    // "Too many movie clips!" or the player's open errors.
    explicit TForm_Movie(const TMovieSettings& settings);
    ~TForm_Movie() override;

    // ---- controls
    QFrame* Bevel1 = nullptr;
    std::array<QWidget*, 9> PartPanels{}; // [1..8]: Panel1 .. Panel8
    QLabel* Label_Reset = nullptr;

    // ---- state
    int PartCount = 0;
    std::array<std::unique_ptr<TMCIPlayer>, 9> PartPlayers;  // [1..PartCount]
    std::array<std::unique_ptr<TMCIPlayer>, 6> SoundPlayers; // [1..5]
    std::unique_ptr<TMCIPlayer> WavPlayer;
    int NextSoundSlot = 1;
    std::array<int, 10> PartStart{}; // [1..PartCount+1]
    int CurrentPart = 0;
    QPointer<QWidget> DisplayPanel;
    bool OnePlayerOnly = false;
    int RangeTo = -1;
    int FilmLength = 0;
    QPointer<QObject> NotifyWindow;
    bool FullScreen = false;
    bool Paused = false;

    // ---- film operations (film units)
    void AttachDisplay(QWidget* panel, bool onePlayerOnly);
    void DetachDisplay();
    void PlayFilm(int from, int to, bool wait, QObject* notifyWindow, bool fullScreen);
    // Plays [from, end) in the display: the picture at end is never shown
    // and the sound stops exactly there; the film then stands on the picture
    // before end. Windowed, no wait; notifyWindow hears the completion. A
    // range never crosses into the next part (it ends at the part's end).
    void PlayFilmTo(int from, int end, QObject* notifyWindow);
    // The serial number of the last film play: the completions forwarded
    // to its caller carry it. A play found superseded before it could start
    // (something queued acted on the pool first) reports outcome 2 at once.
    uint32_t FilmSerial() const { return filmSerial_; }
    void StopFilm();
    int GetFilmPosition();
    // True while a film play runs (not stopped, not ended).
    bool IsFilmPlaying() const;
    void SeekFilm(int position);
    void SetFilmMuted(bool mute);
    // Speed of the film plays that follow (0.5 .. 2, 1 normal), pitch kept.
    void SetFilmRate(double rate);
    double FilmRate = 1.0;
    // The sound the output took during the current part's last play (output
    // frames; film position in ms it reached), for measurements.
    int64_t LastFilmSoundFrames() const;
    double LastFilmSoundEndMs() const;
    // 1: a part player's device, 2: a sound player's, 0: none of ours.
    int ClassifyDevice(int deviceId) const;
    void ResetPlayers();

    // The part holding a film position (the last part at or beyond the end)
    // and the offset inside it.
    int PartOf(int position, int* offset = nullptr) const;

    // ---- sounds (milliseconds)
    TMCIPlayer* PrepareSound(const std::string& fileName);
    void PlaySound(const std::string& fileName, bool wait, QObject* notifyWindow);
    void StopSounds();
    void CloseSounds();

    // The full-screen backdrop (nullptr until the first full-screen play).
    TForm_blanker* Blanker() const { return blanker_.get(); }
    bool FullScreenHookInstalled() const { return hookInstalled_; }
    // The application hook while full-screen play runs.
    bool FullScreenHook(QObject* receiver, QEvent* event);

    // Diagnostics: the next part's player was opened and positioned ahead
    // of a run-on (with OnePlayerOnly it is held privately until the seam).
    bool NextPartReady() const;
    // Hands over to the next part as soon as the current one ends (tests
    // and the benchmark read the time of the seam from it).
    std::function<void(int part)> OnPartChanged;

protected:
    bool event(QEvent* e) override;

private:
    void FormCreate();
    void StartFilm(int from, int to, bool wait, QObject* notifyWindow, bool fullScreen, bool endExcluded);
    std::string PartPath(int k) const;
    void OpenPart(TMCIPlayer& player, int k);
    void ParkPart(int k);
    void SelectPart(int k, QWidget* panel, int offset);
    QWidget* ShownPanel() const;
    void ShowIn(TMCIPlayer& player, QWidget* panel);
    void RunOn();
    void PrepareNextPart();
    void DropStandby();
    void EnterFullScreen();
    void LeaveFullScreen();
    void LeaveFullScreenQuietly();
    void RemoveHook();
    int ClampOffset(int k, int offset);

    TMovieSettings settings_;
    std::unique_ptr<TForm_blanker> blanker_;
    bool hookInstalled_ = false;
    TAppMessageHook savedHook_;
    // The next part opened ahead of a run-on while only one part player may
    // be open (it joins PartPlayers at the seam).
    std::unique_ptr<TMCIPlayer> standby_;
    int standbyPart_ = 0;
    int prepareGeneration_ = 0;
    // Bumped by every request that changes what the film does, so a play
    // start can tell that one queued meanwhile overtook it.
    int requestGeneration_ = 0;
    uint32_t filmSerial_ = 0;
};

// The program's one clip pool: created by the main menu the first time it is
// shown, freed when the start menu goes back to the multi menu.
extern TForm_Movie* Form_Movie;

// Creates Form_Movie with the given settings when there is none yet (the main
// menu, each time it is shown) and returns it.
TForm_Movie* CreateFormMovie(const TMovieSettings& settings);
// Frees Form_Movie (the start menu going back to the multi menu).
void FreeFormMovie();

} // namespace tav
