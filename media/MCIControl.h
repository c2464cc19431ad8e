#pragma once
// The program's media devices: TMCIPlayer plays one open film part or sound,
// TMCIRecorder makes one new voice recording. Both keep the classic media
// control operations and messages; underneath is our own engine
// (TMediaEngine on FFmpeg, SDL audio). Completions arrive as MM_MCINOTIFY
// posted to the window named by the caller: WParam = outcome
// (1 successful, 2 superseded, 4 aborted, 8 failure), LParam = DeviceID,
// and the serial number of the play or take it ends (TMessageEvent::Serial).
#include <QImage>
#include <QPointer>

#include "media/VideoPanel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QEventLoop;
class QObject;
class QTimer;
class QWidget;

namespace tav {

class TMediaEngine;
class TAudioCapture;

// Options of TMCIPlayer::Open, held as bits.
enum TMCIOpenOption : unsigned { ooFilmUnits = 1, ooFitPanel = 2, ooAlias = 8 };
using TMCIOpenOptions = unsigned;

// Time formats of the device.
constexpr int MCI_FORMAT_MILLISECONDS = 0;
constexpr int MCI_FORMAT_FRAMES = 3;

// A rectangle in the device's reading: the third and fourth values are width
// and height.
struct TMCIRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TMCIRect&) const = default;
};

// The program-wide counter used by the ooAlias option.
extern int AliasCounter;

// Where the player asks for the attenuation of a file type (extension with
// its dot) when it opens a file; a value >= 0 is applied as the volume. The
// main window plugs in its GetAttenuation; nullptr means none configured.
void SetAttenuationProvider(std::function<int(const std::string& ext)> provider);

class TMCIPlayer {
public:
    TMCIPlayer();
    ~TMCIPlayer();
    TMCIPlayer(const TMCIPlayer&) = delete;
    TMCIPlayer& operator=(const TMCIPlayer&) = delete;

    std::string FileName;
    uint16_t DeviceID = 0;
    bool HasVideo = false;
    bool Muted = false;
    bool IsOpen = false;
    TMCIRect NaturalRect;
    int32_t UnitDivisor = 1;
    std::string Alias; // "aliasN" when opened with ooAlias

    // Closes what is open, then opens FileName (an empty name only closes).
    // Panel receives the pictures; with ooFitPanel they fill it.
    void Open(const std::string& fileName, QWidget* panel, TMCIOpenOptions options);
    void Close();

    int GetLength();
    int GetPosition();
    int GetTimeFormat();
    void SetTimeFormat(int format);
    void SelectTimeFormat(int format);

    // Negative means the end; 0 is reached through 1.
    void Seek(int position);
    // From < 0: the current position; To < 0: the end. Wait blocks (pictures
    // keep painting, user input waits) until the range ends.
    void Play(int from, int to, bool wait, QObject* notifyWindow, bool fullScreen = false);
    // Plays [from, end): the sound stops at end, the picture at end is never
    // shown, and the play ends standing on the picture before it. From < 0:
    // the current position.
    void PlayTo(int from, int end, bool wait, QObject* notifyWindow);
    void Stop(bool rewind);
    // The serial number of the last play started; its completion carries it.
    uint32_t PlaySerial() const { return playSerial_; }

    // Speed of the plays that follow (0.5 .. 2; 1 normal), kept across opens:
    // the sound keeps its pitch and the pictures follow it.
    void SetRate(double rate);
    double Rate() const { return rate_; }
    // The sound the output took during the last play: output frames, and the
    // media time (ms from the first picture) it reached.
    int64_t LastPlaySoundFrames() const;
    double LastPlaySoundEndMs() const;

    void SetMuted(bool mute);
    // 1000 keeps the recorded level, 0 is silence.
    void SetVolume(int value);

    // The widget the pictures go to; nullptr gives the player's own window.
    void SetDisplayWindow(QWidget* panel);
    TMCIRect GetNaturalRect();
    // Places the picture inside the display window; width and height 0 mean
    // the natural size.
    void PutDestination(TMCIRect rect);
    void ReadVideoCaps();

    static std::string ErrorText(int code);

    // The last picture shown (null when none); handy for tests and tools.
    QImage CurrentFrame() const;
    // Start time of that picture in milliseconds from the first picture.
    int64_t CurrentFrameMs() const;
    bool IsPlaying() const;
    // Commands that reached the device (for checks such as "mute sent once").
    int MuteCommands() const { return muteCommands_; }
    // The volume now in force (1000 after every open).
    int Volume() const { return volume_; }
    TVideoPanel* Panel() const { return panel_; }
    // The full-screen window while a full-screen play runs, else nullptr.
    TVideoPanel* FullScreenWindow() const;

private:
    void CheckOpen() const;
    void StartPlay(int from, int to, bool wait, QObject* notifyWindow, bool fullScreen, bool endExcluded);
    void EndPending(int outcome);
    void DropPanel();
    void ShowFrame(const QImage& frame);
    TVideoPanel* EnsureDefaultWindow();
    void ShowFullScreen(bool on);

    std::unique_ptr<TMediaEngine> engine_;
    int timeFormat_ = MCI_FORMAT_MILLISECONDS;
    QPointer<TVideoPanel> panel_;
    bool ownsPanel_ = false;
    bool defaultWindow_ = false;
    // A full-screen play shows its pictures here; the display window is kept
    // and gets the pictures back when that play ends.
    std::unique_ptr<TVideoPanel> fullScreen_;
    QPointer<QObject> notify_;
    bool notifyPending_ = false;
    QEventLoop* waitLoop_ = nullptr;
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
    int muteCommands_ = 0;
    int volume_ = 1000;
    double rate_ = 1.0;
    uint32_t playSerial_ = 0;
};

class TMCIRecorder {
public:
    TMCIRecorder();
    ~TMCIRecorder();
    TMCIRecorder(const TMCIRecorder&) = delete;
    TMCIRecorder& operator=(const TMCIRecorder&) = delete;

    uint16_t DeviceID = 0;
    bool IsOpen = false;
    bool IsRecording = false;

    // A new, empty recording from the default input.
    void Open(int channels, int bytesPerSample, int samplesPerSec);
    // Records from 0 to ToMs milliseconds.
    void Record(int toMs, bool wait, QObject* notifyWindow);
    // The serial number of the last take started; its completion carries it.
    uint32_t RecordSerial() const { return recordSerial_; }
    void Stop();
    // Stops, then writes a standard RIFF WAVE file (an empty name only stops).
    void SaveToFile(const std::string& fileName);
    void Close();

private:
    void CheckOpen() const;
    void Poll();

    std::unique_ptr<TAudioCapture> capture_;
    std::unique_ptr<QTimer> poll_;
    int channels_ = 0, bytesPerSample_ = 0, samplesPerSec_ = 0;
    QPointer<QObject> notify_;
    bool notifyPending_ = false;
    QEventLoop* waitLoop_ = nullptr;
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
    uint32_t recordSerial_ = 0;
};

} // namespace tav
