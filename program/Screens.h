#pragma once
// The program's table of screens and the services that plug into the main
// window. It lives in the program's entry, above the shell (app/) and the
// screens, so the shell never includes a screen.
#include "media/Movie.h"

namespace tav {

class TForm_Main;

// Registers the factory of every screen built into the program, the
// certificate printer and the menus' link to the film clip pool.
void RegisterScreens();

// What the film clip pool takes from the main window.
TMovieSettings MovieSettingsFrom(TForm_Main& main);

} // namespace tav
