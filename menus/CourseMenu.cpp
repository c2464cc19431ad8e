#include "menus/CourseMenu.h"

#include "app/ClipPoolLink.h"
#include "app/Main.h"
#include "components/SkinButton.h"
#include "components/ZrButton.h"
#include "content/LanguageCodes.h"
#include "menus/NewCourseDialog.h"
#include "platform/Paths.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Skin.h"

#include <QFont>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>

namespace tav {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

constexpr int kCardW = 232, kCardH = 218, kPictureH = 150;
constexpr int kLeft = 34, kTop = 96, kGapX = 17, kGapY = 16;

const char* const kButtonStyle =
    "QPushButton { color: rgb(246, 236, 212); font-size: 15px; background-color: qlineargradient(x1:0, y1:0, x2:0,"
    " y2:1, stop:0 rgb(44, 62, 112), stop:1 rgb(18, 26, 56)); border: 1px solid rgb(196, 152, 70);"
    " border-radius: 6px; padding: 4px 14px; }"
    "QPushButton:hover { border-color: rgb(246, 212, 130); background-color: rgb(58, 80, 138); }"
    "QPushButton:disabled { color: rgb(120, 120, 130); border-color: rgb(90, 80, 60); }";

QString LanguageText(int code) {
    const std::string iso = IsoCodeOfLanguage(code);
    const QLocale::Language l = iso.empty() ? QLocale::AnyLanguage : QLocale::codeToLanguage(Q(iso));
    if (l != QLocale::AnyLanguage) return QLocale::languageToString(l);
    return code > 0 ? Q(LanguageName(code)) : QString();
}

} // namespace

// One course: its start-menu picture, title and language on a gold-rimmed card.
class TCourseCard : public QWidget {
public:
    TCourseCard(QWidget* parent, const TCourse& course, std::function<void()> onClick)
        : QWidget(parent), onClick_(std::move(onClick)) {
        setFixedSize(kCardW, kCardH);
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_Hover);
        title_ = Q(course.Title);
        language_ = LanguageText(course.Language);
        own_ = course.InLibrary;
        QImage picture(Q(NativePath(course.Picture)));
        if (!picture.isNull())
            picture_ = picture.scaled(kCardW - 16, kPictureH, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        setToolTip(title_);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const bool hot = underMouse();
        const QRectF card = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
        QLinearGradient g(card.topLeft(), card.bottomLeft());
        g.setColorAt(0, hot ? QColor(52, 72, 128) : QColor(34, 48, 92));
        g.setColorAt(1, QColor(14, 20, 44));
        p.setBrush(g);
        p.setPen(QPen(hot ? skin::GoldLight() : skin::Gold(), hot ? 3 : 2));
        p.drawRoundedRect(card, 10, 10);

        const QRectF pic(8, 8, kCardW - 16, kPictureH);
        QPainterPath clip;
        clip.addRoundedRect(pic, 6, 6);
        p.save();
        p.setClipPath(clip);
        if (!picture_.isNull()) {
            p.drawImage(pic, picture_,
                        QRectF((picture_.width() - pic.width()) / 2, (picture_.height() - pic.height()) / 2,
                               pic.width(), pic.height()));
        } else {
            p.fillRect(pic, skin::NightDeep());
            p.setPen(skin::Gold());
            QFont f = font();
            f.setPixelSize(46);
            p.setFont(f);
            p.drawText(pic, Qt::AlignCenter, title_.left(1).toUpper());
        }
        p.restore();

        QFont f = font();
        f.setPixelSize(16);
        f.setBold(true);
        p.setFont(f);
        p.setPen(skin::Cream());
        const QRectF titleBox(10, kPictureH + 12, kCardW - 20, 24);
        p.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(f).elidedText(title_, Qt::ElideRight, int(titleBox.width())));
        f.setBold(false);
        f.setPixelSize(13);
        p.setFont(f);
        p.setPen(skin::GoldLight());
        QString sub = language_;
        if (own_) sub += sub.isEmpty() ? QStringLiteral("Your course") : QStringLiteral(" \u00B7 your course");
        p.drawText(QRectF(10, kPictureH + 36, kCardW - 20, 20), Qt::AlignLeft | Qt::AlignVCenter, sub);
    }
    void enterEvent(QEnterEvent*) override { update(); }
    void leaveEvent(QEvent*) override { update(); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick_) onClick_();
    }

private:
    std::function<void()> onClick_;
    QString title_, language_;
    QImage picture_;
    bool own_ = false;
};

TForm_CourseMenu::TForm_CourseMenu(TForm_Main& main, QWidget* parent) : TScreen(parent), main_(main) {
    Image_Background = new TImage(this);
    Image_Background->setGeometry(0, 0, 800, 600);
    QImage background = skin::Background(skin::TBackground::Stage);
    {
        QPainter p(&background);
        p.setRenderHint(QPainter::Antialiasing);
        QFont f(QStringLiteral("DejaVu Serif"));
        f.setPixelSize(34);
        p.setFont(f);
        p.setPen(skin::Cream());
        p.drawText(QRect(0, 22, 800, 48), Qt::AlignCenter, QStringLiteral("Choose a course"));
        p.setPen(QPen(skin::Gold(), 1.5));
        p.drawLine(QPointF(250, 74), QPointF(550, 74));
    }
    Image_Background->SetPicture(background);

    EButton_Back = new TZrButton(this);
    EButton_Back->setObjectName(QStringLiteral("EButton_Back"));
    EButton_Back->SetPicture(skin::NamedButtonStrip("Back", 38, 44));
    EButton_Back->move(0, 555);
    EButton_Back->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_BackClick(); }); };

    Button_NewCourse = new QPushButton(QStringLiteral("New course from a film\u2026"), this);
    Button_NewCourse->setStyleSheet(QString::fromLatin1(kButtonStyle));
    Button_NewCourse->setGeometry(560, 556, 220, 32);
    Button_NewCourse->setCursor(Qt::PointingHandCursor);
    connect(Button_NewCourse, &QPushButton::clicked, this, [this] { RunGuarded([this] { NewCourseClick(); }); });

    Button_PageBack = new QPushButton(QStringLiteral("\u25C0"), this);
    Button_PageOn = new QPushButton(QStringLiteral("\u25B6"), this);
    for (QPushButton* b : {Button_PageBack, Button_PageOn}) b->setStyleSheet(QString::fromLatin1(kButtonStyle));
    Button_PageBack->setGeometry(330, 556, 56, 32);
    Button_PageOn->setGeometry(414, 556, 56, 32);
    connect(Button_PageBack, &QPushButton::clicked, this, [this] { RunGuarded([this] { ShowPage(page_ - 1); }); });
    connect(Button_PageOn, &QPushButton::clicked, this, [this] { RunGuarded([this] { ShowPage(page_ + 1); }); });
    ShowPage(0);
}

void TForm_CourseMenu::ShowPage(int page) {
    const int count = int(main_.Courses.size());
    const int pages = std::max(1, (count + kCardsPerPage - 1) / kCardsPerPage);
    page_ = std::clamp(page, 0, pages - 1);
    for (QWidget* c : Cards) c->deleteLater();
    for (QPushButton* b : RemoveButtons)
        if (b) b->deleteLater();
    Cards.clear();
    RemoveButtons.clear();
    for (int slot = 0; slot < kCardsPerPage; ++slot) {
        const int index = page_ * kCardsPerPage + slot;
        if (index >= count) break;
        const TCourse& course = main_.Courses[size_t(index)];
        auto* card = new TCourseCard(this, course, [this, index] { RunGuarded([this, index] { CardClick(index); }); });
        // Rows are centred: two courses stand in the middle, not at the left.
        const int inRow = std::min(3, count - (page_ * kCardsPerPage + slot / 3 * 3));
        const int rowLeft = kLeft + (3 - inRow) * (kCardW + kGapX) / 2;
        const int top = count - page_ * kCardsPerPage <= 3 ? kTop + (kCardH + kGapY) / 2 : kTop;
        const int x = rowLeft + (slot % 3) * (kCardW + kGapX), y = top + (slot / 3) * (kCardH + kGapY);
        card->move(x, y);
        card->show();
        Cards.push_back(card);
        QPushButton* remove = nullptr;
        if (course.InLibrary) {
            remove = new QPushButton(QStringLiteral("\u2715"), this);
            remove->setToolTip(QStringLiteral("Remove this course"));
            remove->setStyleSheet(QString::fromLatin1(kButtonStyle) +
                                  QStringLiteral("QPushButton { padding: 0; font-size: 13px; border-radius: 13px; }"));
            remove->setGeometry(x + kCardW - 36, y + 12, 26, 26);
            remove->setCursor(Qt::PointingHandCursor);
            connect(remove, &QPushButton::clicked, this, [this, index] { RunGuarded([this, index] { RemoveClick(index); }); });
            remove->show();
            remove->raise();
        }
        RemoveButtons.push_back(remove);
    }
    Button_PageBack->setVisible(pages > 1);
    Button_PageOn->setVisible(pages > 1);
    Button_PageBack->setEnabled(page_ > 0);
    Button_PageOn->setEnabled(page_ + 1 < pages);
}

void TForm_CourseMenu::CardClick(int index) {
    if (index < 0 || index >= int(main_.Courses.size())) return;
    const TCourse course = main_.Courses[size_t(index)];
    // The next course brings its own film: the menus make a new clip pool.
    FreeClipPool();
    if (!main_.OpenCourse(course.Root)) return;
    main_.PostStateChange(main_.ContentFirstState(), trWipeRight);
}

void TForm_CourseMenu::RemoveClick(int index) {
    if (index < 0 || index >= int(main_.Courses.size()) || !main_.Courses[size_t(index)].InLibrary) return;
    const TCourse course = main_.Courses[size_t(index)];
    QPointer<TForm_CourseMenu> self(this);
    const TModalResult answer =
        MessageDlg("Remove the course \u00AB" + course.Title +
                       "\u00BB? Its film and pictures are deleted from this computer; your film itself and your "
                       "scores stay.",
                   TMsgIcon::Warning, TMsgButtons::OKCancel);
    if (!self || answer != TModalResult::OK) return;
    std::string why;
    FreeClipPool();
    if (!RemoveCourse(CoursesFolder(), course.Root, why)) {
        MessageDlg(why, TMsgIcon::Error);
        return;
    }
    const bool wasOpen = main_.ContentRoot == course.Root;
    std::vector<TCourse> left = main_.Courses;
    left.erase(left.begin() + index);
    main_.Courses = left.size() >= 2 ? left : std::vector<TCourse>{};
    if (left.empty()) {
        main_.PostStateChange(stQuit, trNone);
        return;
    }
    if (wasOpen || left.size() == 1) {
        if (!main_.OpenCourse(left.front().Root)) return;
    }
    if (left.size() == 1) {
        // One course is left: it opens at once, as at start-up.
        main_.PostStateChange(main_.ContentFirstState(), trWipeRight);
        return;
    }
    ShowPage(page_);
}

void TForm_CourseMenu::NewCourseClick() { AskForNewCourse(main_); }

void TForm_CourseMenu::EButton_BackClick() { main_.PostStateChange(stQuit, trNone); }

} // namespace tav
