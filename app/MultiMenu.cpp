#include "app/MultiMenu.h"

#include "app/Main.h"
#include "components/ZrButton.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/PictureLoader.h"
#include "toolkit/Skin.h"

namespace tav {

TForm_MultiMenu::TForm_MultiMenu(TForm_Main& main, QWidget* parent) : TScreen(parent), main_(main) {
    const std::string folder = main_.ContentRoot + "\\multi\\";
    Image_Background = new TImage(this);
    Image_Background->setGeometry(0, 0, 800, 600);
    Image_Background->LoadFromFile(folder + main_.MultiMenuPicture);

    EButton_Back = new TZrButton(this);
    EButton_Back->setObjectName(QStringLiteral("EButton_Back"));
    EButton_Back->SetPicture(skin::NamedButtonStrip("Back", 38, 44));
    EButton_Back->move(0, 555);
    EButton_Back->Tag = 7;
    EButton_Back->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_BackClick(); }); };

    for (size_t i = 0; i < main_.MultiEntries.size(); ++i) {
        const TMultiEntry& entry = main_.MultiEntries[i];
        auto* button = new TZrButton(this);
        button->SetPicture(LoadPicture(folder + entry.PictureFile));
        button->move(entry.ButtonLeft, entry.ButtonTop);
        button->Tag = static_cast<int>(i);
        button->OnClick = [this](TCustomZrImageStrip* sender) {
            RunGuarded([this, sender] { MultiTargetClick(sender); });
        };
        TargetButtons.push_back(button);
    }
}

void TForm_MultiMenu::MultiTargetClick(TCustomZrImageStrip* sender) {
    const int index = sender->Tag;
    if (index < 0 || index >= static_cast<int>(main_.MultiEntries.size())) return;
    const TMultiEntry entry = main_.MultiEntries[index]; // LoadTarget may not touch it, but keep a copy
    main_.LoadTarget(entry.FolderName, entry.TargetPath);
    main_.PostStateChange(stStartMenu, trWipeRight);
}

void TForm_MultiMenu::EButton_BackClick() { main_.PostStateChange(stQuit, trNone); }

} // namespace tav
