#include "app/ScreenRegistry.h"

#include "content/OurUtils.h"

#include <map>

namespace tav {

namespace {
std::map<int, TScreenFactory>& Factories() {
    static std::map<int, TScreenFactory> factories;
    return factories;
}
} // namespace

void RegisterScreen(int state, TScreenFactory factory) {
    if (factory) Factories()[state] = std::move(factory);
    else Factories().erase(state);
}

bool ScreenRegistered(int state) { return Factories().count(state) != 0; }

TScreen* CreateScreen(int state, TForm_Main& main, QWidget* parent) {
    auto it = Factories().find(state);
    if (it == Factories().end())
        throw EProgramError(Format("The screen for state %d is not part of this build", state));
    return it->second(main, parent);
}

} // namespace tav
