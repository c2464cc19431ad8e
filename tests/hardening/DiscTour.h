#pragma once
// A copy of the fixture disc that a test may spoil file by file, and a tour
// of the real program over it: start-up, then each screen asked for in turn,
// with Back clicked where the screens keep it. Each visit records whether the
// screen came up, the messages it gave and whether Back led off it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../TestSupport.h"

namespace tavtest {

std::string Lower(std::string s);

// The screens that read a disc file, by where it lies on the disc.
std::vector<int> ScreensFor(const std::string& relative);

struct TVisit {
    std::string File;
    int State = 0;       // 0: start-up
    bool Shown = false;  // the screen asked for came up
    std::vector<std::string> Messages;
    bool BackWorked = false;
    int ShownState = 0;  // the screen that was up when Back was clicked
    std::string Where;   // that screen and what lay under Back
};

class DiscTour : public ::testing::Test {
protected:
    TempFolder work, data;
    std::string disc, program;
    std::vector<std::string> messages;
    int lastState = -100;
    int dwellMs = 200; // how long each screen runs before Back: its first timers open its media

    void SetUp() override;
    void TearDown() override;

    // Every file of the disc and the program media, relative to the work folder.
    std::vector<std::string> AllFiles() const;
    // Starts the program, visits each screen, clicks Back; one record per
    // visit, start-up first.
    std::vector<TVisit> Tour(const std::string& file, const std::vector<int>& states);
    // True when a visit that left the program off its start menus had a working Back.
    static bool BackExpected(const TVisit& v);
};

} // namespace tavtest
