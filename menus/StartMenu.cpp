#include "menus/StartMenu.h"

#include "app/ClipPoolLink.h"
#include "app/Main.h"
#include "components/SkinButton.h"
#include "content/KeyFiles.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "components/HelpOverlay.h"
#include "menus/NewCourseDialog.h"
#include "platform/ShellOpen.h"
#include "toolkit/Blend.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/Skin.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tav {

namespace {

// The close mark of the text panel: a click area with a drawn cross.
class TExitMark : public QWidget {
public:
    explicit TExitMark(QWidget* parent, std::function<void()> onClick) : QWidget(parent), onClick_(std::move(onClick)) {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(2, 2, -2, -2);
        p.setBrush(skin::Night());
        p.setPen(QPen(skin::Gold(), 2));
        p.drawEllipse(r);
        p.setPen(QPen(skin::Cream(), 3, Qt::SolidLine, Qt::RoundCap));
        const QRectF c = r.adjusted(10, 10, -10, -10);
        p.drawLine(c.topLeft(), c.bottomRight());
        p.drawLine(c.topRight(), c.bottomLeft());
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick_) onClick_();
    }

private:
    std::function<void()> onClick_;
};

// A transparent corner that only carries a tooltip.
class TTipArea : public QWidget {
public:
    using QWidget::QWidget;
};

template <class F>
auto Click(F f) {
    return [f](TCustomZrImageStrip*) { RunGuarded(f); };
}

} // namespace

TForm_StartMenu::TForm_StartMenu(TForm_Main& main, QWidget* parent) : TScreen(parent), main_(main) {
    fcImager_Background = new TImage(this);
    fcImager_Background->setGeometry(0, 0, 800, 600);
    fcImager_Background->SetStretch(true);
    fcImager_Background->LoadFromFile(main_.TargetFolder + "\\menus\\bootmenu.jpg");
    Panel_Dim = new TPanel(this, QColor(0, 0, 0, 128));
    Panel_Dim->setGeometry(0, 0, 800, 600);
    Panel_Dim->hide();

    EButton_Start = CreateSkinButton(this, "Start", {337, 260}, {125, 55}, 1);
    EButton_Flag = CreateSkinButton(this, "Flag", {359, 345}, {78, 46}, 2);
    EButton_ReadMe = CreateSkinButton(this, "ReadMe", {287, 430}, {29, 28}, 3);
    EButton_Info = CreateSkinButton(this, "Info", {385, 430}, {29, 28}, 4);
    EButton_Licence = CreateSkinButton(this, "Licence", {481, 430}, {29, 28}, 5);
    EButton_Back = CreateSkinButton(this, "Back", {0, 556}, {38, 44}, 6);
    EButton_Start->OnClick = Click([this] { EButton_StartClick(); });
    EButton_Flag->OnClick = Click([this] { EButton_FlagClick(); });
    EButton_ReadMe->OnClick = Click([this] { EButton_ReadMeClick(); });
    EButton_Info->OnClick = Click([this] { EButton_InfoClick(); });
    EButton_Licence->OnClick = Click([this] { EButton_LicenceClick(); });
    EButton_Back->OnClick = Click([this] { EButton_BackClick(); });

    // Building a course is the learner's own business: the classroom manager names the content.
    Button_NewCourse = new QPushButton(QStringLiteral("New course from a film\u2026"), this);
    Button_NewCourse->setStyleSheet(skin::DialogStyleSheet());
    Button_NewCourse->setGeometry(584, 34, 206, 30);
    Button_NewCourse->setCursor(Qt::PointingHandCursor);
    Button_NewCourse->setVisible(!main_.Remote);
    connect(Button_NewCourse, &QPushButton::clicked, this, [this] { RunGuarded([this] { NewCourseClick(); }); });

    Panel_HideButtons = new TPanel(this, QColor(235, 231, 219));
    Panel_HideButtons->setGeometry(261, 425, 283, 62);
    Panel_HideButtons->setVisible(main_.Remote);

    // The version as a tooltip of the top-left corner.
    const TVersionNumbers v = GetVersionNumbers();
    PaintBox_Version = new TTipArea(this);
    PaintBox_Version->setGeometry(0, 0, 32, 32);
    PaintBox_Version->setToolTip(QString::fromStdString(
        Format("Version %d.%d.%d build %d", v.Major, v.Minor, v.Release, v.Build)));

    // The text panel for the read-me and licence texts.
    Panel_Text = new QWidget(this);
    Panel_Text->setGeometry(177, 126, 447, 390);
    Image_Text = new TImage(Panel_Text);
    Image_Text->setGeometry(0, 0, 447, 390);
    Image_Text->SetPicture(skin::Background(skin::TBackground::TextPanel, 447, 390));
    Memo_Text = new QPlainTextEdit(Panel_Text);
    Memo_Text->setGeometry(18, 25, 411, 314);
    Memo_Text->setReadOnly(true);
    Memo_Text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_Text->setFont(PixelFont("Arial", 13));
    Memo_Text->setStyleSheet(QStringLiteral("QPlainTextEdit { background: rgb(250, 246, 236); color: black; "
                                            "border: 1px solid rgb(201, 162, 75); }"));
    PaintBox_ExitText = new TExitMark(Panel_Text, [this] { RunGuarded([this] { PaintBox_ExitTextClick(); }); });
    PaintBox_ExitText->setGeometry(199, 341, 34, 34);
    Panel_Text->hide();

    Help = new THelpOverlay(this, THelpVariant::Blend);
    Help->LoadHelp(main_.HelpFolder, "\\boothelp.jpg");
    Help->LoadHints(main_.HelpFolder, "\\boohint",
                    {{453, 302}, {430, 380}, {310, 450}, {408, 450}, {504, 450}, {38, 577}},
                    main_.HelpLanguage != main_.TargetLanguage);
    Help->WireBackground(fcImager_Background);
    Help->WireHintControl(EButton_Start, 1);
    Help->WireHintControl(EButton_Flag, 2);
    Help->WireHintControl(EButton_ReadMe, 3);
    Help->WireHintControl(EButton_Info, 4);
    Help->WireHintControl(EButton_Licence, 5);
    Help->WireHintControl(EButton_Back, 6);
    Panel_HideButtons->raise();
    Help->RaiseAll();
    Panel_Text->raise();
}

void TForm_StartMenu::EButton_StartClick() {
    if (main_.Remote) main_.PostStateChange(stMainMenu, trWipeRight);
    else main_.PostStateChange(stStudRec, trBlend);
}

void TForm_StartMenu::EButton_FlagClick() { main_.PostStateChange(stHelpMenu, trWipeOut); }

void TForm_StartMenu::EButton_ReadMeClick() { ShowTextFile(main_.ProgramFolder + "\\pc\\pcreadme.txt"); }

void TForm_StartMenu::EButton_LicenceClick() { ShowTextFile(main_.ContentRoot + "\\shared\\licence.txt"); }

void TForm_StartMenu::EButton_InfoClick() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string address = main_.BuildWebAddress();
    QGuiApplication::restoreOverrideCursor();
    ShellOpen(address);
}

void TForm_StartMenu::NewCourseClick() { AskForNewCourse(main_); }

void TForm_StartMenu::EButton_BackClick() {
    if (!main_.Courses.empty()) {
        // Back to the choice of courses; the next one brings its own film.
        FreeClipPool();
        main_.PostStateChange(stCourseMenu, trWipeLeft);
    } else if (!main_.MultiMenuPicture.empty()) {
        // The next target brings its own film: the main menu makes a new pool.
        FreeClipPool();
        main_.PostStateChange(stMultiMenu, trWipeLeft);
    } else {
        main_.PostStateChange(stQuit, trNone);
    }
}

void TForm_StartMenu::ShowTextFile(const std::string& fileName) {
    // Read first: a missing file fails before anything changes on screen.
    const TStringList lines = ReadContentLines(fileName);
    QString text;
    for (const auto& line : lines) {
        if (!text.isEmpty()) text += QLatin1Char('\n');
        text += ToQString(line);
    }
    Memo_Text->setPlainText(text);
    // A hover hint on its way for the button just clicked must not appear
    // over the panel.
    Help->BackgroundMouseMove();
    BlendChange(this, kBlendMs, [this] {
        EButton_Back->hide();
        if (Help->Image_Lifebelt) Help->Image_Lifebelt->hide();
        Panel_Dim->show();
        Panel_Dim->raise();
        Panel_Text->show();
        Panel_Text->raise();
    });
}

void TForm_StartMenu::PaintBox_ExitTextClick() {
    BlendChange(this, kBlendMs, [this] {
        Panel_Text->hide();
        Panel_Dim->hide();
        EButton_Back->show();
        if (Help->Image_Lifebelt) Help->Image_Lifebelt->show();
    });
}

bool TForm_StartMenu::TextPanelShown() const { return Panel_Text->isVisible(); }

} // namespace tav
