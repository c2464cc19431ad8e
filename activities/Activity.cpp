#include "activities/Activity.h"

#include <QPointer>

#include "activities/ActivityMedia.h"
#include "app/Main.h"
#include "components/SkinButton.h"
#include "media/VolumeControl.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/Skin.h"

namespace tav {

TForm_Activity::TForm_Activity(TForm_Main& main, QWidget* parent, const TActivitySetup& setup)
    : TForm_Drill(main, parent, setup, {.Background = skin::Background(skin::TBackground::Activity)}) {
    Panel_Video = new TPanel(Panel_Background, QColor(0, 0, 128));
    Panel_Video->setGeometry(264, 42, 272, 220);
    Panel_Video->lower();
    Image_Background->lower();

    fcLabel_Caption->setGeometry(19, 329, 760, 58);
    fcLabel_Caption->SetLabelFont(PixelFont("Arial Black", 21));
    fcLabel_Caption->SetFontColor(Qt::white);
    fcLabel_Caption->SetAlignment(Qt::AlignHCenter | Qt::AlignTop);
    fcLabel_Caption->SetWordWrap(true);
    fcLabel_Caption->SetEffects({.ShadowOffset = 2, .ShadowColor = Qt::black});

    EButton_Play = CreateSkinButton(Panel_Background, "Play", {381, 265}, {38, 27});
    EButton_Play->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_PlayClick(); }); };
    EButton_Volume = CreateSkinButton(Panel_Background, "Volume", {521, 266}, {24, 24});
    Volume = new TVolumeControl(Panel_Background, TVolumeControl::ActivityLayout(), EButton_Volume);
}

TForm_Activity::~TForm_Activity() = default;

void TForm_Activity::StartActivity() { ActivityMedia().AttachDisplay(Panel_Video); }

bool TForm_Activity::PlayLine(bool notify, bool wait) {
    if (!CurrentLine) return true;
    // Starting a play (and a waiting play until it ends) runs queued
    // messages: a screen change among them may take this screen away
    // before the play returns.
    TForm_Main& main = main_;
    const QPointer<TForm_Activity> alive(this);
    QObject* reportTo = NewPlay(notify);
    ActivityMedia().PlayFilm(CurrentLine->StartFrame, CurrentLine->EndFrame, wait, reportTo);
    main.FlushInput();
    return !alive.isNull();
}

void TForm_Activity::StopLine() {
    // The stopped line counts as ended: a test clock armed meanwhile does
    // not wait for the stop's report.
    PlayStopped();
    ActivityMedia().StopFilm();
}

void TForm_Activity::EButton_PlayClick() {
    if (NoQuestion || Finishing || LeavingScreen()) return;
    PlayLine(true, false);
}

void TForm_Activity::ShowNoQuestion(const std::string& why) {
    CurrentLine = nullptr;
    TForm_Drill::ShowNoQuestion(why);
}

bool TForm_Activity::PlaybackRunning() const { return ActivityMedia().FilmPlaying(); }

void TForm_Activity::LeaveFilm() {
    // The panel keeps the film's last picture while the screen leaves:
    // without it the transition would start from the empty navy display.
    Image_Still = CoverWithSnapshot(Panel_Video, Image_Still);
    ActivityMedia().DetachDisplay();
}

} // namespace tav
