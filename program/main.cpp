// Program entry: the title, the single-instance check, the main window shown
// scaled in the window on the screen, the hidden debug log window, then the
// message loop.
#include "app/CommandLine.h"
#include "app/Debug.h"
#include "app/Main.h"
#include "app/SceneWindow.h"
#include "program/Screens.h"
#include "media/MCIControl.h"
#include "components/ZrPict.h"
#include "platform/SingleInstance.h"
#include "platform/VersionOption.h"
#include "viewer/Recording.h"
#include "toolkit/Application.h"
#include "toolkit/MessageBox.h"

#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tav;

int main(int argc, char** argv) {
    // Answered before Qt starts, so they work without a display.
    if (AnswerVersionOption(argc, argv, "tavolin")) return 0;
    if (IsOption(argc, argv, "--help")) {
        std::fputs(CommandLineHelp(), stdout);
        return 0;
    }
    std::vector<std::string> args(argv + 1, argv + argc);

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
    // The 800 x 600 main window is shown scaled to the window on the screen,
    // which keeps its size and place between runs.
    TSceneWindow sceneWindow(&mainWindow, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                              QStringLiteral("/Zandrel/Tavolin/window.ini"));
    sceneWindow.ShowInitial(mainWindow.Force800);
    mainWindow.show();
    const int result = TForm_Main::RunEventLoop();
    UnregisterPictFormat();
    return result;
}
