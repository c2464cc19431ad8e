#include "app/RegisterScreens.h"

#include "app/CustomStart.h"
#include "app/ScreenRegistry.h"

namespace tav {

void RegisterScreens() {
    RegisterScreen(stCustomStart, [](TForm_Main& main, QWidget* parent) { return new TForm_CustomStart(main, parent); });
}

} // namespace tav
