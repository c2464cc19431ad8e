#pragma once
// The screens of the program, one factory per state. Each screen module
// registers its factory; the navigation creates screens only through here.
#include <functional>

namespace tav {

class TForm_Main;
}
class QWidget;
namespace tav {
class TScreen;

enum TState {
    stQuit = 0,
    stMultiMenu = 1,
    stStartMenu = 2,
    stHelpMenu = 3,
    stStudRec = 4,
    stMainMenu = 5,
    stActivitiesMenu = 6,
    stScreenPlay = 7,
    stSpellingPrac = 8,
    stSpellingTest = 9,
    stMissingPrac = 10,
    stMissingTest = 11,
    stNextLinePrac = 12,
    stNextLineTest = 13,
    stVocabPrac = 14,
    stVocabTest = 15,
    stWordSearch = 16,
    stDictionary = 17,
    stQuiz = 18,
    stRecSelect = 19,
    stRecording = 20,
    // The learner's course library and the building of a course: outside the
    // film's screens, so no activity is reported for them.
    stCourseMenu = 21,
    stCourseBuild = 22,
};
constexpr int kLastState = 20;       // the last of the film's screens
constexpr int kLastScreenState = 22; // the last state of all
// The custom start screen has no state number: nothing leads back to it.
constexpr int stCustomStart = -1;

// Creates the screen of a state as a child of parent.
using TScreenFactory = std::function<TScreen*(TForm_Main& main, QWidget* parent)>;

void RegisterScreen(int state, TScreenFactory factory);
// Raises an error when no screen is registered for the state.
TScreen* CreateScreen(int state, TForm_Main& main, QWidget* parent);
bool ScreenRegistered(int state);

} // namespace tav
