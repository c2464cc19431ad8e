#include "media/ZrMCIMedia.h"

#include "content/UnicodeText.h"
#include "platform/Messages.h"
#include "toolkit/ErrorHandler.h"

namespace tav {

namespace {

// The device's errors reach the caller as the panel's own error class.
template <class F>
auto Raising(F&& fn) {
    try {
        return fn();
    } catch (const EMediaPanelError&) {
        throw;
    } catch (const EProgramError& e) {
        throw EMediaPanelError(e.what());
    }
}

bool SameName(const std::string& a, const std::string& b) { return AsciiLower(a) == AsciiLower(b); }

} // namespace

TZrMCIMedia::TZrMCIMedia(QWidget* parent) : QFrame(parent), device_(std::make_unique<TMCIPlayer>()) {
    setFrameStyle(QFrame::NoFrame);
    QPalette navy = palette();
    navy.setColor(QPalette::Window, QColor(0, 0, 128));
    setPalette(navy);
    setAutoFillBackground(true);
}

TZrMCIMedia::~TZrMCIMedia() { Close(); }

void TZrMCIMedia::CheckOpen() const {
    if (!isOpen_) throw EMediaPanelError("Media not open");
}

void TZrMCIMedia::Reopen() {
    if (isOpen_) Open();
}

void TZrMCIMedia::SetMediaFilename(const std::string& name) {
    if (SameName(name, filename_) && name.size() == filename_.size()) return;
    filename_ = name;
    Reopen();
}

void TZrMCIMedia::SetMediaDeviceType(const std::string& type) {
    if (SameName(type, deviceType_)) return;
    deviceType_ = type;
    Reopen();
}

void TZrMCIMedia::SetMediaAlias(const std::string& alias) {
    if (SameName(alias, alias_)) return;
    alias_ = alias;
    Reopen();
}

void TZrMCIMedia::SetMediaEnd(int ms) {
    end_ = ms;
    if (!MediaIsPlaying()) return;
    // The play goes on to the new end; an end it has already passed (a new
    // section elsewhere in the clip) cannot be played to, so it stops there
    // and the caller's next Play starts the new section.
    if (end_ >= 0 && end_ <= MediaPosition()) Stop();
    else Resume(0);
}

int TZrMCIMedia::MediaPosition() {
    if (!isOpen_) return -1;
    return Raising([&] { return device_->GetPosition(); });
}

void TZrMCIMedia::SetMediaPosition(int ms) {
    if (isOpen_ && ms != MediaPosition()) Seek(ms);
}

void TZrMCIMedia::SetMediaVolume(int volume) {
    if (volume == volume_) return;
    volume_ = volume;
    if (isOpen_ && volume_ >= 0) device_->SetVolume(volume_);
}

void TZrMCIMedia::SetMediaBreakKey(int key) {
    // Kept for the forms that set it; the device has no break key (a
    // waiting play holds user input until it ends).
    breakKey_ = key;
}

void TZrMCIMedia::SetMediaIsOpen(bool open) {
    if (open == isOpen_) return;
    if (open) Open();
    else Close();
}

bool TZrMCIMedia::MediaIsPlaying() const { return isOpen_ && device_->IsPlaying(); }

void TZrMCIMedia::SetMediaIsPlaying(bool playing) {
    if (!isOpen_ || playing == MediaIsPlaying()) return;
    if (playing) Resume(0);
    else Stop();
}

void TZrMCIMedia::SetMediaScale(bool scale) {
    if (scale == scale_) return;
    scale_ = scale;
    if (!isOpen_ || !HasVideo) return;
    if (scale_) device_->PutDestination({0, 0, width(), height()});
    else device_->PutDestination(NaturalRect);
}

void TZrMCIMedia::SetMediaFullScreen(bool fullScreen) {
    if (fullScreen == fullScreen_) return;
    fullScreen_ = fullScreen;
    if (MediaIsPlaying()) Resume(0);
}

void TZrMCIMedia::SetMediaMuted(bool muted) {
    if (muted == muted_) return;
    muted_ = muted;
    if (isOpen_) device_->SetMuted(muted_);
}

void TZrMCIMedia::Open() {
    Close();
    if (filename_.empty()) return;
    OpenDevice();
    try {
        if (start_ > 0) Seek(start_);
    } catch (...) {
        device_->Close();
        throw;
    }
    if (volume_ >= 0) device_->SetVolume(volume_);
    if (muted_) device_->SetMuted(true);
    isOpen_ = true;
}

void TZrMCIMedia::OpenDevice() {
    Raising([&] { device_->Open(filename_, this, scale_ ? TMCIOpenOptions(ooFitPanel) : TMCIOpenOptions(0)); });
    HasVideo = device_->HasVideo;
    NaturalRect = {0, 0, 24, 24};
    if (HasVideo && device_->NaturalRect.Width > 0) NaturalRect = device_->NaturalRect;
    if (HasVideo && AutoSize) resize(NaturalRect.Width, NaturalRect.Height);
    if (HasVideo && scale_) device_->PutDestination({0, 0, width(), height()});
}

void TZrMCIMedia::Close() {
    if (!isOpen_) return;
    repeat_ = false;
    device_->Close();
    isOpen_ = false;
}

void TZrMCIMedia::Play(TMediaPlayOptions options) {
    CheckOpen();
    if (options & PlayReverse) throw EMediaPanelError("Reverse play is not supported");
    PlayRange(start_ < 0 ? 0 : start_, end_, options, fullScreen_);
}

void TZrMCIMedia::Resume(TMediaPlayOptions options) {
    CheckOpen();
    if (options & PlayReverse) throw EMediaPanelError("Reverse play is not supported");
    PlayRange(-1, end_, options, fullScreen_);
}

void TZrMCIMedia::PlayRange(int from, int to, TMediaPlayOptions options, bool fullScreen) {
    const int length = MediaLength();
    if (to > length) to = -1;
    repeat_ = (options & PlayRepeat) != 0;
    repeatFrom_ = from >= 0 ? from : MediaPosition();
    Raising([&] { device_->Play(from, to, (options & PlayWait) != 0, this, fullScreen); });
}

void TZrMCIMedia::Pause() {
    CheckOpen();
    repeat_ = false;
    Raising([&] { device_->Stop(false); });
}

void TZrMCIMedia::Stop() {
    CheckOpen();
    repeat_ = false;
    Raising([&] { device_->Stop(false); });
}

int TZrMCIMedia::MediaLength() {
    if (!isOpen_) return -1;
    return Raising([&] { return device_->GetLength(); });
}

void TZrMCIMedia::Seek(int position) {
    if (!device_->IsOpen) throw EMediaPanelError("Media not open");
    repeat_ = false;
    Raising([&] { device_->Seek(position); });
}

void TZrMCIMedia::DoMediaComplete() {
    if (OnMediaComplete) OnMediaComplete();
}

bool TZrMCIMedia::event(QEvent* e) {
    const TMessageEvent* m = AsMessage(e, MM_MCINOTIFY);
    if (!m) return QFrame::event(e);
    // Only this device's latest play counts: the end of a section queued
    // just before the next one started is stale.
    if (!isOpen_ || m->LParam() != device_->DeviceID) return true;
    if (m->Serial() != 0 && m->Serial() != device_->PlaySerial()) return true;
    if (m->WParam() == MCI_NOTIFY_FAILURE) {
        // A damaged file ends the section early: no end is coming.
        repeat_ = false;
        if (OnMediaFailed) RunGuarded([this] { OnMediaFailed(); });
        return true;
    }
    // Only a play that reached its end completes.
    if (m->WParam() != MCI_NOTIFY_SUCCESSFUL) return true;
    if (repeat_) {
        RunGuarded([this] {
            const int to = end_ > MediaLength() ? -1 : end_;
            device_->Play(repeatFrom_, to, false, this, fullScreen_);
        });
        return true;
    }
    DoMediaComplete();
    return true;
}

void TZrMCIMedia::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    if (isOpen_ && HasVideo && scale_) device_->PutDestination({0, 0, width(), height()});
}

} // namespace tav
