// The scene window: the 800 x 600 scene scaled to any window, shape kept,
// input mapped back to scene coordinates, closing either closes both, and the
// window's size kept between runs.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QGraphicsProxyWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include "tests/TestSupport.h"
#include "app/SceneFit.h"
#include "app/SceneWindow.h"
#include "toolkit/ScaledScene.h"
#include "toolkit/Skin.h"

using namespace tav;

namespace {

struct TFitCase {
    QSize Window;
    double Scale;
    QPointF Offset;
};

// Records what reaches it, in its own coordinates.
class TRecorder : public QWidget {
public:
    using QWidget::QWidget;
    std::vector<QPoint> Presses, Moves, Releases;

protected:
    void mousePressEvent(QMouseEvent* e) override { Presses.push_back(e->position().toPoint()); }
    void mouseMoveEvent(QMouseEvent* e) override { Moves.push_back(e->position().toPoint()); }
    void mouseReleaseEvent(QMouseEvent* e) override { Releases.push_back(e->position().toPoint()); }
};

// The top of a scene: counts its closings and the keys its children leave.
class TSceneTop : public QWidget {
public:
    TSceneTop() {
        resize(kSceneSize);
        setFocusPolicy(Qt::StrongFocus);
        Target = new TRecorder(this);
        Target->setGeometry(500, 400, 100, 80);
    }
    TRecorder* Target;
    int Closes = 0;
    std::vector<int> Keys;

protected:
    void closeEvent(QCloseEvent* e) override {
        ++Closes;
        e->accept();
    }
    void keyPressEvent(QKeyEvent* e) override { Keys.push_back(e->key()); }
};

} // namespace

TEST(SceneFit, TheSceneFillsTheWindowWithItsShapeKeptAtEveryScale) {
    const TFitCase cases[] = {
        {{800, 600}, 1.0, {0, 0}},     {{1200, 900}, 1.5, {0, 0}},   {{1600, 1200}, 2.0, {0, 0}},
        {{1920, 1440}, 2.4, {0, 0}},   {{1920, 1080}, 1.8, {240, 0}}, {{3840, 2160}, 3.6, {480, 0}},
        {{1000, 1000}, 1.25, {0, 125}}, {{640, 480}, 0.8, {0, 0}},
    };
    for (const TFitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Window.width() << "x" << c.Window.height());
        const TSceneFit fit = FitScene(QSizeF(c.Window));
        EXPECT_DOUBLE_EQ(fit.Scale, c.Scale);
        EXPECT_DOUBLE_EQ(fit.Offset.x(), c.Offset.x());
        EXPECT_DOUBLE_EQ(fit.Offset.y(), c.Offset.y());
        // Corners go to the corners of the scene's area, and back.
        EXPECT_EQ(fit.ToWindow({800, 600}), fit.Area().bottomRight());
        for (QPointF p : {QPointF(0, 0), QPointF(799.5, 599.5), QPointF(537, 441)}) {
            const QPointF back = fit.ToScene(fit.ToWindow(p));
            EXPECT_NEAR(back.x(), p.x(), 1e-9);
            EXPECT_NEAR(back.y(), p.y(), 1e-9);
        }
        // A bar is outside the scene.
        if (c.Offset.x() > 0) EXPECT_LT(fit.ToScene({c.Offset.x() / 2, 10}).x(), 0);
    }
    const TSceneFit none = FitScene(QSizeF(0, 0));
    EXPECT_EQ(none.Scale, 1.0); // nothing divides by zero
}

TEST(SceneFit, AWindowSizedByTheProgramIsTheLargestOfTheScenesShape) {
    // A 1920 x 1080 screen with a 27-pixel panel at the top.
    EXPECT_EQ(LargestSceneRect(QRect(0, 27, 1920, 1053)), QRect(258, 27, 1404, 1053));
    EXPECT_EQ(LargestSceneRect(QRect(0, 0, 3840, 2160)), QRect(480, 0, 2880, 2160));
    EXPECT_EQ(LargestSceneRect(QRect(1920, 0, 1200, 1920)), QRect(1920, 510, 1200, 900)); // a portrait screen
}

class SceneWindow : public ::testing::Test {
protected:
    void TearDown() override { skin::SetPictureScale(0); }
};

TEST_F(SceneWindow, ClicksDragsAndPointerPositionsReachTheSceneAtEveryScale) {
    TSceneTop top;
    top.setAcceptDrops(true);
    TSceneWindow window(&top);
    window.show();
    top.show();
    EXPECT_TRUE(top.graphicsProxyWidget()->acceptDrops());
    for (QSize size : {QSize(800, 600), QSize(1200, 900), QSize(1600, 1200), QSize(1920, 1440), QSize(1920, 1080)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        window.resize(size);
        tavtest::Pump(20);
        const TSceneFit fit = window.Fit();
        EXPECT_DOUBLE_EQ(fit.Scale, FitScene(QSizeF(size)).Scale);
        // The skin draws new pictures for the largest the window is or can
        // be on its screen.
        const double screenScale = FitScene(QSizeF(window.screen()->geometry().size())).Scale;
        EXPECT_DOUBLE_EQ(skin::PictureScale(), std::max({1.0, fit.Scale, screenScale}) * window.devicePixelRatioF());
        top.Target->Presses.clear(), top.Target->Moves.clear(), top.Target->Releases.clear();
        QWidget* viewport = window.viewport();
        const QPoint press = fit.ToWindow({520.2, 410.2}).toPoint();
        const QPoint move = fit.ToWindow({560.2, 450.2}).toPoint();
        QTest::mousePress(viewport, Qt::LeftButton, {}, press);
        QMouseEvent drag(QEvent::MouseMove, move, viewport->mapToGlobal(move), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &drag);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, move);
        ASSERT_EQ(top.Target->Presses.size(), 1u);
        EXPECT_LE((top.Target->Presses[0] - QPoint(20, 10)).manhattanLength(), 1);
        ASSERT_FALSE(top.Target->Moves.empty());
        EXPECT_LE((top.Target->Moves.back() - QPoint(60, 50)).manhattanLength(), 1);
        ASSERT_EQ(top.Target->Releases.size(), 1u);
        EXPECT_LE((top.Target->Releases[0] - QPoint(60, 50)).manhattanLength(), 1);
        // A position on the screen (the pointer, an event's global position).
        const QPoint global = viewport->mapToGlobal(move);
        EXPECT_LE((MapFromGlobal(top.Target, global) - QPoint(60, 50)).manhattanLength(), 1);
        // Dialogs open as windows of their own, over the scene window.
        EXPECT_EQ(DialogOwner(top.Target), &window);
    }
    // A widget not shown scaled maps as Qt does.
    QWidget plain;
    plain.move(100, 100);
    plain.show();
    EXPECT_EQ(MapFromGlobal(&plain, plain.mapToGlobal(QPoint(7, 9))), QPoint(7, 9));
    EXPECT_EQ(DialogOwner(&plain), &plain);
}

TEST_F(SceneWindow, KeysReachTheSceneAndClosingEitherClosesBoth) {
    {
        TSceneTop top;
        TSceneWindow window(&top);
        window.show();
        top.show();
        window.setFocus();
        top.Target->setFocusPolicy(Qt::StrongFocus);
        top.Target->setFocus();
        tavtest::Pump(20);
        // The recorder does not take keys: Escape goes on to the scene's top.
        QTest::keyClick(window.viewport(), Qt::Key_Escape);
        EXPECT_EQ(top.Keys, std::vector<int>{Qt::Key_Escape});
        // The scene closes itself: the window follows once the closing is over.
        top.close();
        EXPECT_EQ(top.Closes, 1);
        EXPECT_TRUE(tavtest::WaitUntil([&] { return !window.isVisible(); }, 2000));
        EXPECT_EQ(top.Closes, 1);
    }
    TSceneTop top;
    {
        TSceneWindow window(&top);
        window.show();
        top.show();
        // The window is closed (the window manager's close button): the scene's
        // own closing runs once.
        window.close();
        EXPECT_EQ(top.Closes, 1);
        EXPECT_FALSE(window.isVisible());
    }
    // The scene is handed back whole when the window goes.
    EXPECT_EQ(top.graphicsProxyWidget(), nullptr);
    EXPECT_EQ(top.size(), kSceneSize);
}

TEST_F(SceneWindow, TheWindowComesBackAtTheSizeAndPlaceItWasLeftAt) {
    QTemporaryDir dir;
    const QString settings = dir.filePath("window.ini");
    const QRect left(30, 40, 700, 525);
    {
        TSceneTop top;
        TSceneWindow window(&top, settings);
        window.show();
        window.setGeometry(left);
        tavtest::Pump(20);
        window.close();
    }
    TSceneTop top;
    TSceneWindow window(&top, settings);
    ASSERT_TRUE(window.RestoreSavedPlace());
    window.show();
    tavtest::Pump(20);
    EXPECT_EQ(window.geometry(), left);
    EXPECT_DOUBLE_EQ(window.Fit().Scale, 0.875);
    // Nothing saved: nothing restored.
    TSceneTop other;
    TSceneWindow fresh(&other, dir.filePath("none.ini"));
    EXPECT_FALSE(fresh.RestoreSavedPlace());
}
