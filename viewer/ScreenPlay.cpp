#include "viewer/ScreenPlay.h"

#include "viewer/AnkiButton.h"
#include "viewer/LineExportSource.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QShortcut>

#include <algorithm>

#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "components/SkinButton.h"
#include "components/WordCard.h"
#include "components/WordCardHost.h"
#include "components/ZrButton.h"
#include "content/DebugLog.h"
#include "content/LineTranslations.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "media/Movie.h"
#include "media/VolumeControl.h"
#include "components/HelpOverlay.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"
#include "toolkit/Panel.h"
#include "toolkit/Skin.h"
#include "toolkit/Transition.h"
#include "viewer/LineToolIcons.h"
#include "viewer/MyWordsPanel.h"
#include "toolkit/ScaledScene.h"

namespace tav {

namespace {

const QColor kHeadingInk(111, 104, 124), kLineInk(247, 231, 198), kSelectedInk(251, 68, 90);
constexpr int kScaleLeft = 4, kScaleSpan = 323;
constexpr int kKnobSize = 22;

// The line tools: two columns of buttons beside the film.
constexpr int kToolW = 42, kToolH = 36, kToolPitch = 46, kToolTop = 40;
constexpr int kLeftToolX = 164, kRightToolX = 592;

TfcLabel* MakeCaption(QWidget* parent, const QRect& r) {
    auto* label = new TfcLabel(parent);
    label->setGeometry(r);
    label->SetTransparent(false);
    label->SetBackgroundColor(Qt::black);
    label->SetLabelFont(PixelFont("Arial Black", 21));
    label->SetFontColor(Qt::white);
    label->SetAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->SetWordWrap(true);
    return label;
}

// The position scale: a ruler with a tick every tenth of the film.
QImage ScalePicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(8, 10, 18));
    QPainter p(&img);
    p.setPen(skin::Gold());
    const int left = kScaleLeft + 6, right = kScaleLeft + 6 + kScaleSpan;
    p.drawLine(left, h - 10, right, h - 10);
    for (int k = 0; k <= 10; ++k) {
        const int x = left + k * kScaleSpan / 10;
        p.drawLine(x, h - (k % 5 == 0 ? 14 : 12), x, h - 10);
    }
    return img;
}

} // namespace

// ---- the thumbnail click area -------------------------------------------------------------

TThumbShape::TThumbShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
}

void TThumbShape::SetOutlined(bool on) {
    if (outlined_ == on) return;
    outlined_ = on;
    update();
}

void TThumbShape::paintEvent(QPaintEvent*) {
    if (!outlined_) return;
    QPainter p(this);
    p.setPen(QPen(QColor(230, 30, 40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1, 1, width() - 2, height() - 2));
}

void TThumbShape::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && OnMouseDown) OnMouseDown(this);
}

// ---- creation -----------------------------------------------------------------------------

TForm_ScreenPlay::TForm_ScreenPlay(TForm_Main& main, QWidget* parent)
    : TScreen(parent), Timer_Captions(this, 100), Timer_RwdFwd(this, 250), Timer_DropDown(this, 50),
      Timer_ScrollBar(this, 100), Timer_WheelEnd(this, 300), main_(main) {
    Image_Background = MakeImage(this, {0, 0, 800, 600}, skin::Background(skin::TBackground::Screenplay));

    Panel_Video = new TPanel(this, QColor(0, 0, 128));
    Panel_Video->setGeometry(223, 27, 352, 288);

    fcLabel_Caption = MakeCaption(this, {20, 359, 760, 58});

    EButton_Rwd = CreateSkinButton(this, "Rwd", {348, 325}, {29, 28});
    EButton_Play = CreateSkinButton(this, "Play", {377, 321}, {49, 34});
    EButton_Stop = CreateSkinButton(this, "Stop", {0, 0}, {49, 34});
    EButton_Stop->hide();
    EButton_Fwd = CreateSkinButton(this, "Fwd", {426, 325}, {29, 28});
    EButton_Volume = CreateSkinButton(this, "Volume", {569, 325}, {22, 22});
    EButton_Play->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_PlayClick(); }); };
    EButton_Stop->OnClick = EButton_Play->OnClick;
    EButton_Rwd->OnMouseDown = [this](TCustomZrImageStrip*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
        if (b == Qt::LeftButton) RunGuarded([this] { WindDown(-4); });
    };
    EButton_Fwd->OnMouseDown = [this](TCustomZrImageStrip*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
        if (b == Qt::LeftButton) RunGuarded([this] { WindDown(4); });
    };
    EButton_Rwd->OnMouseUp = [this](TCustomZrImageStrip*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
        if (b == Qt::LeftButton) RunGuarded([this] { WindUp(); });
    };
    EButton_Fwd->OnMouseUp = EButton_Rwd->OnMouseUp;

    EButton_Back = CreateSkinButton(this, "Back", {0, 557}, {38, 44}, 1);
    EButton_Script = CreateSkinButton(this, "Script", {248, 536}, {64, 64}, 2);
    EButton_Find = CreateSkinButton(this, "Find", {351, 541}, {105, 59}, 3);
    EButton_Expand = CreateSkinButton(this, "Expand", {485, 537}, {91, 63}, 4);
    EButton_Back->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_BackClick(); }); };
    EButton_Script->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_ScriptClick(); }); };
    EButton_Find->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_FindClick(); }); };
    EButton_Expand->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { EButton_ExpandClick(); }); };

    // The position scale, up only while a winding button is held.
    Panel_Scale = new TPanel(this, Qt::black);
    Panel_Scale->setGeometry(226, 291, 345, 27);
    Image_Scale = MakeImage(Panel_Scale, {0, 0, 345, 27}, ScalePicture(345, 27));
    Image_Arrow = MakeImage(Panel_Scale, {kScaleLeft, 18, 13, 7}, skin::ScaleArrow(13, 7), true);
    fcLabel_HMSF = new TfcLabel(Panel_Scale);
    fcLabel_HMSF->setGeometry(122, 2, 101, 15);
    fcLabel_HMSF->SetLabelFont(PixelFont("Zandrel LCD", 15));
    fcLabel_HMSF->SetFontColor(QColor(94, 155, 35));
    fcLabel_HMSF->SetAlignment(Qt::AlignCenter);
    fcLabel_HMSF->SetCaption("00:00:00:00");
    Panel_Scale->hide();

    // The drop-down area under the film: the script or the film strip.
    Panel_DropDown = new TPanel(this, Qt::black);
    Panel_DropDown->setGeometry(0, 356, 800, kDropClosed);
    Image_DropDown = MakeImage(Panel_DropDown, {0, kDropClosed - kDropOpen, 800, kDropOpen},
                               skin::Background(skin::TBackground::DropDown, 800, kDropOpen));
    ListBox_DropDown = new TCoolListBox(Panel_DropDown);
    ListBox_DropDown->setGeometry(16, 0, 760, kListOpen);
    ListBox_DropDown->SetBackgroundColor(Qt::black);
    ListBox_DropDown->SetItemHeight(16);
    ListBox_DropDown->OnDrawItem = [this](TCoolListBox*, QPainter& p, int index, const QRect& r, bool selected) {
        const TScriptRow& row = main_.ScriptLines[size_t(index)];
        p.fillRect(r, Qt::black);
        p.setFont(PixelFont("Arial", 13, selected));
        p.setPen(selected ? kSelectedInk : row.Kind == TScriptRowKind::Heading ? kHeadingInk : kLineInk);
        p.drawText(r.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, ToQString(row.Text));
        UpdateKnob();
    };
    ListBox_DropDown->OnClick = [this](TCoolListBox*) { RunGuarded([this] { ListBox_DropDownMouseDown(); }); };
    ListBox_DropDown->OnWheel = [this](TCoolListBox*, int notches) {
        RunGuarded([this, notches] { ListBox_DropDownWheel(notches); });
    };
    ListBox_DropDown->hide();

    Panel_Scrollbar = new TPanel(Panel_DropDown, Qt::black);
    Panel_Scrollbar->setGeometry(760, 0, 28, 176);
    Image_Scrollbar = MakeImage(Panel_Scrollbar, {0, 0, 28, 176}, skin::ScrollTrack(28, 176));
    Image_Scrollbar->OnMouseDown = [this](TImage*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int y) {
        if (b == Qt::LeftButton) RunGuarded([this, y] { Image_ScrollbarMouseDown(y); });
    };
    Image_Scrollbar->OnMouseUp = [this](TImage*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        RunGuarded([this] { ScrollMouseUp(); });
    };
    EButton_ScrollUp = CreateSkinButton(Panel_Scrollbar, "ScrollUp", {0, 0}, {28, 27});
    EButton_ScrollDown = CreateSkinButton(Panel_Scrollbar, "ScrollDown", {0, 149}, {28, 27});
    EButton_ScrollUp->OnMouseDown = [this](TCustomZrImageStrip*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
        if (b == Qt::LeftButton) RunGuarded([this] { ScrollButtonDown(-1); });
    };
    EButton_ScrollDown->OnMouseDown = [this](TCustomZrImageStrip*, Qt::MouseButton b, Qt::KeyboardModifiers, int,
                                             int) {
        if (b == Qt::LeftButton) RunGuarded([this] { ScrollButtonDown(1); });
    };
    EButton_ScrollUp->OnMouseUp = [this](TCustomZrImageStrip*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        RunGuarded([this] { ScrollMouseUp(); });
    };
    EButton_ScrollDown->OnMouseUp = EButton_ScrollUp->OnMouseUp;
    Image_ScrollButton = MakeImage(Panel_Scrollbar, {3, kKnobFirst, kKnobSize, kKnobSize}, skin::ScrollKnob(), true);
    Image_ScrollButton->OnMouseDown = [this](TImage*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int y) {
        if (b == Qt::LeftButton) RunGuarded([this, y] { Image_ScrollButtonMouseDown(y); });
    };
    Image_ScrollButton->OnMouseMove = [this](TImage*, Qt::KeyboardModifiers, int, int y) {
        RunGuarded([this, y] { Image_ScrollButtonMouseMove(y); });
    };
    Image_ScrollButton->OnMouseUp = [this](TImage*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        RunGuarded([this] { ScrollMouseUp(); });
    };
    Panel_Scrollbar->hide();

    Image_Find = MakeImage(Panel_DropDown, {16, 68, 770, 106});
    Image_Find->hide();
    fcLabel_Caption2 = MakeCaption(Panel_DropDown, {20, 3, 760, 58});
    fcLabel_Caption2->hide();
    const int lefts1[12] = {21, 84, 147, 213, 276, 341, 405, 469, 533, 597, 661, 725};
    const int lefts2[12] = {21, 85, 147, 213, 276, 341, 405, 469, 533, 597, 661, 725};
    for (int tag = 1; tag <= kThumbs; ++tag) {
        auto* shape = new TThumbShape(Panel_DropDown);
        const bool first = tag <= 12;
        shape->setGeometry(first ? lefts1[tag - 1] : lefts2[tag - 13], first ? 73 : 124, 61, 48);
        shape->Tag = tag;
        shape->OnMouseDown = [this](TThumbShape* s) { RunGuarded([this, s] { Shape1MouseDown(s->Tag); }); };
        shape->hide();
        Shapes[size_t(tag)] = shape;
    }
    Panel_DropDown->hide();

    Volume = new TVolumeControl(this, TVolumeControl::ViewerLayout(), EButton_Volume);
    CreateLineTools();

    Timer_Captions.OnTimer = [this] { RunGuarded([this] { Timer_CaptionsTimer(); }); };
    Timer_RwdFwd.OnTimer = [this] { RunGuarded([this] { Timer_RwdFwdTimer(); }); };
    Timer_DropDown.OnTimer = [this] { RunGuarded([this] { Timer_DropDownTimer(); }); };
    Timer_ScrollBar.OnTimer = [this] { RunGuarded([this] { Timer_ScrollBarTimer(); }); };
    Timer_WheelEnd.OnTimer = [this] {
        Timer_WheelEnd.SetEnabled(false);
        RunGuarded([this] { SeekToVisibleLine(); });
    };

    LoadStrip(main_.TargetFolder + "\\strip.txt");

    AnkiExport = new TAnkiButton(this, {164, 224}, [this] { return ViewerLineExport(main_, CurrentEntry); });

    // A click on a word of the caption (or of the script's current line)
    // opens its card; the film pauses meanwhile.
    WordCards = new TWordCardHost(main_, this);
    WordCards->OnPlayLine = [this](const TMovieEntry* e) {
        RunGuarded([this, e] {
            CardPlaying = true;
            PlayLine(e);
        });
    };
    WordCards->OnClosed = [this] {
        CardPlaying = false;
        if (!ResumeAfterCard) return;
        ResumeAfterCard = false;
        // After the click that closed the card has done what it does.
        QPointer<TForm_ScreenPlay> alive(this);
        QMetaObject::invokeMethod(this, [this, alive] {
            if (!alive || !isVisible() || Playing) return;
            if (WordCards->IsOpen()) {
                ResumeAfterCard = true; // another word's card took its place
                return;
            }
            RunGuarded([this] {
                PlayOn(-1);
                SetPlaying(true);
            });
        }, Qt::QueuedConnection);
    };
    // The learner's words, under the translation button.
    EButton_MyWords = new TZrButton(this);
    EButton_MyWords->setObjectName(QStringLiteral("EButton_MyWords"));
    EButton_MyWords->setGeometry(kRightToolX, kToolTop + 4 * kToolPitch, kToolW, kToolH);
    EButton_MyWords->SetPicture(LineToolStrip(TLineTool::MyWords, kToolW, kToolH));
    const bool canKeepWords = CanKeepWords(main_);
    EButton_MyWords->setEnabled(canKeepWords);
    EButton_MyWords->setToolTip(canKeepWords ? QStringLiteral("My words (W)") : QStringLiteral("Sign in to keep a list of your words"));
    EButton_MyWords->OnClick = [this](TCustomZrImageStrip*) { RunGuarded([this] { OpenMyWords(); }); };
    auto* wordsKey = new QShortcut(QKeySequence(Qt::Key_W), this);
    wordsKey->setContext(Qt::WindowShortcut);
    QObject::connect(wordsKey, &QShortcut::activated, this, [this] {
        if (isVisible() && EButton_MyWords->isEnabled()) RunGuarded([this] { OpenMyWords(); });
    });
    for (TfcLabel* caption : {fcLabel_Caption, fcLabel_Caption2}) {
        caption->setToolTip(QStringLiteral("Click a word to look it up"));
        caption->OnClickAt = [this](TfcLabel* label, const QPoint& at) { RunGuarded([this, label, at] { CaptionClicked(label, at); }); };
    }

    Help = new THelpOverlay(this, THelpVariant::Plain);
    Help->LoadHelp(main_.HelpFolder, "\\sphelp.jpg");
    Help->LoadHints(main_.HelpFolder, "\\sphint", {{38, 577}, {302, 577}, {444, 577}, {559, 577}},
                    main_.HelpLanguage != main_.TargetLanguage);
    Help->WireBackground(Image_Background);
    Help->WireHintControl(EButton_Back, 1);
    Help->WireHintControl(EButton_Script, 2);
    Help->WireHintControl(EButton_Find, 3);
    Help->WireHintControl(EButton_Expand, 4);
    Help->RaiseAll();

    // The film strip picture; without it the strip is dark but the film plays.
    try {
        Image_Find->LoadFromFile(main_.TargetFolder + "\\minis.jpg");
    } catch (const EProgramError& e) {
        DebugLog(std::string("Screenplay: ") + e.what());
    }

    // Showing: stopped, drop-down closed, no caption.
    SetPlaying(false);
    CurrentEntry = nullptr;
    ShowEntry(nullptr, false);
}

TForm_ScreenPlay::~TForm_ScreenPlay() {
    // The panel works on MyWords, which goes before the screen's children.
    delete WordsPanel.data();
    if (Form_Movie) Form_Movie->SetFilmRate(1.0);
    // Left some other way than Back (a screen change from elsewhere, even in
    // full screen): the film must not play on, heard but unseen.
    if (Form_Movie && Form_Movie->DisplayPanel == Panel_Video) Form_Movie->DetachDisplay();
    Timer_Captions.SetEnabled(false);
    Timer_RwdFwd.SetEnabled(false);
    Timer_DropDown.SetEnabled(false);
    Timer_ScrollBar.SetEnabled(false);
    Timer_WheelEnd.SetEnabled(false);
}

void TForm_ScreenPlay::ScreenReady() { StartViewing(); }

// ---- the line tools' controls -------------------------------------------------------------

void TForm_ScreenPlay::CreateLineTools() {
    struct TTool {
        TZrButton*& Button;
        TLineTool Icon;
        int X, Slot;
        const char* Name;
        const char* Hint;
        std::vector<int> Keys;
        std::function<void()> Action;
    };
    const TTool tools[] = {
        {EButton_PrevLine, TLineTool::PrevLine, kLeftToolX, 0, "PrevLine", "Previous line (Left arrow)", {Qt::Key_Left},
         [this] { StepLine(-1); }},
        {EButton_Replay, TLineTool::Replay, kLeftToolX, 1, "Replay", "Hear this line again (R)", {Qt::Key_R},
         [this] { ReplayLine(); }},
        {EButton_NextLine, TLineTool::NextLine, kLeftToolX, 2, "NextLine", "Next line (Right arrow)", {Qt::Key_Right},
         [this] { StepLine(1); }},
        {EButton_Loop, TLineTool::Loop, kLeftToolX, 3, "Loop", "Repeat this line until stopped (L)", {Qt::Key_L},
         [this] { ToggleLoop(); }},
        {EButton_Slow75, TLineTool::Slow75, kRightToolX, 0, "Slow75", "Slower: three-quarter speed (S)", {Qt::Key_S},
         [this] { ToggleSpeed(0.75); }},
        {EButton_Slow50, TLineTool::Slow50, kRightToolX, 1, "Slow50", "Half speed (H)", {Qt::Key_H},
         [this] { ToggleSpeed(0.5); }},
        {EButton_AutoPause, TLineTool::AutoPause, kRightToolX, 2, "AutoPause", "Pause after every line (P)",
         {Qt::Key_P}, [this] { ToggleAutoPause(); }},
        {EButton_Translation, TLineTool::Translation, kRightToolX, 3, "Translation", "Show the translation (T)",
         {Qt::Key_T}, [this] { ToggleTranslation(); }},
    };
    for (const TTool& t : tools) {
        auto* b = new TZrButton(this);
        b->setObjectName(QString("EButton_") + t.Name);
        b->setGeometry(t.X, kToolTop + t.Slot * kToolPitch, kToolW, kToolH);
        b->SetPicture(LineToolStrip(t.Icon, kToolW, kToolH));
        b->setToolTip(QString::fromLatin1(t.Hint));
        b->setProperty("lineTool", int(t.Icon));
        const std::function<void()> action = t.Action;
        b->OnClick = [this, action](TCustomZrImageStrip*) { RunGuarded(action); };
        for (int key : t.Keys) {
            // Window-wide keys: they work whatever control has the focus.
            auto* shortcut = new QShortcut(QKeySequence(key), this);
            shortcut->setContext(Qt::WindowShortcut);
            QObject::connect(shortcut, &QShortcut::activated, this, [this, b, action] {
                if (isVisible() && b->isEnabled()) RunGuarded(action);
            });
        }
        t.Button = b;
    }
    // The space bar plays and stops, like the Play button.
    auto* space = new QShortcut(QKeySequence(Qt::Key_Space), this);
    space->setContext(Qt::WindowShortcut);
    QObject::connect(space, &QShortcut::activated, this, [this] {
        if (isVisible()) RunGuarded([this] { EButton_PlayClick(); });
    });

    fcLabel_Translation = new TfcLabel(this);
    fcLabel_Translation->setGeometry(20, 426, 760, 40);
    fcLabel_Translation->SetTransparent(true);
    fcLabel_Translation->SetLabelFont(PixelFont("Arial", 17, true));
    fcLabel_Translation->SetFontColor(skin::GoldLight());
    fcLabel_Translation->SetAlignment(Qt::AlignHCenter | Qt::AlignTop);
    fcLabel_Translation->SetWordWrap(true);
    fcLabel_Translation->hide();
    // The open script or film strip covers it, like the caption.
    fcLabel_Translation->stackUnder(Panel_DropDown);

    // Translations into the help language, when the disc has them.
    Translations = LoadLineTranslations(LineTranslationFile(main_.TargetFolder, main_.HelpLanguage));
    EButton_Translation->setEnabled(!Translations.empty());
    if (Translations.empty()) EButton_Translation->setToolTip("No translation of the lines on this disc");
}

void TForm_ScreenPlay::ShowToggle(TZrButton* button, int tool, bool on) {
    button->SetPicture(LineToolStrip(TLineTool(tool), kToolW, kToolH, on));
}

void TForm_ScreenPlay::ShowTranslationOf(const TMovieEntry* entry) {
    std::string text;
    if (entry) {
        const auto it = Translations.find(entry->SequenceNumber);
        if (it != Translations.end()) text = it->second;
    }
    fcLabel_Translation->SetCaption(text);
    fcLabel_Translation->setVisible(ShowTranslation);
}

// ---- the film strip file -------------------------------------------------------------------

void TForm_ScreenPlay::LoadStrip(const std::string& fileName) {
    TStringList lines;
    if (FileExists(fileName)) {
        lines = ReadContentLines(fileName);
    } else {
        DebugLog("Screenplay: no film strip list " + fileName);
    }
    for (int n = 1; n <= kThumbs; ++n) {
        Shapes[size_t(n)]->SetOutlined(false);
        if (size_t(n) <= lines.size()) {
            const std::string& line = lines[size_t(n - 1)];
            const size_t comma = line.find(',');
            ThumbPositions[size_t(n)] = TimecodeToFrames(line.substr(0, comma));
            ThumbHints[size_t(n)] = comma == std::string::npos ? std::string() : line.substr(comma + 1);
            Shapes[size_t(n)]->setToolTip(ToQString(ThumbHints[size_t(n)]));
        } else {
            ThumbPositions[size_t(n)] = -1;
            ThumbHints[size_t(n)].clear();
            Shapes[size_t(n)]->setToolTip(QString());
        }
    }
    SelectedThumb = 0;
}

// ---- film ---------------------------------------------------------------------------------

int TForm_ScreenPlay::FilmPosition() const { return Form_Movie ? Form_Movie->GetFilmPosition() : 0; }
int TForm_ScreenPlay::FilmLength() const { return Form_Movie ? Form_Movie->FilmLength : 0; }

void TForm_ScreenPlay::StartViewing() {
    if (Form_Movie) {
        Form_Movie->AttachDisplay(Panel_Video, true);
        Form_Movie->SetFilmRate(Speed);
        PlayOn(-1);
    } else {
        DebugLog("Screenplay: no film clip pool, the film is not shown");
    }
    SetPlaying(true);
    Timer_Captions.SetEnabled(true);
}

void TForm_ScreenPlay::SetPlaying(bool playing) {
    if (playing) {
        EButton_Stop->move(EButton_Play->pos());
        EButton_Stop->show();
        EButton_Stop->raise();
    } else {
        EButton_Stop->hide();
        EButton_Stop->move(0, 0);
    }
    Playing = playing;
    if (!playing) RangePlay = TRangePlay::None;
    main_.PauseInactivityTimer(playing);
}

void TForm_ScreenPlay::EButton_PlayClick() {
    if (Playing) {
        if (Form_Movie) Form_Movie->StopFilm();
        SetPlaying(false);
        // Stopping ends a loop: the next line play is heard once.
        if (LoopLine) {
            LoopLine = false;
            ShowToggle(EButton_Loop, int(TLineTool::Loop), false);
        }
    } else {
        // Stopped at a line's end, the film goes on right after it.
        const bool atLineEnd = ResumeAt > 0 && FilmPosition() == ResumeAt - 1;
        PlayOn(atLineEnd ? ResumeAt : -1);
        SetPlaying(true);
    }
}

void TForm_ScreenPlay::EButton_ExpandClick() {
    // Full screen plays on to the end of the film; its space bar pauses.
    RangePlay = TRangePlay::None;
    if (Form_Movie) Form_Movie->PlayFilm(-1, -1, false, nullptr, true);
    SetPlaying(true);
}

// ---- captions -----------------------------------------------------------------------------

void TForm_ScreenPlay::Timer_CaptionsTimer() {
    // The film going on (not a line the card plays) closes the card.
    if (Playing && !CardPlaying && WordCards->IsOpen()) {
        ResumeAfterCard = false;
        WordCards->Close();
    }
    const TMovieEntry* e = main_.EntryAt(FilmPosition());
    if (e != CurrentEntry) {
        CurrentEntry = e;
        ShowEntry(e, Playing);
    }
}

void TForm_ScreenPlay::ShowEntry(const TMovieEntry* entry, bool scroll) {
    ShowTranslationOf(entry);
    if (!entry) {
        fcLabel_Caption->SetCaption("");
        fcLabel_Caption2->SetCaption("");
        return;
    }
    fcLabel_Caption->SetCaption(entry->LineText);
    fcLabel_Caption2->SetCaption(entry->LineText);
    if (ListBox_DropDown->Count() > entry->ScriptIndex) {
        ListBox_DropDown->SetItemIndex(entry->ScriptIndex);
        // Playing: the line sits sixth from the top.
        if (scroll) ListBox_DropDown->SetTopIndex(std::max(0, entry->ScriptIndex - 5));
    }
}

void TForm_ScreenPlay::PlayEntry(const TMovieEntry* entry, bool toEnd) {
    if (!Form_Movie || !entry) return;
    if (toEnd) {
        PlayOn(entry->StartFrame); // the film plays on (to this line's end with auto-pause)
    } else if (LoopLine) {
        PlayLine(entry);
    } else {
        RangePlay = TRangePlay::None;
        Form_Movie->PlayFilm(entry->StartFrame, entry->EndFrame - 1, false, nullptr, false);
    }
}

// ---- winding ------------------------------------------------------------------------------

void TForm_ScreenPlay::ShowScalePosition(int position, int length) {
    fcLabel_HMSF->SetCaption(FramesToTimecode(position));
    const int left = length > 0 ? position * kScaleSpan / length + kScaleLeft : kScaleLeft;
    Image_Arrow->move(left, Image_Arrow->y());
}

void TForm_ScreenPlay::JumpBy() {
    const int length = FilmLength();
    const int p = std::max(0, std::min(FilmPosition() + JumpStep, length));
    if (Form_Movie) Form_Movie->SeekFilm(p);
    ShowScalePosition(p, length);
}

void TForm_ScreenPlay::WindDown(int step) {
    Panel_Scale->show();
    Panel_Scale->raise();
    JumpStep = step;
    JumpBy();
    Timer_RwdFwd.SetEnabled(true);
}

void TForm_ScreenPlay::Timer_RwdFwdTimer() {
    if (std::abs(JumpStep) < kMaxJump) JumpStep *= 2;
    JumpBy();
}

void TForm_ScreenPlay::WindUp() {
    if (!Timer_RwdFwd.Enabled() && Panel_Scale->isHidden()) return; // a release without its press
    Panel_Scale->hide();
    Timer_RwdFwd.SetEnabled(false);
    main_.FlushInput();
    if (Playing) PlayOn(-1);
}

// ---- drop-down ----------------------------------------------------------------------------

void TForm_ScreenPlay::EButton_ScriptClick() { DropDownButton(1); }
void TForm_ScreenPlay::EButton_FindClick() { DropDownButton(2); }

void TForm_ScreenPlay::DropDownButton(int mode) {
    ListBox_DropDown->hide();
    if (mode == 1 && ListBox_DropDown->Count() == 0) {
        // The rows are drawn from the script itself; the list holds their texts.
        std::vector<std::string> rows;
        rows.reserve(main_.ScriptLines.size());
        for (const TScriptRow& row : main_.ScriptLines) rows.push_back(row.Text);
        ListBox_DropDown->SetItems(std::move(rows));
        MaxTopLine = ListBox_DropDown->Count() - 10;
        LastTopLine = -1;
    }
    Panel_Scrollbar->hide();
    Image_Find->hide();
    fcLabel_Caption2->hide();
    for (int n = 1; n <= kThumbs; ++n) Shapes[size_t(n)]->hide();
    if (SelectedThumb > 0) Shapes[size_t(SelectedThumb)]->SetOutlined(false);
    SelectedThumb = 0;
    DropDownMode = DropDownMode == mode ? 0 : mode;
    Panel_DropDown->show();
    Panel_DropDown->raise();
    Help->RaiseAll();
    Timer_DropDown.SetEnabled(true);
}

void TForm_ScreenPlay::Timer_DropDownTimer() {
    const int h = Panel_DropDown->height();
    if (DropDownMode != 0) {
        if (h + 5 < kDropOpen) {
            Panel_DropDown->setGeometry(0, 356, 800, h + 5);
        } else {
            Timer_DropDown.SetEnabled(false);
            Panel_DropDown->setGeometry(0, 356, 800, kDropOpen);
            if (DropDownMode == 1) {
                ListBox_DropDown->resize(760, kListOpen);
                Panel_Scrollbar->show();
                ListBox_DropDown->show();
                ShowEntry(CurrentEntry, Playing);
                UpdateKnob();
            } else {
                Image_Find->show();
                fcLabel_Caption2->show();
                for (int n = 1; n <= kThumbs; ++n) Shapes[size_t(n)]->setVisible(ThumbPositions[size_t(n)] >= 0);
            }
        }
    } else if (h - 5 > kDropClosed) {
        Panel_DropDown->setGeometry(0, 356, 800, h - 5);
    } else {
        Timer_DropDown.SetEnabled(false);
        Panel_DropDown->hide();
        Panel_DropDown->setGeometry(0, 356, 800, kDropClosed);
    }
    // The background picture stays anchored to the panel's bottom edge.
    Image_DropDown->move(0, Panel_DropDown->height() - kDropOpen);
}

// ---- the script ---------------------------------------------------------------------------

void TForm_ScreenPlay::ListBox_DropDownMouseDown() {
    const int index = ListBox_DropDown->ItemIndex();
    if (index < 0 || size_t(index) >= main_.ScriptLines.size()) return;
    // The caption's own line: a click on one of its words opens the card.
    if (CurrentEntry && index == CurrentEntry->ScriptIndex &&
        ScriptWordClicked(index, MapFromGlobal(ListBox_DropDown, QCursor::pos())))
        return;
    const TScriptRow& row = main_.ScriptLines[size_t(index)];
    if (row.Kind != TScriptRowKind::Line || row.Entry < 0 || size_t(row.Entry) >= main_.MovieEntries.size()) {
        // Headings and blank rows are not lines: the selection stays on the caption's line.
        if (CurrentEntry && ListBox_DropDown->Count() > CurrentEntry->ScriptIndex)
            ListBox_DropDown->SetItemIndex(CurrentEntry->ScriptIndex);
        return;
    }
    const TMovieEntry* entry = &main_.MovieEntries[size_t(row.Entry)];
    CurrentEntry = entry;
    ShowEntry(entry, Playing);
    repaint();
    PlayEntry(entry, Playing);
}

int TForm_ScreenPlay::KnobTopFor(int topLine) const {
    // A script that fits in the list has nothing to scroll: the knob rests on top.
    if (MaxTopLine <= 0) return kKnobFirst;
    return std::clamp(topLine, 0, MaxTopLine) * kKnobTravel / MaxTopLine + kKnobFirst;
}

void TForm_ScreenPlay::UpdateKnob() {
    const int top = ListBox_DropDown->TopIndex();
    if (top == LastTopLine) return;
    LastTopLine = top;
    const int knob = KnobTopFor(top);
    if (knob != KnobTop) {
        KnobTop = knob;
        Image_ScrollButton->move(Image_ScrollButton->x(), knob);
    }
}

void TForm_ScreenPlay::ScrollLines() {
    const int top = std::clamp(ListBox_DropDown->TopIndex() + ScrollStep, 0, std::max(0, MaxTopLine));
    ListBox_DropDown->SetTopIndex(top);
    UpdateKnob();
}

void TForm_ScreenPlay::ScrollButtonDown(int step) {
    if (Form_Movie) Form_Movie->StopFilm();
    SetPlaying(false);
    ScrollStep = step;
    ScrollLines();
    Timer_ScrollBar.SetInterval(500);
    Timer_ScrollBar.SetEnabled(true);
}

void TForm_ScreenPlay::Image_ScrollbarMouseDown(int y) {
    if (Form_Movie) Form_Movie->StopFilm();
    SetPlaying(false);
    if (y >= KnobTop && y < KnobTop + kKnobSize) return;
    ScrollStep = y < KnobTop ? -9 : 9;
    ScrollLines();
    Timer_ScrollBar.SetInterval(500);
    Timer_ScrollBar.SetEnabled(true);
}

void TForm_ScreenPlay::Timer_ScrollBarTimer() {
    Timer_ScrollBar.SetInterval(100);
    ScrollLines();
}

void TForm_ScreenPlay::Image_ScrollButtonMouseDown(int y) {
    if (Form_Movie) Form_Movie->StopFilm();
    SetPlaying(false);
    KnobDragging = true;
    KnobGrabY = y;
}

void TForm_ScreenPlay::Image_ScrollButtonMouseMove(int y) {
    if (!KnobDragging || MaxTopLine <= 0) return;
    const int t = std::clamp(y + Image_ScrollButton->y() - KnobGrabY, kKnobFirst, kKnobFirst + kKnobTravel);
    if (t == Image_ScrollButton->y()) return;
    ListBox_DropDown->SetTopIndex((t - kKnobFirst) * MaxTopLine / kKnobTravel);
    UpdateKnob();
}

void TForm_ScreenPlay::ScrollMouseUp() {
    Timer_ScrollBar.SetEnabled(false);
    KnobDragging = false;
    SeekToVisibleLine();
}

void TForm_ScreenPlay::ListBox_DropDownWheel(int notches) {
    // Like the arrows: the film stops, and once the wheel rests it stands
    // at the first line in view.
    if (Form_Movie) Form_Movie->StopFilm();
    SetPlaying(false);
    ScrollStep = -notches;
    ScrollLines();
    Timer_WheelEnd.SetEnabled(false);
    Timer_WheelEnd.SetEnabled(true);
}

void TForm_ScreenPlay::SeekToVisibleLine() {
    // Queued messages run here: the list's last scroll, a timer, a screen
    // change (which deletes this screen); clicks and keys wait until the
    // step is over. The film is stood at the script only if the screen is
    // still there, still shows the film and nothing newer has the say: a
    // play started meanwhile plays on, and a scroll begun meanwhile stands
    // the film itself when it ends.
    const QPointer<TForm_ScreenPlay> alive(this);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!alive) return;
    if (Playing || KnobDragging || Timer_ScrollBar.Enabled() || Timer_WheelEnd.Enabled()) return;
    if (Form_Movie && Form_Movie->DisplayPanel != Panel_Video) return;
    const int top = ListBox_DropDown->TopIndex();
    for (int i = top; i < top + 10 && size_t(i) < main_.ScriptLines.size(); ++i) {
        const TScriptRow& row = main_.ScriptLines[size_t(i)];
        if (row.Kind != TScriptRowKind::Line || row.Entry < 0) continue;
        if (Form_Movie) Form_Movie->SeekFilm(main_.MovieEntries[size_t(row.Entry)].StartFrame);
        return;
    }
}

// ---- film strip ---------------------------------------------------------------------------

void TForm_ScreenPlay::Shape1MouseDown(int tag) {
    if (tag < 1 || tag > kThumbs) return;
    const int p = ThumbPositions[size_t(tag)];
    if (p < 0 || p >= FilmLength()) return;
    PlayOn(p);
    if (SelectedThumb > 0) Shapes[size_t(SelectedThumb)]->SetOutlined(false);
    Shapes[size_t(tag)]->SetOutlined(true);
    SelectedThumb = tag;
    SetPlaying(true);
}

// ---- leaving ------------------------------------------------------------------------------

void TForm_ScreenPlay::EButton_BackClick() {
    Timer_Captions.SetEnabled(false);
    ResumeAfterCard = false;
    WordCards->Close();
    RangePlay = TRangePlay::None;
    // The clip pool serves the other screens at the film's own speed.
    if (Form_Movie) Form_Movie->SetFilmRate(1.0);
    // The panel keeps the film's last picture while the screen leaves.
    CoverWithSnapshot(Panel_Video);
    if (Form_Movie) Form_Movie->DetachDisplay();
    main_.PauseInactivityTimer(false);
    main_.PostStateChange(stMainMenu, trWipeLeft);
}

// ---- the word card -------------------------------------------------------------------------

bool TForm_ScreenPlay::OpenWordCard(const std::string& text, size_t at, const TMovieEntry* entry, int x, int y) {
    const bool wasPlaying = Playing && !CardPlaying;
    if (!WordCards->OpenFor(text, at, entry, QPoint(x, y))) return false;
    CardPlaying = false;
    if (Playing) {
        if (Form_Movie) Form_Movie->StopFilm();
        SetPlaying(false);
    }
    if (wasPlaying) ResumeAfterCard = true;
    return true;
}

void TForm_ScreenPlay::CaptionClicked(TfcLabel* label, const QPoint& at) {
    std::string shown;
    size_t offset = 0;
    if (!label->CharacterAt(at, shown, offset)) return;
    // The card stands on the caption's top edge, over the film.
    OpenWordCard(shown, offset, CurrentEntry, label->mapTo(this, at).x(), label->mapTo(this, QPoint(0, 0)).y() - 4);
}

bool TForm_ScreenPlay::ScriptWordClicked(int index, const QPoint& at) {
    const TScriptRow& row = main_.ScriptLines[size_t(index)];
    if (row.Kind != TScriptRowKind::Line || row.Entry < 0 || size_t(row.Entry) >= main_.MovieEntries.size()) return false;
    // Laid out as the list draws the selected row: bold, two pixels in.
    const QString text = ToQString(row.Text);
    const std::optional<size_t> offset = Utf8OffsetAtX(text, PixelFont("Arial", 13, true), at.x() - 2);
    if (!offset) return false;
    return OpenWordCard(FromQString(text), *offset, &main_.MovieEntries[size_t(row.Entry)],
                        ListBox_DropDown->mapTo(this, at).x(), Panel_DropDown->y() - 4);
}

void TForm_ScreenPlay::OpenMyWords() {
    if (WordsPanel) {
        // Hidden, it is finishing an export and then goes: it keeps the list till then.
        if (WordsPanel->isVisible()) {
            WordsPanel->raise();
            WordsPanel->setFocus();
        }
        return;
    }
    ResumeAfterCard = false;
    WordCards->Close();
    if (Playing) {
        if (Form_Movie) Form_Movie->StopFilm();
        SetPlaying(false);
    }
    MyWords = LearnerWords(main_);
    WordsPanel = OpenMyWordsPanel(this, main_, *MyWords, [this](const TMyWord& w) { RunGuarded([this, w] { PlayMyWord(w); }); });
    if (!MyWords->Message().empty()) WordsPanel->SetStatus(ToQString(MyWords->Message()));
    else if (MyWords->Size() == 0) WordsPanel->SetStatus(QStringLiteral("No words yet: click a word of a caption, then \u201cAdd to my words\u201d."));
}

void TForm_ScreenPlay::PlayMyWord(const TMyWord& word) {
    if (!WordsPanel) return;
    if (word.Course != main_.TargetFolderName) {
        WordsPanel->SetStatus(QStringLiteral("This word comes from another course: its line is not on this disc."));
        return;
    }
    const TMovieEntry* entry = main_.FindEntryByNumber(word.SequenceNumber);
    if (!entry || entry->LineText != word.Line) {
        WordsPanel->SetStatus(QStringLiteral("Its line is no longer in the film."));
        return;
    }
    PlayLine(entry);
}

// ---- line tools ---------------------------------------------------------------------------

int TForm_ScreenPlay::IndexOf(const TMovieEntry* entry) const {
    if (!entry || main_.MovieEntries.empty()) return -1;
    const TMovieEntry* first = main_.MovieEntries.data();
    if (entry < first || entry >= first + main_.MovieEntries.size()) return -1;
    return int(entry - first);
}

const TMovieEntry* TForm_ScreenPlay::ToolLine() const {
    if (CurrentEntry) return CurrentEntry;
    const auto& lines = main_.MovieEntries;
    if (lines.empty()) return nullptr;
    // Between lines: the one just heard, else (before the first) the first.
    const int p = FilmPosition();
    const TMovieEntry* heard = nullptr;
    for (const TMovieEntry& e : lines)
        if (e.EndFrame <= p && (!heard || e.EndFrame > heard->EndFrame)) heard = &e;
    return heard ? heard : &lines.front();
}

int TForm_ScreenPlay::LineEndAfter(int position) const {
    int end = -1;
    for (const TMovieEntry& e : main_.MovieEntries)
        if (e.EndFrame > position && e.EndFrame > e.StartFrame && (end < 0 || e.EndFrame < end)) end = e.EndFrame;
    return end;
}

void TForm_ScreenPlay::PlayLine(const TMovieEntry* entry) {
    if (!entry || !Form_Movie) return;
    RangePlay = TRangePlay::Line;
    RangeEntry = entry;
    RangeEnd = entry->EndFrame;
    ResumeAt = -1;
    // The play's start runs the event loop: the captions' timer may show the
    // line at the old position meanwhile, and a posted screen change may
    // delete this screen. The line in play is set once the film stands on it.
    QPointer<TForm_ScreenPlay> alive(this);
    Form_Movie->PlayFilmTo(entry->StartFrame, entry->EndFrame, this);
    if (!alive) return;
    CurrentEntry = entry;
    ShowEntry(entry, true);
    SetPlaying(true);
}

void TForm_ScreenPlay::PlayOn(int from) {
    ResumeAt = -1;
    RangePlay = TRangePlay::None;
    if (!Form_Movie) return;
    const int start = from >= 0 ? from : FilmPosition();
    const int end = AutoPause ? LineEndAfter(start) : -1;
    if (end < 0) {
        Form_Movie->PlayFilm(from, -1, false, nullptr, false);
        return;
    }
    RangePlay = TRangePlay::ToLineEnd;
    RangeEntry = nullptr;
    RangeEnd = end;
    Form_Movie->PlayFilmTo(start, end, this);
}

void TForm_ScreenPlay::MessageReceived(int message, intptr_t wParam, intptr_t) {
    if (message != MM_MCINOTIFY || RangePlay == TRangePlay::None || !Form_Movie) return;
    // Superseded and aborted plays were replaced or stopped by someone who
    // is now in charge; a success while the film plays is a late report.
    if (wParam == MCI_NOTIFY_FAILURE) { // the film's data failed: nothing plays any more
        SetPlaying(false);
        return;
    }
    if (wParam != MCI_NOTIFY_SUCCESSFUL || Form_Movie->IsFilmPlaying()) return;
    const int position = FilmPosition();
    if (position + 1 < RangeEnd && position + 1 < FilmLength()) {
        // The range stopped at the end of a film part: the rest is in the next one.
        Form_Movie->PlayFilmTo(position + 1, RangeEnd, this);
        return;
    }
    if (RangePlay == TRangePlay::Line && LoopLine && RangeEntry) {
        Form_Movie->PlayFilmTo(RangeEntry->StartFrame, RangeEntry->EndFrame, this);
        return;
    }
    const int resume = RangeEnd;
    SetPlaying(false);
    ResumeAt = resume;
}

void TForm_ScreenPlay::ReplayLine() { PlayLine(ToolLine()); }

void TForm_ScreenPlay::StepLine(int delta) {
    const auto& lines = main_.MovieEntries;
    if (lines.empty()) return;
    int index;
    if (CurrentEntry) {
        index = IndexOf(CurrentEntry) + delta;
    } else {
        // In a gap: back is the line just heard, on is the next one.
        const int p = FilmPosition();
        index = delta < 0 ? -1 : int(lines.size());
        for (int i = 0; i < int(lines.size()); ++i) {
            if (delta < 0 && lines[size_t(i)].EndFrame <= p) index = i;
            if (delta > 0 && lines[size_t(i)].StartFrame > p) {
                index = i;
                break;
            }
        }
    }
    if (index < 0 || index >= int(lines.size())) return; // no line before the first or after the last
    PlayLine(&lines[size_t(index)]);
}

void TForm_ScreenPlay::ToggleLoop() {
    LoopLine = !LoopLine;
    ShowToggle(EButton_Loop, int(TLineTool::Loop), LoopLine);
    // Switched on: the line starts at once; off: the line in play ends and the film stops.
    if (LoopLine && !(Playing && RangePlay == TRangePlay::Line)) PlayLine(ToolLine());
}

void TForm_ScreenPlay::ToggleSpeed(double speed) {
    Speed = Speed == speed ? 1.0 : speed;
    ShowToggle(EButton_Slow75, int(TLineTool::Slow75), Speed == 0.75);
    ShowToggle(EButton_Slow50, int(TLineTool::Slow50), Speed == 0.5);
    if (!Form_Movie) return;
    Form_Movie->SetFilmRate(Speed);
    // A play under way goes on from where it is at the new speed.
    if (!Playing || !Form_Movie->IsFilmPlaying()) return;
    const int p = FilmPosition();
    if (RangePlay != TRangePlay::None && p < RangeEnd)
        Form_Movie->PlayFilmTo(p, RangeEnd, this);
    else
        PlayOn(p);
}

void TForm_ScreenPlay::ToggleAutoPause() {
    AutoPause = !AutoPause;
    ShowToggle(EButton_AutoPause, int(TLineTool::AutoPause), AutoPause);
    // The film under way takes the new rule from where it is; a line play keeps its own end.
    if (Playing && RangePlay != TRangePlay::Line && Form_Movie && Form_Movie->IsFilmPlaying()) PlayOn(-1);
}

void TForm_ScreenPlay::ToggleTranslation() {
    if (Translations.empty()) return;
    ShowTranslation = !ShowTranslation;
    ShowToggle(EButton_Translation, int(TLineTool::Translation), ShowTranslation);
    ShowTranslationOf(CurrentEntry);
}

} // namespace tav
