#pragma once
// What the film quiz asks of the media: the clip pool's film and sounds, and
// the sections of the opponent's clip in the screen's media panel. Behind one
// small interface so the game can be driven without real playback; the
// default goes to the program's clip pool (Form_Movie) and to the panel.
#include <string>

class QObject;
class QWidget;

namespace tav {

class TZrMCIMedia;

class IQuizMedia {
public:
    virtual ~IQuizMedia() = default;
    // ---- the clip pool (film units; sounds by file)
    virtual void AttachDisplay(QWidget* panel) = 0;
    virtual void DetachDisplay() = 0;
    // wait blocks until the range has played; notify receives MM_MCINOTIFY
    // when it ends (nullptr: nobody). With no film to play the program's
    // own reports a failure at once, so the question goes on without it.
    virtual void PlayFilm(int from, int to, bool wait, QObject* notify) = 0;
    // Raises "Missing sound file " + path when the file is not there.
    virtual void PrepareSound(const std::string& path) = 0;
    // wait blocks until the sound ends; notify receives MM_MCINOTIFY at its end
    // (without a clip pool nothing plays and the end is reported at once).
    virtual void PlaySound(const std::string& path, bool wait, QObject* notify) = 0;
    virtual void StopSounds() = 0;
    virtual void CloseSounds() = 0;
    // 1: a film part player's device, 2: a sound player's, 0: unknown.
    virtual int ClassifyDevice(int deviceId) const = 0;
    // ---- the opponent clip in the panel (milliseconds)
    virtual void OpenOpponent(TZrMCIMedia& panel, const std::string& file) = 0;
    // Plays startMs..endMs, interrupting the section playing; the panel's
    // OnMediaComplete follows when it reaches its end.
    virtual void PlayOpponent(TZrMCIMedia& panel, int startMs, int endMs) = 0;
    virtual void StopOpponent(TZrMCIMedia& panel) = 0;
    // True while a section plays: a completion reported then belongs to a
    // section that ended before the one now playing started.
    virtual bool OpponentPlaying(TZrMCIMedia& panel) const = 0;
    virtual void CloseOpponent(TZrMCIMedia& panel) = 0;
};

IQuizMedia& QuizMedia();
// The program's own: the clip pool and the panel, whatever replaces it.
IQuizMedia& ClipPoolQuizMedia();
// Replaces it (tests); nullptr restores the clip pool and the panel.
void SetQuizMedia(IQuizMedia* media);

} // namespace tav
