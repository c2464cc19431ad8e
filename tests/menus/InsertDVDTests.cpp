// Finding the content disc: scan order, the dialog that keeps looking, Browse.
#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTimer>

#include "../TestSupport.h"
#include "app/ContentLocation.h"
#include "menus/InsertDVD.h"

using namespace tav;
using namespace tavtest;

namespace {

class InsertDVD : public ::testing::Test {
protected:
    TempFolder a, b, empty;
    std::vector<std::string> volumes;
    void SetUp() override {
        SetContentAsker(nullptr);
        SetVolumeLister([this] { return volumes; });
    }
    void TearDown() override {
        SetVolumeLister(nullptr);
        TForm_InsertDVD::BrowseForTarget = nullptr;
    }
};

} // namespace

TEST_F(InsertDVD, TheFirstVolumeWithContentWins) {
    MakeFixtureDisc(a.Path());
    MakeFixtureDisc(b.Path());
    volumes = {empty.Path(), "/nonexistent/drive", b.Path() + "/", a.Path()};
    EXPECT_EQ(LocateContent(), b.Path());
    volumes = {a.Path(), b.Path()};
    EXPECT_EQ(LocateContent(), a.Path());
    volumes = {empty.Path()};
    EXPECT_EQ(LocateContent(), "");
}

TEST_F(InsertDVD, AFolderNeedsBothKeyFiles) {
    WriteFile(a.File("target.txt"), "x");
    EXPECT_FALSE(HasContentFiles(a.Path()));
    WriteFile(a.File("SPELINFO.TXT"), "x");
    EXPECT_TRUE(HasContentFiles(a.Path()));
}

TEST_F(InsertDVD, DiscFoundAtOnceNeedsNoDialog) {
    MakeFixtureDisc(a.Path());
    volumes = {a.Path()};
    EXPECT_EQ(AskForContent(true), a.Path());
}

TEST_F(InsertDVD, ADiscInsertedWhileTheDialogIsOpenClosesIt) {
    volumes = {empty.Path(), a.Path()};
    TForm_InsertDVD dialog;
    QTimer::singleShot(200, [&] { MakeFixtureDisc(a.Path()); });
    QTimer::singleShot(5000, &dialog, [&] { dialog.reject(); }); // safety net
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(dialog.Run(true), a.Path());
    EXPECT_LT(clock.elapsed(), 2500);
}

TEST_F(InsertDVD, BrowseToAFolderWithoutSpelinfoStaysOpen) {
    WriteFile(a.File("target.txt"), "x");
    MakeFixtureDisc(b.Path());
    TForm_InsertDVD dialog;
    std::vector<std::string> answers = {a.File("target.txt"), "", b.File("Target.txt")};
    size_t asked = 0;
    TForm_InsertDVD::BrowseForTarget = [&] { return asked < answers.size() ? answers[asked++] : std::string(); };
    QTimer::singleShot(50, &dialog, [&] {
        dialog.BitBtn_Browse->click();  // no Spelinfo.txt: stays
        EXPECT_TRUE(dialog.isVisible());
        dialog.BitBtn_Browse->click();  // cancelled file dialog: stays
        EXPECT_TRUE(dialog.isVisible());
        dialog.BitBtn_Browse->click();  // a real disc folder
    });
    QTimer::singleShot(5000, &dialog, [&] { dialog.reject(); });
    EXPECT_EQ(dialog.Run(true), b.Path());
    EXPECT_EQ(asked, 3u);
}

TEST_F(InsertDVD, BrowseOnlyStandAloneAndCancelGivesNothing) {
    TForm_InsertDVD dialog;
    bool browseVisible = true;
    QTimer::singleShot(50, &dialog, [&] {
        browseVisible = dialog.BitBtn_Browse->isVisible();
        dialog.BitBtn_Cancel->click();
    });
    EXPECT_EQ(dialog.Run(false), "");
    EXPECT_FALSE(browseVisible);
    QTimer::singleShot(50, &dialog, [&] {
        browseVisible = dialog.BitBtn_Browse->isVisible();
        dialog.BitBtn_Cancel->click();
    });
    EXPECT_EQ(dialog.Run(true), "");
    EXPECT_TRUE(browseVisible);
}
