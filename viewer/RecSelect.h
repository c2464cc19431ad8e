#pragma once
// The recording studio's actor choice: the nine actors of the recording index
// in a 3 x 3 grid of circles. Hovering an actor who has scenes outlines the
// circle and shows the name; clicking it opens the recording screen.
#include <QWidget>

#include <array>
#include <functional>

#include "toolkit/Screen.h"

namespace tav {

class TForm_Main;
class TZrButton;
class TImage;
class TfcLabel;
class THelpOverlay;
struct TRecordEntry;

// A circular hot spot over one actor: clear, with a 4-pixel outline only
// while it is the highlighted actor. Only the circle itself reacts.
class TActorShape : public QWidget {
    Q_OBJECT
public:
    explicit TActorShape(QWidget* parent);
    void SetOutlined(bool on);
    bool Outlined() const { return outlined_; }
    bool Contains(const QPoint& p) const;
    int Tag = 0;
    std::function<void(TActorShape*)> OnMouseMove, OnMouseDown;
    // Moves over the corners outside the circle belong to the background.
    std::function<void()> OnOutsideMove;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    bool outlined_ = false;
};

class TForm_RecSelect : public TScreen {
    Q_OBJECT
public:
    TForm_RecSelect(TForm_Main& main, QWidget* parent);

    static constexpr int kActors = 9;

    // ---- controls
    TImage* Image_Background;
    TfcLabel* fcLabel_Name;
    TfcLabel* fcLabel_NoRoles = nullptr; // shown when the film has no actor to dub
    std::array<TActorShape*, kActors + 1> Shapes{}; // [1..9]
    TZrButton* EButton_Back;
    THelpOverlay* Help;

    // ---- fields
    int HoveredActor = 0;

    // ---- events
    void Shape1MouseMove(int tag);
    void BackgroundMouseMove();
    void Shape1MouseDown(int tag);
    void EButton_BackClick();

    // Actor k's entry when it has a scene 1, else nullptr.
    const TRecordEntry* ActiveActor(int k) const;

private:
    TForm_Main& main_;
};

} // namespace tav
