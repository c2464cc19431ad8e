// Test entry: one application object (offscreen) for every test in the program.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "toolkit/Application.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    tav::TApplication app(argc, argv);
    tavtest::InstallUnexpectedMessageReporter();
    return RUN_ALL_TESTS();
}
