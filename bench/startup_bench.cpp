// Start-up cost on the fixture disc, offscreen, against a plain Qt window
// measured in the same run:
//  1. from creating the main window to its first screen painted (the start
//     menu), against creating, showing and painting a plain window with a
//     picture and a label;
//  2. from asking for the screenplay viewer (on the main menu, signed in) to
//     its first film picture shown, against opening the film's first part
//     with the media player and showing its first picture.
// Transitions are off (Fast=1): the figures are the program's own work. The
// process's own start (loading Qt and its plugins) comes before and is not
// counted. Each figure: the first (cold) run and the median of the warm runs.
//
//   startup_bench [RUNS=6]
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "../tests/TestSupport.h"
#include "../tests/app/AppFixture.h"
#include "app/ClipPoolLink.h"
#include "app/ContentLocation.h"
#include "app/Main.h"
#include "app/SceneWindow.h"
#include "app/ScreenRegistry.h"
#include "media/MCIControl.h"
#include "media/Movie.h"
#include "media/VideoPanel.h"
#include "program/Screens.h"
#include "toolkit/Application.h"
#include "toolkit/MessageBox.h"

using namespace tav;

namespace {

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A widget that notes when it was first painted.
class TPaintedWindow : public QWidget {
public:
    bool Painted = false;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(20, 24, 48));
        p.drawImage(QPoint(100, 100), picture_);
        Painted = true;
    }

private:
    QImage picture_ = QImage(600, 400, QImage::Format_RGB32);
};

double PlainWindowMs() {
    QElapsedTimer t;
    t.start();
    TPaintedWindow w;
    w.resize(800, 600);
    auto* layout = new QVBoxLayout(&w);
    layout->addWidget(new QLabel(QStringLiteral("Tavolin"), &w));
    w.show();
    tavtest::WaitUntil([&] { return w.Painted; }, 10000);
    return double(t.nsecsElapsed()) / 1e6;
}

double PlainFilmMs(const std::string& part) {
    QElapsedTimer t;
    t.start();
    TVideoPanel panel;
    panel.resize(320, 240);
    panel.show();
    TMCIPlayer player;
    player.Open(part, &panel, ooFilmUnits | ooFitPanel);
    player.Seek(0);
    tavtest::WaitUntil([&] { return panel.FrameCount() > 0; }, 10000);
    return double(t.nsecsElapsed()) / 1e6;
}

// The pictures the clip pool shows in the screen's panel.
int FilmPicturesShown() {
    if (!Form_Movie || Form_Movie->CurrentPart <= 0) return 0;
    const TVideoPanel* panel = Form_Movie->PartPlayers[size_t(Form_Movie->CurrentPart)]->Panel();
    return panel ? panel->FrameCount() : 0;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = std::max(2, argc > 1 ? std::atoi(argv[1]) : 6);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("SDL_AUDIODRIVER").isEmpty()) qputenv("SDL_AUDIODRIVER", "dummy");
    TApplication app(argc, argv);
    const std::string disc = tavtest::FixtureDiscFolder();
    if (disc.empty()) {
        std::fprintf(stderr, "startup_bench: no fixture disc (build fixture_disc)\n");
        return 2;
    }
    tavtest::TempFolder program, data;
    tavtest::CopyFolder(disc + "/PC", program.Path() + "/PC");
    tavtest::WriteFile(program.File("sconfig.txt"), "[Defaults]\r\nFast=1\r\n");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
    SetContentAsker([&] { return disc; });
    TForm_Main::LanguageFromSystem = [] { return 2; };
    RegisterScreens();
    SetMessagePresenter([](const TMessage& m) {
        std::printf("  message: %s\n", m.Text.c_str());
        return TModalResult::OK;
    });

    std::vector<double> first, film, plainWindow, plainFilm;
    std::string part;
    for (int run = 0; run < runs; ++run) {
        plainWindow.push_back(PlainWindowMs());

        QElapsedTimer t;
        t.start();
        auto main = std::make_unique<TForm_Main>(std::vector<std::string>{}, program.Path());
        int shown = 0;
        QObject::connect(main.get(), &TForm_Main::ScreenChanged, [&](int state) { shown = state; });
        // Shown as the program shows it: scaled in the scene window.
        auto window = std::make_unique<TSceneWindow>(main.get());
        window->ShowInitial(false);
        main->show();
        tavtest::WaitUntil([&] { return main->CurrentScreen() && main->CurrentScreen()->isVisible(); }, 10000);
        QApplication::processEvents(); // its first paint
        first.push_back(double(t.nsecsElapsed()) / 1e6);

        main->LoadStudent("Ann");
        main->PostStateChange(stMainMenu, 0);
        tavtest::WaitUntil([&] { return Form_Movie != nullptr && shown == stMainMenu; }, 10000);
        tavtest::Pump(50);
        t.restart();
        main->PostStateChange(stScreenPlay, 0);
        tavtest::WaitUntil([&] { return shown == stScreenPlay && FilmPicturesShown() > 0; }, 10000);
        film.push_back(double(t.nsecsElapsed()) / 1e6);
        if (part.empty() && Form_Movie && Form_Movie->CurrentPart > 0)
            part = Form_Movie->PartPlayers[size_t(Form_Movie->CurrentPart)]->FileName;
        if (!part.empty()) plainFilm.push_back(PlainFilmMs(part));

        window.reset();
        main.reset();
        tavtest::Pump(50);
        FreeFormMovie();
    }
    auto warm = [](const std::vector<double>& v) { return Median(std::vector<double>(v.begin() + 1, v.end())); };
    std::printf("startup (%d runs, transitions off)\n", runs);
    std::printf("  main window to first screen:  cold %7.1f ms, warm median %7.1f ms   plain window %6.1f ms   ratio %.2f\n",
                first[0], warm(first), warm(plainWindow), warm(first) / std::max(warm(plainWindow), 1e-3));
    if (!plainFilm.empty())
        std::printf("  screenplay to first picture:  cold %7.1f ms, warm median %7.1f ms   plain player %6.1f ms   ratio %.2f\n",
                    film[0], warm(film), warm(plainFilm), warm(film) / std::max(warm(plainFilm), 1e-3));
    std::printf("  target: both warm figures under 500 ms\n");
    tavtest::UnregisterScreens();
    ClipPoolLink() = TClipPoolLink{};
    return 0;
}
