#include "app/RegisterScreens.h"

#include "app/CustomStart.h"
#include "app/MultiMenu.h"
#include "app/ScreenRegistry.h"
#include "components/ZrPict.h"

namespace tav {

void RegisterScreens() {
    // Pictures in the Mac PICT format load wherever pictures load by file name.
    RegisterPictFormat();
    RegisterScreen(stMultiMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_MultiMenu(main, parent); });
    RegisterScreen(stCustomStart, [](TForm_Main& main, QWidget* parent) { return new TForm_CustomStart(main, parent); });
}

} // namespace tav
