#include "menus/ActivitiesMenu.h"

#include "app/ActivityCodes.h"
#include "app/ClipPoolLink.h"
#include "app/Main.h"
#include "components/SkinButton.h"
#include "content/OurUtils.h"
#include "components/HelpOverlay.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/PictureLoader.h"


namespace tav {

bool ActivitiesPoolReset = false;
TPrintCertificate PrintCertificateHook;

namespace {

TfcLabel* ResultLabel(QWidget* parent, int x, int y) {
    auto* l = new TfcLabel(parent);
    l->setGeometry(x, y, 33, 22);
    l->SetLabelFont(PixelFont("Arial", 19));
    l->SetFontColor(Qt::white);
    l->SetAlignment(Qt::AlignCenter);
    l->SetEffects({.ShadowOffset = 1, .ShadowColor = Qt::black});
    return l;
}

} // namespace

TForm_ActivitiesMenu::TForm_ActivitiesMenu(TForm_Main& main, QWidget* parent)
    : TScreen(parent), Timer_Star(this, 50), main_(main) {
    Image_Background = new TImage(this);
    Image_Background->setGeometry(0, 0, 800, 600);
    Image_Background->SetStretch(true);
    Image_Background->LoadFromFile(main_.TargetFolder + "\\menus\\actmenu.jpg");

    struct TPlace {
        TZrButton** button;
        const char* role;
        QPoint pos;
        QSize size;
        int tag, state;
    };
    const TPlace places[] = {
        {&EButton_VocabPrac, "VocabPrac", {203, 123}, {268, 66}, 1, stVocabPrac},
        {&EButton_VocabTest, "VocabTest", {443, 126}, {152, 58}, 2, stVocabTest},
        {&EButton_MissingPrac, "MissingPrac", {205, 236}, {224, 59}, 3, stMissingPrac},
        {&EButton_MissingTest, "MissingTest", {402, 236}, {194, 58}, 4, stMissingTest},
        {&EButton_NextLinePrac, "NextLinePrac", {206, 347}, {180, 58}, 5, stNextLinePrac},
        {&EButton_NextLineTest, "NextLineTest", {359, 345}, {236, 60}, 6, stNextLineTest},
        {&EButton_SpellPrac, "SpellPrac", {207, 457}, {140, 57}, 7, stSpellingPrac},
        {&EButton_SpellTest, "SpellTest", {320, 456}, {274, 58}, 8, stSpellingTest},
    };
    for (const auto& p : places) {
        // Practice and test rectangles of a row overlap, and the row's title
        // sits on their top edge: each plate keeps clear of both.
        const bool test = p.tag % 2 == 0;
        const QMargins clear = test ? QMargins(32, 14, 0, 0) : QMargins(0, 14, 32, 0);
        *p.button = CreateInsetSkinButton(this, p.role, p.pos, p.size, p.tag, clear);
        const int state = p.state;
        (*p.button)->OnClick = [this, state](TCustomZrImageStrip*) { RunGuarded([&] { ActivityClick(state); }); };
    }
    EButton_Print = CreateSkinButton(this, "Print", {336, 532}, {69, 54}, 9);
    EButton_Print->setEnabled(false);
    EButton_Print->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_PrintClick(); }); };
    EButton_Back = CreateSkinButton(this, "Back", {0, 556}, {38, 44}, 10);
    EButton_Back->OnClick = [this](TCustomZrImageStrip*) {
        RunGuarded([this] { main_.PostStateChange(stMainMenu, trWipeLeft); });
    };

    const int percentY[5] = {0, 144, 255, 364, 474};
    const int scoreY[5] = {0, 143, 254, 364, 474};
    for (int i = 1; i <= 4; ++i) {
        fcLabel_Percent[i] = ResultLabel(this, 142, percentY[i]);
        fcLabel_Score[i] = ResultLabel(this, 622, scoreY[i]);
    }
    fcLabel_Total = ResultLabel(this, 622, 551);

    fcLabel_Name = new TfcLabel(this);
    fcLabel_Name->setGeometry(141, 538, 149, 48);
    fcLabel_Name->SetLabelFont(PixelFont(main_.NameFont, 16, true));
    fcLabel_Name->SetFontColor(Qt::white);
    fcLabel_Name->SetAlignment(Qt::AlignCenter);
    fcLabel_Name->SetWordWrap(true);
    fcLabel_Name->SetEffects({.ShadowOffset = 1, .ShadowColor = Qt::black});
    fcLabel_Name->SetCaption(main_.StudentName);

    Image_Stars = new TImage(this);
    Image_Stars->setGeometry(515, 538, 20, 48);
    Image_Stars->SetTransparent(true);
    Panel_Star = new QWidget(this);
    Panel_Star->setGeometry(446, 545, 36, 35);
    Panel_Star->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Shows frame StarFrame of the strip through a moving view; the strip's
    // bottom-left pixel is its transparent colour.
    PaintBox_Star = new TImage(Panel_Star);
    PaintBox_Star->setGeometry(0, 0, 36, 35);
    PaintBox_Star->SetTransparent(true);
    PaintBox_Star->setAttribute(Qt::WA_TransparentForMouseEvents);
    PaintBox_Star->hide();
    Timer_Star.OnTimer = [this] { Timer_StarTimer(); };

    Help = new THelpOverlay(this, THelpVariant::Blend);
    Help->LoadHelp(main_.HelpFolder, "\\acthelp.jpg");
    Help->LoadHints(main_.HelpFolder, "\\achint",
                    {{338, 184}, {511, 184}, {314, 294}, {493, 294}, {293, 404}, {478, 404}, {270, 515},
                     {457, 515}, {405, 581}, {39, 578}},
                    main_.HelpLanguage != main_.TargetLanguage);
    Help->WireBackground(Image_Background);
    for (const auto& p : places) Help->WireHintControl(*p.button, p.tag);
    Help->WireHintControl(EButton_Print, 9);
    Help->WireHintControl(EButton_Back, 10);
    Help->RaiseAll();
}

TForm_ActivitiesMenu::~TForm_ActivitiesMenu() { Timer_Star.SetEnabled(false); }

void TForm_ActivitiesMenu::showEvent(QShowEvent* e) {
    TScreen::showEvent(e);
    RunGuarded([this] { FormShow(); });
}

void TForm_ActivitiesMenu::FormShow() {
    for (int i = 1; i <= 4; ++i) {
        fcLabel_Percent[i]->SetCaption(IntToStr(main_.Percents[i]));
        fcLabel_Score[i]->SetCaption(IntToStr(main_.Scores[i]));
    }
    fcLabel_Total->SetCaption(IntToStr(main_.TotalScore()));
    AwardShown = AwardName(main_.TotalScore());
    if (!AwardShown.empty()) {
        const std::string folder = main_.ProgramFolder + "\\pc\\actmenu\\";
        Image_Stars->SetPicture(LoadPicture(folder + AwardShown + ".bmp"));
        StarStrip = LoadPicture(folder + AwardShown + "Anim.bmp");
        PaintBox_Star->SetPicture(StarStrip);
        StarFrame = -1;
        StarCycles = 0;
        Timer_Star.SetEnabled(true);
    } else {
        Image_Stars->SetPicture(QImage());
        StarFrame = -1;
        Timer_Star.SetEnabled(false);
    }
    EButton_Print->setEnabled(!AwardShown.empty());
    ShowStarFrame();
}

void TForm_ActivitiesMenu::Timer_StarTimer() {
    ++StarFrame;
    if (StarFrame >= 20) {
        StarFrame = 0;
        if (++StarCycles >= 6) Timer_Star.SetEnabled(false);
    }
    ShowStarFrame();
}

void TForm_ActivitiesMenu::ShowStarFrame() {
    PaintBox_Star->setVisible(StarFrame >= 0 && !StarStrip.isNull());
    if (StarFrame >= 0) PaintBox_Star->SetView(QRect(0, 35 * StarFrame, 36, 35));
}

void TForm_ActivitiesMenu::ScreenReady() {
    if (ActivitiesPoolReset) {
        ResetClipPool();
        ActivitiesPoolReset = false;
    }
}

void TForm_ActivitiesMenu::ActivityClick(int state) {
    ActivitiesPoolReset = true;
    main_.PostStateChange(state, trWipeRight);
}

void TForm_ActivitiesMenu::EButton_PrintClick() {
    main_.ReportActivity(acCertificate);
    try {
        if (PrintCertificateHook) PrintCertificateHook(main_.StudentName, AwardShown);
        else throw EProgramError("Printing the certificate is not part of this build");
    } catch (...) {
        main_.ReportActivity(acNone); // the manager hears the activity end also when printing failed
        throw;
    }
    main_.ReportActivity(acNone);
}

} // namespace tav
