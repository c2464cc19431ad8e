#pragma once
// The word card: a panel in the skin's style that opens beside a clicked
// word of a film line. It shows the word as spoken, its dictionary form and
// reading, the first senses, the film's other lines that use the word (each
// plays on a click) and three buttons: say the word, hear the line again,
// add the word to the learner's list. Escape, the close button or a click
// anywhere outside it closes it.
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "lookup/WordCardText.h"

namespace tav {

class TZrButton;

class TWordCard : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 420;

    explicit TWordCard(QWidget* parent);
    ~TWordCard() override;

    // Fills the card; otherLines are the texts of the film's other lines.
    // canAdd: the add button is offered (a learner is signed in).
    void SetCard(const TWordCardText& card, const std::vector<std::string>& otherLines, bool canAdd);
    // Shows it with its bottom edge at anchor's y, centred on anchor's x,
    // inside the parent.
    void OpenAt(const QPoint& anchor);
    // Hides it and says so through OnClosed (once per opening).
    void Close();
    // The add button says the word is in the learner's list.
    void MarkAdded();
    // A line at the foot of the card (the add's or the spoken word's outcome).
    void SetStatus(const std::string& message);

    const TWordCardText& Card() const { return card_; }
    int OtherLineAt(const QPoint& at) const; // -1: none

    std::function<void()> OnSay, OnReplay, OnAdd, OnClosed;
    std::function<void(int)> OnPlayOtherLine;

    TZrButton *SayButton, *ReplayButton, *AddButton, *CloseButton;

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TBlock {
        QRect Rect;
        QString Text;
        int Kind = 0; // 0 word, 1 forms, 2 entry head, 3 sense, 4 note, 5 heading, 6 other line
        int Line = -1;
    };
    void Layout();

    TWordCardText card_;
    std::vector<std::string> otherLines_;
    std::vector<TBlock> blocks_;
    std::string addMessage_;
    int hotLine_ = -1;
    bool open_ = false;
};

} // namespace tav
