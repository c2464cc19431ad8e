#include "media/Movie.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include <algorithm>

#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "media/VideoPanel.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "toolkit/ErrorHandler.h"

namespace tav {

TForm_Movie* Form_Movie = nullptr;

TForm_Movie* CreateFormMovie(const TMovieSettings& settings) {
    if (!Form_Movie) {
        Form_Movie = new TForm_Movie(settings);
        // Whatever is still open is closed before the application goes.
        static bool connected = false;
        if (!connected && QCoreApplication::instance()) {
            QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { FreeFormMovie(); });
            connected = true;
        }
    }
    return Form_Movie;
}

void FreeFormMovie() {
    delete Form_Movie; // the destructor clears Form_Movie
    Form_Movie = nullptr;
}

namespace {

constexpr int kMaxParts = 8;
constexpr int kSoundSlots = 5;
constexpr TMCIOpenOptions kPartOptions = ooFilmUnits | ooFitPanel;
// How long after a run-on play starts the next part is opened ahead: late
// enough not to delay the first picture, early enough for short parts.
constexpr int kPrepareDelayMs = 150;

// The hourglass for the duration of a scope, restored also on failure.
class THourglass {
public:
    THourglass() {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::setOverrideCursor(Qt::WaitCursor), active_ = true;
    }
    ~THourglass() {
        if (active_) QGuiApplication::restoreOverrideCursor();
    }

private:
    bool active_ = false;
};

std::string LowerExtension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    const size_t sep = name.find_last_of("\\/");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return "";
    return AsciiLower(name.substr(dot));
}

bool SameFileName(const std::string& a, const std::string& b) { return AsciiLower(a) == AsciiLower(b); }

// The player already shows its pictures in target (directly or through the
// picture area it placed inside a plain widget).
bool ShowsIn(const TMCIPlayer& player, QWidget* target) {
    const TVideoPanel* shown = player.Panel();
    return shown && target && (shown == target || shown->parentWidget() == target);
}

} // namespace

// ---- TForm_blanker ----------------------------------------------------------------

TForm_blanker::TForm_blanker() : QWidget(nullptr, Qt::FramelessWindowHint) {
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setCursor(Qt::BlankCursor);
    Video = new TVideoPanel(this);
    Video->setPalette(black);
    Video->setGeometry(rect());
}

QRect TForm_blanker::FitRect(QSize natural) const {
    if (natural.isEmpty()) return rect();
    const QSize fitted = natural.scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

void TForm_blanker::resizeEvent(QResizeEvent*) {
    Video->setGeometry(rect());
    // Keep the picture's place when the backdrop reaches its final size.
    if (!Video->Frame().isNull()) Video->SetPictureRect(FitRect(Video->Frame().size()));
}

// ---- creation and destruction -------------------------------------------------------

TForm_Movie::TForm_Movie(const TMovieSettings& settings)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), settings_(settings) {
    setWindowTitle(QStringLiteral("Movie"));
    setGeometry(866, 577, 215, 160);
    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(1, 2, 197, 113);
    static const QPoint places[] = {{5, 5}, {53, 5}, {101, 5}, {149, 5}, {6, 46}, {53, 46}, {100, 46}, {148, 47}};
    for (int k = 1; k <= kMaxParts; ++k) {
        PartPanels[k] = new QWidget(this);
        PartPanels[k]->setObjectName(QStringLiteral("Panel%1").arg(k));
        PartPanels[k]->setGeometry(QRect(places[k - 1], QSize(44, 36)));
    }
    Label_Reset = new QLabel(QStringLiteral("Resetting!"), this);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    font.setBold(true);
    Label_Reset->setFont(font);
    Label_Reset->setGeometry(40, 120, 140, 24);
    Label_Reset->hide();
    FormCreate();
    if (settings_.MovieVisible) show();
}

void TForm_Movie::FormCreate() {
    THourglass hourglass;
    PartCount = static_cast<int>(settings_.MovieNames.size());
    // More parts than there are panels cannot be hosted: refuse before
    // opening anything.
    if (PartCount > kMaxParts) throw EProgramError("Too many movie clips!");
    PartStart[1] = 0;
    for (int k = 1; k <= PartCount; ++k) {
        PartPlayers[k] = std::make_unique<TMCIPlayer>();
        OpenPart(*PartPlayers[k], k);
        PartStart[k + 1] = PartStart[k] + PartPlayers[k]->GetLength();
        if (settings_.MovieSingle) PartPlayers[k]->Close(); // only its length was wanted
    }
    for (int i = 1; i <= kSoundSlots; ++i) SoundPlayers[i] = std::make_unique<TMCIPlayer>();
    WavPlayer = std::make_unique<TMCIPlayer>();
    FilmLength = PartStart[PartCount + 1];
    NextSoundSlot = 1;
}

TForm_Movie::~TForm_Movie() {
    RemoveHook();
    DropStandby();
    WavPlayer.reset();
    for (auto& p : SoundPlayers) p.reset();
    for (auto& p : PartPlayers) p.reset();
    if (Form_Movie == this) Form_Movie = nullptr;
}

std::string TForm_Movie::PartPath(int k) const { return settings_.TargetFolder + "\\" + settings_.MovieNames[k - 1]; }

void TForm_Movie::OpenPart(TMCIPlayer& player, int k) { player.Open(PartPath(k), PartPanels[k], kPartOptions); }

int TForm_Movie::PartOf(int position, int* offset) const {
    if (PartCount < 1) {
        if (offset) *offset = 0;
        return 0;
    }
    int k = 1;
    while (k < PartCount && position >= PartStart[k + 1]) ++k;
    if (offset) *offset = position - PartStart[k];
    return k;
}

// A position beyond the part (only the last part can be asked for one) is
// its end: the last picture of the film, not a play error.
int TForm_Movie::ClampOffset(int k, int offset) {
    return std::clamp(offset, 0, PartStart[k + 1] - PartStart[k]);
}

// ---- parts and the display ----------------------------------------------------------

QWidget* TForm_Movie::ShownPanel() const {
    if (FullScreen && blanker_ && blanker_->isVisible()) return blanker_->Video;
    return DisplayPanel;
}

void TForm_Movie::ShowIn(TMCIPlayer& player, QWidget* panel) {
    player.SetDisplayWindow(panel);
    if (!panel) return;
    if (blanker_ && panel == blanker_->Video) {
        const QRect fit = blanker_->FitRect(QSize(player.NaturalRect.Width, player.NaturalRect.Height));
        player.PutDestination({fit.x(), fit.y(), fit.width(), fit.height()});
    } else {
        player.PutDestination({0, 0, panel->width(), panel->height()});
    }
}

void TForm_Movie::ParkPart(int k) {
    if (k < 1 || k > PartCount || !PartPlayers[k] || !PartPlayers[k]->IsOpen) return;
    TMCIPlayer& player = *PartPlayers[k];
    player.Stop(false);
    ShowIn(player, PartPanels[k]);
}

void TForm_Movie::SelectPart(int k, QWidget* panel, int offset) {
    if (OnePlayerOnly) {
        for (int i = 1; i <= PartCount; ++i)
            if (i != k && PartPlayers[i] && PartPlayers[i]->IsOpen) PartPlayers[i]->Close();
        if (!PartPlayers[k]->IsOpen) {
            if (standby_ && standbyPart_ == k && standby_->IsOpen) {
                // The part was opened ahead of time: it takes its place now.
                PartPlayers[k] = std::move(standby_);
                standbyPart_ = 0;
            } else {
                OpenPart(*PartPlayers[k], k);
            }
        }
    } else if (!PartPlayers[k]->IsOpen) {
        OpenPart(*PartPlayers[k], k); // all parts are meant to be open here
    }
    TMCIPlayer& player = *PartPlayers[k];
    if (offset >= 0) {
        // A player already standing on that picture (opened ahead) is not
        // sought again: a seek decodes from the key frame before it.
        const bool there = !player.IsPlaying() && !player.CurrentFrame().isNull() &&
                           player.GetPosition() == offset && player.CurrentFrameMs() / 40 == offset;
        if (!there) player.Seek(offset);
    }
    ShowIn(player, panel);
}

void TForm_Movie::AttachDisplay(QWidget* panel, bool onePlayerOnly) {
    DetachDisplay();
    ++requestGeneration_;
    OnePlayerOnly = settings_.MovieSingle || onePlayerOnly;
    if (!OnePlayerOnly) {
        THourglass hourglass;
        for (int k = 1; k <= PartCount; ++k)
            if (!PartPlayers[k]->IsOpen) OpenPart(*PartPlayers[k], k);
    }
    DisplayPanel = panel;
    SetFilmMuted(false);
}

void TForm_Movie::DetachDisplay() {
    ++requestGeneration_;
    // A screen that leaves during full-screen play takes the backdrop and
    // its hook with it; the next click belongs to the next screen.
    if (blanker_) blanker_->hide();
    RemoveHook();
    ParkPart(CurrentPart);
    CurrentPart = 0;
    DisplayPanel = nullptr;
    DropStandby();
}

void TForm_Movie::PlayFilm(int from, int to, bool wait, QObject* notifyWindow, bool fullScreen) {
    StartFilm(from, to, wait, notifyWindow, fullScreen, false);
}

void TForm_Movie::PlayFilmTo(int from, int end, QObject* notifyWindow) {
    StartFilm(from, std::max(end, 0), false, notifyWindow, false, true);
}

void TForm_Movie::SetFilmRate(double rate) {
    FilmRate = std::clamp(rate, 0.5, 2.0);
    for (int k = 1; k <= PartCount; ++k)
        if (PartPlayers[k]) PartPlayers[k]->SetRate(FilmRate);
    if (standby_) standby_->SetRate(FilmRate);
}

int64_t TForm_Movie::LastFilmSoundFrames() const {
    return CurrentPart > 0 && PartPlayers[CurrentPart] ? PartPlayers[CurrentPart]->LastPlaySoundFrames() : 0;
}

double TForm_Movie::LastFilmSoundEndMs() const {
    if (CurrentPart == 0 || !PartPlayers[CurrentPart]) return 0;
    return PartStart[CurrentPart] * 40.0 + PartPlayers[CurrentPart]->LastPlaySoundEndMs();
}

void TForm_Movie::StartFilm(int from, int to, bool wait, QObject* notifyWindow, bool fullScreen, bool endExcluded) {
    const QPointer<QObject> caller(notifyWindow);
    // Completions already queued are delivered before the new play takes
    // over the caller. Clicks and keys wait until the caller's step is over:
    // they never run inside it.
    const int request = ++requestGeneration_;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // A screen change among the posted events may have deleted the screen
    // that asked: nobody is left to play for.
    if (notifyWindow && !caller) return;
    // Something queued acted on the pool meanwhile (another play, a stop, a
    // detach): it is newer than this request, which is superseded.
    if (request != requestGeneration_) {
        PostMessage(caller, MM_MCINOTIFY, MCI_NOTIFY_SUPERSEDED, 0, NextPlaySerial());
        return;
    }
    if (!DisplayPanel || PartCount < 1) return;
    const int start = from >= 0 ? from : GetFilmPosition();
    RangeTo = to >= 0 ? to : -1;
    FullScreen = fullScreen;
    int offset = 0;
    const int k = PartOf(start, &offset);
    offset = ClampOffset(k, offset);
    if (fullScreen) EnterFullScreen();
    else if (blanker_ && blanker_->isVisible()) LeaveFullScreenQuietly();
    if (k != CurrentPart || !PartPlayers[k]->IsOpen) {
        ParkPart(CurrentPart);
        CurrentPart = k;
        SelectPart(k, ShownPanel(), offset);
    } else if (!ShowsIn(*PartPlayers[k], ShownPanel())) {
        ShowIn(*PartPlayers[k], ShownPanel());
    }
    int endOffset = -1;
    if (RangeTo != -1) {
        // A range never crosses into the next part.
        RangeTo = std::min(RangeTo, PartStart[k + 1]);
        endOffset = ClampOffset(k, RangeTo - PartStart[k]);
    }
    NotifyWindow = notifyWindow;
    filmSerial_ = NextPlaySerial();
    if (standbyPart_ != 0 && standbyPart_ != k + 1) DropStandby();
    // The part player always reports to the pool, whatever the caller asked.
    PartPlayers[k]->SetRate(FilmRate);
    const QPointer<TForm_Movie> self(this);
    if (endExcluded && endOffset >= 0)
        PartPlayers[k]->PlayTo(offset, std::max(endOffset, offset), wait, this);
    else
        PartPlayers[k]->Play(offset, endOffset, wait, this, false);
    // A waiting play lets posted messages run; one of them may free the pool.
    if (!self) return;
    if (RangeTo == -1 && CurrentPart == k && k < PartCount) PrepareNextPart();
}

void TForm_Movie::StopFilm() {
    ++requestGeneration_;
    if (CurrentPart == 0 || !PartPlayers[CurrentPart]->IsOpen) return;
    PartPlayers[CurrentPart]->Stop(false);
}

int TForm_Movie::GetFilmPosition() {
    if (CurrentPart == 0) return 0;
    TMCIPlayer& player = *PartPlayers[CurrentPart];
    if (!player.IsOpen) return PartStart[CurrentPart];
    return PartStart[CurrentPart] + player.GetPosition();
}

bool TForm_Movie::IsFilmPlaying() const {
    return CurrentPart > 0 && PartPlayers[CurrentPart] && PartPlayers[CurrentPart]->IsOpen &&
           PartPlayers[CurrentPart]->IsPlaying();
}

void TForm_Movie::SeekFilm(int position) {
    // Without a display there is nowhere to show the picture.
    if (!DisplayPanel || PartCount < 1) return;
    int offset = 0;
    const int k = PartOf(position, &offset);
    offset = ClampOffset(k, offset);
    // A part whose player was closed or parked by a reset is selected again.
    if (k != CurrentPart || !PartPlayers[k]->IsOpen) {
        ParkPart(CurrentPart);
        CurrentPart = k;
        SelectPart(k, ShownPanel(), offset); // seeks as it selects
    } else {
        if (!ShowsIn(*PartPlayers[k], ShownPanel())) ShowIn(*PartPlayers[k], ShownPanel());
        PartPlayers[k]->Seek(offset);
    }
}

void TForm_Movie::SetFilmMuted(bool mute) {
    for (int k = 1; k <= PartCount; ++k)
        if (PartPlayers[k] && PartPlayers[k]->IsOpen) PartPlayers[k]->SetMuted(mute);
}

int TForm_Movie::ClassifyDevice(int deviceId) const {
    if (deviceId == 0) return 0; // every closed player has 0
    for (int k = 1; k <= PartCount; ++k)
        if (PartPlayers[k] && PartPlayers[k]->DeviceID == deviceId) return 1;
    if (WavPlayer && WavPlayer->DeviceID == deviceId) return 2;
    for (int i = 1; i <= kSoundSlots; ++i)
        if (SoundPlayers[i] && SoundPlayers[i]->DeviceID == deviceId) return 2;
    return 0;
}

void TForm_Movie::ResetPlayers() {
    Label_Reset->show();
    repaint();
    struct THideLabel {
        QLabel* label;
        ~THideLabel() { label->hide(); }
    } hideLabel{Label_Reset};
    DropStandby();
    WavPlayer.reset();
    for (auto& p : SoundPlayers) p.reset();
    for (auto& p : PartPlayers) p.reset();
    THourglass hourglass;
    for (int k = 1; k <= PartCount; ++k) {
        PartPlayers[k] = std::make_unique<TMCIPlayer>();
        if (!settings_.MovieSingle) OpenPart(*PartPlayers[k], k);
    }
    for (int i = 1; i <= kSoundSlots; ++i) SoundPlayers[i] = std::make_unique<TMCIPlayer>();
    WavPlayer = std::make_unique<TMCIPlayer>();
    NextSoundSlot = 1;
}

// ---- completion and the run-on ------------------------------------------------------

bool TForm_Movie::event(QEvent* e) {
    const TMessageEvent* m = AsMessage(e, MM_MCINOTIFY);
    if (!m) return QWidget::event(e);
    if (CurrentPart == 0) return true; // the screen that asked has left
    // Only the current part's latest play speaks for the film: a completion
    // of a play since replaced (on this part, or of a part left) is stale.
    if (m->Serial() != 0 && m->Serial() != PartPlayers[CurrentPart]->PlaySerial()) return true;
    if (m->WParam() == MCI_NOTIFY_SUCCESSFUL && RangeTo == -1) {
        // The caller asked for the rest of the film: nothing is reported.
        // A success from a player that is no longer the current part's is
        // a leftover and must not move the film on.
        if (PartPlayers[CurrentPart]->DeviceID != m->LParam()) return true;
        if (CurrentPart < PartCount)
            RunGuarded([this] { RunOn(); });
        else if (blanker_)
            blanker_->hide();
        return true;
    }
    if (NotifyWindow) PostMessage(NotifyWindow, MM_MCINOTIFY, m->WParam(), m->LParam(), filmSerial_);
    return true;
}

void TForm_Movie::RunOn() {
    ParkPart(CurrentPart);
    ++CurrentPart;
    SelectPart(CurrentPart, ShownPanel(), 0);
    PartPlayers[CurrentPart]->SetRate(FilmRate);
    PartPlayers[CurrentPart]->Play(0, -1, false, this, false);
    if (OnPartChanged) OnPartChanged(CurrentPart);
    if (CurrentPart < PartCount) PrepareNextPart();
}

void TForm_Movie::PrepareNextPart() {
    const int generation = ++prepareGeneration_;
    QTimer::singleShot(kPrepareDelayMs, this, [this, generation] {
        if (generation != prepareGeneration_) return;
        const int next = CurrentPart + 1;
        if (CurrentPart == 0 || RangeTo != -1 || next > PartCount || !DisplayPanel) return;
        try {
            if (OnePlayerOnly) {
                if (standby_ && standbyPart_ == next && standby_->IsOpen) return;
                standby_ = std::make_unique<TMCIPlayer>();
                standbyPart_ = next;
                OpenPart(*standby_, next);
                standby_->Seek(0);
            } else {
                TMCIPlayer& player = *PartPlayers[next];
                if (player.IsOpen && !player.IsPlaying() &&
                    !(player.GetPosition() == 0 && !player.CurrentFrame().isNull() && player.CurrentFrameMs() < 40))
                    player.Seek(0);
            }
        } catch (...) {
            // Opened again at the seam, where its error reaches the screen.
            standby_.reset();
            standbyPart_ = 0;
        }
    });
}

void TForm_Movie::DropStandby() {
    ++prepareGeneration_;
    standby_.reset();
    standbyPart_ = 0;
}

bool TForm_Movie::NextPartReady() const {
    const int next = CurrentPart + 1;
    if (CurrentPart == 0 || next > PartCount) return false;
    if (OnePlayerOnly) return standby_ && standbyPart_ == next && standby_->IsOpen;
    const TMCIPlayer& player = *PartPlayers[next];
    return player.IsOpen && !player.CurrentFrame().isNull() && player.CurrentFrameMs() < 40;
}

// ---- full screen ----------------------------------------------------------------

void TForm_Movie::EnterFullScreen() {
    if (!blanker_) blanker_ = std::make_unique<TForm_blanker>();
    // Cover the screen also where no window manager honours full-screen
    // requests (a bare X server, a kiosk session).
    if (const QScreen* screen = QGuiApplication::primaryScreen()) blanker_->setGeometry(screen->geometry());
    blanker_->showFullScreen();
    blanker_->raise();
    blanker_->activateWindow();
    Paused = false;
    if (!hookInstalled_) {
        TAppEvents::Instance().Install();
        savedHook_ = TAppEvents::Instance().Hook();
        TAppEvents::Instance().SetHook([this](QObject* r, QEvent* e) { return FullScreenHook(r, e); });
        hookInstalled_ = true;
    }
}

void TForm_Movie::RemoveHook() {
    if (!hookInstalled_) return;
    TAppEvents::Instance().SetHook(savedHook_);
    savedHook_ = nullptr;
    hookInstalled_ = false;
}

void TForm_Movie::LeaveFullScreenQuietly() {
    if (blanker_) blanker_->hide();
    RemoveHook();
    Paused = false;
}

void TForm_Movie::LeaveFullScreen() {
    LeaveFullScreenQuietly();
    if (settings_.MainWindow) { // gone if the main window closed meanwhile
        settings_.MainWindow->show();
        settings_.MainWindow->repaint();
    }
    // The film goes on in the screen's panel, to the end of this part.
    if (CurrentPart == 0 || !PartPlayers[CurrentPart]->IsOpen) return;
    TMCIPlayer& player = *PartPlayers[CurrentPart];
    ShowIn(player, DisplayPanel);
    player.Play(-1, -1, false, nullptr, false);
}

bool TForm_Movie::FullScreenHook(QObject* receiver, QEvent* event) {
    const TAppMessageHook& base = settings_.AppHook ? settings_.AppHook : savedHook_;
    if (base && base(receiver, event)) return true;
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        LeaveFullScreen();
        return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & Qt::AltModifier) {
        LeaveFullScreen();
        return true;
    }
    if (key->key() == Qt::Key_Space) {
        if (key->isAutoRepeat()) return true;
        if (CurrentPart != 0 && PartPlayers[CurrentPart]->IsOpen) {
            TMCIPlayer& player = *PartPlayers[CurrentPart];
            if (Paused) {
                if (!ShowsIn(player, ShownPanel())) ShowIn(player, ShownPanel());
                player.Play(-1, -1, false, this, false);
            } else {
                player.Stop(false);
            }
        }
        Paused = !Paused;
        return true;
    }
    return false;
}

// ---- sounds ----------------------------------------------------------------------

TMCIPlayer* TForm_Movie::PrepareSound(const std::string& fileName) {
    if (fileName.empty()) return nullptr;
    if (settings_.NtMode && LowerExtension(fileName) == ".wav") {
        if (WavPlayer->IsOpen && SameFileName(WavPlayer->FileName, fileName)) return WavPlayer.get();
        if (!FileExists(fileName)) throw EProgramError("Missing sound file " + fileName);
        WavPlayer->Open(fileName, nullptr, 0);
        return WavPlayer.get();
    }
    for (int i = 1; i <= kSoundSlots; ++i)
        if (SoundPlayers[i]->IsOpen && SameFileName(SoundPlayers[i]->FileName, fileName)) return SoundPlayers[i].get();
    if (!FileExists(fileName)) throw EProgramError("Missing sound file " + fileName);
    const int slot = NextSoundSlot % kSoundSlots + 1;
    SoundPlayers[slot]->Open(fileName, nullptr, 0);
    NextSoundSlot = slot;
    return SoundPlayers[slot].get();
}

void TForm_Movie::PlaySound(const std::string& fileName, bool wait, QObject* notifyWindow) {
    if (TMCIPlayer* player = PrepareSound(fileName)) player->Play(0, -1, wait, notifyWindow, false);
}

void TForm_Movie::StopSounds() {
    if (WavPlayer->IsOpen) WavPlayer->Stop(false);
    for (int i = 1; i <= kSoundSlots; ++i)
        if (SoundPlayers[i]->IsOpen) SoundPlayers[i]->Stop(false);
}

void TForm_Movie::CloseSounds() {
    WavPlayer->Close();
    for (int i = 1; i <= kSoundSlots; ++i) SoundPlayers[i]->Close();
}

} // namespace tav
