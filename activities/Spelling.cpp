#include "activities/Spelling.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>

#include "activities/ActivityMedia.h"
#include "activities/MissingWords.h"
#include "app/Main.h"
#include "components/ZrButton.h"
#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "components/HelpOverlay.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/PictureLoader.h"
#include "toolkit/Skin.h"
#include "toolkit/ScaledScene.h"

namespace tav {

namespace {

constexpr int WM_WORDCOMPLETED = WM_USER + 1;
constexpr int kTestWords = 10;
constexpr int kMsPerLetter = 5000;

const QPoint kTilePlaces[kSpellTiles + 1] = {
    {},         {29, 91},   {108, 95},  {185, 98},  {268, 91},  {351, 93},  {435, 94},
    {521, 100}, {601, 95},  {681, 102}, {62, 164},  {136, 184}, {223, 173}, {307, 162},
    {429, 163}, {499, 188}, {573, 174}, {649, 177},
};

TActivitySetup PracticeSetup() { return {.Test = false, .Slot = 4, .HelpPicture = "\\SplPHelp.jpg"}; }
TActivitySetup TestSetup() {
    return {.Test = true, .Slot = 4, .Questions = kTestWords, .TimeLimitMs = kMsPerLetter, .HelpPicture = "\\SplTHelp.jpg"};
}

} // namespace

// While a tile is dragged every move and the release reach the drag,
// wherever the pointer is (also over other controls or outside the tile
// area): an application-wide filter needs no pointer grab from the window
// system, which some platforms refuse.
class TTileDrag : public QObject {
public:
    explicit TTileDrag(TForm_Spelling& screen) : QObject(&screen), screen_(screen) {}
    ~TTileDrag() override { Stop(); }

    void Start() {
        if (active_) return;
        active_ = true;
        qApp->installEventFilter(this);
        QGuiApplication::setOverrideCursor(Qt::ClosedHandCursor);
    }
    void Stop() {
        if (!active_) return;
        active_ = false;
        qApp->removeEventFilter(this);
        QGuiApplication::restoreOverrideCursor();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Taken where they first arrive, normally the window: once the
        // pressed tile is hidden the window would pass them to no widget.
        if (!watched->isWindowType() && !watched->isWidgetType()) return false;
        switch (event->type()) {
        case QEvent::MouseMove:
            screen_.Image_DragDragOver(Pointer(static_cast<QMouseEvent*>(event)));
            return true;
        case QEvent::MouseButtonRelease: {
            const auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton) return true;
            const QPoint at = Pointer(e);
            Stop();
            // The drop's feedback sound runs queued messages: a screen
            // change among them may delete the screen (and this filter).
            TForm_Spelling* screen = &screen_;
            RunGuarded([screen, at] {
                const QPointer<TForm_Spelling> alive(screen);
                screen->Image_DragDragDrop(at);
                if (alive) screen->Image_Tile1EndDrag();
            });
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true; // other buttons change nothing during a drag
        default:
            return false;
        }
    }

private:
    QPoint Pointer(const QMouseEvent* e) const {
        return MapFromGlobal(screen_.Panel_Bottom, e->globalPosition());
    }
    TForm_Spelling& screen_;
    bool active_ = false;
};

const char* const TForm_Spelling::kNoAlphabetText =
    "The spelling table gives this language no alphabet of 17 letters.";
const char* const TForm_Spelling::kNoWordText = "This film has no line with a word that can be spelled.";

TForm_Spelling::TForm_Spelling(TForm_Main& main, QWidget* parent, const TActivitySetup& setup)
    : TForm_Activity(main, parent, setup) {
    fcLabel_Caption->setGeometry(34, 308, 734, 30);
    fcLabel_Caption->SetLabelFont(PixelFont("Arial", 16));
    fcLabel_Caption->SetAlignment(Qt::AlignCenter);
    EButton_Play->move(EButton_Play->x(), 248);
    EButton_Volume->move(EButton_Volume->x(), 249);
    Panel_Video->move(263, 25);

    Panel_Bottom = new TPanel(Panel_Background);
    Panel_Bottom->setGeometry(0, 340, 800, 260);
    Image_Bottom = new TImage(Panel_Bottom);
    Image_Bottom->setGeometry(0, 0, 800, 260);
    Image_Bottom->SetPicture(skin::Background(skin::TBackground::TileArea, 800, 260));
    Image_Bottom->OnMouseMove = [this](TImage*, Qt::KeyboardModifiers, int, int) { Help->BackgroundMouseMove(); };
    Image_Holder = new TImage(Panel_Bottom);
    Image_Holder->setGeometry(116, 4, 568, 83);
    Image_Holder->SetTransparent(true);
    Image_Holder->hide();
    for (int i = 1; i <= kSpellMaxLetters; ++i) {
        Slots[size_t(i)] = new TImage(Panel_Bottom);
        Slots[size_t(i)]->setGeometry(0, i == 2 ? 5 : 6, 52, 51);
        Slots[size_t(i)]->Tag = i;
        Slots[size_t(i)]->hide();
    }
    for (int t = 1; t <= kSpellTiles; ++t) {
        TImage* tile = new TImage(Panel_Bottom);
        tile->setGeometry(QRect(kTilePlaces[t], QSize(64, 64)));
        tile->Tag = t;
        tile->setCursor(Qt::OpenHandCursor);
        tile->OnMouseMove = [this](TImage*, Qt::KeyboardModifiers, int x, int y) {
            if (QuestionActive && !Dragging()) GrabOffset = {x, y};
        };
        tile->OnMouseDown = [this, t](TImage*, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
            if (button == Qt::LeftButton) RunGuarded([&] { Image_Tile1StartDrag(t, {x, y}); });
        };
        tile->hide();
        Tiles[size_t(t)] = tile;
    }
    Image_Drag = new TImage(Panel_Bottom);
    Image_Drag->setGeometry(0, 0, 64, 64);
    Image_Drag->SetTransparent(true);
    Image_Drag->hide();
    EButton_Back->raise(); // Back stays in its corner over the tile area
    Image_Lifebelt1 = Help->AddLifebelt(Panel_Bottom->mapTo(this, QPoint(741, 207)));
    drag_ = new TTileDrag(*this);

    // The spelling table: its alphabet and the folder of the tile pictures.
    try {
        const TSpellingInfo info = LoadSpellingInfo(main.ContentRoot + "\\spelinfo.txt", main.TargetLanguage);
        SpellLetters = info.Letters;
        SpellFolder = main.ContentRoot + "\\shared\\spell_" + info.FolderSuffix;
        if (info.LineNumber == 0) DebugLog("Spelling: spelinfo.txt has no line for language " + IntToStr(main.TargetLanguage));
    } catch (const std::exception& e) {
        setupError_ = e.what();
    }
    LastSpeaker.clear();
    PictureFolder = main.ProgramFolder + (setup.Test ? "\\pc\\Spell_Test" : "\\pc\\Spell_Prac");
    TilePrefix = SpellFolder + (setup.Test ? "\\TestTile\\TTile" : "\\PracTile\\PTile");
}

TForm_Spelling::~TForm_Spelling() {
    Leaving = true;
    drag_->Stop();
}

void TForm_Spelling::StartActivity() {
    TForm_Activity::StartActivity();
    NextQuestion();
}

void TForm_Spelling::ShowShortage(const std::string& why) {
    Image_Holder->hide();
    for (int i = 1; i <= kSpellMaxLetters; ++i) Slots[size_t(i)]->hide();
    for (int t = 1; t <= kSpellTiles; ++t) Tiles[size_t(t)]->hide();
    ShowNoQuestion(why);
}

void TForm_Spelling::NextQuestion() {
    if (Leaving || LeavingScreen()) return;
    ActivityMedia().CloseSounds();
    Randomize();
    QuestionActive = false;
    NoQuestion = false;
    if (!setupError_.empty()) return ShowShortage(setupError_);
    if (GraphemeCount(SpellLetters) < kSpellTiles) return ShowShortage(kNoAlphabetText);

    bool sameSpeaker = false;
    const std::vector<const TMovieEntry*> suitable = GapLines(
        Main().MovieEntries, LastSpeaker,
        [this](const std::string& text) { return !SpellingCandidates(text, SpellLetters).empty(); },
        &sameSpeaker);
    if (sameSpeaker) DebugLog("Spelling: only lines of " + LastSpeaker + " remain");
    if (suitable.empty()) return ShowShortage(kNoWordText);
    const TMovieEntry* line = suitable[size_t(Random(int(suitable.size())))];
    std::string gapped = line->LineText;
    const std::string word = MakeSpellingGap(gapped, SpellLetters, Random);
    const TTileLetters dealt = DealTiles(word, SpellLetters);
    const TStringList letters = Graphemes(word);
    const int length = int(letters.size());

    // Every picture of the question first: a missing one fails here, with
    // the loader's error, and leaves the screen as it was.
    const QImage holder = LoadPicture(PictureFolder + "\\Holder" + IntToStr(length) + ".jpg");
    const QImage blank = LoadPicture(PictureFolder + "\\Blank.jpg");
    std::array<QImage, kSpellTiles + 1> tilePictures, floaters;
    std::array<QImage, kSpellMaxLetters + 1> filled;
    // A letter the disc has no pictures for (a disc in another script) gets
    // tiles drawn in the skin's style.
    const bool test = Setup().Test;
    auto tileOf = [](const std::string& file, const std::string& letter, skin::TLetterTile kind) {
        return FileExists(file) || letter.empty() ? LoadPicture(file) : skin::LetterTile(ToQString(letter), kind);
    };
    for (int t = 1; t <= kSpellTiles; ++t) {
        const std::string& c = dealt[size_t(t - 1)];
        if (c.empty()) continue; // the alphabet ran out: an empty tile
        tilePictures[size_t(t)] = tileOf(TilePrefix + TileCode(c) + ".jpg", c,
                                         test ? skin::TLetterTile::Test : skin::TLetterTile::Practice);
        floaters[size_t(t)] =
            tileOf(SpellFolder + "\\Floaters\\FTile" + TileCode(c) + ".bmp", c, skin::TLetterTile::Floater);
    }
    for (int i = 1; i <= length; ++i) {
        const std::string& c = letters[size_t(i - 1)];
        filled[size_t(i)] = tileOf(SpellFolder + "\\UpprTile\\UTile" + TileCode(c) + ".jpg", c, skin::TLetterTile::Slot);
    }

    CurrentLine = line;
    LastSpeaker = line->Speaker;
    if (Main().Cheat) DebugLog("Spelling: " + word);
    fcLabel_Caption->SetCaption(gapped);
    Word = word;
    RemainingWord = letters;
    WordLength = LettersLeft = length;

    Image_Holder->hide();
    Image_Holder->SetPicture(holder);
    Image_Holder->resize(holder.size());
    Image_Holder->move((800 - Image_Holder->width()) / 2, 4);
    Image_Holder->show();
    for (int i = 1; i <= kSpellMaxLetters; ++i) {
        TImage* slot = Slots[size_t(i)];
        slot->hide();
        if (i > length) continue;
        slot->move(Image_Holder->x() + 51 + 52 * (i - 1), slot->y());
        slot->SetPicture(blank);
        slot->show();
        SlotPictures[size_t(i)] = filled[size_t(i)];
    }
    for (int t = 1; t <= kSpellTiles; ++t) {
        TileLetters[size_t(t)] = dealt[size_t(t - 1)];
        Tiles[size_t(t)]->SetPicture(tilePictures[size_t(t)]);
        Tiles[size_t(t)]->move(kTilePlaces[t]);
        FloaterPictures[size_t(t)] = floaters[size_t(t)];
        Tiles[size_t(t)]->show();
    }
    Image_Drag->raise();
    repaint();
    ++WordSerial;
    QuestionActive = true;
    // The test's clock: five seconds a letter.
    if (Setup().Test) TimeLimit = kMsPerLetter * WordLength;
    // Completions of earlier plays are told apart by their play's serial
    // number: no queued message has to run before this play starts.
    QuestionBuilt();
    PlayLine(true, false);
}

int TForm_Spelling::TargetAt(int x, int y) const {
    for (int i = 1; i <= WordLength; ++i) {
        const QRect r = Slots[size_t(i)]->geometry();
        if (x >= r.left() && x < r.left() + r.width() && y >= r.top() && y < r.top() + r.height()) return i;
    }
    return 0;
}

// ---- dragging ------------------------------------------------------------------------

void TForm_Spelling::Image_Tile1StartDrag(int tile, QPoint grab) {
    if (!QuestionActive || Dragging() || !AcceptsAnswers() || Tiles[size_t(tile)]->isHidden()) return;
    DragTile = tile;
    GrabOffset = grab;
    Image_Drag->SetPicture(FloaterPictures[size_t(tile)]);
    Image_Drag->move(Tiles[size_t(tile)]->pos());
    Image_Drag->show();
    Image_Drag->raise();
    Tiles[size_t(tile)]->hide();
    drag_->Start();
}

void TForm_Spelling::Image_DragDragOver(QPoint pointer) {
    if (!Dragging()) return;
    // The floating copy follows the pointer with the grab point under it.
    Image_Drag->move(pointer - GrabOffset);
}

void TForm_Spelling::Image_DragDragDrop(QPoint pointer) { (void)DropFeedback(pointer); }

bool TForm_Spelling::DropFeedback(QPoint pointer) {
    DropSlot = Dragging() && QuestionActive ? TargetAt(pointer.x(), pointer.y()) : 0;
    if (DropSlot == 0) return true; // beside the slots: the tile goes back, nothing counts
    const TFeedbackScope feedback(*this);
    StopLine();
    const std::string& wanted = RemainingWord[size_t(DropSlot - 1)];
    if (!wanted.empty() && wanted == TileLetters[size_t(DragTile)]) {
        LastAnswerRight = true;
        PlaceLetter(DropSlot);
        Image_Drag->hide(); // the tile is used up
        --LettersLeft;
        return PlayRightSound();
    }
    // Also a drop on a filled slot.
    LastAnswerRight = false;
    return PlayWrongSound(true);
}

void TForm_Spelling::Image_Tile1EndDrag() {
    if (!Dragging()) return;
    const int tile = DragTile;
    DragTile = 0;
    if (Image_Drag->isVisible()) {
        Tiles[size_t(tile)]->show();
        Image_Drag->hide();
    }
    if (QuestionActive && LettersLeft == 0) CompleteWord();
}

void TForm_Spelling::PlaceLetter(int slot) {
    Slots[size_t(slot)]->SetPicture(SlotPictures[size_t(slot)]);
    RemainingWord[size_t(slot - 1)].clear();
}

// ---- typing --------------------------------------------------------------------------

void TForm_Spelling::KeyPressed(const std::string& key) { (void)KeyFeedback(key); }

int TForm_Spelling::FirstOpenLetter() const {
    for (size_t i = 0; i < RemainingWord.size(); ++i)
        if (!RemainingWord[i].empty()) return int(i);
    return -1;
}

bool TForm_Spelling::KeyFeedback(const std::string& key) {
    KeyTile = 0;
    if (Dragging()) {
        // Escape puts the dragged tile back; other keys wait for the drop.
        if (key == "\x1b") {
            drag_->Stop();
            Image_Tile1EndDrag();
        }
        return true;
    }
    if (!QuestionActive || !AcceptsAnswers()) return true;
    const int f = FirstOpenLetter();
    if (f < 0 || key.empty()) return true;
    int t = 0;
    for (int k = 1; k <= kSpellTiles && t == 0; ++k)
        if (!Tiles[size_t(k)]->isHidden() && TileLetters[size_t(k)] == key) t = k;
    if (t == 0) return true; // no tile carries it: nothing happens, nothing counts
    const TFeedbackScope feedback(*this);
    StopLine();
    KeyTile = t;
    if (RemainingWord[size_t(f)] == key) {
        LastAnswerRight = true;
        Tiles[size_t(t)]->hide();
        PlaceLetter(f + 1);
        const bool complete = --LettersLeft == 0;
        if (!PlayRightSound()) return false;
        if (complete) CompleteWord();
        return true;
    }
    LastAnswerRight = false;
    return PlayWrongSound(true);
}

// ---- the complete word ---------------------------------------------------------------

void TForm_Spelling::CompleteWord(bool quiet) {
    QuestionActive = false;
    if (!quiet && !Main().NtMode)
        PlayCueSound(Main().ProgramFolder + "\\pc\\common\\applause2.aif", false);
    // The word's number goes with the message: only this word's completion
    // may replay its line and bring the next word.
    PostMessage(this, WM_WORDCOMPLETED, WordSerial, 0);
}

void TForm_Spelling::MessageReceived(int message, intptr_t wParam, intptr_t lParam) {
    if (message == WM_WORDCOMPLETED) {
        if (wParam != intptr_t(WordSerial) || wordReplayed_ == WordSerial) return; // an earlier word's
        wordReplayed_ = WordSerial;
        RunGuarded([this] { WordCompleted(); });
        return;
    }
    TForm_Activity::MessageReceived(message, wParam, lParam);
}

void TForm_Spelling::WordCompleted() {
    if (Leaving || LeavingScreen() || QuestionActive || Finishing) return;
    if (CurrentLine) fcLabel_Caption->SetCaption(CurrentLine->LineText);
    repaint();
    const uint32_t word = WordSerial;
    // The whole line again, the screen waiting for its end; the wait runs
    // queued messages, so what it stood on is checked after it.
    if (!PlayLine(false, true)) return; // the screen is gone
    if (Leaving || LeavingScreen() || Finishing || word != WordSerial || QuestionActive) return;
    NextQuestion();
}

// ---- practice ----------------------------------------------------------------------------

TForm_SpellingPrac::TForm_SpellingPrac(TForm_Main& main, QWidget* parent)
    : TForm_Spelling(main, parent, PracticeSetup()) {
    CreatePracticeParts({118, 26}, {119, 246}, {376, 210});
    EButton_Hint->setParent(Panel_Bottom);
    EButton_Hint->move(376, 210);
    EButton_Hint->show();
    EButton_Hint->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_HintClick(); }); };
    EButton_Back->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_BackClick(); }); };
    Image_Drag->raise();
    Help->RaiseAll();
}

void TForm_SpellingPrac::Image_DragDragDrop(QPoint pointer) {
    if (!DropFeedback(pointer)) return; // the screen is gone
    if (DropSlot != 0) CountAttempt(LastAnswerRight);
}

void TForm_SpellingPrac::KeyPressed(const std::string& key) {
    if (!KeyFeedback(key)) return; // the screen is gone
    if (KeyTile != 0) CountAttempt(LastAnswerRight);
}

void TForm_SpellingPrac::EButton_HintClick() {
    if (!QuestionActive || Dragging() || !AcceptsAnswers()) return;
    const int f = FirstOpenLetter();
    if (f < 0) return;
    int t = 0;
    for (int k = 1; k <= kSpellTiles && t == 0; ++k)
        if (!Tiles[size_t(k)]->isHidden() && TileLetters[size_t(k)] == RemainingWord[size_t(f)]) t = k;
    if (t == 0) return;
    PlayWrongSound(false);
    Tiles[size_t(t)]->hide();
    PlaceLetter(f + 1);
    ++Attempts; // a hint counts as a wrong attempt
    ShowPercent(RightAnswers * 100 / Attempts);
    if (--LettersLeft == 0) CompleteWord(true); // no applause for a hinted word
}

void TForm_SpellingPrac::EButton_BackClick() {
    if (Leaving) return;
    Leaving = true;
    QuestionActive = false;
    TForm_Activity::EButton_BackClick();
}

// ---- test ------------------------------------------------------------------------------

TForm_SpellingTest::TForm_SpellingTest(TForm_Main& main, QWidget* parent)
    : TForm_Spelling(main, parent, TestSetup()) {
    CreateTestParts({104, 129}, {107, 185}, {638, 123});
    EButton_Back->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_BackClick(); }); };
    Help->RaiseAll();
}

void TForm_SpellingTest::NextQuestion() {
    if (Leaving) return;
    RunTestQuestion([this] { TForm_Spelling::NextQuestion(); });
}

void TForm_SpellingTest::ScoreLetter(bool typed) {
    Answered = true;
    if (LastAnswerRight) {
        ShowScore(Score + 1);
        if (LettersLeft > 0) ResumeClock();
        else ShowScore(Score - WordLength + 10); // the word is worth 10 in all; the clock stays stopped
        return;
    }
    ResumeClock();
    if (typed) ShowScore(Score > 0 ? Score - 1 : Score);
    else ShowScore(Score >= 5 ? Score - 1 : 0);
}

void TForm_SpellingTest::Image_DragDragDrop(QPoint pointer) {
    if (!Dragging() || !QuestionActive) return;
    if (!BeginTestAnswer()) return; // the tile goes back
    if (!DropFeedback(pointer)) return; // the screen is gone
    if (DropSlot == 0) {
        ResumeClock(); // beside the slots: no answer, the clock as it was
        return;
    }
    ScoreLetter(false);
}

void TForm_SpellingTest::KeyPressed(const std::string& key) {
    if (Dragging() || !QuestionActive) return TForm_Spelling::KeyPressed(key);
    if (!BeginTestAnswer()) return;
    if (!KeyFeedback(key)) return; // the screen is gone
    if (KeyTile == 0) {
        ResumeClock(); // no tile carries the key: no answer, the clock as it was
        return;
    }
    ScoreLetter(true);
}

void TForm_SpellingTest::EButton_BackClick() {
    if (Leaving) return;
    Leaving = true;
    QuestionActive = false;
    TForm_Activity::EButton_BackClick();
}

} // namespace tav
