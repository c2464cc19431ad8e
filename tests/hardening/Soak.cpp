// Soak: random screen changes, clicks and keys on the real program over the
// fixture disc, offscreen, with a watchdog. Prints resident memory, open file
// descriptors and threads after a warm-up and at the end. Besides the steps'
// own clicks and keys, a timer queues clicks and keys the way the window
// system does while a film play or a sound runs, so they also arrive while
// a screen waits for a sound or lets queued messages run.
//
//   hardening_soak [steps=10000] [seed=1]
//
// Exit status 0 when the run ends with resident memory within 5 MB of what it
// was after the warm-up (a fifth of the steps, but at least 1000 or half of
// them; not judged under AddressSanitizer), no more files open but the disc's
// media (each open once at most) and no more threads than then but those of
// more open media; 1 when something grew; the watchdog aborts (status 134) when one step takes
// longer than 30 s. Modal dialogs (print, file) are dismissed.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

#include "../TestSupport.h"
#include "../app/AppFixture.h"
#include "app/ClipPoolLink.h"
#include "app/ContentLocation.h"
#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "program/Screens.h"
#include "media/Movie.h"
#include "toolkit/Application.h"
#include "toolkit/MessageBox.h"

#include <qpa/qwindowsysteminterface.h>

using namespace tav;
namespace fs = std::filesystem;

namespace {

long ResidentKb() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Anonymous resident memory (heap, stacks, mappings of our own), without the
// pages of the program's and libraries' files, which the first visit to a
// screen or a codec brings in once.
long AnonResidentKb() {
    long kb = 0;
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "RssAnon: %ld", &kb) == 1) break;
        std::fclose(f);
    }
    return kb;
}

// What the open file descriptors point at, but the listing's own. Film parts
// and sounds of the disc are kept open by the clip pool and its sound ring,
// a bounded number by design: they are media; the rest are other files.
struct TOpenFiles {
    std::multiset<std::string> Media, Other;
};

TOpenFiles OpenFiles(const std::vector<std::string>& mediaFolders) {
    TOpenFiles files;
    for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const std::string target = fs::read_symlink(e.path(), ec).string();
        if (target.rfind("/proc/", 0) == 0) continue;
        const bool media = std::any_of(mediaFolders.begin(), mediaFolders.end(),
                                       [&](const std::string& f) { return target.rfind(f + "/", 0) == 0; });
        (media ? files.Media : files.Other).insert(target);
    }
    return files;
}

int CountEntries(const char* folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
}

// Heap bytes in use (small blocks and mmapped large ones): tells memory the
// program still holds from pages the allocator keeps.
long HeapInUseKb() {
    const struct mallinfo2 m = mallinfo2();
    return long((m.uordblks + m.hblkhd) / 1024);
}

// Resident memory measured the same way at warm-up and at the end: on the
// main menu once the last screen's plays and timers have ended and the
// background work (line exports, pitch analysis) is done and its pool
// threads gone (an idle one would hold its memory for 30 s), with the heap's
// free pages given back, so that a rise is memory still held.
struct TQuietMemory {
    long Resident = 0, Anonymous = 0, Heap = 0; // kB
};

TQuietMemory QuietMemory(TForm_Main& main) {
    main.PostStateChange(stMainMenu, 0);
    tavtest::Pump(1500);
    QThreadPool::globalInstance()->waitForDone(10000);
    tavtest::Pump(200);
    malloc_trim(0);
    return {ResidentKb(), AnonResidentKb(), HeapInUseKb()};
}

std::atomic<long long> lastProgress{0};
std::atomic<int> currentStep{0};
std::atomic<const char*> currentAction{"start"};

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void Progress(int step, const char* action) {
    currentStep = step;
    currentAction = action;
    lastProgress = NowMs();
}

// A film play or a sound of the clip pool is running.
bool MediaPlaying() {
    if (!Form_Movie) return false;
    if (Form_Movie->IsFilmPlaying()) return true;
    for (int i = 1; i < int(Form_Movie->SoundPlayers.size()); ++i)
        if (Form_Movie->SoundPlayers[i] && Form_Movie->SoundPlayers[i]->IsOpen && Form_Movie->SoundPlayers[i]->IsPlaying())
            return true;
    return Form_Movie->WavPlayer && Form_Movie->WavPlayer->IsOpen && Form_Movie->WavPlayer->IsPlaying();
}

// Queues a click or a key for the window as the window system would: it is
// delivered by the event loop that runs next, unless that loop holds input.
void QueueClick(QWindow* window, QPointF at) {
    const QPointF global = window->mapToGlobal(at.toPoint());
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, at, global, Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, at, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
}

void QueueKey(QWindow* window, char key) {
    const int code = key == '\r' ? Qt::Key_Return : key == '\x1b' ? Qt::Key_Escape : key == ' ' ? Qt::Key_Space
                                                                                                 : Qt::Key_A + (key - 'a');
    const QString text = QString(QChar(key));
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(window, QEvent::KeyPress, code,
                                                                                        Qt::NoModifier, text);
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(window, QEvent::KeyRelease,
                                                                                        code, Qt::NoModifier, text);
}

} // namespace

int main(int argc, char** argv) {
    const int steps = argc > 1 ? std::atoi(argv[1]) : 10000;
    const unsigned seed = argc > 2 ? unsigned(std::atoi(argv[2])) : 1u;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qgetenv("SDL_AUDIODRIVER").isEmpty()) qputenv("SDL_AUDIODRIVER", "dummy");
    TApplication app(argc, argv);

    const std::string disc = tavtest::FixtureDiscFolder();
    if (disc.empty()) {
        std::fprintf(stderr, "soak: no fixture disc (build fixture_disc)\n");
        return 2;
    }
    tavtest::TempFolder program, data;
    tavtest::CopyFolder(disc + "/PC", program.Path() + "/PC");
    tavtest::WriteFile(program.File("sconfig.txt"), "[Defaults]\r\nRecords=0\r\nFast=1\r\n");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
    SetContentAsker([&] { return disc; });
    TForm_Main::LanguageFromSystem = [] { return 2; };
    RegisterScreens();
    int messages = 0, dialogs = 0, restarts = 0;
    SetMessagePresenter([&](const TMessage& m) {
        ++messages;
        if (messages <= 20) std::printf("  message: %s\n", m.Text.c_str());
        return m.Buttons == TMsgButtons::AbortIgnore ? TModalResult::Ignore : TModalResult::OK;
    });
    bool terminated = false;
    TForm_Main::Terminate = [&] { terminated = true; };
    // Qt's own modal dialogs would wait for a person.
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++dialogs;
            d->reject();
        }
    });
    dismiss.start(200);

    std::thread watchdog([&] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            if (currentStep < 0) return;
            if (NowMs() - lastProgress > 30000) {
                std::fprintf(stderr, "soak: watchdog: step %d (%s) did not end in 30 s\n", currentStep.load(),
                             currentAction.load());
                std::abort();
            }
        }
    });

    std::mt19937 rng(seed);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    std::unique_ptr<TForm_Main> main;
    int shownState = 0;
    auto start = [&] {
        terminated = false;
        main = std::make_unique<TForm_Main>(std::vector<std::string>{}, program.Path());
        QObject::connect(main.get(), &TForm_Main::ScreenChanged, [&](int s) { shownState = s; });
        main->show();
        tavtest::WaitUntil([&] { return main->CurrentScreen() != nullptr; }, 10000);
    };
    Progress(0, "start-up");
    start();
    // Input while media runs: checked every 15-80 ms (the timer also fires
    // inside the local loops of waiting plays and of handlers that let
    // queued messages run); about one check in three queues a click or key,
    // one per step at most. (More would be a learner clicking faster than
    // the cue sounds end: offscreen input carries no time stamps FlushInput
    // could drop it by, so each click would answer, play its cue with wait
    // and queue the next, and the step would never end.)
    static const char keysToPress[] = "aeiouzq \r\x1b";
    int playClicks = 0, playKeys = 0;
    bool queuedThisStep = false;
    // Its own generator: how often it fires depends on timing, and the
    // steps' sequence stays the seed's.
    std::mt19937 inputRng(seed + 1);
    auto pickInput = [&](int n) { return int(inputRng() % unsigned(n)); };
    QTimer duringPlay;
    duringPlay.setSingleShot(true);
    QObject::connect(&duringPlay, &QTimer::timeout, [&] {
        duringPlay.start(15 + pickInput(66));
        if (queuedThisStep || !main || !main->isVisible() || !main->windowHandle() || !MediaPlaying() ||
            pickInput(3) != 0)
            return;
        queuedThisStep = true;
        const bool onStartMenu = shownState == stStartMenu || shownState == stMultiMenu;
        if (pickInput(4) != 0) {
            const QSize size = main->size();
            QPoint at(pickInput(size.width()), pickInput(size.height()));
            // The start menus' Back corner (scaled scene: the left bottom).
            while (onStartMenu && at.x() < size.width() / 20 && at.y() > size.height() * 555 / 600)
                at = QPoint(pickInput(size.width()), pickInput(size.height()));
            QueueClick(main->windowHandle(), at);
            ++playClicks;
        } else {
            char key = keysToPress[pickInput(int(sizeof keysToPress) - 1)];
            if (onStartMenu && key == '\x1b') key = ' ';
            QueueKey(main->windowHandle(), key);
            ++playKeys;
        }
    });
    duringPlay.start(50);
    // Caches (pictures, fonts, the pool's parts, allocator arenas of the
    // threads) fill over the first thousands of steps: with seed 303 the quiet
    // figures rise 7 MB from step 1000 to 2000 and stay within 1.5 MB of that
    // to step 10,000.
    const int warmUp = std::max(std::min(std::max(steps / 5, 1000), steps / 2), 1);
    TQuietMemory warm;
    int fdWarm = 0, threadsWarm = 0, changes = 0, clicks = 0, keys = 0;
    TOpenFiles filesWarm;
    const std::vector<std::string> mediaFolders = {disc, program.Path()};
    const long rssStart = ResidentKb();
    for (int step = 1; step <= steps; ++step) {
        if (terminated || !main->CurrentScreen() || !main->isVisible()) {
            Progress(step, "restart");
            main.reset();
            tavtest::Pump(20);
            ++restarts;
            start();
        }
        queuedThisStep = false;
        TScreen* screen = main->CurrentScreen();
        // Back and Escape on the start menus end the program; the soak is one
        // long session, so its clicks and keys go elsewhere there.
        const bool onStartMenu = shownState == stStartMenu || shownState == stMultiMenu;
        const int what = pick(100);
        if (what < 20 || !screen) {
            Progress(step, "screen change");
            main->PostStateChange(2 + pick(kLastState - 1), pick(5));
            ++changes;
        } else if (what < 90) {
            Progress(step, "click");
            QPoint at(pick(800), pick(600));
            while (onStartMenu && at.x() < 40 && at.y() > 555) at = QPoint(pick(800), pick(600));
            QWidget* w = screen->childAt(at);
            if (!w) w = screen;
            QTest::mouseClick(w, Qt::LeftButton, {}, w->mapFrom(screen, at));
            ++clicks;
        } else {
            Progress(step, "key");
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : screen;
            char key = keysToPress[pick(int(sizeof keysToPress) - 1)];
            if (onStartMenu && key == '\x1b') key = ' ';
            QTest::keyClick(target, key);
            ++keys;
        }
        tavtest::Pump(10 + pick(60));
        if (step == warmUp) {
            Progress(step, "warm-up main menu");
            warm = QuietMemory(*main);
            fdWarm = CountEntries("/proc/self/fd");
            filesWarm = OpenFiles(mediaFolders);
            threadsWarm = CountEntries("/proc/self/task");
        }
        if (step % 1000 == 0 || step == steps)
            std::printf("step %d: rss %ld kB, %d fds, %d threads, %d changes, %d messages, %d restarts\n", step,
                        ResidentKb(), CountEntries("/proc/self/fd"), CountEntries("/proc/self/task"), changes,
                        messages, restarts);
        // Between warm-up and end, the quiet figures every 1000 steps: a leak
        // climbs step after step, a cache filling levels off.
        if (step % 1000 == 0 && step > warmUp && step < steps) {
            Progress(step, "checkpoint main menu");
            const TQuietMemory now = QuietMemory(*main);
            std::printf("step %d quiet: rss %ld kB, anonymous %ld kB, heap in use %ld kB\n", step, now.Resident,
                        now.Anonymous, now.Heap);
        }
        std::fflush(stdout);
    }
    Progress(steps, "final main menu");
    const TQuietMemory end = QuietMemory(*main);
    const int fdEnd = CountEntries("/proc/self/fd"), threadsEnd = CountEntries("/proc/self/task");
    // A leak shows as more other files than at warm-up, or as a media file
    // open twice (opened again without being closed).
    const TOpenFiles filesEnd = OpenFiles(mediaFolders);
    bool filesLeaked = filesEnd.Other.size() > filesWarm.Other.size();
    for (const std::string& f : filesEnd.Other)
        if (!filesWarm.Other.count(f)) std::printf("soak: opened since the warm-up: %s\n", f.c_str());
    for (const std::string& f : filesEnd.Media)
        if (filesEnd.Media.count(f) > 1) {
            std::printf("soak: open %zu times: %s\n", filesEnd.Media.count(f), f.c_str());
            filesLeaked = true;
        }
    duringPlay.stop();
    std::printf("soak: %d steps (%d screen changes, %d clicks, %d keys), %d messages, %d dialogs dismissed, %d restarts\n",
                steps, changes, clicks, keys, messages, dialogs, restarts);
    std::printf("soak: queued while a play or sound ran: %d clicks, %d keys\n", playClicks, playKeys);
    std::printf("soak: rss start %ld kB, after warm-up (step %d) %ld kB, end %ld kB: growth %+ld kB\n", rssStart, warmUp,
                warm.Resident, end.Resident, end.Resident - warm.Resident);
    std::printf("soak: anonymous %ld -> %ld kB (%+ld kB), heap in use %ld -> %ld kB (%+ld kB)\n", warm.Anonymous,
                end.Anonymous, end.Anonymous - warm.Anonymous, warm.Heap, end.Heap, end.Heap - warm.Heap);
    std::printf("soak: fds %d -> %d (media files of the disc %zu -> %zu), threads %d -> %d\n", fdWarm, fdEnd,
                filesWarm.Media.size(), filesEnd.Media.size(), threadsWarm, threadsEnd);
    currentStep = -1;
    watchdog.join();
    main.reset();
    tavtest::UnregisterScreens();
    ClipPoolLink() = TClipPoolLink{};
    // Under AddressSanitizer freed memory waits in its quarantine (up to
    // 256 MB), so resident memory says nothing about leaks there.
    // Each film part or sound the pool keeps open has its player's thread.
    const int mediaMore = std::max(0, int(filesEnd.Media.size()) - int(filesWarm.Media.size()));
    const bool grew = (!tavtest::kSanitized && end.Resident - warm.Resident > 5 * 1024) || filesLeaked ||
                      threadsEnd > threadsWarm + mediaMore;
    std::printf("soak: %s\n", grew ? "GREW" : "steady");
    return grew ? 1 : 0;
}
