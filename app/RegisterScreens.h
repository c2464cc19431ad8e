#pragma once
namespace tav {
// Registers the factory of every screen built into the program, and the
// services (classroom link, disc search, debug log) that plug into the main
// window.
void RegisterScreens();
} // namespace tav
