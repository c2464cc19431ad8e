#pragma once
// Activity codes reported to the classroom network manager.
namespace tav {

constexpr int acNone = 0;
constexpr int acCertificate = 401;
constexpr int acScreenPlay = 411;
constexpr int acQuiz = 421;
constexpr int acRecordingBase = 430; // + actor 1..9
constexpr int acDictionary = 441;
constexpr int acWordSearch = 451;
constexpr int acVocabPrac = 461, acVocabTest = 462;
constexpr int acMissingPrac = 471, acMissingTest = 472;
constexpr int acNextLinePrac = 481, acNextLineTest = 482;
constexpr int acSpellingPrac = 491, acSpellingTest = 492;

// The code reported on entering a state: -1 when the state reports nothing,
// 0 for the menus (the end of the current activity).
int ActivityCodeForState(int state, int recordNumber);
// Whether the state's screen gets the screen-ready message / typed characters.
bool StateGetsReady(int state);
bool StateGetsKeys(int state);

} // namespace tav
