#include "app/SceneWindow.h"

#include <QCloseEvent>
#include <QGraphicsProxyWidget>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWindow>

#include <algorithm>

#include "toolkit/Skin.h"

namespace tav {

namespace {
const char* const kGeometryKey = "Window/Geometry";
} // namespace

TSceneWindow::TSceneWindow(QWidget* scene, const QString& settingsFile) : scene_(scene), settingsFile_(settingsFile) {
    setWindowTitle(scene->windowTitle());
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setBackgroundBrush(Qt::black);
    // Pictures are drawn from their own pixels straight to the window's,
    // smoothly; text and shapes are drawn at the scale.
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::StrongFocus);
    graphics_.setSceneRect(QRectF(QPointF(0, 0), QSizeF(kSceneSize)));
    graphics_.setItemIndexMethod(QGraphicsScene::NoIndex);
    setScene(&graphics_);
    scene->resize(kSceneSize);
    proxy_ = graphics_.addWidget(scene);
    proxy_->setPos(0, 0);
    proxy_->setAcceptDrops(scene->acceptDrops()); // films dropped on the menus
    scene->installEventFilter(this);
    Refit();
}

TSceneWindow::~TSceneWindow() {
    closing_ = true;
    if (scene_) {
        scene_->removeEventFilter(this);
        // The scene is the caller's: out of the proxy before the proxy goes.
        scene_->hide();
        if (proxy_) proxy_->setWidget(nullptr);
    }
}

void TSceneWindow::Refit() {
    fit_ = FitScene(QSizeF(viewport()->size()));
    setTransform(QTransform::fromScale(fit_.Scale, fit_.Scale));
    // The skin draws pictures when a screen is made and keeps them while it
    // is up. They are drawn for the largest the window can grow to on its
    // screen (or its present size, if larger), never below the scene's own,
    // so a window made larger later, or maximised, shows them sharp; a
    // smaller window shows them smoothly reduced.
    const QScreen* shownOn = screen();
    const qreal screenScale = shownOn ? FitScene(QSizeF(shownOn->geometry().size())).Scale : 1.0;
    skin::SetPictureScale(std::max({1.0, fit_.Scale, screenScale}) * devicePixelRatioF());
}

void TSceneWindow::resizeEvent(QResizeEvent* e) {
    QGraphicsView::resizeEvent(e);
    Refit();
}

void TSceneWindow::ShowInitial(bool fullScreen) {
    fullScreen_ = fullScreen;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (fullScreen) {
        // Cover the screen even where no window manager honours full-screen
        // requests (a bare X server, a kiosk session).
        setWindowFlag(Qt::FramelessWindowHint, true);
        if (screen) setGeometry(screen->geometry());
        showFullScreen();
    } else if (screen && screen->size().width() <= 800) {
        // A screen no larger than the scene: the scene covers it unscaled.
        setWindowFlag(Qt::FramelessWindowHint, true);
        setGeometry(QRect(screen->geometry().topLeft(), kSceneSize));
        show();
    } else if (RestoreSavedPlace()) {
        show();
    } else {
        // Where no window manager maximises the window it still fills the
        // screen as far as the scene's shape allows.
        if (screen) setGeometry(LargestSceneRect(screen->availableGeometry()));
        showMaximized();
    }
    setFocus();
    proxy_->setFocus();
    // Another screen may be larger or denser: screens made there follow it.
    if (windowHandle()) connect(windowHandle(), &QWindow::screenChanged, this, [this] { Refit(); });
}

bool TSceneWindow::RestoreSavedPlace() {
    if (settingsFile_.isEmpty()) return false;
    const QByteArray saved = QSettings(settingsFile_, QSettings::IniFormat).value(kGeometryKey).toByteArray();
    return !saved.isEmpty() && restoreGeometry(saved);
}

void TSceneWindow::SavePlace() const {
    if (settingsFile_.isEmpty() || fullScreen_ || windowFlags().testFlag(Qt::FramelessWindowHint)) return;
    QSettings settings(settingsFile_, QSettings::IniFormat);
    settings.setValue(kGeometryKey, saveGeometry());
    settings.sync();
}

void TSceneWindow::closeEvent(QCloseEvent* e) {
    SavePlace();
    if (!closing_) {
        closing_ = true;
        // The scene's own closing (the classroom's goodbye) runs first.
        if (scene_ && scene_->isVisible()) scene_->close();
    }
    e->accept();
}

bool TSceneWindow::eventFilter(QObject* watched, QEvent* e) {
    // The scene closed itself (the learner left, a time-out, a start-up that
    // failed): the window goes with it once the closing is over.
    if (watched == scene_ && e->type() == QEvent::Close && !closing_) {
        closing_ = true;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    return QGraphicsView::eventFilter(watched, e);
}

} // namespace tav
