// The course library: which content opens at start, the course menu with two
// courses (open, remove), the new-course dialog's guesses and checks, and the
// build screen driven by a stand-in builder (progress, Cancel, failure,
// success): a cancelled or failed build leaves nothing in the library.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "../app/AppFixture.h"
#include "app/ContentLocation.h"
#include "app/CourseBuildRun.h"
#include "app/CourseLibrary.h"
#include "app/DiscScan.h"
#include "menus/CourseBuild.h"
#include "menus/CourseMenu.h"
#include "menus/NewCourseDialog.h"
#include "menus/StartMenu.h"

using namespace tav;
using namespace tavtest;

namespace {

// A choice in a combo as the learner makes it.
void Choose(QComboBox* combo, int data) {
    const int i = combo->findData(data);
    ASSERT_GE(i, 0);
    combo->setCurrentIndex(i);
    emit combo->activated(i);
}

QStringList LibraryEntries(const std::string& folder) {
    return QDir(QString::fromStdString(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class Courses : public ::testing::Test {
protected:
    TempFolder program, data, films;
    std::unique_ptr<TForm_Main> main;
    std::string disc, library;

    void SetUp() override {
        disc = UseFixtureDisc(program.Path());
        if (disc.empty()) GTEST_FAIL() << "the fixture disc was not generated (build fixture_disc)";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
        library = data.Path() + "/tavolin/courses";
        SetVolumeLister([] { return std::vector<std::string>{}; });
        ScreenLog.clear();
        RegisterProbeScreens();
        RegisterScreen(stCourseMenu, [](TForm_Main& m, QWidget* p) { return new TForm_CourseMenu(m, p); });
        RegisterScreen(stCourseBuild, [](TForm_Main& m, QWidget* p) { return new TForm_CourseBuild(m, p); });
        WriteFile(program.File("sconfig.txt"), "[Defaults]\r\nRecords=0\r\nFast=1\r\n");
    }
    void TearDown() override {
        main.reset();
        for (int s : {stCourseMenu, stCourseBuild}) RegisterScreen(s, nullptr);
        UnregisterScreens();
        SetContentAsker(nullptr);
        SetVolumeLister(nullptr);
        qunsetenv("TAVOLIN_DISC_TOOL");
        qunsetenv("FAKE_BUILD");
        qunsetenv("XDG_DATA_DIRS");
    }
    // A small course of the library, titled in its caption.
    std::string AddCourse(const std::string& folder, const std::string& title) {
        const std::string root = library + "/" + folder;
        MakeFixtureDisc(root);
        WriteFile(root + "/French/settings.txt", "PCCaption|Tavolin - " + title +
                                                     "\r\nTargetLang|3\r\nMovieNames|part1.mpg\r\n");
        return root;
    }
    void Start() {
        main = std::make_unique<TForm_Main>(std::vector<std::string>{}, program.Path());
        main->show();
        ASSERT_TRUE(WaitUntil([&] { return main->CurrentScreen() != nullptr; }));
    }
    TForm_CourseMenu* Menu() { return dynamic_cast<TForm_CourseMenu*>(main->CurrentScreen()); }
    TForm_CourseBuild* BuildScreen() { return dynamic_cast<TForm_CourseBuild*>(main->CurrentScreen()); }
    static void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2)); }

    // A stand-in for tavolin-disc build that makes its hidden work folder as
    // the real one does and then, by FAKE_BUILD: waits to be stopped without
    // cleaning up ("wait"), fails with a reason ("fail"), or puts a course in
    // place ("ok").
    void InstallFakeBuilder(const std::string& mode) {
        const std::string tool = films.File("fake-disc-tool");
        WriteFile(tool, "#!/bin/sh\n"
                        "out=''\n"
                        "while [ $# -gt 0 ]; do [ \"$1\" = --out ] && out=\"$2\"; shift; done\n"
                        "work=\"$(dirname \"$out\")/.$(basename \"$out\").building\"\n"
                        "mkdir -p \"$work\" && echo half > \"$work/part1.mpg\"\n"
                        "echo 'progress 0.2500 150 film parts' >&2\n"
                        "case \"$FAKE_BUILD\" in\n"
                        "  wait) trap 'exit 1' TERM; while :; do sleep 0.05; done ;;\n"
                        "  fail) echo 'tavolin-disc build: no cue could be read from the film track 2'; exit 1 ;;\n"
                        "  ok) cp -r '" + disc + "/.' \"$work\" && mv \"$work\" \"$out\"; echo 'Built.'; exit 0 ;;\n"
                        "esac\n");
        QFile::setPermissions(QString::fromStdString(tool), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                QFileDevice::ExeOwner);
        qputenv("TAVOLIN_DISC_TOOL", QByteArray::fromStdString(tool));
        qputenv("FAKE_BUILD", QByteArray::fromStdString(mode));
    }
    void StartBuild() {
        TCourseRequest r;
        r.Film = films.File("Le.Ballon.Rouge.mkv");
        r.SubtitleTrack = 0;
        r.Language = "fr";
        r.Title = "Le Ballon rouge";
        main->PendingCourse = r;
        main->PostStateChange(stCourseBuild, trNone);
        ASSERT_TRUE(WaitUntil([&] { return BuildScreen() && BuildScreen()->Fraction() > 0.2; }));
    }
};

} // namespace

TEST_F(Courses, WhatOpensAtStart) {
    // Only the disc: no menu, as before there were courses.
    Start();
    EXPECT_TRUE(AtState(*main, stStartMenu));
    EXPECT_TRUE(main->Courses.empty());
    main.reset();

    // The disc and a course of the library: the menu, the disc first and not removable.
    const std::string own = AddCourse("ballon", "Le Ballon rouge");
    QDir().mkpath(QString::fromStdString(library + "/.half.building/French")); // a build under way is no course
    Start();
    ASSERT_NE(Menu(), nullptr);
    ASSERT_EQ(main->Courses.size(), 2u);
    EXPECT_EQ(main->Courses[0].Root, disc);
    EXPECT_FALSE(main->Courses[0].InLibrary);
    EXPECT_EQ(main->Courses[1].Title, "Le Ballon rouge");
    EXPECT_TRUE(main->Courses[1].InLibrary);
    EXPECT_EQ(Menu()->Cards.size(), 2u);
    EXPECT_EQ(Menu()->RemoveButtons[0], nullptr);
    EXPECT_NE(Menu()->RemoveButtons[1], nullptr);
    main.reset();

    // A folder the configuration names is the learner's choice: it opens at once.
    SetContentAsker(nullptr);
    WriteFile(program.File("sconfig.txt"), "[Defaults]\r\nRecords=0\r\nFast=1\r\nContent=" + disc + "\r\n");
    Start();
    EXPECT_TRUE(AtState(*main, stStartMenu));
    EXPECT_EQ(main->ContentRoot, disc);
    EXPECT_TRUE(main->Courses.empty());
    main.reset();

    // No disc anywhere and one course: it opens without a menu.
    qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(films.Path()));
    WriteFile(program.File("sconfig.txt"), "[Defaults]\r\nRecords=0\r\nFast=1\r\n");
    Start();
    EXPECT_TRUE(AtState(*main, stStartMenu));
    EXPECT_EQ(main->ContentRoot, own);
}

TEST_F(Courses, TheMenuOpensACourseAndRemovesTheLearnersOwn) {
    const std::string own = AddCourse("ballon", "Le Ballon rouge");
    Start();
    ASSERT_NE(Menu(), nullptr);
    Click(Menu()->Cards[1]);
    ASSERT_TRUE(WaitUntil([&] { return AtState(*main, stStartMenu); }));
    EXPECT_EQ(main->ContentRoot, own);
    EXPECT_EQ(main->TargetFolder, own + "\\French");

    // Back on the start menu leads to the choice again; removing the open course
    // asks first, deletes it and, with one course left, opens that one.
    main->PostStateChange(stCourseMenu, trNone);
    ASSERT_TRUE(WaitUntil([&] { return Menu() != nullptr; }));
    {
        MessageCapture no(TModalResult::Cancel);
        Click(Menu()->RemoveButtons[1]);
        ASSERT_EQ(no.Messages.size(), 1u);
        EXPECT_NE(no.Last().find("\u00ABLe Ballon rouge\u00BB"), std::string::npos);
        EXPECT_TRUE(QDir(QString::fromStdString(own)).exists());
    }
    MessageCapture yes;
    Click(Menu()->RemoveButtons[1]);
    ASSERT_TRUE(WaitUntil([&] { return AtState(*main, stStartMenu); }));
    EXPECT_FALSE(QDir(QString::fromStdString(own)).exists());
    EXPECT_TRUE(LibraryEntries(library).isEmpty());
    EXPECT_EQ(main->ContentRoot, disc);
    EXPECT_TRUE(main->Courses.empty());
}

TEST_F(Courses, EscapeIsBackFromTheStartMenuToTheChoiceOfCourses) {
    RegisterScreen(stStartMenu, [](TForm_Main& m, QWidget* p) { return new TForm_StartMenu(m, p); });
    AddCourse("ballon", "Le Ballon rouge");
    Start();
    ASSERT_NE(Menu(), nullptr);
    Click(Menu()->Cards[0]);
    ASSERT_TRUE(WaitUntil([&] { return dynamic_cast<TForm_StartMenu*>(main->CurrentScreen()) != nullptr; }));
    // The key reaches the window through whatever has the focus.
    QTest::keyClick(main->CurrentScreen(), Qt::Key_Escape);
    ASSERT_TRUE(WaitUntil([&] { return Menu() != nullptr; }));
    EXPECT_EQ(main->Courses.size(), 2u);
}

TEST_F(Courses, AFilmDroppedOnAMenuOpensTheDialogButNotOnAFilmScreen) {
    std::vector<std::string> dropped;
    auto saved = TForm_Main::FilesDropped;
    TForm_Main::FilesDropped = [&](TForm_Main&, const std::vector<std::string>& files) { dropped = files; };
    Start();
    auto drop = [&] {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile("/films/Le Ballon rouge.mkv"), QUrl::fromLocalFile("/films/ballon.fr.srt")});
        QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(main.get(), &enter);
        QDropEvent event(QPointF(400, 300), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(main.get(), &event);
        QCoreApplication::processEvents();
        return enter.isAccepted();
    };
    EXPECT_TRUE(drop()); // on the start menu
    ASSERT_TRUE(WaitUntil([&] { return !dropped.empty(); }));
    EXPECT_EQ(dropped, (std::vector<std::string>{"/films/Le Ballon rouge.mkv", "/films/ballon.fr.srt"}));
    dropped.clear();
    main->PostStateChange(stScreenPlay, trNone);
    ASSERT_TRUE(WaitUntil([&] { return AtState(*main, stScreenPlay); }));
    EXPECT_FALSE(drop()); // the film's screens are not broken into
    EXPECT_TRUE(dropped.empty());
    TForm_Main::FilesDropped = saved;
}

TEST_F(Courses, RemovingLeavesWhatIsNotTheLibrarys) {
    std::string why;
    EXPECT_FALSE(RemoveCourse(library, disc, why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(QDir(QString::fromStdString(disc)).exists());
    // A course linked into the library: the link goes, the folder stays.
    QDir().mkpath(QString::fromStdString(library));
    ASSERT_TRUE(QFile::link(QString::fromStdString(disc), QString::fromStdString(library + "/linked")));
    ASSERT_EQ(LibraryCourses(library).size(), 1u);
    EXPECT_TRUE(RemoveCourse(library, library + "/linked", why));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(disc + "/Target.txt")));
    EXPECT_TRUE(LibraryCourses(library).empty());
    // A new course's folder is named after its title and not taken by a course or a build.
    AddCourse("le-ballon-rouge", "x");
    QDir().mkpath(QString::fromStdString(library + "/.le-ballon-rouge-2.building"));
    EXPECT_EQ(NewCourseRoot(library, "Le Ballon rouge!"), library + "/le-ballon-rouge-3");
    EXPECT_EQ(NewCourseRoot(library, "День в городе"), library + "/день-в-городе");
}

TEST_F(Courses, TheDialogGuessesFromTheFilmAndSaysWhatIsMissing) {
    auto saved = TNewCourseDialog::DescribeFilm;
    TNewCourseDialog::DescribeFilm = [](const std::string& film) {
        TFilmDescription d;
        if (film.find("nosubs") != std::string::npos) {
            d.Audio.push_back({0, "fre", "", "aac", false});
            return d;
        }
        d.Title = "Le Ballon rouge";
        d.Subtitles = {{0, "eng", "", "subrip", false}, {1, "fre", "", "subrip", false},
                       {2, "fre", "SDH", "hdmv_pgs_subtitle", true}};
        d.Audio.push_back({0, "fre", "", "ac3", false});
        return d;
    };
    {
        TNewCourseDialog dialog(nullptr, 2); // the learner's help language is English
        EXPECT_EQ(dialog.Problem(), "Choose the film.");
        dialog.SetFilm("/films/ballon.mkv");
        // The first text track not in the learner's language, its language from the tag.
        TCourseRequest r = dialog.Request();
        EXPECT_EQ(r.SubtitleTrack, 1);
        EXPECT_EQ(r.Language, "fr");
        EXPECT_EQ(r.Title, "Le Ballon rouge");
        EXPECT_EQ(dialog.Problem(), "");
        // The English track as help subtitles: its language follows.
        Choose(dialog.Combo_Help, 0);
        r = dialog.Request();
        EXPECT_EQ(r.HelpTrack, 0);
        EXPECT_EQ(r.HelpLanguage, "en");
        // The film's own track twice is refused.
        Choose(dialog.Combo_Help, 1);
        EXPECT_EQ(dialog.Problem(), "The help subtitles are the film's own: choose another track or none.");
        EXPECT_FALSE(dialog.Button_Build->isEnabled());
    }
    {
        // Dropped files: the film without subtitles and two files; the one in
        // the learner's language is the help.
        TNewCourseDialog dialog(nullptr, 2);
        dialog.SetFilm("/films/nosubs.mkv");
        EXPECT_EQ(dialog.Problem(), "This film holds no subtitles: choose a subtitle file in its language.");
        TNewCourseDialog dropped(nullptr, 2);
        dropped.TakeDroppedFiles({"/films/Amelie.en.srt", "/films/nosubs.Amelie.2001.1080p.BluRay.x264.mkv",
                                  "/films/Amelie.fr.srt"});
        const TCourseRequest r = dropped.Request();
        EXPECT_EQ(r.SubtitleFile, "/films/Amelie.fr.srt");
        EXPECT_EQ(r.Language, "fr");
        EXPECT_EQ(r.HelpFile, "/films/Amelie.en.srt");
        EXPECT_EQ(r.HelpLanguage, "en");
        EXPECT_EQ(r.Title, "nosubs Amelie 2001");
        EXPECT_EQ(dropped.Problem(), "");
    }
    TNewCourseDialog::DescribeFilm = saved;
    EXPECT_EQ(LanguageOfTag("ger"), "de");
    EXPECT_EQ(LanguageOfTag("Japanese"), "ja");
    EXPECT_EQ(LanguageOfTag("und"), "");
}

TEST_F(Courses, CancelledAndFailedBuildsLeaveNothing) {
    Start();
    InstallFakeBuilder("wait");
    StartBuild();
    EXPECT_EQ(BuildScreen()->Label_Stage->text().toStdString(), "Making the film parts");
    EXPECT_EQ(BuildScreen()->Label_Left->text().toStdString(), "About 3 minutes left");
    ASSERT_FALSE(LibraryEntries(library).isEmpty()); // the builder's work folder
    Click(BuildScreen()->Button_Cancel);
    ASSERT_TRUE(WaitUntil([&] { return AtState(*main, stStartMenu); }, 15000));
    EXPECT_TRUE(LibraryEntries(library).isEmpty()) << LibraryEntries(library).join(' ').toStdString();

    InstallFakeBuilder("fail");
    MessageCapture box;
    TCourseRequest r;
    r.Film = "/films/x.mkv";
    r.Language = "fr";
    r.Title = "X";
    main->PendingCourse = r;
    main->PostStateChange(stCourseBuild, trNone);
    ASSERT_TRUE(WaitUntil([&] { return BuildScreen() != nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return !box.Messages.empty(); }, 15000));
    EXPECT_EQ(box.Last(), "The course could not be built. No cue could be read from the film track 2. Nothing was kept.");
    ASSERT_TRUE(WaitUntil([&] { return AtState(*main, stStartMenu); }));
    EXPECT_TRUE(LibraryEntries(library).isEmpty());
}

TEST_F(Courses, AFinishedBuildOpensTheNewCourse) {
    Start();
    InstallFakeBuilder("ok");
    TCourseRequest r;
    r.Film = films.File("ballon.mkv");
    r.Language = "fr";
    r.Title = "Le Ballon rouge";
    main->PendingCourse = r;
    main->PostStateChange(stCourseBuild, trNone);
    ASSERT_TRUE(WaitUntil([&] { return BuildScreen() != nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return AtState(*main, stStartMenu); }, 15000));
    EXPECT_EQ(main->ContentRoot, library + "/le-ballon-rouge");
    // The disc and the new course are now a choice.
    ASSERT_EQ(main->Courses.size(), 2u);
    EXPECT_EQ(main->Courses[0].Root, disc);
    EXPECT_EQ(main->Courses[1].Root, library + "/le-ballon-rouge");
}

TEST(CourseBuildRun, ProgressLinesArgumentsAndReasons) {
    TBuildProgress p;
    ASSERT_TRUE(ParseProgressLine("progress 0.4200 95 finding the speech", p));
    EXPECT_DOUBLE_EQ(p.Fraction, 0.42);
    EXPECT_EQ(p.SecondsLeft, 95);
    EXPECT_EQ(p.Stage, "finding the speech");
    EXPECT_FALSE(ParseProgressLine("progress 1.5 0 x", p));
    EXPECT_FALSE(ParseProgressLine("film.mkv: 1920x1080, 60 s", p));

    TCourseRequest r;
    r.Film = "/f.mkv";
    r.SubtitleTrack = 2;
    r.Language = "ja";
    r.Title = "T";
    r.HelpFile = "/en.srt";
    r.HelpLanguage = "en";
    EXPECT_EQ(BuildArguments(r, "/lib/t", "/cache"),
              (std::vector<std::string>{"build", "/f.mkv", "--lang", "ja", "--title", "T", "--out", "/lib/t", "--cache",
                                        "/cache", "--subtitle-track", "2", "--help-subtitles", "/en.srt", "--help-lang",
                                        "en"}));
    EXPECT_EQ(BuildFailureText("f.mkv: 10 s\nprogress 0.1 5 x\ntavolin-disc build: interrupted\nNot built.\n", 1),
              "Interrupted.");
    EXPECT_EQ(BuildFailureText("", 3), "The course builder stopped with status 3.");
    EXPECT_EQ(TForm_CourseBuild::TimeLeftText(45).toStdString(), "Less than a minute left");
    EXPECT_EQ(TForm_CourseBuild::TimeLeftText(-1).toStdString(), "");
}
