#include "app/RegisterScreens.h"

#include "app/CustomStart.h"
#include "app/MultiMenu.h"
#include "menus/ActivitiesMenu.h"
#include "menus/MainMenu.h"
#include "menus/StartMenu.h"
#include "app/ScreenRegistry.h"
#include "learners/Award.h"
#include "learners/StudRec.h"
#include "menus/HelpMenu.h"

namespace tav {

void RegisterScreens() {
    RegisterScreen(stMultiMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_MultiMenu(main, parent); });
    RegisterScreen(stStartMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_StartMenu(main, parent); });
    RegisterScreen(stMainMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_MainMenu(main, parent); });
    RegisterScreen(stActivitiesMenu,
                   [](TForm_Main& main, QWidget* parent) { return new TForm_ActivitiesMenu(main, parent); });
    RegisterScreen(stHelpMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_HelpMenu(main, parent); });
    RegisterScreen(stStudRec, [](TForm_Main& main, QWidget* parent) { return new TForm_StudRec(main, parent); });
    PrintCertificateHook = [](const std::string& name, const std::string& award) { PrintCertificate(name, award); };
    RegisterScreen(stCustomStart, [](TForm_Main& main, QWidget* parent) { return new TForm_CustomStart(main, parent); });
}

} // namespace tav
