#include "games/WordSearch.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>

#include "app/Main.h"
#include "components/WordCardHost.h"
#include "app/ScreenRegistry.h"
#include "components/SkinButton.h"
#include "components/ZrButton.h"
#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "content/SearchList.h"
#include "games/SearchScene.h"
#include "media/Movie.h"
#include "components/HelpOverlay.h"
#include "platform/Paths.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"
#include "toolkit/Panel.h"
#include "toolkit/Skin.h"
#include "toolkit/Transition.h"

namespace tav {

namespace {

const QColor kInk(189, 189, 239), kHighlightInk(251, 68, 90);
constexpr int kCaptionWidth = 382;

QFont CaptionFont() { return PixelFont("Arial", 20); }

// A list drawn straight on the screen's background.
TCoolListBox* MakeList(QWidget* parent, const QRect& r, const QImage& background, int rowHeight, int fontPixels) {
    auto* list = new TCoolListBox(parent);
    list->setGeometry(r);
    list->SetBackground(background.copy(r));
    list->SetItemHeight(rowHeight);
    list->setFont(PixelFont("Arial", fontPixels));
    list->SetTextColors(kInk, kHighlightInk);
    list->setFocusPolicy(Qt::ClickFocus);
    return list;
}

} // namespace

// ---- the caption ----------------------------------------------------------------------------

TCaptionBox::TCaptionBox(QWidget* parent) : QWidget(parent) { setCursor(Qt::PointingHandCursor); }

void TCaptionBox::SetCaption(const std::string& text, const std::string& searchWord) {
    text_ = text;
    word_ = searchWord;
    repaint();
}

void TCaptionBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFont font = CaptionFont();
    p.setFont(font);
    const QFontMetrics fm(font);
    int y = fm.ascent();
    for (const TCaptionLine& line : CaptionLines(text_, word_, font, width())) {
        if (line.HighlightStart < 0) {
            p.setPen(kInk);
            p.drawText(0, y, line.Text);
        } else {
            const QString before = line.Text.left(line.HighlightStart);
            const QString word = line.Text.mid(line.HighlightStart, line.HighlightLength);
            const QString after = line.Text.mid(line.HighlightStart + line.HighlightLength);
            int x = 0;
            p.setPen(kInk);
            p.drawText(x, y, before);
            x += fm.horizontalAdvance(before);
            p.setPen(kHighlightInk);
            p.drawText(x, y, word);
            x += fm.horizontalAdvance(word);
            p.setPen(kInk);
            p.drawText(x, y, after);
        }
        y += kLineStep;
    }
}

bool TCaptionBox::CharacterAt(const QPoint& at, std::string& line, size_t& byteOffset) const {
    const QFont font = CaptionFont();
    const std::vector<TCaptionLine> lines = CaptionLines(text_, word_, font, width());
    if (at.y() < 0 || at.x() < 0) return false;
    const size_t row = size_t(at.y() / kLineStep);
    if (row >= lines.size()) return false;
    const QString& text = lines[row].Text;
    const std::optional<size_t> offset = Utf8OffsetAtX(text, font, at.x());
    if (!offset) return false;
    line = FromQString(text);
    byteOffset = *offset;
    return true;
}

void TCaptionBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    if (OnClickAt && OnClickAt(e->position().toPoint())) return;
    if (OnClick) OnClick();
}

// ---- creation -------------------------------------------------------------------------------

TForm_WordSearch::TForm_WordSearch(TForm_Main& main, QWidget* parent)
    : TScreen(parent), Timer_UpDown(this, 100), Timer_UpDown2(this, 100), main_(main) {
    const QImage background = skin::Background(skin::TBackground::WordSearch);
    Image_Background = MakeImage(this, {0, 0, 800, 600}, background);

    Panel_Video = new TPanel(this, QColor(0, 0, 128));
    Panel_Video->setGeometry(40, 28, 384, 256);
    Panel_Video->setCursor(Qt::PointingHandCursor);
    Panel_Video->OnClick = [this](TPanel*) { RunGuarded([this] { EButton_PlayClick(); }); };
    Panel_Video->hide();

    EButton_Play = CreateSkinButton(this, "Play", {213, 292}, {39, 39});
    EButton_Play->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_PlayClick(); }); };

    PaintBox_Caption = new TCaptionBox(this);
    PaintBox_Caption->setGeometry(41, 339, kCaptionWidth, 69);
    PaintBox_Caption->OnClick = [this] { RunGuarded([this] { EButton_PlayClick(); }); };
    // A word of the caption opens its card; a click beside the words plays the line.
    PaintBox_Caption->setToolTip(QStringLiteral("Click a word to look it up"));
    PaintBox_Caption->OnClickAt = [this](const QPoint& at) {
        bool opened = false;
        RunGuarded([this, at, &opened] { opened = CaptionWordClicked(at); });
        return opened;
    };
    WordCards = new TWordCardHost(main_, this);
    WordCards->OnPlayLine = [this](const TMovieEntry* e) {
        RunGuarded([this, e] {
            if (!e || Leaving) return;
            const TFilmRange r = SceneRange(*e, main_.ExtraStart, main_.ExtraEnd, Form_Movie ? Form_Movie->FilmLength : 0);
            PlayRange(r.From, r.To);
        });
    };

    // The line list shows seven rows; its scroll bar lies under Panel_Scroll3.
    CoolListBox2 = MakeList(this, {41, 412, 373, kLineRows * 16}, background, 16, 13);
    CoolListBox2->OnClick = [this](TCoolListBox*) { RunGuarded([this] { CoolListBox2Click(); }); };
    CoolListBox2->installEventFilter(this);
    CoolListBox2->hide();

    Panel_Scroll3 = new TPanel(this, Qt::black);
    Panel_Scroll3->setGeometry(398, 412, 24, 120);
    Image_Scroll3 = MakeImage(Panel_Scroll3, {0, 0, 24, 120}, skin::ScrollTrack(24, 120));
    EButton_Up2 = CreateSkinButton(Panel_Scroll3, "Up", {0, 7}, {24, 24});
    EButton_Down2 = CreateSkinButton(Panel_Scroll3, "Down", {0, 89}, {24, 24});
    Panel_Scroll3->hide();

    CoolListBox = MakeList(this, {482, 33, 233, 503}, background, 22, 16);
    CoolListBox->OnClick = [this](TCoolListBox*) { RunGuarded([this] { CoolListBoxClick(); }); };
    CoolListBox->installEventFilter(this);
    EButton_Up = CreateSkinButton(this, "Up", {716, 47}, {37, 91});
    EButton_Down = CreateSkinButton(this, "Down", {719, 423}, {37, 91});

    // Arrows scroll while held: down sets the step, up clears it.
    const auto wireArrow = [this](TZrButton* button, bool lineList, int step) {
        button->OnMouseDown = [this, lineList, step](TCustomZrImageStrip*, Qt::MouseButton b, Qt::KeyboardModifiers,
                                                     int, int) {
            if (b == Qt::LeftButton) RunGuarded([this, lineList, step] { ArrowDown(lineList, step); });
        };
        button->OnMouseUp = [this, lineList](TCustomZrImageStrip*, Qt::MouseButton, Qt::KeyboardModifiers, int,
                                             int) { RunGuarded([this, lineList] { ArrowUp(lineList); }); };
    };
    wireArrow(EButton_Up, false, -1);
    wireArrow(EButton_Down, false, 1);
    wireArrow(EButton_Up2, true, -1);
    wireArrow(EButton_Down2, true, 1);

    Panel_NoScroll = MakeImage(this, {699, 33, 16, 490}, skin::ScrollCover(16, 490));
    Panel_HideScroll2 = MakeImage(this, {480, 520, 236, 16}, background.copy(480, 520, 236, 16));
    Panel_HideScroll4 = MakeImage(this, {39, 526, 384, 16}, background.copy(39, 526, 384, 16));

    Label_Notice = new TfcLabel(this);
    Label_Notice->setGeometry(41, 412, 373, 60);
    Label_Notice->SetLabelFont(PixelFont("Arial", 16));
    Label_Notice->SetFontColor(kInk);
    Label_Notice->SetWordWrap(true);
    Label_Notice->SetAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label_Notice->hide();

    EButton_Back = CreateSkinButton(this, "Back", {0, 557}, {38, 44}, 1);
    EButton_Back->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_BackClick(); }); };

    Timer_UpDown.OnTimer = [this] { RunGuarded([this] { Timer_UpDownTimer(); }); };
    Timer_UpDown2.OnTimer = [this] { RunGuarded([this] { Timer_UpDown2Timer(); }); };

    SetCaption("");
    LoadWordList();
    EButton_Up->setEnabled(CoolListBox->TopIndex() > 0);
    EButton_Down->setEnabled(CoolListBox->TopIndex() + kWordRows < CoolListBox->Count());

    Help = new THelpOverlay(this, THelpVariant::Plain);
    Help->LoadHelp(main_.HelpFolder, "\\WSHelp.jpg");
    Help->WireBackground(Image_Background);
    Help->RaiseAll();
}

TForm_WordSearch::~TForm_WordSearch() {
    Timer_UpDown.SetEnabled(false);
    Timer_UpDown2.SetEnabled(false);
}

void TForm_WordSearch::LoadWordList() {
    // Without a word list the screen still opens and says why it is empty.
    const std::string fileName = main_.TargetFolder + "\\Search.txt";
    std::vector<std::string> entries;
    if (!FileExists(fileName)) {
        DebugLog("Word search: no word list " + fileName);
        SetCaption("This disc has no word list (Search.txt).");
    } else {
        entries = LoadSearchList(fileName);
        if (entries.empty()) SetCaption("The word list (Search.txt) is empty.");
    }
    CoolListBox->SetItems(std::move(entries));
}

void TForm_WordSearch::ScreenReady() {
    CoolListBox->repaint();
    if (Form_Movie) Form_Movie->AttachDisplay(Panel_Video, false);
    else DebugLog("Word search: no film clip pool, the film is not shown");
    if (CoolListBox->Count() == 0) return;
    CoolListBox->SetItemIndex(0);
    SearchWordInFilm(0, false);
}

// ---- searching ------------------------------------------------------------------------------

void TForm_WordSearch::SearchWordInFilm(int row, bool play) {
    if (Leaving || row < 0 || row >= CoolListBox->Count()) return;
    const int serial = ++searchSerial_;
    Matches.clear();
    CoolListBox2->hide();
    Panel_Scroll3->hide();
    Label_Notice->hide();
    repaint();
    // Queued messages run here (a timer tick, a posted screen change); the
    // learner's input waits until the search is done. The search goes on
    // only if the screen is still there and not leaving, and no other search
    // (a word chosen meanwhile) has put its results up since.
    const QPointer<TForm_WordSearch> alive(this);
    betweenResults_ = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!alive) return;
    if (serial != searchSerial_) return;
    betweenResults_ = false;
    if (Leaving) return;
    CoolListBox2->SetItems({});

    const std::string word = SearchWordOf(CoolListBox->Items()[size_t(row)]);
    Matches = FindMatches(main_.MovieEntries, word);
    if (Matches.empty()) {
        // The previous line, caption and picture stay; the learner is told why nothing changed.
        // Quoted as the list writes it (its lower case may take other bytes, as Turkish I does).
        const std::string& entry = CoolListBox->Items()[size_t(row)];
        Notice(Format("No line of the film holds \"%s\".", entry.substr(0, entry.find(',')).c_str()));
        return;
    }
    std::vector<std::string> lines;
    lines.reserve(Matches.size());
    for (const TMovieEntry* e : Matches) lines.push_back(e->LineText);
    CoolListBox2->SetItems(std::move(lines));

    SearchWord = word;
    CoolListBox2->SetItemIndex(0);
    CoolListBox2->SetTopIndex(0);
    CurrentMatch = Matches.front();
    SetCaption(CurrentMatch->LineText);
    if (Matches.size() >= 2) {
        EnableArrows(CoolListBox2, kLineRows, EButton_Up2, EButton_Down2);
        if (EButton_Down2->isEnabled()) Panel_Scroll3->show();
        CoolListBox2->show();
    }
    Panel_Video->show();
    if (play) {
        PlayMatch();
    } else {
        const TFilmRange r = SceneRange(*CurrentMatch, main_.ExtraStart, main_.ExtraEnd,
                                        Form_Movie ? Form_Movie->FilmLength : 0);
        PlayRange(r.From, r.From);
    }
}

void TForm_WordSearch::Notice(const std::string& text) {
    Label_Notice->SetCaption(text);
    Label_Notice->show();
    Label_Notice->raise();
}

void TForm_WordSearch::PlayRange(int from, int to) {
    if (Form_Movie && !Leaving) Form_Movie->PlayFilm(from, to, false, nullptr, false);
}

void TForm_WordSearch::PlayMatch() {
    if (!CurrentMatch || Leaving) return;
    const TFilmRange r =
        SceneRange(*CurrentMatch, main_.ExtraStart, main_.ExtraEnd, Form_Movie ? Form_Movie->FilmLength : 0);
    PlayRange(r.From, r.To);
    main_.FlushInput();
}

void TForm_WordSearch::SetCaption(const std::string& text) { PaintBox_Caption->SetCaption(text, SearchWord); }

bool TForm_WordSearch::CaptionWordClicked(const QPoint& at) {
    if (Leaving || betweenResults_ || !CurrentMatch) return false;
    std::string line;
    size_t offset = 0;
    if (!PaintBox_Caption->CharacterAt(at, line, offset)) return false;
    // The card stands over the film, its foot on the caption's top edge.
    const QPoint place = PaintBox_Caption->mapTo(this, at);
    if (!WordCards->OpenFor(line, offset, CurrentMatch, QPoint(place.x(), PaintBox_Caption->y() - 4))) return false;
    if (Form_Movie && Form_Movie->IsFilmPlaying()) Form_Movie->StopFilm();
    return true;
}

// ---- events ---------------------------------------------------------------------------------

void TForm_WordSearch::CoolListBoxClick() {
    main_.FlushInput();
    if (Searching || Leaving) return;
    Searching = true;
    const QPointer<TForm_WordSearch> alive(this);
    const int row = CoolListBox->ItemIndex();
    try {
        SearchWordInFilm(row, true);
    } catch (...) {
        if (alive) Searching = false;
        throw;
    }
    if (!alive) return;
    main_.FlushInput();
    // A row clicked during the search was ignored; the selection shows the word searched.
    CoolListBox->SetItemIndex(row);
    Searching = false;
}

void TForm_WordSearch::CoolListBox2Click() {
    // While a search replaces the results, a line of the old list means nothing.
    if (betweenResults_ || Leaving) return;
    const int row = CoolListBox2->ItemIndex();
    if (row < 0 || size_t(row) >= Matches.size()) return;
    CurrentMatch = Matches[size_t(row)];
    SetCaption(CurrentMatch->LineText);
    PlayMatch();
}

void TForm_WordSearch::EButton_PlayClick() {
    // A search under way plays (or shows) its own line when it has one.
    if (betweenResults_) return;
    PlayMatch();
}

// ---- scrolling ------------------------------------------------------------------------------

void TForm_WordSearch::EnableArrows(TCoolListBox* list, int rows, TZrButton* up, TZrButton* down) {
    up->setEnabled(list->TopIndex() > 0);
    down->setEnabled(list->TopIndex() + rows < list->Count());
}

void TForm_WordSearch::ArrowDown(bool lineList, int step) {
    TCoolListBox* list = lineList ? CoolListBox2 : CoolListBox;
    (lineList ? ScrollStep2 : ScrollStep) = step;
    list->setFocus(Qt::OtherFocusReason);
    // A press scrolls one row at once, so a quick click is never lost; held,
    // the timer goes on from there (it starts here too, as an inactive
    // window gives the list no focus event).
    if (lineList) Timer_UpDown2Timer();
    else Timer_UpDownTimer();
    (lineList ? Timer_UpDown2 : Timer_UpDown).SetEnabled(true);
}

void TForm_WordSearch::ArrowUp(bool lineList) { (lineList ? ScrollStep2 : ScrollStep) = 0; }

void TForm_WordSearch::ScrollTick(TCoolListBox* list, int& step, int limit, int rows, TZrButton* up,
                                  TZrButton* down) {
    if (step != 0) {
        const int top = list->TopIndex() + step;
        if (std::abs(step) < limit) step *= 2;
        list->SetTopIndex(std::clamp(top, 0, std::max(0, list->Count() - rows)));
    }
    EnableArrows(list, rows, up, down);
}

void TForm_WordSearch::Timer_UpDownTimer() {
    ScrollTick(CoolListBox, ScrollStep, kWordStepLimit, kWordRows, EButton_Up, EButton_Down);
}

void TForm_WordSearch::Timer_UpDown2Timer() {
    ScrollTick(CoolListBox2, ScrollStep2, kLineStepLimit, kLineRows, EButton_Up2, EButton_Down2);
}

bool TForm_WordSearch::eventFilter(QObject* watched, QEvent* event) {
    // Each list's scroll timer runs while the list has the input focus.
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        const bool on = event->type() == QEvent::FocusIn;
        if (watched == CoolListBox) Timer_UpDown.SetEnabled(on);
        else if (watched == CoolListBox2) Timer_UpDown2.SetEnabled(on);
    }
    return TScreen::eventFilter(watched, event);
}

// ---- leaving --------------------------------------------------------------------------------

void TForm_WordSearch::EButton_BackClick() {
    if (Leaving) return;
    Leaving = true;
    WordCards->Close();
    Timer_UpDown.SetEnabled(false);
    Timer_UpDown2.SetEnabled(false);
    // The panel keeps the film's last picture while the screen leaves.
    if (!Panel_Video->isHidden()) CoverWithSnapshot(Panel_Video);
    if (Form_Movie) Form_Movie->DetachDisplay();
    main_.PostStateChange(stMainMenu, trWipeLeft);
}

} // namespace tav
