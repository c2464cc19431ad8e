#include "components/SkinButton.h"

#include "toolkit/Skin.h"

#include <QPainter>
#include <QRegion>

namespace tav {

TZrButton* CreateSkinButton(QWidget* parent, const std::string& role, QPoint pos, QSize size, int tag) {
    auto* button = new TZrButton(parent);
    button->setObjectName(QString::fromStdString("EButton_" + role));
    button->move(pos);
    button->SetPicture(skin::NamedButtonStrip(role, size.width(), size.height()));
    button->Tag = tag;
    return button;
}

TZrButton* CreateInsetSkinButton(QWidget* parent, const std::string& role, QPoint pos, QSize size, int tag,
                                 QMargins margins) {
    const QRect plate = QRect(QPoint(0, 0), size).marginsRemoved(margins);
    const QImage strip = skin::NamedButtonStrip(role, plate.width(), plate.height());
    // Four frames side by side, each with the plate at its place.
    const qreal ratio = strip.devicePixelRatio();
    QImage full(qRound(size.width() * 4 * ratio), qRound(size.height() * ratio), QImage::Format_ARGB32_Premultiplied);
    full.setDevicePixelRatio(ratio);
    full.fill(Qt::transparent);
    {
        QPainter p(&full);
        for (int f = 0; f < 4; ++f)
            p.drawImage(QPoint(f * size.width() + plate.left(), plate.top()), strip,
                        QRect(qRound(f * plate.width() * ratio), 0, qRound(plate.width() * ratio),
                              qRound(plate.height() * ratio)));
    }
    auto* button = new TZrButton(parent);
    button->setObjectName(QString::fromStdString("EButton_" + role));
    button->move(pos);
    button->SetPicture(full);
    button->Tag = tag;
    // Only the plate takes the pointer.
    button->setMask(QRegion(plate));
    return button;
}

} // namespace tav
