// Program entry: the title, the single-instance check, the display mode, the
// main window, the hidden debug log window, then the message loop.
#include "app/CommandLine.h"
#include "app/Debug.h"
#include "app/FullScreenScale.h"
#include "app/Main.h"
#include "program/Screens.h"
#include "media/MCIControl.h"
#include "components/ZrPict.h"
#include "platform/SingleInstance.h"
#include "platform/VersionOption.h"
#include "viewer/Recording.h"
#include "toolkit/Application.h"
#include "toolkit/MessageBox.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tav;

namespace {

// "800"/"force": the window fills the screen and the 800 x 600 program is
// scaled to fit with its aspect kept. Qt scales everything it draws when told
// the factor before the application object exists, so the screen is measured
// with a short-lived probe first. A factor the user set already shrinks the
// measured screen, so the fit is multiplied by it rather than replacing it.
void PrepareScaledFullScreen(int argc, char** argv) {
    const double userFactor = UserScaleFactor(qgetenv("QT_SCALE_FACTOR"));
    double factor = 0.0;
    {
        QGuiApplication probe(argc, argv);
        if (const QScreen* s = QGuiApplication::primaryScreen()) factor = FullScreenScaleFactor(s->size(), userFactor);
    }
    if (factor > 0.0 && factor != userFactor) {
        qputenv("QT_SCALE_FACTOR", QByteArray::number(factor, 'f', 4));
        QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    }
}

} // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so they work without a display.
    if (AnswerVersionOption(argc, argv, "tavolin")) return 0;
    if (IsOption(argc, argv, "--help")) {
        std::fputs(CommandLineHelp(), stdout);
        return 0;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    TCommandLine preview;
    try {
        ParseCommandLine(args, preview);
    } catch (...) {
        // The main window reports the bad value; what came before it counts.
    }
    if (preview.Force800) PrepareScaledFullScreen(argc, argv);

    TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavolin"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tavolin"));

    // One copy at a time; a copy that crashed leaves no lock behind.
    SingleInstance instance("TRELLIN-MAGIC-TAVOLIN-SEMAPHORE.lock");
    if (!instance.Acquire()) {
        MessageDlg("Tavolin is already running", TMsgIcon::Information);
        return 0;
    }

    RegisterPictFormat(); // PICT pictures load by file name from here on
    // Only one copy runs, so studio recordings still in the temporary folder
    // were left by a copy that crashed.
    RemoveLeftoverRecordings();
    RegisterScreens();
    TForm_Main mainWindow(args);
    // Players opening a file ask the configuration for its attenuation.
    SetAttenuationProvider([&mainWindow](const std::string& ext) { return mainWindow.GetAttenuation(ext); });
    // Hidden until a diagnostic line arrives with Debug set; it exists before
    // the main window is shown, so start-up can already log.
    TForm_Debug debugWindow;
    mainWindow.ShowInitialWindow();
    const int result = TForm_Main::RunEventLoop();
    UnregisterPictFormat();
    return result;
}
