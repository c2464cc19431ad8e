#include "menus/HelpMenu.h"

#include <QPainter>

#include "app/Main.h"
#include "components/SkinButton.h"
#include "content/OurUtils.h"
#include "media/MCIControl.h"
#include "components/HelpOverlay.h"
#include "platform/Paths.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/ListBox.h"
#include "toolkit/Panel.h"
#include "toolkit/PictureLoader.h"
#include "toolkit/Skin.h"

namespace tav {

std::function<QTime()> TForm_HelpMenu::Now;

std::string GreetingSuffix(const QTime& time) {
    // The time of day as a fraction of the day: below 0.5 morning, from 0.75 evening.
    const double fraction = time.msecsSinceStartOfDay() / 86400000.0;
    if (fraction < 0.5) return "gm";
    if (fraction >= 0.75) return "ge";
    return "ga";
}

TForm_HelpMenu::TForm_HelpMenu(TForm_Main& main, QWidget* parent)
    : TScreen(parent), Timer_UpDown(nullptr, 100), main_(main) {
    // 1. The greeting player.
    GreetingPlayer = std::make_unique<TMCIPlayer>();
    PlayGreeting = [this](const std::string& file) {
        GreetingPlayer->Open(file, nullptr, 0);
        GreetingPlayer->Play(0, -1, false, nullptr);
    };
    CloseGreeting = [this] { GreetingPlayer->Close(); };

    Image_Background = new TImage(this);
    Image_Background->setGeometry(0, 0, 800, 600);
    Image_Background->SetPicture(skin::Background(skin::TBackground::HelpLanguage));

    ListBox_Flags = new TCoolListBox(this);
    ListBox_Flags->setGeometry(277, 73, 213, 240);
    ListBox_Flags->SetItemHeight(kRowHeight);
    ListBox_Flags->SetBackgroundColor(Qt::white);
    ListBox_Flags->OnDrawItem = [this](TCoolListBox*, QPainter& painter, int index, const QRect& rect, bool selected) {
        DrawFlag(painter, index, rect, selected);
    };
    ListBox_Flags->OnClick = [this](TCoolListBox*) { RunGuarded([this] { ListBox_FlagsClick(); }); };
    RowsShown = ListBox_Flags->height() / ListBox_Flags->ItemHeight();

    Panel_HideScroll = new TPanel(this, Qt::white);
    Panel_HideScroll->setGeometry(474, 72, 16, 241);
    Panel_HideScroll->hide();

    EButton_Up = CreateSkinButton(this, "Up", {508, 70}, {26, 65});
    EButton_Down = CreateSkinButton(this, "Down", {509, 255}, {26, 66});
    for (TZrButton* arrow : {EButton_Up, EButton_Down}) {
        const int direction = arrow == EButton_Up ? -1 : 1;
        arrow->OnMouseDown = [this, direction](auto*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            ScrollDirection = direction;
        };
        arrow->OnMouseUp = [this](auto*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ScrollDirection = 0; };
    }

    EButton_Back = CreateSkinButton(this, "Back", {0, 556}, {38, 44}, 1);
    EButton_Back->OnClick = [this](auto*) { RunGuarded([this] { EButton_BackClick(); }); };

    // The help picture, always shown here, and the Back button's hint.
    Help = new THelpOverlay(this, THelpVariant::AlwaysShown, false);
    Help->WireBackground(Image_Background);
    Help->WireHintControl(EButton_Back, 1);
    Help->FlushInput = [this] { main_.FlushInput(); };
    LoadHelpPictures();

    // 3. The flags of the offered languages, one band each.
    FlagStrip = LoadPicture(main_.ContentRoot + "\\shared\\source\\TheFlags.jpg");

    // 4. The list, with the current help language picked.
    std::vector<std::string> codes;
    for (const auto& code : main_.SourceHelpLangs) codes.push_back(Trim(code));
    ListBox_Flags->SetItems(codes);
    for (size_t i = 0; i < codes.size(); ++i)
        if (StrToIntDef(codes[i], -1) == main_.HelpLanguage) CurrentRow = int(i);
    ListBox_Flags->SetItemIndex(CurrentRow);
    if (CurrentRow >= RowsShown) ListBox_Flags->SetTopIndex(CurrentRow - RowsShown + 1);
    Panel_HideScroll->setVisible(ListBox_Flags->Count() > kRows);

    Timer_UpDown.OnTimer = [this] { Timer_UpDownTimer(); };
    Timer_UpDown.SetEnabled(true);
    Timer_UpDownTimer();
}

TForm_HelpMenu::~TForm_HelpMenu() {
    Timer_UpDown.SetEnabled(false);
    GreetingPlayer.reset();
}

void TForm_HelpMenu::LoadHelpPictures() {
    // AlwaysShown: loading the picture also shows it.
    Help->LoadHelp(main_.HelpFolder, "\\langhelp.jpg");
    Help->Panel_Help->move(231, 371);
    Help->LoadHints(main_.HelpFolder, "\\lnghint", {{38, 577}}, main_.HelpLanguage != main_.TargetLanguage);
    Help->RaiseAll();
}

void TForm_HelpMenu::DrawFlag(QPainter& painter, int index, const QRect& rect, bool selected) {
    painter.fillRect(rect, Qt::white);
    if (!FlagStrip.isNull()) {
        const QRect band(0, kRowHeight * index, FlagStrip.width(), kRowHeight);
        painter.drawImage(rect, FlagStrip, band);
    }
    if (selected) {
        // The current language gets a frame so the learner sees which one is in use.
        painter.setPen(QPen(skin::Gold(), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(1, 1, -2, -2));
    }
}

std::string TForm_HelpMenu::GreetingFile(const std::string& codeText) const {
    const QTime now = Now ? Now() : QTime::currentTime();
    return main_.ContentRoot + "\\shared\\source\\helpsnds\\" + codeText + GreetingSuffix(now) + ".aif";
}

void TForm_HelpMenu::ListBox_FlagsClick() {
    const int row = ListBox_Flags->ItemIndex();
    if (row < 0) return;
    const std::string codeText = ListBox_Flags->Items()[size_t(row)];
    const int code = StrToIntDef(codeText, -1);
    // A language the disc has no help folder for cannot be chosen.
    if (code < 0 || !DirectoryExists(main_.ContentRoot + "\\shared\\source\\bubb" + IntToStr(code))) {
        ListBox_Flags->SetItemIndex(CurrentRow);
        return;
    }
    CurrentRow = row;
    main_.SetHelpLanguage(code);
    LoadHelpPictures();
    update();

    const std::string greeting = GreetingFile(codeText);
    if (FileExists(greeting) && PlayGreeting) PlayGreeting(greeting);
}

void TForm_HelpMenu::Timer_UpDownTimer() {
    const int top = ListBox_Flags->TopIndex();
    const int count = ListBox_Flags->Count();
    if (ScrollDirection != 0) {
        const int newTop = top + ScrollDirection;
        if (newTop >= 0 && newTop + RowsShown <= count) ListBox_Flags->SetTopIndex(newTop);
    } else {
        EButton_Up->setEnabled(top > 0);
        EButton_Down->setEnabled(top + kRows < count);
    }
}

void TForm_HelpMenu::EButton_BackClick() {
    if (CloseGreeting) CloseGreeting();
    main_.PostStateChange(stStartMenu, trWipeIn);
}

} // namespace tav
