#include "games/Dictionary.h"

#include <QApplication>

#include <algorithm>
#include <cstdlib>

#include "activities/ActivityMedia.h"
#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "components/SkinButton.h"
#include "content/DebugLog.h"
#include "content/DictionaryWords.h"
#include "components/HelpOverlay.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"
#include "toolkit/Panel.h"
#include "toolkit/Skin.h"

namespace tav {

std::vector<TDictionaryRow> DictionaryRows(const std::vector<std::string>& entries, const TTargetIndex& filter) {
    std::vector<TDictionaryRow> rows;
    for (size_t i = 0; i < entries.size(); ++i)
        if (!filter.IsFilteredText(entries[i])) rows.push_back({entries[i], int(i)});
    return rows;
}

TDictionaryScroll ScrollTick(int topRow, int step, int count, int visibleRows) {
    int top = topRow + step;
    if (std::abs(step) < 8) step *= 2;
    top = std::min(top, count - visibleRows);
    top = std::max(top, 0);
    return {top, step};
}

const char* const TForm_Dictionary::kNoWordsText = "The word list has no words to show.";

TForm_Dictionary::TForm_Dictionary(TForm_Main& main, QWidget* parent)
    : TScreen(parent), Timer_UpDown(this, 100), main_(main) {
    auto* panel = new TPanel(this);
    panel->setGeometry(0, 0, 800, 600);
    Image_Background = new TImage(panel);
    Image_Background->setGeometry(0, 0, 800, 600);
    Image_Background->SetPicture(skin::Background(skin::TBackground::Dictionary));

    Image = new TImage(panel);
    Image->setGeometry(96, 54, 280, 212);
    Image->SetStretch(true);
    Image->OnClick = [this](TImage*) { RunGuarded([this] { EButton_PlayClick(); }); };
    EButton_Play = CreateSkinButton(panel, "Play", {218, 283}, {36, 36});
    EButton_Play->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_PlayClick(); }); };

    fcLabel_Caption = new TfcLabel(panel);
    fcLabel_Caption->setGeometry(92, 334, 281, 127);
    fcLabel_Caption->SetLabelFont(PixelFont("Arial", 35));
    fcLabel_Caption->SetFontColor(QColor(0, 0, 160));
    fcLabel_Caption->SetAlignment(Qt::AlignCenter);
    fcLabel_Caption->SetWordWrap(true);
    // Dark blue letters on the night background need a light edge to read.
    fcLabel_Caption->SetEffects({.OutlineWidth = 2, .OutlineColor = skin::Cream()});
    fcLabel_Caption->SetCaption("");
    fcLabel_Caption->OnClick = [this](TfcLabel*) { RunGuarded([this] { EButton_PlayClick(); }); };

    CoolListBox = new TCoolListBox(panel);
    CoolListBox->setGeometry(430, 60, 246, 416);
    CoolListBox->SetItemHeight(20);
    CoolListBox->setFont(PixelFont("Arial", 16, true));
    CoolListBox->SetBackgroundColor(skin::NightDeep());
    CoolListBox->SetTextColors(skin::Cream(), skin::Signal());
    CoolListBox->OnClick = [this](TCoolListBox*) { RunGuarded([this] { CoolListBoxClick(); }); };
    // The list's own scroll bars are covered: the arrows scroll it.
    Image_NoScroll = new TImage(panel);
    Image_NoScroll->setGeometry(660, 60, 16, 400);
    Image_NoScroll->SetPicture(skin::ScrollCover(16, 400));
    Image_HideScroll2 = new TImage(panel);
    Image_HideScroll2->setGeometry(430, 460, 259, 16);
    Image_HideScroll2->SetPicture(skin::ScrollCover(259, 16));

    EButton_Up = CreateSkinButton(panel, "Up", {677, 68}, {32, 83});
    EButton_Down = CreateSkinButton(panel, "Down", {678, 367}, {32, 83});
    EButton_Up->OnMouseDown = [this](TCustomZrImageStrip*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        ScrollStep = -1;
    };
    EButton_Down->OnMouseDown = [this](TCustomZrImageStrip*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        ScrollStep = 1;
    };
    EButton_Up->OnMouseUp = EButton_Down->OnMouseUp =
        [this](TCustomZrImageStrip*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ScrollStep = 0; };
    Timer_UpDown.OnTimer = [this] { Timer_UpDownTimer(); };

    EButton_Back = CreateSkinButton(panel, "Back", {0, 557}, {38, 44});
    EButton_Back->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_BackClick(); }); };

    Rows = DictionaryRows(LoadDictionaryWords(main.TargetFolder + "\\DicWords.txt"), main);
    std::vector<std::string> texts;
    for (const TDictionaryRow& r : Rows) texts.push_back(r.Text);
    CoolListBox->SetItems(std::move(texts));

    Help = new THelpOverlay(this, THelpVariant::Blend);
    Help->LoadHelp(main.HelpFolder, "\\DicHelp.jpg");
    Help->WireBackground(Image_Background);
    Help->RaiseAll();
}

TForm_Dictionary::~TForm_Dictionary() { Timer_UpDown.SetEnabled(false); }

void TForm_Dictionary::ScreenReady() {
    CoolListBox->repaint();
    Timer_UpDown.SetEnabled(true);
    if (Rows.empty()) {
        // Nothing to show: say so; Back still leads out.
        fcLabel_Caption->SetLabelFont(PixelFont("Arial", 20));
        fcLabel_Caption->SetCaption(kNoWordsText);
        DebugLog(std::string("Dictionary: ") + kNoWordsText);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct TRestore {
        ~TRestore() { QApplication::restoreOverrideCursor(); }
    } restore;
    CoolListBox->SetItemIndex(0);
    SetWord(0); // the first word is shown, not said
}

void TForm_Dictionary::SetWord(int row) {
    const TDictionaryRow& r = Rows[size_t(row)];
    fcLabel_Caption->SetCaption(r.Text);
    Image->LoadFromFile(DictionaryPicture(main_.TargetFolder, r.Index));
    WordSound = DictionarySound(main_.TargetFolder, r.Index);
}

void TForm_Dictionary::CoolListBoxClick() {
    const int row = CoolListBox->ItemIndex();
    if (row >= 0 && row < int(Rows.size())) ShowWord(row);
}

void TForm_Dictionary::ShowWord(int row) {
    ActivityMedia().CloseSounds();
    SetWord(row);
    ActivityMedia().PlaySound(WordSound, false);
    main_.FlushInput();
}

void TForm_Dictionary::EButton_PlayClick() {
    if (!WordSound.empty()) ActivityMedia().PlaySound(WordSound, false);
}

void TForm_Dictionary::Timer_UpDownTimer() {
    if (ScrollStep != 0) {
        const TDictionaryScroll next = ScrollTick(CoolListBox->TopIndex(), ScrollStep, int(Rows.size()), kVisibleRows);
        ScrollStep = next.Step;
        CoolListBox->SetTopIndex(next.TopRow);
        return;
    }
    const int top = CoolListBox->TopIndex();
    EButton_Up->setEnabled(top > 0);
    EButton_Down->setEnabled(top + kVisibleRows < int(Rows.size()));
}

void TForm_Dictionary::EButton_BackClick() { main_.PostStateChange(stMainMenu, trWipeLeft); }

} // namespace tav
