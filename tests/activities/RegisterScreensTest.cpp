// The program's screen table: the missing-word screens are registered and
// the menus' link to the film clip pool makes and frees the real pool.
#include <gtest/gtest.h>

#include <QDir>

#include "../app/AppFixture.h"
#include "app/ClipPoolLink.h"
#include "app/ContentLocation.h"
#include "program/Screens.h"
#include "app/ScreenRegistry.h"
#include "media/Movie.h"

using namespace tav;
using namespace tavtest;

TEST(ProgramScreens, MissingWordScreensAndTheClipPoolLinkAreWired) {
    const std::string fixture = FixtureDiscFolder();
    ASSERT_FALSE(fixture.empty()) << "the fixture disc was not generated (build fixture_disc)";
    TempFolder program, data;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
    const std::string disc = fixture;
    SetContentAsker([&] { return disc; });
    RegisterScreens();
    EXPECT_TRUE(ScreenRegistered(stMissingPrac));
    EXPECT_TRUE(ScreenRegistered(stMissingTest));
    WriteFile(program.File("sconfig.txt"), "[Defaults]\r\nRecords=0\r\nFast=1\r\n");
    QDir().mkpath(QString::fromStdString(program.File("PC")));
    {
        TForm_Main main({}, program.Path());
        main.show();
        ASSERT_TRUE(WaitUntil([&] { return main.CurrentScreen() != nullptr; }));
        EXPECT_FALSE(ClipPoolExists());
        CreateClipPool(false);
        ASSERT_TRUE(ClipPoolExists());
        ASSERT_NE(Form_Movie, nullptr);
        EXPECT_EQ(Form_Movie->PartCount, static_cast<int>(main.MovieNames.size()));
        TForm_Movie* first = Form_Movie;
        CreateClipPool(false); // only one pool
        EXPECT_EQ(Form_Movie, first);
        FreeClipPool();
        EXPECT_EQ(Form_Movie, nullptr);
        EXPECT_FALSE(ClipPoolExists());
    }
    UnregisterScreens();
    ClipPoolLink() = TClipPoolLink{};
    SetContentAsker(nullptr);
}
