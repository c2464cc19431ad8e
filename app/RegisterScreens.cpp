#include "app/RegisterScreens.h"

#include "app/CustomStart.h"
#include "app/MultiMenu.h"
#include "app/ScreenRegistry.h"
#include "learners/StudRec.h"
#include "menus/HelpMenu.h"

namespace tav {

void RegisterScreens() {
    RegisterScreen(stMultiMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_MultiMenu(main, parent); });
    RegisterScreen(stHelpMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_HelpMenu(main, parent); });
    RegisterScreen(stStudRec, [](TForm_Main& main, QWidget* parent) { return new TForm_StudRec(main, parent); });
    RegisterScreen(stCustomStart, [](TForm_Main& main, QWidget* parent) { return new TForm_CustomStart(main, parent); });
}

} // namespace tav
