#pragma once
// What the activity screens ask of the film clip pool, behind one small
// interface so the screens can be driven without real playback. The default
// goes to the program's pool (Form_Movie); without a pool the film is not
// shown but the screen is still told that "playback" ended, so a test clock
// never waits for a line that cannot play.
#include <string>

class QObject;
class QWidget;

namespace tav {

class IActivityMedia {
public:
    virtual ~IActivityMedia() = default;
    virtual void AttachDisplay(QWidget* panel) = 0;
    virtual void DetachDisplay() = 0;
    // Film units; notify receives MM_MCINOTIFY when the range ends or stops.
    virtual void PlayFilm(int from, int to, bool wait, QObject* notify) = 0;
    virtual void StopFilm() = 0;
    // True while a play of the film runs.
    virtual bool FilmPlaying() const { return false; }
    // Raises "Missing sound file " + path when the file is not there.
    virtual void PlaySound(const std::string& path, bool wait) = 0;
    virtual void CloseSounds() = 0;
    // A sound that tells notify (MM_MCINOTIFY) when it ends or is cut off;
    // raises "Missing sound file " + path. By default PlaySound without
    // waiting, its end posted.
    virtual void PlayNotifiedSound(const std::string& path, QObject* notify);
};

// The media the activity screens use now.
IActivityMedia& ActivityMedia();
// Replaces it (tests); nullptr restores the clip pool.
void SetActivityMedia(IActivityMedia* media);

} // namespace tav
