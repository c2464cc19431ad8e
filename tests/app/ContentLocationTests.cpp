// Where an installed or copied program finds its own files and its content.
#include <gtest/gtest.h>

#include <QDir>

#include "AppFixture.h"
#include "app/ContentLocation.h"
#include "app/DiscScan.h"

using namespace tav;
using namespace tavtest;

namespace {

// Sets environment variables for one test and puts the old values back.
class EnvGuard {
public:
    void Set(const char* name, const std::string& value) {
        if (!saved_.count(name)) saved_[name] = {qEnvironmentVariableIsSet(name), qgetenv(name)};
        qputenv(name, QByteArray::fromStdString(value));
    }
    ~EnvGuard() {
        for (auto& [name, old] : saved_) {
            if (old.first) qputenv(name.c_str(), old.second);
            else qunsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::pair<bool, QByteArray>> saved_;
};

void MakeFolder(const std::string& path) { QDir().mkpath(QString::fromStdString(path)); }

class ContentLocation : public ::testing::Test {
protected:
    TempFolder root;
    EnvGuard env;
    std::vector<std::string> volumes;
    void SetUp() override {
        SetContentAsker(nullptr);
        SetVolumeLister([this] { return volumes; });
        env.Set("HOME", root.File("home"));
        env.Set("XDG_CONFIG_HOME", root.File("config"));
        env.Set("XDG_CONFIG_DIRS", root.File("etc1") + ":" + root.File("etc2"));
        env.Set("XDG_DATA_HOME", root.File("data"));
        env.Set("XDG_DATA_DIRS", root.File("share1") + ":relative/ignored:" + root.File("share2"));
    }
    void TearDown() override {
        SetVolumeLister(nullptr);
        SetContentAsker(nullptr);
    }
};

} // namespace

TEST_F(ContentLocation, ProgramFolderBesideTheExecutableThenTheDataFolders) {
    const std::string bin = root.File("usr/bin"), share = root.File("usr/share/tavolin"), other = root.File("opt/tav");
    MakeFolder(bin);
    // Nothing holds PC: the executable's folder, so start-up reports the missing PC.
    TProgramLocation none = LocateProgramFolder(bin, "../share/tavolin", other);
    EXPECT_EQ(none.Folder, bin);
    EXPECT_FALSE(none.Installed);

    MakeFolder(other + "/PC");
    EXPECT_EQ(LocateProgramFolder(bin, "../share/tavolin", other).Folder, other);
    MakeFolder(share + "/pc"); // names are matched without regard to case
    TProgramLocation installed = LocateProgramFolder(bin, "../share/tavolin", other);
    EXPECT_EQ(installed.Folder, share);
    EXPECT_TRUE(installed.Installed);

    MakeFolder(bin + "/PC"); // a copied program folder or the build tree
    TProgramLocation beside = LocateProgramFolder(bin, "../share/tavolin", other);
    EXPECT_EQ(beside.Folder, bin);
    EXPECT_FALSE(beside.Installed);
}

TEST_F(ContentLocation, ProgramConfigurationBesideTheProgramThenTheUsersThenTheSystems) {
    const std::string program = root.File("program");
    MakeFolder(program);
    EXPECT_EQ(ProgramConfigFile(program, true), "");
    WriteFile(root.File("etc2/tavolin/sconfig.txt"), "[Defaults]\r\n");
    EXPECT_EQ(ProgramConfigFile(program, true), root.File("etc2/tavolin/sconfig.txt"));
    WriteFile(root.File("etc1/tavolin/sconfig.txt"), "[Defaults]\r\n");
    EXPECT_EQ(ProgramConfigFile(program, true), root.File("etc1/tavolin/sconfig.txt"));
    WriteFile(root.File("config/tavolin/sconfig.txt"), "[Defaults]\r\n");
    EXPECT_EQ(ProgramConfigFile(program, true), root.File("config/tavolin/sconfig.txt"));
    // A program folder that is not installed keeps to its own folder.
    EXPECT_EQ(ProgramConfigFile(program, false), "");
    WriteFile(program + "/sconfig.txt", "[Defaults]\r\n");
    EXPECT_EQ(ProgramConfigFile(program, true), program + "\\sconfig.txt");
    EXPECT_EQ(ProgramConfigFile(program, false), program + "\\sconfig.txt");

    // Without XDG_CONFIG_HOME the user's file is under ~/.config.
    env.Set("XDG_CONFIG_HOME", "");
    QFile::remove(QString::fromStdString(program + "/sconfig.txt"));
    WriteFile(root.File("home/.config/tavolin/sconfig.txt"), "[Defaults]\r\n");
    EXPECT_EQ(ProgramConfigFile(program, true), root.File("home/.config/tavolin/sconfig.txt"));
}

TEST_F(ContentLocation, ConfiguredContentFolder) {
    const std::string config = root.File("cfg/sconfig.txt");
    EXPECT_EQ(ConfiguredContent(""), "");
    EXPECT_EQ(ConfiguredContent(config), ""); // no file
    WriteFile(config, "[Defaults]\r\nDebug=1\r\n");
    EXPECT_EQ(ConfiguredContent(config), ""); // no key
    WriteFile(config, "[Defaults]\r\ncontent = \"/srv/discs/film/\"\r\n");
    EXPECT_EQ(ConfiguredContent(config), "/srv/discs/film");
    WriteFile(config, "[Defaults]\r\nContent=..\\discs\\film\r\n");
    EXPECT_EQ(ConfiguredContent(config), root.File("discs/film"));
    WriteFile(config, "[Defaults]\r\nContent=~/Films/one\r\n");
    EXPECT_EQ(ConfiguredContent(config), root.File("home/Films/one"));
    WriteFile(config, "[Other]\r\nContent=/elsewhere\r\n");
    EXPECT_EQ(ConfiguredContent(config), "");
}

TEST_F(ContentLocation, SearchOrderNamedFolderUsersFolderDiscsThenInstalledDiscs) {
    const std::string program = root.File("program");
    const std::string named = root.File("named"), user = root.File("data/tavolin/disc"), drive = root.File("drive"),
                      beside = program + "/disc", share1 = root.File("share1/tavolin/disc"),
                      share2 = root.File("share2/tavolin/disc");
    for (const auto& f : {named, user, drive, beside, share1, share2}) MakeFixtureDisc(f);
    MakeFolder(root.File("incomplete"));
    WriteFile(root.File("incomplete/target.txt"), "TargetFolderName|French\r\n"); // no Spelinfo.txt
    volumes = {root.File("empty-drive"), drive};

    const TContentFolders folders = ContentFolders(program, named);
    EXPECT_EQ(folders.BeforeDiscs, (std::vector<std::string>{named, user}));
    ASSERT_GE(folders.AfterDiscs.size(), 3u);
    EXPECT_EQ(folders.AfterDiscs[0], beside);
    EXPECT_EQ(folders.AfterDiscs[1], share1);
    EXPECT_EQ(folders.AfterDiscs[2], share2); // the relative entry of XDG_DATA_DIRS is not used

    EXPECT_EQ(AskForContent(true, folders), named);
    EXPECT_EQ(AskForContent(true, ContentFolders(program, root.File("incomplete"))), user);
    QDir(QString::fromStdString(named)).removeRecursively();
    QDir(QString::fromStdString(user)).removeRecursively();
    EXPECT_EQ(AskForContent(true, folders), drive);
    volumes = {};
    EXPECT_EQ(AskForContent(false, folders), beside);
    QDir(QString::fromStdString(beside)).removeRecursively();
    EXPECT_EQ(AskForContent(true, folders), share1);

    // Nothing anywhere: the dialog the program installed is asked last, with
    // the mode; without one the search just finds nothing.
    const TContentFolders empty;
    std::vector<bool> asked;
    SetContentDialog([&](bool standAlone) {
        asked.push_back(standAlone);
        return std::string("/chosen");
    });
    EXPECT_EQ(AskForContent(false, empty), "/chosen");
    EXPECT_EQ(asked, std::vector<bool>{false});
    SetContentDialog(nullptr);
    EXPECT_EQ(AskForContent(true, empty), "");

    // An installed asker (the tests' own) answers instead of the search.
    SetContentAsker([] { return std::string("/asked"); });
    EXPECT_EQ(AskForContent(true, folders), "/asked");
}

TEST_F(ContentLocation, InstalledProgramStartsOnTheContentItsUsersConfigurationNames) {
    const std::string disc = root.File("disc"), program = root.File("share/tavolin");
    MakeProgramFolder(disc, {.multiMenu = true});
    MakeFolder(program + "/PC");
    WriteFile(root.File("config/tavolin/sconfig.txt"), "[Defaults]\r\nContent=" + disc + "\r\nRecords=0\r\nFast=1\r\n");
    TForm_Main::LanguageFromSystem = [] { return 2; };

    TForm_Main main({}, program);
    main.Installed = true;
    ASSERT_TRUE(main.StartUp());
    EXPECT_EQ(main.ProgramFolder, program);
    EXPECT_EQ(main.ContentRoot, disc);
    EXPECT_TRUE(main.Fast); // the user's configuration is the program's configuration
    EXPECT_EQ(main.DataFolder, "");
}

TEST_F(ContentLocation, ProgramFolderThatIsAContentRootIsUsedAsBefore) {
    const std::string program = root.File("program"), other = root.File("data/tavolin/disc");
    MakeProgramFolder(program, {.multiMenu = true});
    MakeFixtureDisc(other);
    WriteFile(root.File("config/tavolin/sconfig.txt"), "[Defaults]\r\nContent=" + other + "\r\nFast=1\r\n");
    TForm_Main::LanguageFromSystem = [] { return 2; };

    TForm_Main main({}, program);
    ASSERT_TRUE(main.StartUp());
    EXPECT_EQ(main.ContentRoot, program);
    EXPECT_FALSE(main.Fast); // a program folder of its own does not read the user's file
    EXPECT_EQ(main.DataFolder, root.File("data") + "\\Zandrel\\Tavolin");
}
