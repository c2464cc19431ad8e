#pragma once
// The main window: the spine of the program, an 800 x 600 scene that the
// scene window shows scaled. It reads the configuration, finds and loads the
// content, and holds the state every screen reads: folders, configuration
// flags, the learner's results and the content indexes. It owns the screen
// navigation, the inactivity timer and the orderly shut-down.
#include <QPointer>
#include <QTimer>
#include <QFont>
#include <QWidget>
#include <functional>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/ClassroomLink.h"
#include "app/CommandLine.h"
#include "app/CourseLibrary.h"
#include "app/ScreenRegistry.h"
#include "content/IniFile.h"
#include "content/KeyFiles.h"
#include "content/TargetIndex.h"
#include "learners/ScoreKeeping.h"
#include "toolkit/Transition.h"

class QStyle;

namespace tav {

class TScreen;
class TScreenContainer;

class TForm_Main : public QWidget, public TTargetIndex {
    Q_OBJECT
public:
    // Runs the creation steps: command line (args without the program name),
    // display mode. The single-instance check happens in the program entry.
    explicit TForm_Main(const std::vector<std::string>& args, const std::string& programFolder = {});
    ~TForm_Main() override;

    // ---- components
    TScreenContainer* FormContainer_Main = nullptr;
    QTimer Timer_Inactivity;

    // ---- folders and target
    std::string ProgramFolder, ContentRoot;
    bool Installed = false; // the program folder is the installed data folder, not the executable's
    std::string TargetFolderName, TargetFolder;
    int TargetLanguage = 0;
    int HelpLanguage = 0;
    std::string HelpFolder;
    std::string DataFolder, ProfileFile;
    std::unique_ptr<TIniFile> ConfigFile;
    TStringList SourceHelpLangs, MovieNames, AttenuationCache;
    std::map<std::string, int> AttenuationValues; // the cache's values by key
    std::string MultiMenuPicture;
    // The courses the course menu offers (empty: the found content opens at once).
    std::vector<TCourse> Courses;
    // The course the build screen is to make (set by the new-course dialog).
    TCourseRequest PendingCourse;

    // ---- learner
    std::string StudentName;
    std::string ResultsSection; // profile section of the learner's results, fixed at LoadStudent
    std::string LogonName;
    TResults Percents{}, Scores{};
    std::string NameFont = "Arial";
    int NameCharset = 1;
    int CurrentActivity = 0;
    int LastScore = -1;
    int RecordNumber = 0; // the actor chosen for the recording studio (1..9)
    TRecordEntry CurrentRecord; // that actor's scenes

    // ---- modes and flags
    bool Force800 = false; // "force": the scene window covers the whole screen
    bool Remote = false;
    bool NtMode = false;
    int TimeoutMinutes = 0;
    bool ClosedByTimeout = false;
    bool InactivityPaused = false;
    bool Started = false;
    bool Fast = false, NetDebug = false, Cheat = false, MovieVisible = false, MovieSingle = true,
         SyncRec = true;
    int ExtraStart = 25, ExtraEnd = 5;
    std::string Web;
    int Records = 1;
    std::string LocalPath = "Scores";

    // ---- navigation
    QPointer<TScreen> ReadyScreen;
    QPointer<TScreen> KeyScreen;

    // The classroom link in remote mode (nullptr otherwise).
    std::unique_ptr<IClassroomLink> Link;

    // ---- configuration
    std::string ReadConfigString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const;
    int ReadConfigInt(const std::string& section, const std::string& key, int defaultValue) const;
    bool ReadConfigBool(const std::string& section, const std::string& key, bool defaultValue) const;
    int GetAttenuation(const std::string& extension);

    // ---- start-up and target
    bool StartUp();
    void LoadTarget(const std::string& folderName, const std::string& path);
    void SetHelpLanguage(int code);
    void LoadNameFont(int code);
    std::string BuildWebAddress() const;
    // The state of the first screen StartUp leads to.
    int FirstState() const;
    // The first screen of the loaded content (custom start, multi menu or start menu).
    int ContentFirstState() const;
    // Switches the stand-alone program to another content root (a course of
    // the library): its configuration, target and indexes are read as at
    // start-up. On failure the reason was shown and the content before stays.
    bool OpenCourse(const std::string& root);
    // Reads the courses again after one was built or removed.
    void RefreshCourses();

    // ---- learner profile (remote manager, profile file, or nothing)
    std::string ReadProfileString(const std::string& section, const std::string& key,
                                  const std::string& defaultValue);
    int ReadProfileInt(const std::string& section, const std::string& key, int defaultValue);
    void WriteProfileString(const std::string& section, const std::string& key, const std::string& value);
    void WriteProfileInt(const std::string& section, const std::string& key, int value);

    // ---- scores
    void LoadStudent(const std::string& name);
    void RecordPracticePercent(int slot, int percent);
    void RecordTestScore(int slot, int score);
    void SetLastScore(int score) { LastScore = score; }
    int TotalScore() const { return Scores[1] + Scores[2] + Scores[3] + Scores[4]; }
    std::string TotalAwardName() const { return AwardName(TotalScore()); }

    // ---- navigation
    void PostStateChange(int state, int transition);
    void ReportActivity(int code);
    void FlushInput();
    TScreen* CurrentScreen() const;

    // ---- inactivity
    void RestartInactivityTimer();
    void PauseInactivityTimer(bool paused);

    // ---- errors: the "System error: " box
    void ShowSystemError(const std::string& text);

    // Called by the application hook for every event; restarts the inactivity
    // timer on a left button press. Screens that install their own hook call it.
    bool AppMessageHook(QObject* receiver, QEvent* event);

    // Closes the window (state 0, timeout, manager shut-down).
    void CloseProgram();
    // What Abort in the error box does (tests replace it).
    static std::function<void()> Terminate;
    // The program's event loop; returns at once with exit code 1 when Abort
    // was chosen before the loop could run (an error during start-up).
    static int RunEventLoop();

    // Films (and subtitle files) dropped on the window while a menu shows:
    // the program opens the new-course dialog with them.
    static std::function<void(TForm_Main&, const std::vector<std::string>& files)> FilesDropped;

    // The language of the user's locale as a help-language code, used when
    // the learner never chose one (tests replace it).
    static std::function<int()> LanguageFromSystem;

signals:
    // Emitted after each completed screen change (tests, debug log).
    void ScreenChanged(int state);

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void FormCreate(const std::vector<std::string>& args);
    void FormShow();
    void StateChange(int wParam, int lParam);
    void TransitionDone();
    void ReadDefaults();
    bool LoadContent(const TStudentInfo* remote);
    void ComputeDataFolder(const std::string& appData);
    void ApplySystemSettings();
    void RestoreSystemSettings();

    bool DropsWelcome() const;
    int shownState_ = -100;      // the state of the screen shown
    std::string savedAppData_; // the learner's application data folder, for a content switch
    bool shownOnce_ = false;
    bool closing_ = false;
    bool transitionBusy_ = false; // the hourglass is up until the transition has ended
    QString savedStyleName_;
    QFont savedFont_;
    bool systemSettingsSaved_ = false;
};

// The program's main window, once created.
extern TForm_Main* Form_Main;

} // namespace tav
