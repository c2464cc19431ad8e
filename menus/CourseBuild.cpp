#include "menus/CourseBuild.h"

#include "app/CourseBuildRun.h"
#include "app/Main.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Skin.h"

#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <map>

namespace tav {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The bar: a gold fill in a rounded night-blue groove.
class TBuildBar : public QWidget {
public:
    explicit TBuildBar(QWidget* parent, const double& fraction) : QWidget(parent), fraction_(fraction) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF groove = QRectF(rect()).adjusted(1, 1, -1, -1);
        p.setPen(QPen(skin::Gold(), 1.5));
        p.setBrush(skin::NightDeep());
        p.drawRoundedRect(groove, groove.height() / 2, groove.height() / 2);
        if (fraction_ <= 0) return;
        QRectF fill = groove.adjusted(3, 3, -3, -3);
        fill.setWidth(std::max(fill.height(), fill.width() * std::min(1.0, fraction_)));
        QLinearGradient g(fill.topLeft(), fill.bottomLeft());
        g.setColorAt(0, skin::GoldLight());
        g.setColorAt(1, skin::Gold());
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(fill, fill.height() / 2, fill.height() / 2);
    }

private:
    const double& fraction_;
};

QLabel* MakeLabel(QWidget* parent, int pixels, const QColor& colour, QRect at) {
    auto* l = new QLabel(parent);
    QFont f = l->font();
    f.setPixelSize(pixels);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    l->setGeometry(at);
    return l;
}

} // namespace

QString TForm_CourseBuild::StageText(const std::string& stage) {
    static const std::map<std::string, QString> texts{
        {"reading the subtitles", QStringLiteral("Reading the subtitles")},
        {"finding the speech", QStringLiteral("Finding the speech and fitting the subtitles to it")},
        {"reading the film", QStringLiteral("Reading the film")},
        {"film parts", QStringLiteral("Making the film parts")},
        {"pictures", QStringLiteral("Drawing the menus and pictures")},
        {"words", QStringLiteral("Choosing and speaking the words")},
        {"quiz", QStringLiteral("Writing the quiz")},
        {"checking", QStringLiteral("Checking the course")},
        {"done", QStringLiteral("Opening the course")},
    };
    const auto it = texts.find(stage);
    if (it != texts.end()) return it->second;
    QString s = Q(stage);
    if (!s.isEmpty()) s[0] = s[0].toUpper();
    return s;
}

QString TForm_CourseBuild::TimeLeftText(int seconds) {
    if (seconds < 0) return {};
    if (seconds < 60) return QStringLiteral("Less than a minute left");
    const int minutes = (seconds + 30) / 60;
    if (minutes == 1) return QStringLiteral("About a minute left");
    if (minutes < 120) return QStringLiteral("About %1 minutes left").arg(minutes);
    return QStringLiteral("About %1 hours left").arg((minutes + 30) / 60);
}

TForm_CourseBuild::TForm_CourseBuild(TForm_Main& main, QWidget* parent) : TScreen(parent), main_(main) {
    Image_Background = new TImage(this);
    Image_Background->setGeometry(0, 0, 800, 600);
    Image_Background->SetPicture(skin::Background(skin::TBackground::Stage));
    Label_Title = MakeLabel(this, 28, skin::Cream(), QRect(60, 150, 680, 80));
    Label_Title->setText(QStringLiteral("Building \u00AB%1\u00BB").arg(Q(main_.PendingCourse.Title)));
    Label_Stage = MakeLabel(this, 18, skin::GoldLight(), QRect(60, 250, 680, 30));
    Label_Stage->setText(QStringLiteral("Starting"));
    Bar = new TBuildBar(this, fraction_);
    Bar->setGeometry(140, 296, 520, 30);
    Label_Left = MakeLabel(this, 15, skin::Cream(), QRect(60, 336, 680, 26));
    Button_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Button_Cancel->setStyleSheet(skin::DialogStyleSheet());
    Button_Cancel->setGeometry(340, 400, 120, 34);
    Button_Cancel->setCursor(Qt::PointingHandCursor);
    connect(Button_Cancel, &QPushButton::clicked, this, [this] { RunGuarded([this] { CancelClick(); }); });
    // The build starts once the screen is up, whatever its transition.
    QTimer::singleShot(0, this, [this] { RunGuarded([this] { ScreenReady(); }); });
}

TForm_CourseBuild::~TForm_CourseBuild() = default; // the run stops a build still going

bool TForm_CourseBuild::Building() const { return run_ && run_->Running(); }

void TForm_CourseBuild::ScreenReady() {
    if (started_) return;
    started_ = true;
    const TCourseRequest request = main_.PendingCourse;
    main_.PendingCourse = {};
    if (request.Empty()) {
        Leave();
        return;
    }
    run_ = std::make_unique<TCourseBuildRun>();
    run_->OnProgress = [this](const TBuildProgress& p) { Progress(p); };
    run_->OnFinished = [this](bool ok, bool cancelled, const std::string& why) {
        RunGuarded([this, ok, cancelled, why] { Done(ok, cancelled, why); });
    };
    std::string why;
    const std::string folder = CoursesFolder();
    if (folder.empty()) why = "The course cannot be kept: there is no home folder to keep it in.";
    else if (run_->Start(request, NewCourseRoot(folder, request.Title), why)) return;
    // The box lets queued messages run: the screen may be gone after it.
    QPointer<TForm_CourseBuild> self(this);
    MessageDlg(why, TMsgIcon::Error);
    if (self) Leave();
}

void TForm_CourseBuild::Progress(const TBuildProgress& p) {
    fraction_ = p.Fraction;
    Label_Stage->setText(StageText(p.Stage));
    Label_Left->setText(TimeLeftText(p.SecondsLeft));
    Bar->update();
}

void TForm_CourseBuild::CancelClick() {
    if (!Building()) return;
    Button_Cancel->setEnabled(false);
    Label_Stage->setText(QStringLiteral("Stopping and removing what was made"));
    Label_Left->clear();
    run_->Cancel();
}

void TForm_CourseBuild::Done(bool ok, bool cancelled, const std::string& why) {
    QPointer<TForm_CourseBuild> self(this);
    const std::string root = run_->Root();
    if (!ok) {
        // The box lets queued messages run: the screen may be gone after it.
        if (!cancelled) MessageDlg("The course could not be built. " + why + " Nothing was kept.", TMsgIcon::Error);
        if (self) Leave();
        return;
    }
    fraction_ = 1;
    Bar->update();
    main_.RefreshCourses();
    if (!main_.OpenCourse(root)) {
        // A damaged course showed its box: the screen may be gone after it.
        if (self) Leave();
        return;
    }
    main_.PostStateChange(main_.ContentFirstState(), trBlend);
}

// Back where the learner asked for the course: the course menu when there
// is a choice, else the start of the content that is open.
void TForm_CourseBuild::Leave() {
    main_.RefreshCourses();
    main_.PostStateChange(main_.Courses.empty() ? main_.ContentFirstState() : stCourseMenu, trBlend);
}

} // namespace tav
