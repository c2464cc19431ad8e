#include "menus/MainMenu.h"

#include "app/ClipPoolLink.h"
#include "app/Main.h"
#include "components/SkinButton.h"
#include "components/HelpOverlay.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"

namespace tav {

bool MainPoolReset = false;

TForm_MainMenu::TForm_MainMenu(TForm_Main& main, QWidget* parent) : TScreen(parent), main_(main) {
    Image_Background = new TImage(this);
    Image_Background->setGeometry(0, 0, 800, 600);
    Image_Background->SetStretch(true);
    Image_Background->LoadFromFile(main_.TargetFolder + "\\menus\\mainmenu.jpg");

    struct TButtonPlace {
        TZrButton** button;
        const char* role;
        QPoint pos;
        QSize size;
        int tag, state;
        bool reset;
        int transition;
    };
    const TButtonPlace places[] = {
        {&EButton_Activities, "Activities", {285, 405}, {242, 154}, 1, stActivitiesMenu, false, trWipeRight},
        {&EButton_ScreenPlay, "ScreenPlay", {308, 129}, {184, 166}, 2, stScreenPlay, true, trWipeRight},
        {&EButton_MovieQuiz, "MovieQuiz", {0, 224}, {242, 140}, 3, stQuiz, true, trWipeRight},
        {&EButton_Record, "RecordMenu", {0, 382}, {239, 98}, 4, stRecSelect, false, trWipeRight},
        {&EButton_Dictionary, "Dictionary", {561, 232}, {239, 110}, 5, stDictionary, true, trWipeRight},
        {&EButton_WordSearch, "WordSearch", {564, 390}, {236, 112}, 6, stWordSearch, true, trWipeRight},
        {&EButton_Back, "Back", {0, 555}, {38, 44}, 7, stStartMenu, false, trWipeLeft},
    };
    for (const auto& p : places) {
        *p.button = CreateSkinButton(this, p.role, p.pos, p.size, p.tag);
        const int state = p.state, transition = p.transition;
        const bool reset = p.reset;
        (*p.button)->OnClick = [this, state, transition, reset](TCustomZrImageStrip*) {
            RunGuarded([&] { Leave(state, transition, reset); });
        };
    }

    fcLabel_Name = new TfcLabel(this);
    fcLabel_Name->setGeometry(169, 570, 462, 18);
    QFont nameFont = PixelFont(main_.NameFont, 18, true);
    fcLabel_Name->SetLabelFont(nameFont);
    fcLabel_Name->SetFontColor(Qt::white);
    fcLabel_Name->SetAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    fcLabel_Name->SetEffects({.ShadowOffset = 1, .ShadowColor = Qt::black});
    fcLabel_Name->SetCaption(main_.StudentName);

    Help = new THelpOverlay(this, THelpVariant::Blend);
    Help->LoadHelp(main_.HelpFolder, "\\mainhelp.jpg");
    Help->LoadHints(main_.HelpFolder, "\\mmhint",
                    {{491, 541}, {489, 281}, {239, 331}, {239, 466}, {588, 343}, {588, 480}, {38, 577}},
                    main_.HelpLanguage != main_.TargetLanguage);
    Help->WireBackground(Image_Background);
    for (const auto& p : places) Help->WireHintControl(*p.button, p.tag);
    Help->RaiseAll();
}

void TForm_MainMenu::ScreenReady() {
    if (!ClipPoolExists()) {
        CreateClipPool(main_.MovieVisible);
    } else if (MainPoolReset) {
        ResetClipPool();
        MainPoolReset = false;
    }
}

void TForm_MainMenu::Leave(int state, int transition, bool resetPool) {
    DetachClipPoolDisplay();
    if (resetPool) MainPoolReset = true;
    main_.PostStateChange(state, transition);
}

} // namespace tav
