#pragma once
// The program's window on the screen. The main window is an 800 x 600 scene;
// this window shows it scaled to its own size, shape kept, black bars on the
// other sides, everything drawn at the window's resolution (text, the skin's
// pictures and the film are drawn at the scale, not enlarged as a bitmap).
// It opens filling the screen (or as it was last left), full screen with
// "force", and gives the main window's closing and its own the same ending.
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPointer>
#include <QString>

#include "app/SceneFit.h"

class QGraphicsProxyWidget;

namespace tav {

class TSceneWindow : public QGraphicsView {
    Q_OBJECT
public:
    // scene: a top-level widget of 800 x 600, owned by the caller; it is
    // handed back (still alive) when this window is destroyed. settingsFile:
    // where the window's size and place are kept between runs (none: not kept).
    explicit TSceneWindow(QWidget* scene, const QString& settingsFile = {});
    ~TSceneWindow() override;

    // Opens the window: covering the screen (fullScreen), else at the size and
    // place it was left at, else filling the screen as far as 4:3 allows.
    void ShowInitial(bool fullScreen);

    TSceneFit Fit() const { return fit_; }

    // Puts the window where it was when last closed; false when nothing was kept.
    bool RestoreSavedPlace();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Refit();
    void SavePlace() const;

    QGraphicsScene graphics_;
    QGraphicsProxyWidget* proxy_ = nullptr;
    QPointer<QWidget> scene_;
    QString settingsFile_;
    TSceneFit fit_;
    bool fullScreen_ = false;
    bool closing_ = false;
};

} // namespace tav
