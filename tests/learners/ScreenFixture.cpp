#include "ScreenFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPointer>

#include "app/ScreenRegistry.h"
#include "toolkit/ScreenContainer.h"
#include "content/OurUtils.h"
#include "learners/StudRec.h"
#include "menus/HelpMenu.h"
#include "toolkit/Timer.h"

using namespace tav;

namespace tavtest {

void SolidPicture(const std::string& file, int w, int h, const QColor& colour) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    QDir().mkpath(QFileInfo(QString::fromStdString(file)).absolutePath());
    ASSERT_TRUE(img.save(QString::fromStdString(file), file.ends_with(".png") ? "PNG" : "JPEG", 100));
}

void ScreenTest::SetUp() {
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
    ScreenLog.clear();
    RegisterProbeScreens();
    RegisterScreen(stStudRec, [](TForm_Main& m, QWidget* p) { return new TForm_StudRec(m, p); });
    RegisterScreen(stHelpMenu, [](TForm_Main& m, QWidget* p) { return new TForm_HelpMenu(m, p); });
    TForm_Main::LanguageFromSystem = [] { return 2; };
}

void ScreenTest::TearDown() {
    main.reset();
    UnregisterScreens();
    TTimer::SetManualTimers(false);
}

void ScreenTest::StartProgram(const std::string& sourceHelpLangs, int records) {
    MakeProgramFolder(program.Path(),
                      {.config = "[Defaults]\r\nRecords=" + std::to_string(records) + "\r\nFast=1\r\n"});
    WriteFile(program.File("Target.txt"),
              "TargetFolderName|French\r\nTargetPathForPC|\r\nSourceHelpLangs|" + sourceHelpLangs + "\r\n");
    SolidPicture(program.File("French/menus/bootmenu.jpg"), 800, 600, QColor(20, 30, 90));
    SolidPicture(program.File("French/menus/panel.jpg"), 304, 348, QColor(200, 180, 120));
    for (const char* lang : {"2", "5"}) {
        const std::string bubb = program.File(std::string("shared/source/bubb") + lang + "/");
        SolidPicture(bubb + "namehelp.jpg", 300, 200, Qt::yellow);
        SolidPicture(bubb + "boohint6.jpg", 120, 20, Qt::cyan);
        SolidPicture(bubb + "langhelp.jpg", lang == std::string("2") ? 320 : 300, 180, Qt::yellow);
        SolidPicture(bubb + "lnghint1.jpg", 120, 20, Qt::cyan);
        WriteFile(program.File(std::string("shared/source/helpsnds/") + lang + "gm.aif"), "FORM");
        WriteFile(program.File(std::string("shared/source/helpsnds/") + lang + "ga.aif"), "FORM");
        WriteFile(program.File(std::string("shared/source/helpsnds/") + lang + "ge.aif"), "FORM");
    }
    // The flag strip: as wide as the list, one 30-pixel band per offered language.
    SolidPicture(program.File("shared/source/TheFlags.jpg"), 213, 30 * 12, Qt::blue);
    main = std::make_unique<TForm_Main>(std::vector<std::string>{}, program.Path());
    main->show();
    ASSERT_TRUE(WaitUntil([&] { return LogHas("create 2"); }));
}

TScreen* ScreenTest::GoTo(int state) {
    QPointer<TScreen> before = main->CurrentScreen();
    main->PostStateChange(state, trNone);
    WaitUntil([&] {
        TScreen* s = main->CurrentScreen();
        return s && s != before.data() && !dynamic_cast<ProbeScreen*>(s) && !main->FormContainer_Main->InTransition();
    });
    return main->CurrentScreen();
}

std::string ScreenTest::Profile(const std::string& section, const std::string& key) {
    return GetProfile(section, key, "<none>", main->ProfileFile);
}

void ScreenTest::SetProfile(const std::string& section, const std::string& key, const std::string& value) {
    ASSERT_TRUE(WriteProfile(section, key, value, main->ProfileFile));
}

} // namespace tavtest
