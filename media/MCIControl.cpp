#include "media/MCIControl.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

#include "content/OurUtils.h"
#include "media/AudioCapture.h"
#include "media/MediaEngine.h"
#include "media/VideoPanel.h"
#include "media/WaveFile.h"
#include "platform/HeldInput.h"
#include "platform/Messages.h"
#include "platform/Paths.h"

namespace tav {

int AliasCounter = 0;

namespace {

std::function<int(const std::string&)>& AttenuationProvider() {
    static std::function<int(const std::string&)> provider;
    return provider;
}

[[noreturn]] void RaiseMci(const std::string& reason) { throw EProgramError("MCI Error: " + reason); }

// Device identifiers are unique among open devices and never 0.
uint16_t NextDeviceId() {
    static uint16_t next = 0;
    if (++next == 0) ++next;
    return next;
}

std::string ExtensionOf(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    const size_t sep = name.find_last_of("\\/");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return "";
    return name.substr(dot);
}

// Waits in a local loop that keeps painting. Posted messages still run, and
// one of them may destroy the waiting device: alive tells whether it still
// exists before anything of it is touched again. One of them may also start
// another waiting play of the same device: its wait nests inside this one,
// and the device's end quits only the inner loop, so the inner wait ends the
// outer one when the device is done.
// Clicks and keys are held back meanwhile (THeldInput); the first press ends
// the wait through stop, and is delivered once the step that waited is over.
void WaitIn(QEventLoop*& slot, const std::weak_ptr<int>& alive, const std::function<bool()>& running,
            const std::function<void()>& stop) {
    if (!running()) return;
    if (THeldInput::Instance().Interrupted()) {
        stop(); // the learner has already moved on
        return;
    }
    QEventLoop loop;
    QEventLoop* outer = slot;
    slot = &loop;
    {
        THeldInput::TWait held([&alive, &stop] {
            if (!alive.expired()) stop();
        });
        while (!alive.expired() && running()) loop.exec();
    }
    const bool gone = alive.expired();
    if (!gone) slot = outer;
    if (outer && (gone || !running())) outer->quit();
}

} // namespace

void SetAttenuationProvider(std::function<int(const std::string& ext)> provider) {
    AttenuationProvider() = std::move(provider);
}

std::string TMCIPlayer::ErrorText(int code) {
    switch (code) {
    case 0: return "The specified command was carried out";
    case 1: return "no media file is open";
    case 2: return "the time format is not supported";
    case 3: return "the play range is not valid";
    default: return Format("Unknown error code %d", code);
    }
}

// ---- TMCIPlayer -----------------------------------------------------------

TMCIPlayer::TMCIPlayer() = default;

TMCIPlayer::~TMCIPlayer() {
    Close();
    if (waitLoop_) waitLoop_->quit();
}

void TMCIPlayer::CheckOpen() const {
    if (!IsOpen) throw EProgramError("Media player not open");
}

void TMCIPlayer::EndPending(int outcome) {
    if (notifyPending_ && notify_) PostMessage(notify_, MM_MCINOTIFY, outcome, DeviceID, playSerial_);
    notifyPending_ = false;
    notify_ = nullptr;
}

void TMCIPlayer::Open(const std::string& fileName, QWidget* panel, TMCIOpenOptions options) {
    Close();
    if (fileName.empty()) return;
    if (options & ooAlias) Alias = "alias" + std::to_string(AliasCounter++);
    try {
        engine_ = std::make_unique<TMediaEngine>(NativePath(fileName));
    } catch (const EMediaError& e) {
        RaiseMci(e.what());
    }
    engine_->OnFrame = [this](const QImage& frame) { ShowFrame(frame); };
    engine_->SetRate(rate_);
    engine_->OnFinished = [this](int outcome) {
        ShowFullScreen(false);
        EndPending(outcome);
        if (waitLoop_) waitLoop_->quit();
    };
    IsOpen = true;
    Muted = false;
    volume_ = 1000;
    DeviceID = NextDeviceId();
    FileName = fileName;
    try {
        ReadVideoCaps();
        if (HasVideo) {
            NaturalRect = GetNaturalRect();
            if (panel) {
                SetDisplayWindow(panel);
                if (options & ooFitPanel) PutDestination({0, 0, panel->width(), panel->height()});
            }
        }
        // Film units are 40 ms. The engine counts milliseconds only, so there
        // is no frame format to fall back on: media shorter than one unit
        // report their zero length.
        UnitDivisor = (options & ooFilmUnits) ? 40 : 1;
        SelectTimeFormat(MCI_FORMAT_MILLISECONDS);
        if (AttenuationProvider()) {
            const int attenuation = AttenuationProvider()(ExtensionOf(fileName));
            if (attenuation >= 0) SetVolume(attenuation);
        }
    } catch (...) {
        Close();
        throw;
    }
}

void TMCIPlayer::Close() {
    if (IsOpen) {
        if (engine_) engine_->Stop();
        ShowFullScreen(false);
        EndPending(MCI_NOTIFY_ABORTED);
        if (waitLoop_) waitLoop_->quit();
    }
    DropPanel();
    fullScreen_.reset();
    engine_.reset();
    IsOpen = false;
    DeviceID = 0;
    FileName.clear();
    NaturalRect = {};
    HasVideo = false;
    timeFormat_ = MCI_FORMAT_MILLISECONDS;
}

int TMCIPlayer::GetLength() {
    CheckOpen();
    return static_cast<int>(engine_->LengthMs() / UnitDivisor);
}

int TMCIPlayer::GetPosition() {
    if (!IsOpen) RaiseMci(ErrorText(1));
    return static_cast<int>(engine_->PositionMs() / UnitDivisor);
}

int TMCIPlayer::GetTimeFormat() {
    CheckOpen();
    return timeFormat_;
}

void TMCIPlayer::SetTimeFormat(int format) {
    if (!IsOpen) return;
    // The engine counts milliseconds only; film units are derived from them.
    if (format != MCI_FORMAT_MILLISECONDS) RaiseMci(ErrorText(2));
    timeFormat_ = format;
}

void TMCIPlayer::SelectTimeFormat(int format) {
    SetTimeFormat(format);
    if (GetTimeFormat() != format) throw EProgramError("Player doesn't support format " + std::to_string(format));
    if (GetLength() == 0) throw EProgramError("Player reports zero length media");
}

void TMCIPlayer::Seek(int position) {
    CheckOpen();
    if (position < 0) position = GetLength();
    EndPending(MCI_NOTIFY_SUPERSEDED);
    if (waitLoop_) waitLoop_->quit();
    ShowFullScreen(false);
    if (position == 0) engine_->Seek(1LL * UnitDivisor);
    engine_->Seek(1LL * position * UnitDivisor);
}

void TMCIPlayer::Play(int from, int to, bool wait, QObject* notifyWindow, bool fullScreen) {
    StartPlay(from, to, wait, notifyWindow, fullScreen, false);
}

void TMCIPlayer::PlayTo(int from, int end, bool wait, QObject* notifyWindow) {
    StartPlay(from, end, wait, notifyWindow, false, true);
}

void TMCIPlayer::SetRate(double rate) {
    rate_ = std::clamp(rate, 0.5, 2.0);
    if (engine_) engine_->SetRate(rate_);
}

int64_t TMCIPlayer::LastPlaySoundFrames() const { return engine_ ? engine_->LastPlaySoundFrames() : 0; }
double TMCIPlayer::LastPlaySoundEndMs() const { return engine_ ? engine_->LastPlaySoundEndUs() / 1000.0 : 0.0; }

void TMCIPlayer::StartPlay(int from, int to, bool wait, QObject* notifyWindow, bool fullScreen, bool endExcluded) {
    CheckOpen();
    if (from < 0) from = GetPosition();
    if (to < 0) to = GetLength();
    if (to < from) RaiseMci(ErrorText(3));
    EndPending(MCI_NOTIFY_SUPERSEDED);
    if (HasVideo && !panel_ && !fullScreen) EnsureDefaultWindow();
    ShowFullScreen(HasVideo && fullScreen);
    notify_ = notifyWindow;
    notifyPending_ = notifyWindow != nullptr;
    playSerial_ = NextPlaySerial();
    engine_->Play(1LL * from * UnitDivisor, 1LL * to * UnitDivisor, endExcluded);
    if (wait)
        WaitIn(waitLoop_, lifetime_, [this] { return engine_ && engine_->IsPlaying(); }, [this] {
            if (IsOpen) Stop(false);
        });
}

void TMCIPlayer::Stop(bool rewind) {
    CheckOpen();
    engine_->Stop();
    ShowFullScreen(false);
    EndPending(MCI_NOTIFY_ABORTED);
    if (waitLoop_) waitLoop_->quit();
    if (rewind) Seek(0);
}

void TMCIPlayer::SetMuted(bool mute) {
    if (!IsOpen || mute == Muted) return;
    ++muteCommands_;
    engine_->SetMuted(mute);
    Muted = mute;
}

void TMCIPlayer::SetVolume(int value) {
    if (!IsOpen || value < 0) return;
    volume_ = value;
    engine_->SetVolume(static_cast<float>(value) / 1000.0f);
}

void TMCIPlayer::DropPanel() {
    if (panel_ && ownsPanel_) delete panel_.data();
    else if (panel_) panel_->Clear();
    panel_ = nullptr;
    ownsPanel_ = false;
    defaultWindow_ = false;
}

void TMCIPlayer::SetDisplayWindow(QWidget* panel) {
    if (!IsOpen || !HasVideo) return;
    DropPanel();
    if (!panel) return; // the player's own window appears when it plays
    if (auto* video = dynamic_cast<TVideoPanel*>(panel)) {
        panel_ = video;
        panel_->SetPictureRect({0, 0, NaturalRect.Width, NaturalRect.Height});
    } else {
        // Any other widget hosts a picture area of our own, placed by PutDestination.
        panel_ = new TVideoPanel(panel);
        ownsPanel_ = true;
        panel_->setGeometry(0, 0, NaturalRect.Width, NaturalRect.Height);
        panel_->show();
    }
    if (engine_ && !engine_->CurrentFrame().isNull()) panel_->SetFrame(engine_->CurrentFrame());
}

TVideoPanel* TMCIPlayer::EnsureDefaultWindow() {
    if (!panel_ || !defaultWindow_) {
        DropPanel();
        panel_ = new TVideoPanel(nullptr);
        panel_->setWindowTitle(QString::fromLocal8Bit(FileName.c_str()));
        panel_->resize(std::max(NaturalRect.Width, 1), std::max(NaturalRect.Height, 1));
        ownsPanel_ = true;
        defaultWindow_ = true;
    }
    panel_->show();
    return panel_;
}

void TMCIPlayer::ShowFullScreen(bool on) {
    if (!on) {
        if (fullScreen_) fullScreen_->hide();
        return;
    }
    if (!fullScreen_) {
        fullScreen_ = std::make_unique<TVideoPanel>(nullptr);
        fullScreen_->setWindowFlag(Qt::FramelessWindowHint);
        QPalette pal = fullScreen_->palette();
        pal.setColor(QPalette::Window, Qt::black);
        fullScreen_->setPalette(pal);
    }
    // The picture keeps its shape: the largest rectangle of its aspect that fits.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize area = screen->size();
        QSize pic(std::max(NaturalRect.Width, 1), std::max(NaturalRect.Height, 1));
        pic.scale(area, Qt::KeepAspectRatio);
        fullScreen_->SetPictureRect(QRect(QPoint((area.width() - pic.width()) / 2, (area.height() - pic.height()) / 2), pic));
    }
    if (engine_ && !engine_->CurrentFrame().isNull()) fullScreen_->SetFrame(engine_->CurrentFrame());
    fullScreen_->showFullScreen();
}

TVideoPanel* TMCIPlayer::FullScreenWindow() const {
    return fullScreen_ && fullScreen_->isVisible() ? fullScreen_.get() : nullptr;
}

TMCIRect TMCIPlayer::GetNaturalRect() {
    if (!IsOpen || !HasVideo) return {};
    const QSize size = engine_->NaturalSize();
    return {0, 0, size.width(), size.height()};
}

void TMCIPlayer::PutDestination(TMCIRect rect) {
    if (!IsOpen || !HasVideo) return;
    if (rect.Width == 0 && rect.Height == 0) rect = NaturalRect;
    if (!panel_) return;
    const QRect r(rect.Left, rect.Top, rect.Width, rect.Height);
    if (ownsPanel_ && !defaultWindow_) panel_->setGeometry(r);
    else panel_->SetPictureRect(r);
}

void TMCIPlayer::ReadVideoCaps() {
    if (!IsOpen) RaiseMci(ErrorText(1));
    HasVideo = engine_->HasVideo();
}

void TMCIPlayer::ShowFrame(const QImage& frame) {
    if (TVideoPanel* full = FullScreenWindow()) full->SetFrame(frame);
    else if (panel_) panel_->SetFrame(frame);
}

QImage TMCIPlayer::CurrentFrame() const { return engine_ ? engine_->CurrentFrame() : QImage(); }

int64_t TMCIPlayer::CurrentFrameMs() const { return engine_ ? engine_->CurrentFrameMs() : 0; }

bool TMCIPlayer::IsPlaying() const { return engine_ && engine_->IsPlaying(); }

// ---- TMCIRecorder ---------------------------------------------------------

TMCIRecorder::TMCIRecorder() = default;

TMCIRecorder::~TMCIRecorder() {
    Close();
    if (waitLoop_) waitLoop_->quit();
}

void TMCIRecorder::CheckOpen() const {
    if (!IsOpen) throw EProgramError("Media player not open");
}

void TMCIRecorder::Open(int channels, int bytesPerSample, int samplesPerSec) {
    Close();
    const bool formatOk = (channels == 1 || channels == 2) && (bytesPerSample == 1 || bytesPerSample == 2) &&
                          samplesPerSec >= 4000 && samplesPerSec <= 192000;
    try {
        // The device opens in the asked format when it is a sane one; the
        // format error below then leaves the recorder open, as a device whose
        // format could not be set.
        capture_ = std::make_unique<TAudioCapture>(formatOk ? channels : 1, formatOk ? bytesPerSample : 2,
                                                   formatOk ? samplesPerSec : 22050);
    } catch (const EMediaError& e) {
        RaiseMci(e.what());
    }
    IsOpen = true;
    DeviceID = NextDeviceId();
    if (!formatOk) {
        capture_.reset();
        RaiseMci(Format("the recording format %d channel(s), %d byte(s), %d Hz is not supported", channels,
                        bytesPerSample, samplesPerSec));
    }
    channels_ = channels;
    bytesPerSample_ = bytesPerSample;
    samplesPerSec_ = samplesPerSec;
}

void TMCIRecorder::Record(int toMs, bool wait, QObject* notifyWindow) {
    Stop();
    if (!capture_) RaiseMci("no recording format is set");
    const size_t frames = static_cast<size_t>(std::max(toMs, 0)) * static_cast<size_t>(samplesPerSec_) / 1000;
    capture_->Start(frames * static_cast<size_t>(channels_ * bytesPerSample_));
    notify_ = notifyWindow;
    notifyPending_ = notifyWindow != nullptr;
    recordSerial_ = NextPlaySerial();
    IsRecording = true;
    if (!poll_) {
        poll_ = std::make_unique<QTimer>();
        poll_->setInterval(10);
        QObject::connect(poll_.get(), &QTimer::timeout, [this] { Poll(); });
    }
    poll_->start();
    if (wait) WaitIn(waitLoop_, lifetime_, [this] { return poll_ && poll_->isActive(); }, [this] {
        if (IsOpen) Stop();
    });
}

void TMCIRecorder::Poll() {
    if (!capture_) return;
    // A device that disappears ends the take with what it captured so far.
    const bool lost = !capture_->Full() && capture_->Lost();
    if (!capture_->Full() && !lost) return;
    capture_->Stop();
    poll_->stop();
    if (notifyPending_ && notify_)
        PostMessage(notify_, MM_MCINOTIFY, lost ? MCI_NOTIFY_FAILURE : MCI_NOTIFY_SUCCESSFUL, DeviceID, recordSerial_);
    notifyPending_ = false;
    if (waitLoop_) waitLoop_->quit();
}

void TMCIRecorder::Stop() {
    CheckOpen();
    if (!IsRecording) return;
    if (capture_) capture_->Stop();
    if (poll_ && poll_->isActive()) {
        poll_->stop();
        if (notifyPending_ && notify_) PostMessage(notify_, MM_MCINOTIFY, MCI_NOTIFY_ABORTED, DeviceID, recordSerial_);
    }
    notifyPending_ = false;
    if (waitLoop_) waitLoop_->quit();
    IsRecording = false;
}

void TMCIRecorder::SaveToFile(const std::string& fileName) {
    Stop();
    if (fileName.empty()) return;
    TWaveData wave;
    wave.Channels = channels_;
    wave.SampleRate = samplesPerSec_;
    wave.BitsPerSample = bytesPerSample_ * 8;
    if (capture_) wave.Pcm = capture_->Data();
    try {
        WriteWaveFile(NativePath(fileName), wave);
        InvalidatePathCache();
    } catch (const EMediaError& e) {
        RaiseMci(e.what());
    }
}

void TMCIRecorder::Close() {
    if (IsOpen && IsRecording) Stop();
    if (poll_) poll_->stop();
    capture_.reset();
    DeviceID = 0;
    IsOpen = false;
    IsRecording = false;
}

} // namespace tav
