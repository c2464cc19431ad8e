#include "app/ActivityCodes.h"

#include "app/ScreenRegistry.h"

namespace tav {

int ActivityCodeForState(int state, int recordNumber) {
    switch (state) {
    case stMainMenu:
    case stActivitiesMenu:
    case stRecSelect: return acNone;
    case stScreenPlay: return acScreenPlay;
    case stSpellingPrac: return acSpellingPrac;
    case stSpellingTest: return acSpellingTest;
    case stMissingPrac: return acMissingPrac;
    case stMissingTest: return acMissingTest;
    case stNextLinePrac: return acNextLinePrac;
    case stNextLineTest: return acNextLineTest;
    case stVocabPrac: return acVocabPrac;
    case stVocabTest: return acVocabTest;
    case stWordSearch: return acWordSearch;
    case stDictionary: return acDictionary;
    case stQuiz: return acQuiz;
    case stRecording: return acRecordingBase + recordNumber;
    default: return -1;
    }
}

bool StateGetsReady(int state) { return state >= stMainMenu && state <= kLastState; }

bool StateGetsKeys(int state) { return state >= stSpellingPrac && state <= stNextLineTest; }

} // namespace tav
