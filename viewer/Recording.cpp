#include "viewer/Recording.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QRandomGenerator>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cstdio>

#include "app/Main.h"
#include "components/SkinButton.h"
#include "components/ZrButton.h"
#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "media/MCIControl.h"
#include "media/Movie.h"
#include "components/HelpOverlay.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/UserInfo.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Panel.h"
#include "toolkit/Skin.h"
#include "toolkit/Transition.h"
#include "viewer/LineExportSource.h"
#include "viewer/LineMedia.h"
#include "viewer/ShadowView.h"

namespace tav {

namespace {

const QColor kPanelBlue(103, 118, 225), kVideoBlue(156, 165, 222), kNameInk(204, 0, 0);
const QPoint kThumbs[9] = {{34, 12}, {135, 12}, {235, 12}, {34, 101}, {135, 101},
                           {235, 101}, {34, 189}, {135, 189}, {235, 189}};
constexpr int kSoundLefts[5] = {94, 219, 344, 468, 593};
constexpr int kRecordLefts[5] = {91, 216, 341, 467, 592};
constexpr int kPlayLefts[5] = {150, 274, 399, 527, 651};

const char* const kNoMicrophone =
    "Recording is not possible: no microphone (sound input device) was found or it could not be opened. "
    "You can still listen to the lines and play the scene.";

const std::string kRecordingPrefix = "allrecord";

std::string TempRecordingName(int n) { return TempFolder() + "/" + kRecordingPrefix + std::to_string(n) + ".wav"; }

void DeleteQuietly(const std::string& fileName) {
    if (!fileName.empty()) std::remove(NativePath(fileName).c_str());
}

// The program's media: the clip pool and a TMCIRecorder.
class TRealStudioRecorder : public IStudioRecorder {
public:
    void Open(int channels, int bytesPerSample, int samplesPerSec) override {
        recorder_.Open(channels, bytesPerSample, samplesPerSec);
    }
    void Record(int toMs, QObject* notify) override { recorder_.Record(toMs, false, notify); }
    void Stop() override { recorder_.Stop(); }
    void SaveToFile(const std::string& fileName) override { recorder_.SaveToFile(fileName); }
    void Close() override { recorder_.Close(); }
    bool IsOpen() const override { return recorder_.IsOpen; }
    bool IsRecording() const override { return recorder_.IsRecording; }
    int DeviceID() const override { return recorder_.DeviceID; }

private:
    TMCIRecorder recorder_;
};

class TPoolStudioMedia : public IStudioMedia {
public:
    bool HasFilm() const override { return Form_Movie != nullptr; }
    void AttachDisplay(QWidget* panel) override {
        if (Form_Movie) Form_Movie->AttachDisplay(panel, false);
    }
    void DetachDisplay() override {
        if (Form_Movie) Form_Movie->DetachDisplay();
    }
    void PlayFilm(int from, int to, bool wait, QObject* notify) override {
        if (Form_Movie) Form_Movie->PlayFilm(from, to, wait, notify, false);
    }
    uint32_t FilmSerial() const override { return Form_Movie ? Form_Movie->FilmSerial() : 0; }
    void StopFilm() override {
        if (Form_Movie) Form_Movie->StopFilm();
    }
    void SetFilmMuted(bool muted) override {
        if (Form_Movie) Form_Movie->SetFilmMuted(muted);
    }
    int GetFilmPosition() override { return Form_Movie ? Form_Movie->GetFilmPosition() : 0; }
    void PrepareSound(const std::string& fileName) override {
        if (Form_Movie) Form_Movie->PrepareSound(fileName);
    }
    void PlaySound(const std::string& fileName) override {
        if (Form_Movie) Form_Movie->PlaySound(fileName, false, nullptr);
    }
    void CloseSounds() override {
        if (Form_Movie) Form_Movie->CloseSounds();
    }
    void ResetPlayers() override {
        if (Form_Movie) Form_Movie->ResetPlayers();
    }
    std::unique_ptr<IStudioRecorder> NewRecorder() override { return std::make_unique<TRealStudioRecorder>(); }
};

IStudioMedia* g_studioMedia = nullptr;

} // namespace

IStudioMedia& StudioMedia() {
    static TPoolStudioMedia pool;
    return g_studioMedia ? *g_studioMedia : pool;
}

void SetStudioMedia(IStudioMedia* media) { g_studioMedia = media; }

bool IsStudioRecordingName(const std::string& fileName) {
    if (fileName.size() <= kRecordingPrefix.size() + 4 || fileName.rfind(kRecordingPrefix, 0) != 0) return false;
    if (fileName.compare(fileName.size() - 4, 4, ".wav") != 0) return false;
    const std::string digits = fileName.substr(kRecordingPrefix.size(), fileName.size() - kRecordingPrefix.size() - 4);
    return !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int RemoveLeftoverRecordings() {
    QDir dir(QString::fromStdString(TempFolder()));
    int removed = 0;
    for (const QString& name : dir.entryList({QString::fromStdString(kRecordingPrefix + "*.wav")}, QDir::Files))
        if (IsStudioRecordingName(name.toStdString()) && dir.remove(name)) ++removed;
    return removed;
}

// ---- creation -----------------------------------------------------------------------------

TForm_Recording::TForm_Recording(TForm_Main& main, QWidget* parent)
    : TScreen(parent), Timer_ProgressBar(this, 50), Timer_Captions(this, kCaptionTickMs), main_(main) {
    SyncRecording = main_.SyncRec;

    Image_Background = new TImage(this);
    Image_Background->setGeometry(0, 0, 800, 600);
    Image_Background->SetPicture(skin::Background(skin::TBackground::Recording));

    fcLabel_Name = new TfcLabel(this);
    fcLabel_Name->setGeometry(1, 38, 216, 22);
    fcLabel_Name->SetLabelFont(PixelFont("Arial Black", 15));
    fcLabel_Name->SetFontColor(kNameInk);
    fcLabel_Name->SetAlignment(Qt::AlignCenter);
    fcLabel_Name->SetTransparent(true);
    fcLabel_Name->SetCaption(main_.CurrentRecord.Title);

    Image_Actor = new TImage(this);
    Image_Actor->setGeometry(36, 94, 150, 150);
    Image_Actor->SetStretch(true);
    try {
        Image_Actor->LoadFromFile(main_.TargetFolder + "\\recpic\\pic" + std::to_string(main_.RecordNumber) + ".jpg");
    } catch (const EProgramError& e) {
        // The studio works without the portrait.
        DebugLog(std::string("Recording: ") + e.what());
    }

    Panel_Video = new TPanel(this, kVideoBlue);
    Panel_Video->setGeometry(224, 34, 352, 288);
    Panel_Video->hide();
    for (int n = 1; n <= kScenes; ++n) {
        auto* img = new TImage(Panel_Video);
        img->setGeometry(QRect(kThumbs[n - 1], QSize(83, 86)));
        img->SetPicture(skin::SceneThumb(n));
        img->setCursor(Qt::PointingHandCursor);
        img->OnClick = [this, n](TImage*) { RunGuarded([this, n] { Image_DSelClick(n); }); };
        img->hide();
        SceneImages[size_t(n)] = img;
    }

    Panel_Clapper = new TPanel(this, kPanelBlue);
    Panel_Clapper->setGeometry(78, 259, 70, 79);
    EButton_Clapper = CreateSkinButton(Panel_Clapper, "Clapper", {0, 0}, {70, 79});
    EButton_Clapper->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_ClapperClick(); }); };
    Image_ClapNumber = new TImage(Panel_Clapper);
    Image_ClapNumber->setGeometry(20, 44, 20, 20);
    Image_ClapNumber->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (int d = 1; d <= kScenes; ++d) ImageList_Clapper[size_t(d - 1)] = skin::ClapperDigit(d, 20, 20);

    for (int k = 1; k <= kLines; ++k) {
        TZrButton* sound = CreateSkinButton(this, "Sound", {kSoundLefts[k - 1], 351}, {109, 85}, k);
        TZrButton* record = CreateSkinButton(this, "Record", {kRecordLefts[k - 1], 386}, {59, 55}, k);
        TZrButton* play = CreateSkinButton(this, "PlayBack", {kPlayLefts[k - 1], 386}, {59, 55}, k);
        sound->OnClick = [this, k](TCustomZrImageStrip*) { RunGuarded([this, k] { EButton_SoundClick(k); }); };
        record->OnClick = [this, k](TCustomZrImageStrip*) { RunGuarded([this, k] { EButton_RecordClick(k); }); };
        play->OnClick = [this, k](TCustomZrImageStrip*) { RunGuarded([this, k] { EButton_PlayClick(k); }); };
        record->hide();
        play->hide();
        SoundButtons[size_t(k)] = sound;
        RecordButtons[size_t(k)] = record;
        PlayButtons[size_t(k)] = play;
    }
    Image_Cover4 = new TImage(this);
    Image_Cover4->setGeometry(465, 343, 124, 100);
    Image_Cover4->SetPicture(skin::StudioCover(124, 100));
    Image_Cover4->hide();
    Image_Cover5 = new TImage(this);
    Image_Cover5->setGeometry(588, 343, 124, 100);
    Image_Cover5->SetPicture(skin::StudioCover(124, 100));
    Image_Cover5->hide();

    fcLabel_Caption = new TfcLabel(this);
    fcLabel_Caption->setGeometry(97, 451, 603, 51);
    fcLabel_Caption->SetLabelFont(PixelFont("Arial", 19));
    fcLabel_Caption->SetFontColor(Qt::white);
    fcLabel_Caption->SetAlignment(Qt::AlignCenter);
    fcLabel_Caption->SetWordWrap(true);
    fcLabel_Caption->SetTransparent(true);
    fcLabel_Caption->SetCaption("");

    Panel_ProgressBar = new TPanel(this, kPanelBlue);
    Panel_ProgressBar->setGeometry(99, 509, kProgressWidth, 11);
    Shape_ProgressBar = new QWidget(Panel_ProgressBar);
    Shape_ProgressBar->setAutoFillBackground(true);
    QPalette red = Shape_ProgressBar->palette();
    red.setColor(QPalette::Window, Qt::red);
    Shape_ProgressBar->setPalette(red);
    Shape_ProgressBar->setGeometry(0, 0, 0, 11);

    EButton_BigPlay = CreateSkinButton(this, "BigPlay", {345, 530}, {112, 70});
    EButton_BigStop = CreateSkinButton(this, "Stop", {345, 530}, {111, 70});
    EButton_BigPlay->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_BigPlayClick(); }); };
    EButton_BigStop->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { StopScenePlay(); }); };
    EButton_BigPlay->hide();
    EButton_BigStop->hide();

    EButton_Back = CreateSkinButton(this, "Back", {0, 557}, {38, 44}, 1);
    EButton_Back->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_BackClick(); }); };

    Timer_ProgressBar.OnTimer = [this] { RunGuarded([this] { Timer_ProgressBarTimer(); }); };
    Timer_Captions.OnTimer = [this] { RunGuarded([this] { Timer_CaptionsTimer(); }); };

    ShadowView = new TShadowView(this);
    ShadowView->setGeometry(224, 34, 352, 288);
    ShadowView->hide();
    ShadowView->OnDismiss = [this] { ShadowLine = 0; };
    shadowWork_ = new QFutureWatcher<TShadowAnalysis>(this);
    connect(shadowWork_, &QFutureWatcher<TShadowAnalysis>::finished, this, [this] {
        if (!ShadowLine) return;
        const TShadowAnalysis analysis = shadowWork_->result();
        if (analysis.Seconds <= 0) {
            HideShadowing();
            return;
        }
        ShadowView->SetAnalysis(analysis);
    });

    Help = new THelpOverlay(this, THelpVariant::Plain);
    Help->LoadHelp(main_.HelpFolder, "\\rechelp.jpg");
    Help->WireBackground(Image_Background);
    Help->RaiseAll();

    Recorder = StudioMedia().NewRecorder();
    for (int k = 1; k <= kLines; ++k) TempFiles[size_t(k)] = ChooseTempFile(k);
}

TForm_Recording::~TForm_Recording() {
    Timer_ProgressBar.SetEnabled(false);
    Timer_Captions.SetEnabled(false);
    GiveBackHook();
    Recorder.reset();
    for (int k = 1; k <= kLines; ++k) DeleteQuietly(TempFiles[size_t(k)]);
    InvalidatePathCache();
}

std::string TForm_Recording::ChooseTempFile(int k) const {
    int n = int(QRandomGenerator::global()->bounded(1000));
    for (;;) {
        const std::string name = TempRecordingName(n);
        const bool taken = std::any_of(TempFiles.begin() + 1, TempFiles.begin() + k,
                                       [&](const std::string& t) { return t == name; });
        if (!taken && !FileExists(name)) return name;
        ++n;
    }
}

void TForm_Recording::ScreenReady() { StartStudio(); }

void TForm_Recording::StartStudio() {
    if (Leaving) return;
    StudioMedia().AttachDisplay(Panel_Video);
    Actor = main_.CurrentRecord;
    SetScene(1);
    PrepareScene();
}

// ---- the scene ----------------------------------------------------------------------------

bool TForm_Recording::SceneExists(int n) const { return n >= 1 && n <= kScenes && Actor.Parts[n - 1][0] != 0; }

const TMovieEntry* TForm_Recording::LineEntry(int k) const {
    if (k < 1 || k > kLines || CurrentScene < 1 || CurrentScene > kScenes) return nullptr;
    const int number = Actor.Parts[CurrentScene - 1][k - 1];
    if (number < 1 || size_t(number) > main_.MovieEntries.size()) return nullptr;
    return &main_.MovieEntries[size_t(number - 1)];
}

int TForm_Recording::CuePosition() const {
    const int number = Actor.Parts[CurrentScene - 1][0];
    if (number >= 2 && size_t(number) <= main_.MovieEntries.size())
        return main_.MovieEntries[size_t(number - 2)].StartFrame;
    const TMovieEntry* first = LineEntry(1);
    return first ? first->StartFrame : 0;
}

bool TForm_Recording::HasRecording(int k) const { return PlayButtons[size_t(k)]->isVisible(); }

void TForm_Recording::SetScene(int n) {
    CurrentScene = n;
    Image_ClapNumber->SetPicture(ImageList_Clapper[size_t(n - 1)]);
    Image_ClapNumber->repaint();
}

void TForm_Recording::ShowVideo() {
    if (!Panel_Video->isVisible()) Panel_Video->show();
}

void TForm_Recording::PrepareScene() {
    if (LineEntry(4)) {
        Image_Cover4->hide();
        Image_Cover5->setVisible(!LineEntry(5));
        LineCount = LineEntry(5) ? 5 : 4;
    } else {
        Image_Cover4->show();
        Image_Cover5->show();
        LineCount = 3;
    }
    Image_Cover4->raise();
    Image_Cover5->raise();
    for (int k = 1; k <= kLines; ++k) {
        SoundButtons[size_t(k)]->setEnabled(true);
        RecordButtons[size_t(k)]->hide();
        PlayButtons[size_t(k)]->hide();
    }
    EButton_BigPlay->setEnabled(true);
    EButton_BigPlay->show();
    EButton_BigStop->hide();
    ++stepSerial_;
    if (StudioMedia().HasFilm()) {
        ShowVideo();
        const int cue = CuePosition();
        // The last step of the scene's preparation: whatever runs while the
        // still frame is fetched finds the scene ready.
        StudioMedia().PlayFilm(cue, cue, true, nullptr);
    }
}

void TForm_Recording::StopScenePlay() {
    if (!EButton_BigStop->isVisible()) return;
    Timer_Captions.SetEnabled(false);
    StudioMedia().StopFilm();
    StudioMedia().SetFilmMuted(false);
    SetLineButtonsEnabled(true);
    EButton_BigStop->hide();
}

void TForm_Recording::SetLineButtonsEnabled(bool enabled) {
    for (int k = 1; k <= LineCount; ++k) {
        SoundButtons[size_t(k)]->setEnabled(enabled);
        RecordButtons[size_t(k)]->setEnabled(enabled);
        PlayButtons[size_t(k)]->setEnabled(enabled);
    }
}

void TForm_Recording::ShowCaption(const std::string& text) {
    fcLabel_Caption->SetCaption(text);
    fcLabel_Caption->repaint();
}

// ---- listening ----------------------------------------------------------------------------

void TForm_Recording::EButton_SoundClick(int k) {
    if (Leaving || Recording) return;
    HideShadowing();
    StopScenePlay();
    const TMovieEntry* line = LineEntry(k);
    if (!line) return;
    const int step = ++stepSerial_;
    ShowCaption(line->LineText);
    if (StudioMedia().HasFilm()) {
        ShowVideo();
        StudioMedia().SetFilmMuted(false);
        // Messages run while the line plays; afterwards the step goes on only
        // if the screen, its scene and this play are still the ones it began.
        const QPointer<TForm_Recording> alive(this);
        StudioMedia().PlayFilm(line->StartFrame, line->EndFrame, true, nullptr);
        if (!alive || Leaving || step != stepSerial_) return;
    }
    RecordButtons[size_t(k)]->show();
    main_.FlushInput();
}

// ---- recording ----------------------------------------------------------------------------

void TForm_Recording::EButton_RecordClick(int k) {
    const TMovieEntry* line = LineEntry(k);
    if (!line || Recording || Leaving) return;
    const int step = ++stepSerial_;
    HideShadowing();
    StopScenePlay();
    SetLineButtonsEnabled(false);
    EButton_BigPlay->setEnabled(false);
    main_.FlushInput();
    const auto giveUp = [this] {
        SetLineButtonsEnabled(true);
        EButton_BigPlay->setEnabled(true);
    };

    RecordingLine = k;
    ShowCaption(line->LineText);
    const QPointer<TForm_Recording> alive(this);
    for (;;) {
        try {
            StudioMedia().CloseSounds();
            Recorder->Open(1, 2, kSampleRate);
        } catch (const EProgramError& e) {
            // No microphone: say so plainly; everything else on the screen works on.
            if (Recorder->IsOpen()) Recorder->Close();
            giveUp();
            ShowCaption("");
            DebugLog(std::string("Recording: ") + e.what());
            MessageDlg(kNoMicrophone, TMsgIcon::Warning);
            return;
        }
        try {
            if (!StartTake(k, step)) {
                // The screen went, or is leaving, while the first frame was
                // fetched: no take.
                if (!alive) return;
                Recorder->Close();
                if (!Leaving) giveUp();
                return;
            }
            break;
        } catch (const EProgramError& e) {
            // A screen deleted while the first frame was fetched took its recorder with it.
            if (!alive) return;
            // A take that began is given up with its device: the recorder
            // opens anew for the next try, so the completion the abandoned
            // take still sends ("aborted") cannot end the next one.
            takeDevice_ = 0;
            Timer_ProgressBar.SetEnabled(false);
            Shape_ProgressBar->resize(0, Shape_ProgressBar->height());
            if (Recorder->IsOpen()) Recorder->Close();
            if (SyncRecording && !Leaving) {
                // Recording beside the silent film failed; from now on the film stays still.
                DebugLog(std::string("Recording: synchronised recording failed, recording without the film: ") +
                         e.what());
                SyncRecording = false;
                continue;
            }
            giveUp();
            throw;
        }
    }
    savedHook_ = TAppEvents::Instance().Hook();
    TAppEvents::Instance().SetHook([this](QObject* r, QEvent* e) { return RecordingHook(r, e); });
    Recording = true;
}

// Steps 4 to 7 of a take: length, the still first frame, recorder and film
// started. False when the screen went, began leaving or began another step
// while the first frame was fetched.
bool TForm_Recording::StartTake(int k, int step) {
    const TMovieEntry* line = LineEntry(k);
    RecordMs = (line->EndFrame - line->StartFrame) * kUnitMs;
    const bool synced = SyncRecording && !main_.NtMode && StudioMedia().HasFilm();
    if (synced) {
        ShowVideo();
        StudioMedia().SetFilmMuted(true);
        const QPointer<TForm_Recording> alive(this);
        StudioMedia().PlayFilm(line->StartFrame, line->StartFrame, true, nullptr);
        if (!alive || Leaving || step != stepSerial_) return false;
    }
    RecordStartTick = GetTickCount();
    Shape_ProgressBar->resize(0, Shape_ProgressBar->height());
    Timer_ProgressBar.SetEnabled(true);
    Recorder->Record(RecordMs, this);
    takeDevice_ = Recorder->DeviceID();
    if (synced) {
        StudioMedia().SetFilmMuted(true);
        StudioMedia().PlayFilm(line->StartFrame, line->EndFrame, false, nullptr);
    }
    return true;
}

bool TForm_Recording::RecordingHook(QObject* receiver, QEvent* event) {
    if (savedHook_ && savedHook_(receiver, event)) return true;
    if (event->type() == QEvent::MouseButtonPress) {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
    } else if (event->type() == QEvent::KeyPress) {
        // Escape, Back elsewhere, ends the take as a click does.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Escape || key->isAutoRepeat()) return false;
    } else {
        return false;
    }
    if (GetTickCount() - RecordStartTick <= uint32_t(kEarlyClickMs)) return false;
    // A click (or Escape) after the first half second ends the take early; it
    // is still kept.
    GiveBackHook();
    RunGuarded([this] {
        if (Recorder && Recorder->IsOpen()) Recorder->Stop();
    });
    return true;
}

void TForm_Recording::GiveBackHook() {
    if (!savedHook_) return;
    TAppEvents::Instance().SetHook(savedHook_);
    savedHook_ = nullptr;
}

void TForm_Recording::Timer_ProgressBarTimer() {
    const int elapsed = int(GetTickCount() - RecordStartTick);
    const int width = RecordMs > 0 ? int(int64_t(elapsed) * kProgressWidth / RecordMs) : kProgressWidth;
    if (width >= kProgressWidth) {
        Timer_ProgressBar.SetEnabled(false);
        Shape_ProgressBar->resize(0, Shape_ProgressBar->height());
    } else {
        Shape_ProgressBar->resize(std::max(width, 0), Shape_ProgressBar->height());
    }
}

int TForm_Recording::ProgressWidth() const { return Shape_ProgressBar->width(); }

bool TForm_Recording::event(QEvent* e) {
    // The film's completions here all end scene play-backs. One of a play
    // since replaced (the scene stopped and started again before its end was
    // delivered) must not stop the new play-back.
    if (const TMessageEvent* m = AsMessage(e, MM_MCINOTIFY))
        if (m->Serial() != 0 && m->LParam() != takeDevice_ && m->Serial() != scenePlaySerial_) return true;
    return TScreen::event(e);
}

void TForm_Recording::MessageReceived(int message, intptr_t wParam, intptr_t lParam) {
    if (message != MM_MCINOTIFY) return;
    if (Recording && takeDevice_ != 0 && lParam == takeDevice_) {
        RecordingDone();
    } else if (wParam == MCI_NOTIFY_SUCCESSFUL) {
        StopScenePlay();
    }
}

void TForm_Recording::RecordingDone() {
    if (!Recording) return;
    Recording = false;
    takeDevice_ = 0;
    GiveBackHook();
    Timer_ProgressBar.SetEnabled(false);
    // The take is saved at once: nothing queued runs in between (a scene
    // change or Back then would find the take half done), and input queued
    // meanwhile is dropped below.
    Shape_ProgressBar->resize(0, Shape_ProgressBar->height());
    const int k = RecordingLine;
    try {
        Recorder->SaveToFile(TempFiles[size_t(k)]);
        Recorder->Close();
        PlayButtons[size_t(k)]->show();
        StartShadowing(k);
    } catch (...) {
        // The take is lost but the screen stays usable.
        Recorder->Close();
        SetLineButtonsEnabled(true);
        EButton_BigPlay->setEnabled(true);
        throw;
    }
    SetLineButtonsEnabled(true);
    EButton_BigPlay->setEnabled(true);
    main_.FlushInput();
}

// ---- shadowing ----------------------------------------------------------------------------

bool TForm_Recording::ShadowPending() const { return shadowWork_->isRunning(); }

void TForm_Recording::HideShadowing() {
    ShadowLine = 0;
    ShadowView->hide();
}

// The take just saved against the actor's line: the take is read here (it
// is small, and the next take may overwrite it), the film's sound is cut and
// both are tracked on a worker thread.
void TForm_Recording::StartShadowing(int k) {
    const TMovieEntry* line = LineEntry(k);
    if (!line || !Form_Movie) return;
    std::vector<float> take;
    int takeRate = 0;
    try {
        take = ReadTakeMono(TempFiles[size_t(k)], &takeRate);
    } catch (const std::exception& e) {
        DebugLog(std::string("Recording: the take cannot be compared: ") + e.what());
        return;
    }
    const TFilmRange range = LineExportFor(main_, *Form_Movie, *line, {}, {}).Range;
    if (range.File.empty()) return;
    ShadowLine = k;
    ShadowView->ShowWaiting();
    ShadowView->show();
    ShadowView->raise();
    Help->RaiseAll();
    shadowWork_->setFuture(QtConcurrent::run([range, take = std::move(take), takeRate] {
        try {
            constexpr int kRate = 22050;
            const std::vector<float> actor = MixToMono(CutFilmRange(range, kRate, false).Stereo);
            return AnalyseShadowing(actor, kRate, take, takeRate);
        } catch (const std::exception&) {
            return TShadowAnalysis{};
        }
    }));
}

// ---- hearing a take -----------------------------------------------------------------------

void TForm_Recording::EButton_PlayClick(int k) {
    if (Leaving || Recording) return;
    // Hearing the take again keeps its comparison in view.
    if (k != ShadowLine) HideShadowing();
    StopScenePlay();
    const TMovieEntry* line = LineEntry(k);
    if (!line || !StudioMedia().HasFilm()) return;
    const int step = ++stepSerial_;
    ShowCaption(line->LineText);
    StudioMedia().StopFilm();
    StudioMedia().SetFilmMuted(true);
    StudioMedia().PlaySound(TempFiles[size_t(k)]);
    ShowVideo();
    const QPointer<TForm_Recording> alive(this);
    StudioMedia().PlayFilm(line->StartFrame, line->EndFrame, true, nullptr);
    // Another step begun meanwhile owns the film and its sound now.
    if (!alive || Leaving || step != stepSerial_) return;
    StudioMedia().SetFilmMuted(false);
    if (main_.NtMode) StudioMedia().CloseSounds();
    main_.FlushInput();
}

// ---- the dubbed scene ---------------------------------------------------------------------

void TForm_Recording::EButton_BigPlayClick() {
    if (!StudioMedia().HasFilm() || Leaving || Recording) return;
    HideShadowing();
    const int from = CuePosition();
    const TMovieEntry* last = LineEntry(LineCount);
    if (!last) return;
    SceneEnd = last->EndFrame;
    if (!main_.NtMode)
        for (int k = 1; k <= LineCount; ++k)
            if (HasRecording(k)) StudioMedia().PrepareSound(TempFiles[size_t(k)]);
    ++stepSerial_;
    LastCaptionEntry = nullptr;
    NextDubLine = 1;
    StudioMedia().SetFilmMuted(false);
    ShowVideo();
    StudioMedia().PlayFilm(from, SceneEnd - 1, false, this);
    scenePlaySerial_ = StudioMedia().FilmSerial();
    Timer_Captions.SetInterval(kCaptionTickMs);
    Timer_Captions.SetEnabled(true);
    SetLineButtonsEnabled(false);
    EButton_BigStop->show();
    EButton_BigStop->raise();
}

void TForm_Recording::AimAtNextTake(int position) {
    // A take starts with its line, not up to a tick late: when the next
    // recorded line begins before the next tick, the timer looks again then.
    int interval = kCaptionTickMs;
    if (NextDubLine <= LineCount && HasRecording(NextDubLine))
        if (const TMovieEntry* next = LineEntry(NextDubLine)) {
            const int ms = (next->StartFrame - position) * kUnitMs;
            if (ms > 0 && ms < kCaptionTickMs) interval = std::max(ms, 5);
            else if (ms <= 0) interval = 5;
        }
    if (Timer_Captions.Interval() != interval) Timer_Captions.SetInterval(interval);
}

void TForm_Recording::Timer_CaptionsTimer() {
    if (!StudioMedia().HasFilm() || Leaving) return;
    const int position = StudioMedia().GetFilmPosition();
    const TMovieEntry* e = main_.EntryAt(position);
    struct Aim {
        TForm_Recording* self;
        int position;
        ~Aim() { self->AimAtNextTake(position); }
    } aim{this, position};
    if (!e || e == LastCaptionEntry) return;
    LastCaptionEntry = e;
    // An actor line the timer stepped over (shorter than a tick) is not waited for.
    while (NextDubLine <= LineCount && LineEntry(NextDubLine) && LineEntry(NextDubLine)->LineNumber < e->LineNumber)
        ++NextDubLine;
    bool dubbed = false;
    if (NextDubLine <= LineCount && LineEntry(NextDubLine) == e) {
        if (HasRecording(NextDubLine)) {
            if (main_.NtMode) StudioMedia().StopFilm();
            StudioMedia().SetFilmMuted(true);
            StudioMedia().PlaySound(TempFiles[size_t(NextDubLine)]);
            if (main_.NtMode) {
                StudioMedia().PlayFilm(-1, SceneEnd, false, this);
                scenePlaySerial_ = StudioMedia().FilmSerial();
            }
            dubbed = true;
        }
        ++NextDubLine;
    }
    if (!dubbed) {
        if (main_.NtMode) {
            StudioMedia().CloseSounds();
            StudioMedia().StopFilm();
        }
        StudioMedia().SetFilmMuted(false);
        if (main_.NtMode) {
            StudioMedia().PlayFilm(-1, SceneEnd, false, this);
            scenePlaySerial_ = StudioMedia().FilmSerial();
        }
    }
    fcLabel_Caption->SetCaption(e->LineText);
}

// ---- scene choice and leaving -------------------------------------------------------------

void TForm_Recording::EButton_ClapperClick() {
    if (!SceneExists(2) || Recording || Leaving) return;
    HideShadowing();
    StopScenePlay();
    ++stepSerial_;
    for (int k = 1; k <= kLines; ++k) {
        SoundButtons[size_t(k)]->setEnabled(false);
        RecordButtons[size_t(k)]->hide();
        PlayButtons[size_t(k)]->hide();
    }
    EButton_BigPlay->setEnabled(false);
    fcLabel_Caption->SetCaption("");
    StudioMedia().DetachDisplay();
    StudioMedia().ResetPlayers();
    ShowVideo();
    for (int n = 1; n <= kScenes; ++n) {
        SceneImages[size_t(n)]->setVisible(SceneExists(n));
        SceneImages[size_t(n)]->raise();
    }
    Panel_Video->update();
}

void TForm_Recording::Image_DSelClick(int n) {
    if (!SceneExists(n) || Leaving || Recording) return;
    SetScene(n);
    for (int i = 1; i <= kScenes; ++i) SceneImages[size_t(i)]->hide();
    StudioMedia().AttachDisplay(Panel_Video);
    PrepareScene();
}

void TForm_Recording::EButton_BackClick() {
    if (Recording || Leaving) return;
    Leaving = true;
    ++stepSerial_;
    HideShadowing();
    Timer_Captions.SetEnabled(false);
    CoverWithSnapshot(Panel_Video);
    StudioMedia().DetachDisplay();
    StudioMedia().ResetPlayers();
    main_.PostStateChange(stRecSelect, trWipeLeft);
}

} // namespace tav
