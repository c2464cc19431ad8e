#pragma once
// A running main window on a small content disc with the pictures the
// learner screens and the help-language screen load, probe screens for the
// other states, and a way to walk to a real screen.
#include <gtest/gtest.h>

#include <QColor>

#include <memory>
#include <string>

#include "../app/AppFixture.h"
#include "app/Main.h"
#include "toolkit/Screen.h"

namespace tavtest {

// A picture file of one colour (written as JPEG or PNG by its extension).
void SolidPicture(const std::string& file, int w, int h, const QColor& colour);

class ScreenTest : public ::testing::Test {
protected:
    TempFolder program, data;
    std::unique_ptr<tav::TForm_Main> main;

    void SetUp() override;
    void TearDown() override;

    // Lays out the disc (extra: more Target.txt lines such as SourceHelpLangs)
    // and starts the main window on the probe start menu.
    void StartProgram(const std::string& sourceHelpLangs = "2,5", int records = 2);
    // Goes to state and waits for its screen.
    tav::TScreen* GoTo(int state);
    std::string Profile(const std::string& section, const std::string& key);
    void SetProfile(const std::string& section, const std::string& key, const std::string& value);
};

} // namespace tavtest
