// Random interleavings on the activity screens: clicks, keys, drags, hints,
// Play, Back, the help picture, clock ticks, the ends of lines and sounds and
// deletions of the screen (a screen change from elsewhere) in random order,
// also at the moments the media let queued messages run (when a play starts,
// inside a waiting sound or line). After every step the rules are checked:
// - a score changes only by what one answer may give (+5, -2 down to 0; on
//   spelling +1 a letter, the word's rest up to 10, -1 by the typed or
//   dropped rule), and a question is answered right at most once;
// - in a test the stopwatch runs whenever the learner may answer;
// - at the end of each sequence the screen is not stuck: once its plays end
//   and its timers run it takes answers, or has ended or gone;
// - no system error; a deleted screen is never used (its memory is
//   poisoned, so a use crashes at once).
// A failure names the seed of its sequence. TAVOLIN_INTERLEAVINGS sets how
// many sequences a screen gets (default 10000).
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPointer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <sstream>

#include <unistd.h>

#include "ActivityFixture.h"
#include "activities/Missing.h"
#include "activities/NextLine.h"
#include "activities/Spelling.h"
#include "content/UnicodeText.h"
#include "activities/SpellingTiles.h"
#include "activities/Vocab.h"
#include "components/HelpOverlay.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/Timer.h"

using namespace tav;
using namespace tavtest;

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define TAV_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAV_ADDRESS_SANITIZER 1
#endif
#endif

// A screen whose memory is poisoned, not freed, when it is deleted: a use
// after the deletion reads garbage and crashes at once (under the address
// sanitizer the memory is freed and the sanitizer reports the use).
template <class T>
struct Probe final : T {
    using T::T;
#ifndef TAV_ADDRESS_SANITIZER
    static void operator delete(void* p, std::size_t n) { std::memset(p, 0xA5, n); }
#endif
};

// Reaches the screens' own rule for taking answers.
struct DrillAccess : TForm_Drill {
    using TForm_Drill::AcceptsAnswers;
};

bool TakesAnswers(const TForm_Drill* s) { return (s->*(&DrillAccess::AcceptsAnswers))(); }

// The sequence running now, named if the process crashes (a deleted screen used).
char g_running[160] = "";

extern "C" void NameCrashedSequence(int signal) {
    const char* head = "\ncrashed in interleaving ";
    (void)!write(2, head, std::strlen(head));
    (void)!write(2, g_running, std::strlen(g_running));
    (void)!write(2, "\n", 1);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

int Interleavings() {
    if (const char* v = std::getenv("TAVOLIN_INTERLEAVINGS")) {
        const int n = std::atoi(v);
        if (n > 0) return n;
    }
#ifdef TAV_ADDRESS_SANITIZER
    return 1000; // the sanitizer makes every step many times slower
#else
    return 10000;
#endif
}

// The media fake of the screens, posting like the clip pool; at the moments
// the pool lets queued messages run it hands control to the test.
struct InterleavedMedia : FakeMedia {
    // input: queued input may run too (the start of a film play).
    std::function<void(bool input)> moment;
    QPointer<QObject> word; // the sound that reports its end (vocabulary)
    void PlayFilm(int from, int to, bool wait, QObject* notify) override {
        const QPointer<QObject> caller(notify);
        if (moment) moment(true);
        // Like the pool: a caller gone meanwhile gets no play.
        if (notify && !caller) return;
        if (wait && moment) moment(false);
        FakeMedia::PlayFilm(from, to, wait, caller);
    }
    void PlaySound(const std::string& path, bool wait) override {
        FakeMedia::PlaySound(path, false);
        if (!wait) return;
        if (moment) moment(false);
        QEventLoop loop;
        loop.processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    void PlayNotifiedSound(const std::string& path, QObject* notify) override {
        CutOff();
        FakeMedia::PlaySound(path, false);
        word = notify;
    }
    void CloseSounds() override { CutOff(); }
    void CutOff() {
        if (word) PostMessage(word, MM_MCINOTIFY, MCI_NOTIFY_ABORTED, 0);
        word = nullptr;
    }
    void WordEnds() {
        if (word) PostMessage(word, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
        word = nullptr;
    }
};

// Swallows the screen changes the screens post: the test stands in for
// the navigation and deletes a screen that has left.
class StateChangeSink : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override {
        const TMessageEvent* m = AsMessage(e, WM_USER);
        return m && m->WParam() != 0;
    }
};

enum class TFamily { Missing, NextLine, Vocab, Spelling };

class Interleaving : public ActivityScreensFixture {
protected:
    InterleavedMedia im;
    StateChangeSink sink;
    std::unique_ptr<QWidget> host;
    QPointer<TForm_Drill> screen;
    TFamily family = TFamily::Missing;
    bool test = false;
    std::mt19937 rng;
    uint32_t seed = 0;
    int depth = 0;
    bool inTimers = false;
    std::vector<std::string> errors;
    // What the last check saw.
    int lastScore = 0, lastAttempts = 0, lastRight = 0, lastQuestion = 0;
    uint32_t lastWord = 0;
    int lastLettersLeft = 0, lastWordLength = 0;
    std::map<int, int> rightsPerQuestion;
    int screensMade = 0;
    int64_t makingMs = 0;

    void SetUp() override {
        ActivityScreensFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        SetActivityMedia(&im);
        im.moment = [this](bool input) { Moment(input); };
    }
    void TearDown() override {
        SetRandomizeSeeds(nullptr);
        im.moment = nullptr;
        if (screen) delete screen.data();
        host.reset();
        SetExceptionHandler(nullptr);
        if (main) main->removeEventFilter(&sink);
        ActivityScreensFixture::TearDown();
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool Chance(int percent) { return Pick(100) < percent; }
    std::vector<std::string> trace; // the steps of the sequence so far
    std::string Where() const {
        std::ostringstream out;
        out << "seed " << seed << " [";
        for (const std::string& t : trace) out << " " << t;
        out << " ]";
        return out.str();
    }

    TForm_Drill* Make() {
        switch (family) {
        case TFamily::Missing:
            if (test) return new Probe<TForm_MissingTest>(*main, host.get());
            return new Probe<TForm_MissingPrac>(*main, host.get());
        case TFamily::NextLine:
            if (test) return new Probe<TForm_NextLineTest>(*main, host.get());
            return new Probe<TForm_NextLinePrac>(*main, host.get());
        case TFamily::Vocab:
            if (test) return new Probe<TForm_VocabTest>(*main, host.get());
            return new Probe<TForm_VocabPrac>(*main, host.get());
        case TFamily::Spelling:
            if (test) return new Probe<TForm_SpellingTest>(*main, host.get());
            return new Probe<TForm_SpellingPrac>(*main, host.get());
        }
        return nullptr;
    }
    bool Accepting() const {
        if (!screen || !TakesAnswers(screen.data())) return false;
        if (family == TFamily::NextLine) return !static_cast<TForm_NextLine*>(screen.data())->Panel_Bars->isHidden();
        if (family == TFamily::Spelling) return static_cast<TForm_Spelling*>(screen.data())->QuestionActive;
        return true;
    }

    void NewScreen() {
        QElapsedTimer made;
        made.start();
        if (screen) delete screen.data();
        rightsPerQuestion.clear();
        ++screensMade;
        screen = Make();
        makingMs += made.elapsed();
        Remember();
        screen->ScreenReady();
        Check("start");
    }
    void Remember() {
        if (!screen) return;
        lastScore = screen->Score;
        lastAttempts = screen->Attempts;
        lastRight = screen->RightAnswers;
        lastQuestion = screen->QuestionNumber;
        if (auto* sp = dynamic_cast<TForm_Spelling*>(screen.data())) {
            lastWord = sp->WordSerial;
            lastLettersLeft = sp->LettersLeft;
            lastWordLength = sp->WordLength;
        }
    }

    // The rules that hold after every step.
    void Check(const char* step) {
        if (!errors.empty()) {
            ADD_FAILURE() << Where() << ": system error after " << step << ": " << errors.front();
            errors.clear();
        }
        if (!screen) return;
        TForm_Drill* s = screen.data();
        const int question = family == TFamily::Spelling || test ? lastQuestion : 0;
        if (test) {
            const int old = lastScore, now = s->Score;
            if (now != old) {
                bool allowed = false;
                if (family == TFamily::Spelling) {
                    auto* sp = static_cast<TForm_Spelling*>(s);
                    const bool sameWord = sp->WordSerial == lastWord;
                    const int completed = 11 - lastWordLength; // the last letter: +1, then the rest of 10
                    allowed = now == old + 1 || (old > 0 && now == old - 1) || (old < 5 && now == 0) ||
                              (sameWord && lastLettersLeft <= 1 && sp->LettersLeft == 0 && now == old + completed);
                    if (now > old) ++rightsPerQuestion[int(lastWord)];
                    if (rightsPerQuestion[int(lastWord)] > lastWordLength && lastWordLength > 0)
                        ADD_FAILURE() << Where() << ": more points than letters in a word after " << step;
                } else {
                    allowed = now == old + 5 || now == (old > 1 ? old - 2 : 0);
                    if (now == old + 5 && ++rightsPerQuestion[question] > 1)
                        ADD_FAILURE() << Where() << ": question " << question << " answered right twice after "
                                      << step;
                }
                if (!allowed)
                    ADD_FAILURE() << Where() << ": score went from " << old << " to " << now << " after " << step;
            }
            if (s->Score < 0) ADD_FAILURE() << Where() << ": negative score";
            if ((s->Finishing || s->LeavingScreen()) && s->Timer_LED.Enabled())
                ADD_FAILURE() << Where() << ": the stopwatch runs after the test has ended, after " << step;
        } else {
            const int attempts = s->Attempts - lastAttempts, right = s->RightAnswers - lastRight;
            if (attempts < 0 || attempts > 1 || right < 0 || right > attempts)
                ADD_FAILURE() << Where() << ": attempts +" << attempts << ", right +" << right << " after " << step;
            if (s->Attempts > 0 && s->Percent != s->RightAnswers * 100 / s->Attempts)
                ADD_FAILURE() << Where() << ": percentage " << s->Percent << " after " << step;
        }
        Remember();
    }
    // At the top level: in a test the clock runs whenever an answer may come.
    void CheckClock(const char* step) {
        if (!screen || !test || depth > 0) return;
        TForm_Drill* s = screen.data();
        if (!Accepting() || s->Help->HelpVisible()) return;
        if (!s->PlayOpen() && !s->Timer_LED.Enabled())
            ADD_FAILURE() << Where() << ": the learner may answer but the stopwatch stands still after " << step
                          << " (question " << s->QuestionNumber << ")";
    }

    // Posted messages for the screen and its plays, as the event loop
    // delivers them once the running handler has returned.
    void DeliverAll() {
        if (screen) Deliver(screen.data());
    }
    void Advance(int ms) {
        if (inTimers) return;
        inTimers = true;
        TTimer::AdvanceTimers(ms);
        inTimers = false;
    }
    void PlayEnds() {
        if (family == TFamily::Vocab) im.WordEnds();
        else im.EndFilm();
    }
    void SorryClick() {
        if (!screen) return;
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(10, 10), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(screen->Panel_Background, &press);
    }

    void Answer() {
        TForm_Drill* s = screen.data();
        switch (family) {
        case TFamily::Missing: {
            auto* m = static_cast<TForm_Missing*>(s);
            const int k = Chance(40) ? m->CorrectSlot : Pick(TForm_Missing::kChoices) + 1;
            m->Image1Click(k < 1 ? 1 : k);
            break;
        }
        case TFamily::NextLine: {
            auto* n = static_cast<TForm_NextLine*>(s);
            const int k = Chance(40) ? n->CorrectSlot : Pick(TForm_NextLine::kBars) + 1;
            n->fcLabel_Bar1Click(k < 1 ? 1 : k);
            break;
        }
        case TFamily::Vocab: {
            auto* v = static_cast<TForm_Vocab*>(s);
            const int k = Chance(40) ? v->CorrectSlot : Pick(kVocabChoices) + 1;
            v->Image1Click(k < 1 ? 1 : k);
            break;
        }
        case TFamily::Spelling: SpellingAnswer(static_cast<TForm_Spelling*>(s)); break;
        }
    }
    void SpellingAnswer(TForm_Spelling* s) {
        const int f = s->FirstOpenLetter();
        if (Chance(50)) {
            // A key: mostly the next letter, else a tile's letter or a key no tile carries.
            std::string c(1, "7#Q"[Pick(3)]);
            if (f >= 0 && Chance(60)) c = s->RemainingWord[size_t(f)];
            else if (Chance(60)) c = s->TileLetters[size_t(Pick(kSpellTiles) + 1)];
            s->KeyPressed(c);
            return;
        }
        // A drag from a random tile to a slot (often the right one) or beside the slots.
        const int tile = Pick(kSpellTiles) + 1;
        QPointer<TForm_Spelling> alive(s);
        s->Image_Tile1StartDrag(tile, QPoint(20, 30));
        if (!alive || s->DragTile == 0) return;
        QPoint to(20, 240); // beside the slots
        if (s->WordLength > 0 && Chance(80)) {
            int slot = Pick(s->WordLength) + 1;
            const std::string letter = s->TileLetters[size_t(tile)];
            for (int i = 1; i <= s->WordLength && Chance(70); ++i)
                if (s->RemainingWord[size_t(i - 1)] == letter) slot = i;
            to = s->Slots[size_t(slot)]->geometry().center();
        }
        // The release goes the real way: the drag takes it wherever it lands.
        const QPointF global = s->Panel_Bottom->mapToGlobal(QPointF(to));
        QMouseEvent move(QEvent::MouseMove, QPointF(to), global, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(s->Panel_Bottom, &move);
        if (!alive) return;
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(to), global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(s->Panel_Bottom, &release);
    }
    void Hint() {
        if (test) return;
        switch (family) {
        case TFamily::Missing: static_cast<TForm_MissingPrac*>(screen.data())->EButton_HintClick(); break;
        case TFamily::NextLine: static_cast<TForm_NextLinePrac*>(screen.data())->EButton_HintClick(); break;
        case TFamily::Vocab: static_cast<TForm_VocabPrac*>(screen.data())->EButton_HintClick(); break;
        case TFamily::Spelling: static_cast<TForm_SpellingPrac*>(screen.data())->EButton_HintClick(); break;
        }
    }
    void Back() {
        if (family == TFamily::Spelling) {
            if (test) static_cast<TForm_SpellingTest*>(screen.data())->EButton_BackClick();
            else static_cast<TForm_SpellingPrac*>(screen.data())->EButton_BackClick();
            return;
        }
        screen->EButton_BackClick();
    }

    // One step of the learner, the clock or the media. `input`: the learner's
    // own actions may come now.
    void Step(bool input, const char*& name) {
        if (!screen) return;
        const int r = Pick(100);
        if (input && r < 30) {
            name = "answer";
            Answer();
        } else if (input && r < 34) {
            name = "hint";
            Hint();
        } else if (input && r < 38) {
            name = "play";
            screen->EButton_PlayClick();
        } else if (input && r < 40 && Chance(depth > 0 ? 60 : 40)) {
            name = "back";
            Back();
        } else if (input && r < 44) {
            name = "help";
            if (screen->Help->HelpVisible()) screen->Help->HideHelp();
            else screen->Help->ShowHelp();
        } else if (input && r < 48) {
            name = "click";
            SorryClick();
        } else if (r < 60) {
            name = "tick";
            static const int kSteps[] = {50, 100, 400, 1000, 2500, 6000};
            Advance(kSteps[Pick(6)]);
        } else if (r < 75) {
            name = "end";
            PlayEnds();
        } else if (r < 92) {
            name = "deliver";
            DeliverAll();
        } else if (r < 94) {
            name = "stray";
            PostMessage(screen.data(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
        } else if (r < 96 && depth > 0) {
            name = "screen change";
            delete screen.data();
        } else {
            name = "deliver";
            DeliverAll();
        }
    }
    // The media let queued messages run: now and then something happens.
    void Moment(bool input) {
        if (depth > 0 || !screen || !Chance(25)) return;
        ++depth;
        Check("(before a queued message)");
        const char* name = "nothing";
        Step(input, name);
        trace.push_back(std::string("(") + name + ")");
        Check(name);
        --depth;
    }

    // After a sequence: the plays end, messages arrive, the clock runs out:
    // the screen then takes answers, or has ended or left.
    void Settle() {
        for (int round = 0; round < 6 && screen; ++round) {
            if (screen->LeavingScreen()) return;
            if (Accepting() || screen->NoQuestion) return;
            PlayEnds();
            DeliverAll();
            if (!screen) return;
            if (screen->SorryShown) SorryClick();
            DeliverAll();
            Check("settling");
            if (!screen || Accepting()) return;
            Advance(1100); // also the second before the next missing-word question
            Check("settling");
            if (screen && screen->Finishing) Advance(2000);
            Check("settling");
        }
        if (screen && !screen->LeavingScreen() && !Accepting() && !screen->NoQuestion)
            ADD_FAILURE() << Where() << ": the screen stands still (question " << screen->QuestionNumber
                          << ", score " << screen->Score << ", finishing " << screen->Finishing << ", sorry "
                          << screen->SorryShown << ", play open " << screen->PlayOpen() << ", film playing "
                          << im.playing << ", clock " << screen->Timer_LED.Enabled() << ", next "
                          << (family == TFamily::Missing &&
                              static_cast<TForm_Missing*>(screen.data())->Timer_NextQuestion.Enabled())
                          << ")";
    }

    void Run(TFamily which, bool isTest) {
        family = which;
        test = isTest;
        Start();
        ASSERT_NE(main, nullptr);
        main->installEventFilter(&sink);
#ifndef TAV_ADDRESS_SANITIZER // the sanitizer names the fault itself
        std::signal(SIGSEGV, NameCrashedSequence);
        std::signal(SIGBUS, NameCrashedSequence);
#endif
        SetExceptionHandler([this](std::exception_ptr e) { errors.push_back(ExceptionText(e)); });
        TTimer::SetManualTimers(true);
        host = std::make_unique<QWidget>();
        host->resize(800, 600);
        const int total = Interleavings();
        for (int n = 0; n < total; ++n) {
            seed = 1000003u * uint32_t(n + 1) + uint32_t(which) * 7 + (isTest ? 1 : 0);
            rng.seed(seed);
            // The screens' own draws follow the seed too, so a seed replays the run.
            SetRandomizeSeeds([s = seed]() mutable { return s = s * 1664525u + 1013904223u; });
            trace.clear();
            std::snprintf(g_running, sizeof g_running, "%s seed %u", ::testing::UnitTest::GetInstance()->current_test_info()->name(), seed);
            // A screen that has left is deleted as navigation would; a new visit starts.
            if (!screen || screen->LeavingScreen()) NewScreen();
            if (!screen) continue;
            const int steps = 4 + Pick(12);
            for (int i = 0; i < steps && screen; ++i) {
                const char* name = "nothing";
                trace.push_back("");
                const size_t at = trace.size() - 1;
                Step(true, name);
                trace[at] = name;
                Check(name);
                if (!screen) break;
                CheckClock(name);
                if (screen->LeavingScreen()) break;
            }
            Settle();
            if (HasFailure()) {
                ADD_FAILURE() << "first failing sequence: " << Where();
                return;
            }
        }
#ifndef TAV_ADDRESS_SANITIZER
        std::signal(SIGSEGV, SIG_DFL);
        std::signal(SIGBUS, SIG_DFL);
#endif
        RecordProperty("screens", screensMade);
        RecordProperty("creation_ms", int(makingMs));
    }
};

} // namespace

TEST_F(Interleaving, MissingWordPractice) { Run(TFamily::Missing, false); }
TEST_F(Interleaving, MissingWordTest) { Run(TFamily::Missing, true); }
TEST_F(Interleaving, NextLinePractice) { Run(TFamily::NextLine, false); }
TEST_F(Interleaving, NextLineTest) { Run(TFamily::NextLine, true); }
TEST_F(Interleaving, VocabularyPractice) { Run(TFamily::Vocab, false); }
TEST_F(Interleaving, VocabularyTest) { Run(TFamily::Vocab, true); }
TEST_F(Interleaving, SpellingPractice) { Run(TFamily::Spelling, false); }
TEST_F(Interleaving, SpellingTest) { Run(TFamily::Spelling, true); }
