#pragma once
// The volume button with its slider that the screenplay viewer and the
// activity screens carry: a click opens or closes the scale (the knob shows
// the system volume), dragging the knob sets the system volume live, a double
// click opens the system volume program instead.
#include <QObject>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace tav {

// The knob's top edge runs from 0 (loudest) to this (silent).
constexpr int kKnobTravel = 89;

// Both conversions truncate, so a value read back may sit one step lower.
int VolumeFromKnob(int top); // (89 - top) * 65535 / 89
int KnobFromVolume(int value); // 89 - value * 89 / 65535

// Brings up the system volume program without waiting (see TVolumeProgram).
void StartVolumeProgram();

// A small speaker button drawn by the program, for screens that have no
// picture button of their own to give.
class TVolumeButton : public QWidget {
public:
    explicit TVolumeButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    bool hot_ = false, down_ = false;
};

class TVolumeControl : public QObject {
public:
    struct TLayout {
        QRect Button;   // EButton_Volume
        QRect Scale;    // Panel_VolScale (the scale picture fills it)
        QSize Knob;     // Image_VolSlide
        int KnobTop = 89; // the knob's design-time top
    };
    static TLayout ViewerLayout();   // 22 x 22 button, 17 x 113 scale
    static TLayout ActivityLayout(); // 24 x 24 button, 18 x 118 scale

    // Places the pieces on parent. Button may be the screen's own picture
    // button (its clicks are watched); nullptr gives a TVolumeButton.
    TVolumeControl(QWidget* parent, const TLayout& layout, QWidget* button = nullptr);

    QWidget* EButton_Volume = nullptr;
    QWidget* Panel_VolScale = nullptr;
    QWidget* Image_VolScale = nullptr;
    QWidget* Image_VolSlide = nullptr;
    bool SlideDragging = false;
    int SlideGrabY = 0;

    // The four handlers (and the click); y is the mouse inside the knob.
    void EButton_VolumeClick();
    void EButton_VolumeDblClick();
    void Image_VolSlideMouseDown(int y);
    void Image_VolSlideMouseMove(int y);
    void Image_VolSlideMouseUp();

    // Moves the button (some activity screens place it differently).
    void MoveButton(int left, int top);

    // The system volume and the volume program; tests replace them.
    std::function<uint16_t()> ReadVolume;
    std::function<void(unsigned)> WriteVolume;
    std::function<void()> OpenVolumeProgram;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool swallowRelease_ = false; // the release that ends a double click is no click
};

} // namespace tav
