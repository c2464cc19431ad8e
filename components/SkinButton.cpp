#include "components/SkinButton.h"

#include "toolkit/Skin.h"

namespace tav {

TZrButton* CreateSkinButton(QWidget* parent, const std::string& role, QPoint pos, QSize size, int tag) {
    auto* button = new TZrButton(parent);
    button->setObjectName(QString::fromStdString("EButton_" + role));
    button->move(pos);
    button->SetPicture(skin::NamedButtonStrip(role, size.width(), size.height()));
    button->Tag = tag;
    return button;
}

} // namespace tav
