#include "app/Main.h"

#include <QThread>

#include "app/ActivityCodes.h"
#include "app/ContentLocation.h"
#include "app/WebAddress.h"
#include "content/DebugLog.h"
#include "content/LanguageCodes.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "learners/StudentList.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/UserInfo.h"
#include "components/ZrButton.h"
#include "toolkit/AppEvents.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Screen.h"
#include "toolkit/ScreenContainer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QDropEvent>
#include <QDragEnterEvent>
#include <QProxyStyle>
#include <QStyleFactory>

namespace tav {

TForm_Main* Form_Main = nullptr;

std::function<int()> TForm_Main::LanguageFromSystem = [] { return LanguageFromWindows(); };
std::function<void(TForm_Main&, const std::vector<std::string>&)> TForm_Main::FilesDropped;

namespace {

const char* kDefaultWeb = "www.zandrel.example/tavolin/info.html?[[rng]]&[[trg]]&[[src]]&[[os]]";

// The program's own style: 16-pixel scroll bars for this program only.
class TProgramStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_ScrollBarExtent) return 16;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// Shows the hourglass for its lifetime and puts the old pointer back.
struct TBusyPointer {
    TBusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyPointer() { QGuiApplication::restoreOverrideCursor(); }
};

} // namespace

// ---- creation ------------------------------------------------------------------

TForm_Main::TForm_Main(const std::vector<std::string>& args, const std::string& programFolder) {
    Form_Main = this;
    setWindowTitle(QStringLiteral("Tavolin"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);

    if (programFolder.empty()) {
        const TProgramLocation location = LocateProgramFolder(QCoreApplication::applicationDirPath().toStdString());
        ProgramFolder = location.Folder;
        Installed = location.Installed;
    } else {
        ProgramFolder = programFolder;
    }
    while (ProgramFolder.size() > 1 && (ProgramFolder.back() == '/' || ProgramFolder.back() == '\\'))
        ProgramFolder.pop_back();
    ContentRoot = ProgramFolder;

    FormContainer_Main = new TScreenContainer(this);
    FormContainer_Main->move(0, 0);

    Timer_Inactivity.setSingleShot(false);
    connect(&Timer_Inactivity, &QTimer::timeout, this, Guarded([this] {
                Timer_Inactivity.stop();
                ClosedByTimeout = true;
                CloseProgram();
            }));

    SetExceptionHandler([this](std::exception_ptr error) { ShowSystemError(ExceptionText(error)); });

    FormCreate(args);
}

void TForm_Main::FormCreate(const std::vector<std::string>& args) {
    TCommandLine options;
    try {
        ParseCommandLine(args, options);
    } catch (...) {
        // What came before the bad number stays; the rest of creation is skipped.
        Force800 = options.Force800;
        Remote = options.Remote;
        TimeoutMinutes = options.TimeoutMinutes;
        resize(800, 600);
        HandleException(std::current_exception());
        return;
    }
    Force800 = options.Force800;
    Remote = options.Remote;
    TimeoutMinutes = options.TimeoutMinutes;
    NtMode = false; // no old NT kernel here

    // The scene is 800 x 600; the scene window shows it scaled to the screen.
    resize(800, 600);
}

TForm_Main::~TForm_Main() {
    Timer_Inactivity.stop();
    RestoreSystemSettings();
    if (FormContainer_Main) FormContainer_Main->ClearScreen();
    if (transitionBusy_) QGuiApplication::restoreOverrideCursor();
    ClearIndexes();
    MovieNames.clear();
    StartLinePool.clear();
    TargetLines.clear();
    SettingsLines.clear();
    SourceHelpLangs.clear();
    AttenuationCache.clear();
    AttenuationValues.clear();
    ConfigFile.reset();
    if (TAppEvents::Instance().Hook()) TAppEvents::Instance().SetHook(nullptr);
    SetExceptionHandler(nullptr);
    hide();
    if (Form_Main == this) Form_Main = nullptr;
}

// ---- configuration ---------------------------------------------------------------

std::string TForm_Main::ReadConfigString(const std::string& section, const std::string& key,
                                         const std::string& defaultValue) const {
    if (!ConfigFile) throw EProgramError("ConfigFile not resident");
    return ConfigFile->ReadString(section, key, defaultValue);
}

int TForm_Main::ReadConfigInt(const std::string& section, const std::string& key, int defaultValue) const {
    if (!ConfigFile) throw EProgramError("ConfigFile not resident");
    return ConfigFile->ReadInteger(section, key, defaultValue);
}

bool TForm_Main::ReadConfigBool(const std::string& section, const std::string& key, bool defaultValue) const {
    // Read as a whole number; only the low byte counts.
    return (ReadConfigInt(section, key, defaultValue ? 1 : 0) & 0xFF) != 0;
}

int TForm_Main::GetAttenuation(const std::string& extension) {
    const std::string key = TargetFolderName + AsciiLower(extension);
    auto it = AttenuationValues.find(AsciiLower(key));
    if (it != AttenuationValues.end()) return it->second;
    int value = ReadConfigInt("Attenuation", key, -1);
    AttenuationCache.push_back(key + "=" + IntToStr(value));
    AttenuationValues[AsciiLower(key)] = value;
    return value;
}

void TForm_Main::ReadDefaults() {
    DebugEnabled = ReadConfigBool("Defaults", "Debug", false);
    Fast = ReadConfigBool("Defaults", "Fast", false);
    NetDebug = ReadConfigBool("Defaults", "NetDebug", false);
    Cheat = ReadConfigBool("Defaults", "Cheat", false);
    MovieVisible = ReadConfigBool("Defaults", "MovieVisible", false);
    MovieSingle = ReadConfigBool("Defaults", "MovieSingle", true);
    SyncRec = ReadConfigBool("Defaults", "SyncRec", true);
    if (ReadConfigBool("Defaults", "NT", false)) NtMode = true;
    if (ReadConfigBool("Defaults", "NoNT", false)) NtMode = false;
    ExtraStart = ReadConfigInt("Defaults", "ExtraStart", 25);
    ExtraEnd = ReadConfigInt("Defaults", "ExtraEnd", 5);
    Web = ReadConfigString("Defaults", "Web", kDefaultWeb);
    Filter1 = ReadConfigBool("Defaults", "Filter1", false);
    Records = ReadConfigInt("Defaults", "Records", 1);
    LocalPath = ReadConfigString("Defaults", "LocalPath", "Scores");
}

void TForm_Main::ComputeDataFolder(const std::string& appData) {
    switch (Records) {
    case 0: DataFolder.clear(); break;
    case 1: DataFolder = appData.empty() ? ProgramFolder : appData + "\\Zandrel\\Tavolin"; break;
    case 2: DataFolder = ProgramFolder + "\\" + LocalPath; break;
    default: break; // left as it was
    }
    if (!DataFolder.empty() && !ForceDirectories(DataFolder))
        DebugLog("Couldn't create the data folder " + DataFolder);
}

// ---- start-up --------------------------------------------------------------------------

void TForm_Main::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (shownOnce_) return;
    shownOnce_ = true;
    // Start-up shows message boxes; run it once the window is on screen.
    QTimer::singleShot(0, this, Guarded([this] { FormShow(); }));
}

void TForm_Main::FormShow() {
    bool ok = false;
    try {
        ok = StartUp();
    } catch (...) {
        MessageDlg(std::string("Error reading system files: ") + ExceptionText(std::current_exception()),
                   TMsgIcon::Error);
        if (Remote && Link) Link->Disconnect(false);
        ok = false;
    }
    if (!ok) {
        CloseProgram();
        return;
    }
    TScreen* first = CreateScreen(FirstState(), *this, FormContainer_Main);
    FormContainer_Main->ShowScreen(first, trNone, nullptr);
    shownState_ = FirstState();
    emit ScreenChanged(FirstState());
    if (Remote && Link) Link->HideHubrell();
}

int TForm_Main::FirstState() const { return Courses.empty() ? ContentFirstState() : stCourseMenu; }

int TForm_Main::ContentFirstState() const {
    if (FileExists(ContentRoot + "\\CustomStart\\CustomStart.txt")) return stCustomStart;
    if (!MultiMenuPicture.empty()) return stMultiMenu;
    return stStartMenu;
}

bool TForm_Main::StartUp() {
    // 1. The program-side media.
    if (!DirectoryExists(ProgramFolder + "\\PC")) {
        MessageDlg("Can't find PC directory.", TMsgIcon::Error);
        return false;
    }
    // 2. There is no DirectX to check on this system.

    TStudentInfo info;
    std::string appData;
    // The program's own configuration may name the content folder.
    const std::string programConfig = ProgramConfigFile(ProgramFolder, Installed);
    const TContentFolders contentFolders = ContentFolders(ProgramFolder, ConfiguredContent(programConfig));
    Courses.clear();
    if (!Remote) {
        // 3. Stand-alone: the content beside the program, else on a disc. A
        //    disc in a drive or a named folder opens at once; the content
        //    beside the program or an installed disc shares the course menu
        //    with the learner's own courses.
        ContentRoot = ProgramFolder;
        const std::vector<TCourse> library = LibraryCourses(CoursesFolder());
        bool chosen = false;
        if (!HasContentFiles(ContentRoot)) {
            TFoundContent found = FindContent(contentFolders);
            if (found.Root.empty() && !library.empty()) found.Root = library.front().Root;
            if (found.Root.empty()) found.Root = AskWithContentDialog(true);
            if (found.Root.empty()) return false;
            ContentRoot = found.Root;
            chosen = found.Chosen;
        }
        if (!chosen) Courses = CoursesToOffer(ContentRoot, library);
        LogonName = tav::LogonName();
        appData = AppDataFolder();
    } else {
        // 4. Remote: the classroom manager names learner and content.
        Link = CreateClassroomLink();
        if (!Link) {
            MessageDlg("Couldn't connect: the classroom link is not available", TMsgIcon::Error);
            return false;
        }
        if (!Link->Connect()) return false;
        info = Link->GetStudentInfo();
        if (info.ContentRoot.empty() || info.ContentRoot == "%s") {
            std::string found = AskForContent(false, contentFolders);
            if (found.empty()) {
                Link->Disconnect(false);
                return false;
            }
            ContentRoot = found;
        } else if (!HasContentFiles(info.ContentRoot)) {
            MessageDlg("Can't find system files!", TMsgIcon::Error);
            Link->Disconnect(false);
            return false;
        } else {
            ContentRoot = info.ContentRoot;
        }
        while (ContentRoot.size() > 1 && (ContentRoot.back() == '\\' || ContentRoot.back() == '/'))
            ContentRoot.pop_back();
    }
    savedAppData_ = appData;
    if (!LoadContent(Remote ? &info : nullptr)) return false;

    // 7. Learner names start in the default font.
    NameFont = "Arial";
    NameCharset = 1;

    // 8. System settings, the application hook, the inactivity timer.
    ApplySystemSettings();
    TAppEvents::Instance().SetHook([this](QObject* r, QEvent* e) { return AppMessageHook(r, e); });
    if (TimeoutMinutes > 0) RestartInactivityTimer();
    Started = true;
    return true;
}

// Steps 5 and 6 of start-up for the content root set: the configuration,
// the data folder, the target's key files and indexes.
bool TForm_Main::LoadContent(const TStudentInfo* remote) {
    // 5. Configuration and the data folder.
    const std::string programConfig = ProgramConfigFile(ProgramFolder, Installed);
    std::string configName;
    if (!programConfig.empty()) configName = programConfig;
    else if (FileExists(ContentRoot + "\\sconfig.txt")) configName = ContentRoot + "\\sconfig.txt";
    else configName = ContentRoot + "\\config.txt";
    ConfigFile = std::make_unique<TIniFile>();
    ConfigFile->LoadFromFile(configName);
    ReadDefaults();
    ComputeDataFolder(savedAppData_);

    // 6. The target's key files and indexes.
    try {
        // Target.txt says how the disc's text files are encoded; it is itself read in that encoding.
        const TStringList targetBytes = ReadTextLines(ContentRoot + "\\Target.txt");
        SetContentEncoding(EncodingDeclaredBy(targetBytes));
        TargetLines = ReadContentLines(ContentRoot + "\\Target.txt");
        SourceHelpLangs = SplitKeyList(TargetLines, "SourceHelpLangs", ',');
        AttenuationCache.clear();
        AttenuationValues.clear();
        MovieNames.clear();
        StartLinePool.clear();
        // Another content root has its own help pictures: the help folder is
        // found again when a target loads (as at start-up, none before).
        HelpLanguage = 0;
        HelpFolder.clear();
        if (remote) {
            std::string name = remote->TargetFolderName, path;
            if (name.empty()) {
                name = LookupKey(TargetLines, "TargetFolderName", "");
                path = LookupKey(TargetLines, "TargetPathForPC", "");
            }
            LoadTarget(name, path);
            LoadStudent(remote->LearnerName);
        } else {
            StudentName = "You";
            ResultsSection = "Student You";
            MultiMenuPicture = LookupKey(TargetLines, "MultiMenu", "");
            if (!MultiMenuPicture.empty())
                LoadMultiEntries();
            else
                LoadTarget(LookupKey(TargetLines, "TargetFolderName", ""),
                           LookupKey(TargetLines, "TargetPathForPC", ""));
        }
    } catch (...) {
        MessageDlg(std::string("Error reading system files: ") + ExceptionText(std::current_exception()),
                   TMsgIcon::Error);
        if (Remote && Link) Link->Disconnect(false);
        return false;
    }
    return true;
}

bool TForm_Main::OpenCourse(const std::string& root) {
    if (Remote || !HasContentFiles(root)) {
        if (!Remote) MessageDlg("This course cannot be opened: its files are missing.", TMsgIcon::Error);
        return false;
    }
    const std::string before = ContentRoot;
    ContentRoot = root;
    if (LoadContent(nullptr)) return true;
    // The course is damaged: back to the content that was open, as it was.
    ContentRoot = before;
    try {
        LoadContent(nullptr);
    } catch (...) {
    }
    return false;
}

void TForm_Main::RefreshCourses() {
    if (Remote) return;
    const std::vector<TCourse> library = LibraryCourses(CoursesFolder());
    // The disc the program started with stays first; a course of the library is not it.
    std::string found = Courses.empty() ? ContentRoot : Courses.front().Root;
    if (!Courses.empty() && Courses.front().InLibrary) found.clear();
    if (!found.empty() && !HasContentFiles(found)) found.clear();
    Courses = CoursesToOffer(found, library);
}

void TForm_Main::LoadTarget(const std::string& folderName, const std::string& path) {
    TargetFolderName = folderName;
    TargetFolder = !path.empty() ? path : ContentRoot + "\\" + folderName;
    SettingsLines = ReadContentLines(TargetFolder + "\\settings.txt");
    setWindowTitle(ToQString(LookupKey(SettingsLines, "PCCaption", "Tavolin")));
    TargetLanguage = StrToIntDef(LookupKey(SettingsLines, "TargetLang", "0"), 0);
    SetTextLanguage(IsoCodeOfLanguage(TargetLanguage));
    ProfileFile = DataFolder.empty() ? std::string() : DataFolder + "\\" + TargetFolderName + ".ini";

    int code = ReadProfileInt("Defaults", "Language", LanguageFromSystem ? LanguageFromSystem() : 2);
    bool offered = false;
    for (const auto& s : SourceHelpLangs)
        if (StrToIntDef(s, -1) == code) offered = true;
    if (!offered || !DirectoryExists(ContentRoot + "\\shared\\source\\bubb" + IntToStr(code))) code = 2;
    SetHelpLanguage(code);

    MovieNames = SplitKeyList(SettingsLines, "MovieNames", '|');
    StartLinePool = SplitKeyList(SettingsLines, "NextGameStartLines", '|');
    // The filter list comes first: the movie index applies it.
    LoadFilter(TargetFolder + "\\filter1.txt");
    LoadMovieIndex(TargetFolder + "\\movieinf.txt");
    LoadRecordIndex(TargetFolder + "\\record.txt");
}

void TForm_Main::SetHelpLanguage(int code) {
    if (code == HelpLanguage) return;
    HelpLanguage = code;
    HelpFolder = ContentRoot + "\\shared\\source\\bubb" + IntToStr(code);
    WriteProfileInt("Defaults", "Language", code);
    LoadNameFont(code);
}

void TForm_Main::LoadNameFont(int code) {
    NameFont = ReadConfigString("Name", "Font" + IntToStr(code), "Arial");
    NameCharset = ReadConfigInt("Name", "Charset" + IntToStr(code), 1) & 0xFF;
}

std::string TForm_Main::BuildWebAddress() const {
    TWebParams params;
    params.TargetLanguage = TargetLanguage;
    params.HelpLanguage = HelpLanguage;
    params.OsName = PlatformName();
    params.OsMajor = PlatformMajorVersion();
    params.OsMinor = PlatformMinorVersion();
    return tav::BuildWebAddress(Web, params);
}

// ---- learner profile ---------------------------------------------------------------

std::string TForm_Main::ReadProfileString(const std::string& section, const std::string& key,
                                          const std::string& defaultValue) {
    if (Remote) {
        if (!Link) throw EProgramError("The classroom link is not connected");
        return Link->GetRemoteProfileString(section, key, defaultValue);
    }
    if (!ProfileFile.empty()) return GetProfile(section, key, defaultValue, ProfileFile);
    return defaultValue;
}

int TForm_Main::ReadProfileInt(const std::string& section, const std::string& key, int defaultValue) {
    return StrToIntDef(ReadProfileString(section, key, IntToStr(defaultValue)), defaultValue);
}

void TForm_Main::WriteProfileString(const std::string& section, const std::string& key,
                                    const std::string& value) {
    if (Remote) {
        if (!Link) throw EProgramError("The classroom link is not connected");
        Link->WriteRemoteProfileString(section, key, value);
        return;
    }
    if (!ProfileFile.empty()) WriteProfileChecked(section, key, value, ProfileFile);
}

void TForm_Main::WriteProfileInt(const std::string& section, const std::string& key, int value) {
    WriteProfileString(section, key, IntToStr(value));
}

// ---- scores ------------------------------------------------------------------------

void TForm_Main::LoadStudent(const std::string& name) {
    StudentName = name;
    // Fixed at sign-in: a later change of help language (and so of the
    // name's code page) must not move the learner's record.
    ResultsSection = StudentSection(name, NameCharset, Remote);
    Percents = ParseResults(ReadProfileString(ResultsSection, "Percents", ""));
    Scores = ParseResults(ReadProfileString(ResultsSection, "Scores", ""));
}

void TForm_Main::RecordPracticePercent(int slot, int percent) {
    if (slot < 1 || slot > 4) return;
    LastScore = percent;
    Percents[slot] = percent;
    WriteProfileString(ResultsSection, "Percents", FormatResults(Percents));
}

void TForm_Main::RecordTestScore(int slot, int score) {
    if (slot < 1 || slot > 4) return;
    LastScore = score;
    Scores[slot] = score;
    WriteProfileString(ResultsSection, "Scores", FormatResults(Scores));
}

// ---- navigation --------------------------------------------------------------------

void TForm_Main::PostStateChange(int state, int transition) {
    PostMessage(this, WM_USER, state & 0xFF, transition & 0xFF);
}

TScreen* TForm_Main::CurrentScreen() const { return FormContainer_Main ? FormContainer_Main->Current() : nullptr; }

bool TForm_Main::event(QEvent* e) {
    if (const TMessageEvent* m = AsMessage(e, WM_USER)) {
        const int wParam = static_cast<int>(m->WParam());
        const int lParam = static_cast<int>(m->LParam());
        RunGuarded([&] { StateChange(wParam, lParam); });
        return true;
    }
    bool handled = false;
    RunGuarded([&] { handled = QWidget::event(e); });
    return handled;
}

void TForm_Main::StateChange(int wParam, int lParam) {
    const int state = wParam & 0xFF;
    const int transition = Fast ? 0 : (lParam & 0xFF) & 0x7F;
    if (state == stQuit) {
        CloseProgram();
        return;
    }
    const TTransition effect = TransitionForCode(transition);
    TBusyPointer busy;
    KeyScreen = nullptr;
    ReadyScreen = nullptr;
    // A transition still running ends now, with no screen-ready message: its
    // screen is being replaced.
    FormContainer_Main->FinishTransition();
    if (state > kLastScreenState) {
        MessageDlg("Unknown state change " + IntToStr(wParam), TMsgIcon::Error);
        return;
    }
    const int code = ActivityCodeForState(state, RecordNumber);
    if (code >= 0) ReportActivity(code);
    TScreen* screen = CreateScreen(state, *this, FormContainer_Main);
    if (StateGetsReady(state)) ReadyScreen = screen;
    if (StateGetsKeys(state)) KeyScreen = screen;
    if (!transitionBusy_) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        transitionBusy_ = true;
    }
    FormContainer_Main->ShowScreen(screen, effect, [this] { TransitionDone(); });
    shownState_ = state;
    emit ScreenChanged(state);
}

void TForm_Main::TransitionDone() {
    if (transitionBusy_) {
        transitionBusy_ = false;
        QGuiApplication::restoreOverrideCursor();
    }
    FlushInput();
    if (ReadyScreen) PostMessage(ReadyScreen, WM_USER, 0, 0);
}

void TForm_Main::ReportActivity(int code) {
    if (!Remote || !Link) return;
    if (code != 0) {
        CurrentActivity = code;
        LastScore = -1;
        Link->SendStartActivity(code);
    } else if (CurrentActivity != 0) {
        Link->SendEndActivity(CurrentActivity, LastScore);
        CurrentActivity = 0;
        Link->SendScore(TotalScore(), AwardLevel(TotalScore()));
    }
}

void TForm_Main::FlushInput() { TAppEvents::Instance().FlushInput(); }

// ---- films dropped on the window ------------------------------------------------

// Only on the menus before the film's own screens: a drop must not break
// into an activity or a recording.
bool TForm_Main::DropsWelcome() const {
    return Started && !Remote && FilesDropped &&
           (shownState_ == stStartMenu || shownState_ == stCourseMenu || shownState_ == stMultiMenu ||
            shownState_ == stMainMenu);
}

void TForm_Main::dragEnterEvent(QDragEnterEvent* e) {
    if (!DropsWelcome() || !e->mimeData()->hasUrls()) return;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) {
            e->acceptProposedAction();
            return;
        }
}

void TForm_Main::dropEvent(QDropEvent* e) {
    if (!DropsWelcome()) return;
    std::vector<std::string> files;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
    if (files.empty()) return;
    e->acceptProposedAction();
    // The dialog is modal: it opens after the drop has ended.
    QTimer::singleShot(0, this, Guarded([this, files] {
        if (DropsWelcome()) FilesDropped(*this, files);
    }));
}

void TForm_Main::keyPressEvent(QKeyEvent* e) {
    // Escape is Back on every screen that shows one (a panel or card over the
    // screen that closes with Escape takes the key first).
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        TScreen* screen = CurrentScreen();
        auto* back = screen ? screen->findChild<TCustomZrImageStrip*>(QStringLiteral("EButton_Back")) : nullptr;
        if (back && back->isVisibleTo(screen) && back->isEnabled() && back->OnClick && !e->isAutoRepeat()) {
            e->accept();
            back->OnClick(back);
            return;
        }
    }
    if (!KeyScreen) {
        QWidget::keyPressEvent(e);
        return;
    }
    // One call per character as the learner sees it (an accented letter typed
    // as a letter and a dead key's mark is one).
    for (const std::string& c : Graphemes(FromQString(e->text()))) KeyScreen->KeyPressed(c);
}

// ---- inactivity ---------------------------------------------------------------------

void TForm_Main::RestartInactivityTimer() {
    Timer_Inactivity.stop();
    Timer_Inactivity.setInterval(TimeoutMinutes * 60000);
    // An interval of 0 means no timeout: such a timer never fires.
    if (Timer_Inactivity.interval() > 0) Timer_Inactivity.start();
}

void TForm_Main::PauseInactivityTimer(bool paused) {
    if (paused == InactivityPaused) return;
    if (paused) Timer_Inactivity.stop();
    else RestartInactivityTimer();
    InactivityPaused = paused;
}

bool TForm_Main::AppMessageHook(QObject* receiver, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && TimeoutMinutes > 0 &&
        !InactivityPaused)
        RestartInactivityTimer();
    return false;
}

// ---- errors and closing ------------------------------------------------------------

namespace {
// Set by Abort; exit() does nothing before the event loop runs, so the loop
// checks this before it starts.
bool exitRequested = false;
} // namespace

std::function<void()> TForm_Main::Terminate = [] {
    exitRequested = true;
    // Without a running loop exit() would only make every later loop end at
    // once; the request alone is enough then.
    if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(1);
};

int TForm_Main::RunEventLoop() {
    if (exitRequested) {
        exitRequested = false;
        return 1;
    }
    return QApplication::exec();
}

void TForm_Main::ShowSystemError(const std::string& text) {
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
    if (MessageDlg("System error: " + text, TMsgIcon::Error, TMsgButtons::AbortIgnore) == TModalResult::Abort) {
        if (Started && Remote && Link) Link->Disconnect(false);
        if (Terminate) Terminate();
    }
}

void TForm_Main::CloseProgram() { close(); }

void TForm_Main::closeEvent(QCloseEvent* e) {
    if (!closing_) {
        closing_ = true;
        RunGuarded([this] {
            if (Started && Remote && Link && Link->IsConnected()) {
                Link->SendScore(TotalScore(), AwardLevel(TotalScore()));
                Link->Disconnect(ClosedByTimeout);
            }
        });
    }
    e->accept(); // closing is never refused
}

// ---- system settings and window size --------------------------------------------------

void TForm_Main::ApplySystemSettings() {
    if (systemSettingsSaved_ || !qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    savedStyleName_ = QApplication::style() ? QApplication::style()->name() : QString();
    QApplication::setStyle(new TProgramStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
    savedFont_ = QApplication::font();
    QFont f = savedFont_;
    f.setStyleStrategy(QFont::PreferAntialias);
    QApplication::setFont(f);
    systemSettingsSaved_ = true;
}

void TForm_Main::RestoreSystemSettings() {
    if (!systemSettingsSaved_) return;
    systemSettingsSaved_ = false;
    if (QStyle* s = QStyleFactory::create(savedStyleName_)) QApplication::setStyle(s);
    QApplication::setFont(savedFont_);
}

} // namespace tav
