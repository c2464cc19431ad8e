#pragma once
// Opens the word card for a word of a film line on a screen: finds the word
// at the clicked character (MeCab's words for Japanese, ICU's elsewhere),
// looks it up in the course's dictionary, lists the film's other lines that
// use it, and does what the card's buttons ask: say the word (espeak-ng),
// play a line (through the screen), keep the word in the learner's list.
#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tav {

class TForm_Main;
class TMyWords;
class TWordCard;
class TWordSpeech;
struct TMovieEntry;

// The signed-in learner's words, read and saved through the main window's
// profile calls (profile file, or the classroom manager in remote mode).
std::unique_ptr<TMyWords> LearnerWords(TForm_Main& main);
// True when a learner is signed in and has a profile to keep words in.
bool CanKeepWords(const TForm_Main& main);

class TWordCardHost : public QObject {
    Q_OBJECT
public:
    // The card is a child of screen, drawn over it.
    TWordCardHost(TForm_Main& main, QWidget* screen);
    ~TWordCardHost() override;

    // The card for the word under byte offset `at` of text, the shown form
    // of entry's line (entry may be null), with its foot at anchor (screen
    // coordinates). False, and nothing shown, when no word is there.
    bool OpenFor(const std::string& text, size_t at, const TMovieEntry* entry, const QPoint& anchor);
    bool IsOpen() const;
    void Close();

    TWordCard* Card;
    // Plays a film line: the card's line again, or one of the other lines.
    std::function<void(const TMovieEntry*)> OnPlayLine;
    // The card has closed (Escape, a click elsewhere, its close button).
    std::function<void()> OnClosed;

private:
    void Say();
    void AddToMyWords();

    TForm_Main& main_;
    TWordSpeech* speech_;
    const TMovieEntry* line_ = nullptr;
    std::string lineText_;
    std::vector<const TMovieEntry*> others_;
};

} // namespace tav
