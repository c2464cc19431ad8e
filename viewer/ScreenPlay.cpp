#include "viewer/ScreenPlay.h"

#include "viewer/AnkiButton.h"
#include "viewer/LineExportSource.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "components/SkinButton.h"
#include "components/ZrButton.h"
#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "content/Text1252.h"
#include "media/Movie.h"
#include "media/VolumeControl.h"
#include "menus/HelpOverlay.h"
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

const QColor kHeadingInk(111, 104, 124), kLineInk(247, 231, 198), kSelectedInk(251, 68, 90);
constexpr int kScaleLeft = 4, kScaleSpan = 323;
constexpr int kKnobSize = 22;

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
    Timer_Captions.SetEnabled(false);
    Timer_RwdFwd.SetEnabled(false);
    Timer_DropDown.SetEnabled(false);
    Timer_ScrollBar.SetEnabled(false);
    Timer_WheelEnd.SetEnabled(false);
}

void TForm_ScreenPlay::ScreenReady() { StartViewing(); }

// ---- the film strip file -------------------------------------------------------------------

void TForm_ScreenPlay::LoadStrip(const std::string& fileName) {
    TStringList lines;
    if (FileExists(fileName)) {
        lines = ReadTextLines(fileName);
    } else {
        DebugLog("Screenplay: no film strip list " + fileName);
    }
    for (int n = 1; n <= kThumbs; ++n) {
        Shapes[size_t(n)]->SetOutlined(false);
        if (size_t(n) <= lines.size()) {
            const std::string& line = lines[size_t(n - 1)];
            const size_t comma = line.find(',');
            ThumbPositions[size_t(n)] = TimecodeToFrames(line.substr(0, comma));
            ThumbHints[size_t(n)] = comma == std::string::npos ? std::string() : MacToAnsi(line.substr(comma + 1));
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
        Form_Movie->PlayFilm(-1, -1, false, nullptr, false);
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
    main_.PauseInactivityTimer(playing);
}

void TForm_ScreenPlay::EButton_PlayClick() {
    if (Playing) {
        if (Form_Movie) Form_Movie->StopFilm();
        SetPlaying(false);
    } else {
        if (Form_Movie) Form_Movie->PlayFilm(-1, -1, false, nullptr, false);
        SetPlaying(true);
    }
}

void TForm_ScreenPlay::EButton_ExpandClick() {
    if (Form_Movie) Form_Movie->PlayFilm(-1, -1, false, nullptr, true);
    SetPlaying(true);
}

// ---- captions -----------------------------------------------------------------------------

void TForm_ScreenPlay::Timer_CaptionsTimer() {
    const TMovieEntry* e = main_.EntryAt(FilmPosition());
    if (e != CurrentEntry) {
        CurrentEntry = e;
        ShowEntry(e, Playing);
    }
}

void TForm_ScreenPlay::ShowEntry(const TMovieEntry* entry, bool scroll) {
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
    Form_Movie->PlayFilm(entry->StartFrame, toEnd ? -1 : entry->EndFrame - 1, false, nullptr, false);
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
    if (Playing && Form_Movie) Form_Movie->PlayFilm(-1, -1, false, nullptr, false);
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
    QCoreApplication::processEvents();
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
    if (Form_Movie) Form_Movie->PlayFilm(p, -1, false, nullptr, false);
    if (SelectedThumb > 0) Shapes[size_t(SelectedThumb)]->SetOutlined(false);
    Shapes[size_t(tag)]->SetOutlined(true);
    SelectedThumb = tag;
    SetPlaying(true);
}

// ---- leaving ------------------------------------------------------------------------------

void TForm_ScreenPlay::EButton_BackClick() {
    Timer_Captions.SetEnabled(false);
    // The panel keeps the film's last picture while the screen leaves.
    CoverWithSnapshot(Panel_Video);
    if (Form_Movie) Form_Movie->DetachDisplay();
    main_.PauseInactivityTimer(false);
    main_.PostStateChange(stMainMenu, trWipeLeft);
}

} // namespace tav
