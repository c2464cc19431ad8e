#include "components/HelpOverlay.h"

#include <QEvent>
#include <QWidget>

#include "platform/Paths.h"
#include "toolkit/AppEvents.h"
#include "toolkit/Blend.h"
#include "toolkit/Image.h"
#include "toolkit/Skin.h"

namespace tav {

namespace {
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
} // namespace

THelpOverlay::THelpOverlay(QWidget* screen, THelpVariant variant, bool withLifebelt)
    : QObject(screen), Timer_Hint(this, kHintDelayMs), screen_(screen), variant_(variant) {
    FlushInput = [] { TAppEvents::Instance().FlushInput(); };

    if (withLifebelt && variant != THelpVariant::AlwaysShown) Image_Lifebelt = MakeLifebelt({741, 547});

    Panel_Help = new QWidget(screen);
    Panel_Help->setObjectName(QStringLiteral("Panel_Help"));
    Panel_Help->hide();
    Image_Help = new TImage(Panel_Help);
    Image_Help->setObjectName(QStringLiteral("Image_Help"));
    Image_Help->SetAutoSize(true);
    // Moving over the help picture counts as moving over the background.
    Image_Help->OnMouseMove = [this](TImage*, Qt::KeyboardModifiers, int, int) { BackgroundMouseMove(); };

    Timer_Hint.OnTimer = [this] { Timer_HintTimer(); };
    RaiseAll();
}

// Qt drops the event filters of a destroyed filter object by itself; the
// wired widgets may already be gone when the screen deletes its children.
THelpOverlay::~THelpOverlay() = default;

TImage* THelpOverlay::MakeLifebelt(const QPoint& pos) {
    auto* belt = new TImage(screen_);
    belt->setObjectName(QStringLiteral("Image_Lifebelt"));
    belt->SetPicture(skin::Lifebelt());
    belt->SetTransparent(true);
    belt->setGeometry(pos.x(), pos.y(), 59, 53);
    belt->OnMouseMove = [this](TImage* sender, Qt::KeyboardModifiers, int x, int y) {
        // Only the painted ring reacts, not the transparent area around it.
        const int64_t pixel = sender->PixelAt(x, y);
        if (pixel < 0 || QRgb(pixel) == sender->TransparentColor()) return;
        if (!HelpVisible()) ShowHelp();
    };
    lifebelts_.push_back(belt);
    return belt;
}

TImage* THelpOverlay::AddLifebelt(const QPoint& pos) {
    TImage* belt = MakeLifebelt(pos);
    RaiseAll();
    return belt;
}

void THelpOverlay::LoadHelp(const std::string& helpFolder, const std::string& pictureName) {
    Image_Help->LoadFromFile(JoinPath(helpFolder, pictureName));
    const QSize picture = Image_Help->Picture().size();
    Image_Help->setGeometry(0, 0, picture.width(), picture.height());
    Panel_Help->resize(picture);
    const int screenW = screen_->width() > 0 ? screen_->width() : kScreenWidth;
    const int screenH = screen_->height() > 0 ? screen_->height() : kScreenHeight;
    Panel_Help->move(screenW - picture.width() - kHelpMargin, screenH - picture.height() - kHelpMargin);
    if (variant_ == THelpVariant::AlwaysShown) SetHelpVisible(true);
}

void THelpOverlay::LoadHints(const std::string& helpFolder, const std::string& baseName,
                             const std::vector<QPoint>& positions, bool hintsEnabled) {
    for (TImage* hint : HintImages) delete hint;
    HintImages.clear();
    CurrentHint = 0;
    HintsEnabled = hintsEnabled;
    if (!hintsEnabled) return; // no hint picture is even read
    for (size_t i = 0; i < positions.size(); ++i) {
        auto* hint = new TImage(screen_);
        hint->setObjectName(QStringLiteral("Image_Hint%1").arg(i + 1));
        hint->SetAutoSize(true);
        hint->hide();
        // A shown hint takes the mouse moves over it and does nothing with them.
        HintImages.push_back(hint);
        hint->LoadFromFile(JoinPath(helpFolder, baseName + std::to_string(i + 1) + ".jpg"));
        hint->move(positions[i]);
    }
    RaiseAll();
}

void THelpOverlay::RaiseAll() {
    for (TImage* belt : lifebelts_) belt->raise();
    for (TImage* hint : HintImages) hint->raise();
    Panel_Help->raise();
}

void THelpOverlay::WireBackground(QWidget* background) {
    if (background_) background_->removeEventFilter(this);
    background_ = background;
    background->setMouseTracking(true);
    background->installEventFilter(this);
}

void THelpOverlay::WireHintControl(QWidget* control, int tag) {
    control->setMouseTracking(true);
    control->installEventFilter(this);
    hintControls_.emplace_back(control, tag);
}

bool THelpOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (watched == background_) {
            BackgroundMouseMove();
        } else {
            for (auto& [control, tag] : hintControls_)
                if (control == watched) {
                    ControlMouseMove(tag);
                    break;
                }
        }
    }
    return false; // the controls' own handlers still run
}

TImage* THelpOverlay::Hint(int n) const {
    return n >= 1 && size_t(n) <= HintImages.size() ? HintImages[size_t(n) - 1] : nullptr;
}

int THelpOverlay::VisibleHint() const {
    for (size_t i = 0; i < HintImages.size(); ++i)
        if (HintImages[i]->isVisibleTo(screen_)) return int(i) + 1;
    return 0;
}

bool THelpOverlay::HelpVisible() const { return Panel_Help->isVisibleTo(screen_); }

void THelpOverlay::Image_LifebeltMouseMove(int x, int y) {
    if (Image_Lifebelt && Image_Lifebelt->OnMouseMove) Image_Lifebelt->OnMouseMove(Image_Lifebelt, {}, x, y);
}

void THelpOverlay::BackgroundMouseMove() {
    if (OnBackgroundMove) OnBackgroundMove();
    if (HintsEnabled && CurrentHint != 0) {
        Timer_Hint.SetEnabled(false);
        if (TImage* hint = Hint(CurrentHint)) hint->hide();
        CurrentHint = 0;
    }
    if (HelpVisible() && variant_ != THelpVariant::AlwaysShown) {
        HideHelp();
        if (FlushInput) FlushInput();
    }
}

void THelpOverlay::ControlMouseMove(int tag) {
    if (!HintsEnabled) return;
    if (tag == CurrentHint) return; // a running countdown continues, a shown hint stays
    if (CurrentHint != 0) {
        Timer_Hint.SetEnabled(false);
        if (TImage* hint = Hint(CurrentHint)) hint->hide();
    }
    CurrentHint = tag;
    Timer_Hint.SetEnabled(false);
    Timer_Hint.SetEnabled(true); // a fresh countdown
}

void THelpOverlay::Timer_HintTimer() {
    Timer_Hint.SetEnabled(false);
    if (TImage* hint = Hint(CurrentHint)) {
        hint->raise();
        hint->show();
    }
}

void THelpOverlay::SetHelpVisible(bool visible) {
    if (visible) Panel_Help->raise();
    Panel_Help->setVisible(visible);
}

void THelpOverlay::ShowHelp() {
    if (variant_ == THelpVariant::Blend && screen_->isVisible())
        BlendChange(screen_, kBlendMs, [this] { SetHelpVisible(true); });
    else
        SetHelpVisible(true);
    if (OnHelpShown) OnHelpShown();
}

void THelpOverlay::HideHelp() {
    if (variant_ == THelpVariant::Blend && screen_->isVisible())
        BlendChange(screen_, kBlendMs, [this] { SetHelpVisible(false); });
    else
        SetHelpVisible(false);
    if (OnHelpHidden) OnHelpHidden();
}

} // namespace tav
