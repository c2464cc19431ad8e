#include "viewer/RecSelect.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/Main.h"
#include "components/SkinButton.h"
#include "components/ZrButton.h"
#include "components/HelpOverlay.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Transition.h"

namespace tav {

namespace {

const QColor kOutline(255, 204, 255), kNameInk(255, 153, 204);
constexpr int kOutlineWidth = 4;
const QColor kNoticeInk(240, 230, 210);
const char* const kNoRoles =
    "This film has no roles to record: its subtitles do not say who speaks each line.";
const QPoint kCircles[9] = {{155, 86}, {325, 86}, {495, 86}, {155, 256}, {325, 256},
                            {495, 256}, {155, 426}, {325, 426}, {495, 426}};

} // namespace

// ---- the actor circle ---------------------------------------------------------------------

TActorShape::TActorShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
}

void TActorShape::SetOutlined(bool on) {
    if (outlined_ == on) return;
    outlined_ = on;
    update();
}

bool TActorShape::Contains(const QPoint& p) const {
    const double rx = width() / 2.0, ry = height() / 2.0;
    const double dx = (p.x() + 0.5 - rx) / rx, dy = (p.y() + 0.5 - ry) / ry;
    return dx * dx + dy * dy <= 1.0;
}

void TActorShape::paintEvent(QPaintEvent*) {
    if (!outlined_) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kOutline, kOutlineWidth));
    p.setBrush(Qt::NoBrush);
    const double half = kOutlineWidth / 2.0;
    p.drawEllipse(QRectF(half, half, width() - kOutlineWidth, height() - kOutlineWidth));
}

void TActorShape::mouseMoveEvent(QMouseEvent* e) {
    if (Contains(e->position().toPoint())) {
        if (OnMouseMove) OnMouseMove(this);
    } else if (OnOutsideMove) {
        OnOutsideMove();
    }
}

void TActorShape::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && Contains(e->position().toPoint()) && OnMouseDown) OnMouseDown(this);
}

// ---- the screen ---------------------------------------------------------------------------

TForm_RecSelect::TForm_RecSelect(TForm_Main& main, QWidget* parent) : TScreen(parent), main_(main) {
    Image_Background = new TImage(this);
    Image_Background->setGeometry(0, 0, 800, 600);
    Image_Background->LoadFromFile(main_.TargetFolder + "\\recpic\\actors.jpg");

    fcLabel_Name = new TfcLabel(this);
    fcLabel_Name->setGeometry(1, 35, 800, 22);
    fcLabel_Name->SetLabelFont(PixelFont("Arial", 19));
    fcLabel_Name->SetFontColor(kNameInk);
    fcLabel_Name->SetAlignment(Qt::AlignCenter);
    fcLabel_Name->SetTransparent(true);
    fcLabel_Name->SetCaption("");

    for (int tag = 1; tag <= kActors; ++tag) {
        auto* shape = new TActorShape(this);
        shape->setGeometry(QRect(kCircles[tag - 1], QSize(148, 150)));
        shape->Tag = tag;
        shape->OnMouseMove = [this](TActorShape* s) { RunGuarded([this, s] { Shape1MouseMove(s->Tag); }); };
        shape->OnMouseDown = [this](TActorShape* s) { RunGuarded([this, s] { Shape1MouseDown(s->Tag); }); };
        shape->OnOutsideMove = [this] { RunGuarded([this] { BackgroundMouseMove(); }); };
        Shapes[size_t(tag)] = shape;
    }

    EButton_Back = CreateSkinButton(this, "Back", {0, 557}, {38, 44}, 1);
    EButton_Back->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_BackClick(); }); };

    Help = new THelpOverlay(this, THelpVariant::Blend);
    Help->LoadHelp(main_.HelpFolder, "\\rsmhelp.jpg");
    Help->WireBackground(Image_Background);
    // The highlight goes before the help overlay's own background rule.
    Help->OnBackgroundMove = [this] { BackgroundMouseMove(); };
    Help->RaiseAll();

    HoveredActor = 0;

    // A course built from subtitles that name no speakers has no roles: the
    // empty circles alone would look broken.
    bool anyActor = false;
    for (int tag = 1; tag <= kActors; ++tag) anyActor = anyActor || ActiveActor(tag);
    if (!anyActor) {
        fcLabel_NoRoles = new TfcLabel(this);
        fcLabel_NoRoles->setGeometry(80, 290, 640, 70);
        fcLabel_NoRoles->SetLabelFont(PixelFont("Arial", 19));
        fcLabel_NoRoles->SetFontColor(kNoticeInk);
        fcLabel_NoRoles->SetAlignment(Qt::AlignCenter);
        fcLabel_NoRoles->SetWordWrap(true);
        fcLabel_NoRoles->SetTransparent(false); // a plate over the empty circles
        fcLabel_NoRoles->SetBackgroundColor(QColor(14, 18, 36));
        fcLabel_NoRoles->SetCaption(kNoRoles);
        Help->RaiseAll();
    }
}

const TRecordEntry* TForm_RecSelect::ActiveActor(int k) const {
    if (k < 1 || size_t(k) > main_.RecordEntries.size()) return nullptr;
    const TRecordEntry& actor = main_.RecordEntries[size_t(k - 1)];
    return actor.Parts[0][0] != 0 ? &actor : nullptr;
}

void TForm_RecSelect::Shape1MouseMove(int tag) {
    if (tag == HoveredActor) return;
    const TRecordEntry* actor = ActiveActor(tag);
    if (!actor) return;
    if (HoveredActor > 0) Shapes[size_t(HoveredActor)]->SetOutlined(false);
    Shapes[size_t(tag)]->SetOutlined(true);
    HoveredActor = tag;
    fcLabel_Name->SetCaption(actor->Title);
}

void TForm_RecSelect::BackgroundMouseMove() {
    if (HoveredActor == 0) return;
    Shapes[size_t(HoveredActor)]->SetOutlined(false);
    fcLabel_Name->SetCaption("");
    HoveredActor = 0;
}

void TForm_RecSelect::Shape1MouseDown(int tag) {
    if (tag != HoveredActor || tag == 0) return;
    const TRecordEntry* actor = ActiveActor(tag);
    if (!actor) return;
    main_.RecordNumber = tag;
    main_.CurrentRecord = *actor;
    main_.PostStateChange(stRecording, trWipeRight);
}

void TForm_RecSelect::EButton_BackClick() { main_.PostStateChange(stMainMenu, trWipeLeft); }

} // namespace tav
