#include "app/CustomStart.h"

#include "app/Main.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "app/WebAddress.h"
#include "platform/ShellOpen.h"
#include "toolkit/PictureLoader.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

namespace tav {

namespace {

TScreenArea ParseArea(const std::string& text) {
    std::string rest = text;
    TScreenArea a;
    a.Left = NextInt(rest, ',', 0);
    a.Top = NextInt(rest, ',', 0);
    a.Right = NextInt(rest, ',', 0);
    a.Bottom = NextInt(rest, ',', 0);
    return a;
}

} // namespace

TCustomStartFile ParseCustomStart(const std::vector<std::string>& lines) {
    TCustomStartFile f;
    if (lines.empty()) return f;
    f.PictureName = Trim(lines[0]);
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string rest = lines[i];
        const std::string keyword = Trim(NextToken(rest, '|'));
        if (SameText(keyword, "web")) {
            f.WebArea = ParseArea(NextToken(rest, '|'));
            f.WebAddress = NextToken(rest, '|');
        } else if (SameText(keyword, "start")) {
            f.StartArea = ParseArea(NextToken(rest, '|'));
        }
    }
    return f;
}

TForm_CustomStart::TForm_CustomStart(TForm_Main& main, QWidget* parent) : TScreen(parent), main_(main) {
    setMouseTracking(true);
    const std::string folder = main_.ContentRoot + "\\CustomStart";
    file_ = ParseCustomStart(ReadContentLines(folder + "\\CustomStart.txt"));
    picture_ = LoadPicture(folder + "\\" + file_.PictureName);
}

void TForm_CustomStart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const QPoint at((width() - picture_.width()) / 2, (height() - picture_.height()) / 2);
    p.drawImage(at, picture_);
}

void TForm_CustomStart::mouseMoveEvent(QMouseEvent* e) {
    last_ = e->position().toPoint();
    const bool inside = file_.WebArea.Contains(last_.x(), last_.y()) || file_.StartArea.Contains(last_.x(), last_.y());
    setCursor(inside ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TForm_CustomStart::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    last_ = e->position().toPoint();
    if (file_.WebArea.Contains(last_.x(), last_.y())) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        ShellOpen(WithWebScheme(ToQString(file_.WebAddress).toStdString()));
        QGuiApplication::restoreOverrideCursor();
        setCursor(Qt::PointingHandCursor);
    } else if (file_.StartArea.Contains(last_.x(), last_.y())) {
        setCursor(Qt::ArrowCursor);
        main_.PostStateChange(main_.MultiMenuPicture.empty() ? stStartMenu : stMultiMenu, trWipeRight);
    }
}

} // namespace tav
