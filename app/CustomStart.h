#pragma once
// The custom start screen: a content disc's own opening picture with a web
// area (opens an address in the browser) and a start area (goes on into the
// program).
#include <QImage>
#include <QRect>

#include "toolkit/Screen.h"

namespace tav {

class TForm_Main;

// An area of the 800 x 600 screen: right and bottom edges are outside.
struct TScreenArea {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool Contains(int x, int y) const { return Left <= x && x < Right && Top <= y && y < Bottom; }
};

struct TCustomStartFile {
    std::string PictureName;
    TScreenArea WebArea, StartArea;
    std::string WebAddress;
};

// Reads the lines of CustomStart.txt: the picture line, then "web" and
// "start" lines (later lines win, other keywords ignored).
TCustomStartFile ParseCustomStart(const std::vector<std::string>& lines);

class TForm_CustomStart : public TScreen {
    Q_OBJECT
public:
    TForm_CustomStart(TForm_Main& main, QWidget* parent);
    const TCustomStartFile& File() const { return file_; }
    void ScreenReady() override {} // nothing to start

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    TForm_Main& main_;
    TCustomStartFile file_;
    QImage picture_;
    QPoint last_;
};

} // namespace tav
