#include "menus/InsertDVD.h"

#include "app/ContentLocation.h"
#include "app/DiscScan.h"
#include "content/UnicodeText.h"
#include "platform/Paths.h"
#include "toolkit/ErrorHandler.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <memory>

namespace tav {

namespace {

// A small picture of a disc for the dialog, drawn so the program needs no file.
QPixmap DiscPicture(QSize size) {
    QPixmap pix(size);
    pix.fill(QColor(0x14, 0x1B, 0x2E));
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(size.width() * 0.12, size.height() * 0.12, size.width() * 0.76, size.width() * 0.76);
    QRadialGradient g(disc.center(), disc.width() / 2);
    g.setColorAt(0.0, QColor(0xF4, 0xE9, 0xD0));
    g.setColorAt(0.55, QColor(0xC9, 0xA2, 0x4B));
    g.setColorAt(1.0, QColor(0x8C, 0x6A, 0x2A));
    p.setBrush(g);
    p.setPen(QPen(QColor(0xF4, 0xE9, 0xD0), 2));
    p.drawEllipse(disc);
    p.setBrush(QColor(0x14, 0x1B, 0x2E));
    p.drawEllipse(disc.center(), disc.width() * 0.12, disc.width() * 0.12);
    p.setPen(QPen(QColor(255, 255, 255, 90), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(disc.adjusted(14, 14, -14, -14), 30 * 16, 60 * 16);
    return pix;
}

} // namespace

std::function<std::string()> TForm_InsertDVD::BrowseForTarget = []() -> std::string {
    QString file = QFileDialog::getOpenFileName(nullptr, QStringLiteral("Please locate target.txt"),
                                                QStringLiteral("target.txt"),
                                                QStringLiteral("Text files (*.txt *.TXT)"));
    return file.toStdString();
};

TForm_InsertDVD::TForm_InsertDVD(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Insert disk"));
    setFixedSize(367, 241);
    setModal(true);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(7, 8, 352, 195);
    auto* icon = new QLabel(panel);
    icon->setGeometry(8, 8, 180, 179);
    icon->setPixmap(DiscPicture(QSize(180, 179)));
    auto* label = new QLabel(QStringLiteral("Please insert Tavolin CD or DVD in any drive."), panel);
    label->setGeometry(200, 56, 145, 63);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    label->setFont(f);

    BitBtn_OK = new QPushButton(QStringLiteral("OK"), this);
    BitBtn_OK->setGeometry(199, 210, 75, 25);
    BitBtn_OK->setDefault(true);
    BitBtn_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn_Cancel->setGeometry(282, 210, 75, 25);
    BitBtn_Browse = new QPushButton(QStringLiteral("Browse"), this);
    BitBtn_Browse->setGeometry(9, 210, 75, 25);

    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, Guarded([this] { LookAgain(); }));
    connect(BitBtn_OK, &QPushButton::clicked, this, Guarded([this] { LookAgain(); }));
    connect(BitBtn_Cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(BitBtn_Browse, &QPushButton::clicked, this, Guarded([this] { Browse(); }));
}

void TForm_InsertDVD::LookAgain() {
    std::string root = LocateContent();
    if (root.empty()) return;
    found_ = root;
    accept();
}

void TForm_InsertDVD::Browse() {
    const std::string file = BrowseForTarget ? BrowseForTarget() : std::string();
    if (file.empty()) return;
    std::string folder = QFileInfo(QString::fromStdString(file)).absolutePath().toStdString();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (!HasContentFiles(folder)) return; // stays open
    found_ = folder;
    accept();
}

std::string TForm_InsertDVD::Run(bool standAlone) {
    found_.clear();
    BitBtn_Browse->setVisible(standAlone);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
    Timer1.start();
    const int result = exec();
    Timer1.stop();
    return result == QDialog::Accepted ? found_ : std::string();
}

std::string AskForContentWithDialog(bool standAlone) {
    std::string root = LocateContent();
    if (!root.empty()) return root;
    // Created on first need and kept for the rest of the run.
    static std::unique_ptr<TForm_InsertDVD> dialog;
    if (!dialog) dialog = std::make_unique<TForm_InsertDVD>();
    return dialog->Run(standAlone);
}

} // namespace tav
