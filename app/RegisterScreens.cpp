#include "app/RegisterScreens.h"

#include "app/CustomStart.h"
#include "app/MultiMenu.h"
#include "app/ScreenRegistry.h"

namespace tav {

void RegisterScreens() {
    RegisterScreen(stMultiMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_MultiMenu(main, parent); });
    RegisterScreen(stCustomStart, [](TForm_Main& main, QWidget* parent) { return new TForm_CustomStart(main, parent); });
}

} // namespace tav
