#include "app/RegisterScreens.h"

namespace tav {

void RegisterScreens() {
    // Each screen module adds its RegisterScreen call here as it joins the program.
}

} // namespace tav
