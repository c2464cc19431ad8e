#pragma once
// A panel that owns one media device and shows its video inside itself,
// configured through properties (file, start and end in milliseconds,
// volume, muting, scaling, full screen) and reporting the end of a play
// through OnMediaComplete. Repeat is supported; reverse play is refused.
#include <QFrame>

#include <functional>
#include <memory>
#include <string>

#include "content/OurUtils.h"
#include "media/MCIControl.h"

namespace tav {

class EMediaPanelError : public EProgramError {
public:
    using EProgramError::EProgramError;
};

enum TMediaPlayOption : unsigned { PlayWait = 1, PlayRepeat = 2, PlayReverse = 4 };
using TMediaPlayOptions = unsigned;

class TZrMCIMedia : public QFrame {
public:
    explicit TZrMCIMedia(QWidget* parent = nullptr);
    ~TZrMCIMedia() override;

    // ---- properties (milliseconds)
    const std::string& MediaFilename() const { return filename_; }
    void SetMediaFilename(const std::string& name);
    const std::string& MediaDeviceType() const { return deviceType_; }
    void SetMediaDeviceType(const std::string& type);
    const std::string& MediaAlias() const { return alias_; }
    void SetMediaAlias(const std::string& alias);
    int MediaStart() const { return start_; }
    void SetMediaStart(int ms) { start_ = ms; }
    int MediaEnd() const { return end_; }
    void SetMediaEnd(int ms);
    int MediaPosition();
    void SetMediaPosition(int ms);
    int MediaVolume() const { return volume_; }
    void SetMediaVolume(int volume);
    int MediaBreakKey() const { return breakKey_; }
    void SetMediaBreakKey(int key);
    bool MediaIsOpen() const { return isOpen_; }
    void SetMediaIsOpen(bool open);
    bool MediaIsPlaying() const;
    void SetMediaIsPlaying(bool playing);
    bool MediaScale() const { return scale_; }
    void SetMediaScale(bool scale);
    bool MediaFullScreen() const { return fullScreen_; }
    void SetMediaFullScreen(bool fullScreen);
    bool MediaMuted() const { return muted_; }
    void SetMediaMuted(bool muted);
    bool MediaSeekExact() const { return seekExact_; }
    void SetMediaSeekExact(bool exact) { seekExact_ = exact; } // every seek here is exact
    // The panel takes the video's natural size when it opens.
    bool AutoSize = false;

    std::function<void()> OnMediaComplete;
    // The section could not play to its end (a damaged file): no completion
    // follows.
    std::function<void()> OnMediaFailed;

    // ---- operations
    void Open();
    void Close();
    void Play(TMediaPlayOptions options = 0);
    void Resume(TMediaPlayOptions options = 0);
    void Pause();
    void Stop();
    int MediaLength();
    void Seek(int position);

    uint16_t DeviceID() const { return device_->DeviceID; }
    bool HasVideo = false;
    TMCIRect NaturalRect{0, 0, 24, 24};
    TMCIPlayer& Device() { return *device_; }

protected:
    virtual void DoMediaComplete();
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void CheckOpen() const;
    void OpenDevice();
    void PlayRange(int from, int to, TMediaPlayOptions options, bool fullScreen);
    void Reopen();

    std::unique_ptr<TMCIPlayer> device_;
    std::string filename_, deviceType_, alias_;
    int start_ = -1, end_ = -1, volume_ = -1, breakKey_ = -1;
    bool isOpen_ = false, scale_ = false, fullScreen_ = false, muted_ = false, seekExact_ = false;
    // A repeating play starts again from here when it reaches its end.
    bool repeat_ = false;
    int repeatFrom_ = 0;
};

} // namespace tav
