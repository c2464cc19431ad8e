#pragma once
// The spelling activity: a film line with one word replaced by question
// marks, its clip played, and seventeen letter tiles under a row of empty
// slots, one per letter of the word. The learner drags tiles into the slots
// (in any order) or types the letters, which fill the slots from the left.
// A complete word brings applause, the whole line again, and the next word.
// The practice screen counts a percentage and its hint places the next
// letter; the test has ten words, each with 5 seconds per letter on the
// clock, a point per letter and ten for a finished word.
#include <QImage>
#include <QPoint>

#include <array>
#include <string>

#include "activities/Activity.h"
#include "activities/SpellingTiles.h"
#include "content/UnicodeText.h"

namespace tav {

class TTileDrag;

class TForm_Spelling : public TForm_Activity {
    Q_OBJECT
public:
    TForm_Spelling(TForm_Main& main, QWidget* parent, const TActivitySetup& setup);
    ~TForm_Spelling() override;

    // ---- controls
    TPanel* Panel_Bottom;
    TImage* Image_Bottom;
    TImage* Image_Holder;
    TImage* Image_Drag;
    TImage* Image_Lifebelt1;
    std::array<TImage*, kSpellMaxLetters + 1> Slots{}; // [1..9]: Image_Targ1 .. Image_Targ9
    std::array<TImage*, kSpellTiles + 1> Tiles{};      // [1..17]: Image_Tile1 .. Image_Tile17

    // ---- fields
    std::string LastSpeaker;
    std::string SpellLetters;
    QPoint GrabOffset;
    int DropSlot = 0;
    int KeyTile = 0;
    bool LastAnswerRight = false;
    TStringList RemainingWord; // the word's letters (grapheme clusters); a placed one is empty
    std::string Word; // the hidden word, lower case
    int WordLength = 0;
    std::string PictureFolder, SpellFolder, TilePrefix;
    std::array<std::string, kSpellTiles + 1> TileLetters{};
    std::array<QImage, kSpellMaxLetters + 1> SlotPictures;
    std::array<QImage, kSpellTiles + 1> FloaterPictures;
    int LettersLeft = 0;
    bool QuestionActive = false;
    bool Leaving = false;
    int DragTile = 0; // the tile being dragged, 0 = none
    uint32_t WordSerial = 0; // counts the words built; a completion names its word

    void StartActivity() override;
    void NextQuestion() override;
    void KeyPressed(const std::string& key) override;
    // The first letter still to place (0-based), or -1.
    int FirstOpenLetter() const;

    // The slot (1 .. WordLength) whose rectangle holds the point of
    // Panel_Bottom, 0 = none.
    int TargetAt(int x, int y) const;

    // ---- dragging: the tile picks up at the press and drops at the release
    void Image_Tile1StartDrag(int tile, QPoint grab);
    void Image_DragDragOver(QPoint pointer);
    // A drop with the pointer at this point of Panel_Bottom.
    virtual void Image_DragDragDrop(QPoint pointer);
    void Image_Tile1EndDrag();

    void WordCompleted();

    // The messages shown instead of a word when the content falls short.
    static const char* const kNoAlphabetText;
    static const char* const kNoWordText;

protected:
    void MessageReceived(int message, intptr_t wParam, intptr_t lParam) override;
    // The family's drop and key: feedback, slots and letters left. False
    // when the screen was deleted while the feedback sound played.
    bool DropFeedback(QPoint pointer);
    bool KeyFeedback(const std::string& key);
    // Fills slot `slot` with its letter (hidden tiles stay hidden).
    void PlaceLetter(int slot);
    // The last letter is placed: applause (unless `quiet`) and the full line.
    void CompleteWord(bool quiet = false);
    bool Dragging() const { return DragTile != 0; }

private:
    void ShowShortage(const std::string& why);

    TTileDrag* drag_;
    uint32_t wordReplayed_ = 0; // the last word whose completion was taken
    std::string setupError_; // the spelling table could not be read
};

class TForm_SpellingPrac : public TForm_Spelling {
    Q_OBJECT
public:
    TForm_SpellingPrac(TForm_Main& main, QWidget* parent);
    void Image_DragDragDrop(QPoint pointer) override;
    void KeyPressed(const std::string& key) override;
    void EButton_HintClick();
    void EButton_BackClick();
};

class TForm_SpellingTest : public TForm_Spelling {
    Q_OBJECT
public:
    TForm_SpellingTest(TForm_Main& main, QWidget* parent);
    void NextQuestion() override;
    void Image_DragDragDrop(QPoint pointer) override;
    void KeyPressed(const std::string& key) override;
    void EButton_BackClick();

private:
    // Scores a placed or refused letter; `typed` for the keyboard's rule.
    void ScoreLetter(bool typed);
};

} // namespace tav
