#include "program/Screens.h"

#include <QPointer>

#include "activities/Missing.h"
#include "activities/NextLine.h"
#include "activities/Vocab.h"
#include "games/Dictionary.h"
#include "activities/Spelling.h"
#include "app/ClipPoolLink.h"
#include "app/ContentLocation.h"
#include "app/CustomStart.h"
#include "app/Main.h"
#include "app/MultiMenu.h"
#include "games/QuizMCI.h"
#include "games/WordSearch.h"
#include "menus/ActivitiesMenu.h"
#include "menus/CourseBuild.h"
#include "menus/CourseMenu.h"
#include "menus/NewCourseDialog.h"
#include "menus/MainMenu.h"
#include "media/Movie.h"
#include "menus/StartMenu.h"
#include "app/ScreenRegistry.h"
#include "learners/Award.h"
#include "learners/HubrellControlCOM.h"
#include "learners/StudRec.h"
#include "menus/HelpMenu.h"
#include "menus/InsertDVD.h"
#include "viewer/RecSelect.h"
#include "viewer/Recording.h"
#include "viewer/ScreenPlay.h"

namespace tav {

TMovieSettings MovieSettingsFrom(TForm_Main& main) {
    TMovieSettings s;
    s.MovieNames = main.MovieNames;
    s.TargetFolder = main.TargetFolder;
    s.NtMode = main.NtMode;
    s.MovieSingle = main.MovieSingle;
    s.MovieVisible = main.MovieVisible;
    s.MainWindow = &main;
    s.AppHook = [m = QPointer<TForm_Main>(&main)](QObject* r, QEvent* e) { return m && m->AppMessageHook(r, e); };
    return s;
}

void RegisterScreens() {
    SetContentDialog(AskForContentWithDialog);
    RegisterScreen(stMultiMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_MultiMenu(main, parent); });
    RegisterScreen(stStartMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_StartMenu(main, parent); });
    RegisterScreen(stCourseMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_CourseMenu(main, parent); });
    RegisterScreen(stCourseBuild, [](TForm_Main& main, QWidget* parent) { return new TForm_CourseBuild(main, parent); });
    TForm_Main::FilesDropped = [](TForm_Main& main, const std::vector<std::string>& files) {
        AskForNewCourse(main, files);
    };
    RegisterScreen(stMainMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_MainMenu(main, parent); });
    RegisterScreen(stActivitiesMenu,
                   [](TForm_Main& main, QWidget* parent) { return new TForm_ActivitiesMenu(main, parent); });
    RegisterScreen(stHelpMenu, [](TForm_Main& main, QWidget* parent) { return new TForm_HelpMenu(main, parent); });
    RegisterScreen(stStudRec, [](TForm_Main& main, QWidget* parent) { return new TForm_StudRec(main, parent); });
    PrintCertificateHook = [](const std::string& name, const std::string& award) { PrintCertificate(name, award); };
    RegisterScreen(stCustomStart, [](TForm_Main& main, QWidget* parent) { return new TForm_CustomStart(main, parent); });
    RegisterScreen(stScreenPlay, [](TForm_Main& main, QWidget* parent) { return new TForm_ScreenPlay(main, parent); });
    RegisterScreen(stVocabPrac, [](TForm_Main& main, QWidget* parent) { return new TForm_VocabPrac(main, parent); });
    RegisterScreen(stVocabTest, [](TForm_Main& main, QWidget* parent) { return new TForm_VocabTest(main, parent); });
    RegisterScreen(stDictionary, [](TForm_Main& main, QWidget* parent) { return new TForm_Dictionary(main, parent); });
    RegisterScreen(stRecSelect, [](TForm_Main& main, QWidget* parent) { return new TForm_RecSelect(main, parent); });
    RegisterScreen(stRecording, [](TForm_Main& main, QWidget* parent) { return new TForm_Recording(main, parent); });
    RegisterScreen(stMissingPrac, [](TForm_Main& main, QWidget* parent) { return new TForm_MissingPrac(main, parent); });
    RegisterScreen(stMissingTest, [](TForm_Main& main, QWidget* parent) { return new TForm_MissingTest(main, parent); });
    RegisterScreen(stSpellingPrac,
                   [](TForm_Main& main, QWidget* parent) { return new TForm_SpellingPrac(main, parent); });
    RegisterScreen(stSpellingTest,
                   [](TForm_Main& main, QWidget* parent) { return new TForm_SpellingTest(main, parent); });
    RegisterScreen(stNextLinePrac,
                   [](TForm_Main& main, QWidget* parent) { return new TForm_NextLinePrac(main, parent); });
    RegisterScreen(stNextLineTest,
                   [](TForm_Main& main, QWidget* parent) { return new TForm_NextLineTest(main, parent); });
    RegisterScreen(stQuiz, [](TForm_Main& main, QWidget* parent) { return new TForm_Quiz(main, parent); });
    RegisterScreen(stWordSearch, [](TForm_Main& main, QWidget* parent) { return new TForm_WordSearch(main, parent); });

    // Remote mode talks to the classroom manager on the desktop's session bus.
    SetClassroomLinkFactory([]() -> std::unique_ptr<IClassroomLink> {
        return std::make_unique<THubrellControlWindow>(QDBusConnection::sessionBus(), MainWindowHubrellHooks());
    });

    // The menus reach the film clip pool through this link.
    TClipPoolLink& pool = ClipPoolLink();
    pool.Exists = [] { return Form_Movie != nullptr; };
    // The pool's settings come from the main window current at creation.
    pool.Create = [](bool visible) {
        if (!Form_Main) return;
        TMovieSettings settings = MovieSettingsFrom(*Form_Main);
        settings.MovieVisible = visible;
        CreateFormMovie(settings);
    };
    pool.ResetPlayers = [] { if (Form_Movie) Form_Movie->ResetPlayers(); };
    pool.DetachDisplay = [] { if (Form_Movie) Form_Movie->DetachDisplay(); };
    pool.Free = [] { FreeFormMovie(); };
}

} // namespace tav
