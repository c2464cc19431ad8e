#include "learners/StudRec.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include "app/Main.h"
#include "components/SkinButton.h"
#include "content/NameCharset.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "learners/ScoreKeeping.h"
#include "learners/ShortDate.h"
#include "learners/StudentList.h"
#include "components/HelpOverlay.h"
#include "toolkit/Edit.h"
#include "toolkit/ErrorHandler.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/ListBox.h"
#include "toolkit/Panel.h"
#include "toolkit/Skin.h"

namespace tav {

namespace {
// The text without what its name may not hold. A ']' always goes: it would
// end the learner's profile section early. A new name also loses backslashes
// (content/NameCharset.h) and what a typed name may not hold (control
// characters and the like, say from the system user name); a name picked
// from the list keeps them, as its record has them.
std::string Composed(const std::string& name) {
    return FromQString(ToQString(name).normalized(QString::NormalizationForm_C));
}

QString WithoutUnfitCharacters(const QString& text, bool newName) {
    QString out;
    for (char32_t c : text.toUcs4()) {
        if (c == ']' || (newName && (IsProfileReserved(c) || !IsNameCodePoint(c)))) continue;
        out += QString::fromUcs4(&c, 1);
    }
    return out;
}

TfcLabel* MakeInfoLabel(QWidget* parent, int x, int y) {
    auto* label = new TfcLabel(parent);
    label->setGeometry(x, y, 120, 16);
    label->SetLabelFont(PixelFont("Arial", 13));
    label->SetAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Light text: the sign-in panel is a dark plate.
    label->SetFontColor(skin::Cream());
    return label;
}
} // namespace

TForm_StudRec::TForm_StudRec(TForm_Main& main, QWidget* parent)
    : TScreen(parent), Timer_UpDown(nullptr, 100), main_(main) {
    Beep = [] { QApplication::beep(); };

    // 1. Pictures and fonts.
    fcImager_Background = new TImage(this);
    fcImager_Background->setGeometry(0, 0, 800, 600);
    fcImager_Background->SetStretch(true);
    fcImager_Background->LoadFromFile(main_.TargetFolder + "\\menus\\bootmenu.jpg");

    Panel_StudRec = new TPanel(this);
    Panel_StudRec->setGeometry(250, 145, 304, 348);
    Image_StudRec = new TImage(Panel_StudRec);
    Image_StudRec->setGeometry(0, 0, 304, 348);
    Image_StudRec->SetStretch(true);
    Image_StudRec->LoadFromFile(main_.TargetFolder + "\\menus\\panel.jpg");

    ListBox_Names = new TCoolListBox(Panel_StudRec);
    ListBox_Names->setGeometry(31, 23, 213, 144);
    ListBox_Names->SetItemHeight(18);
    ListBox_Names->SetBackgroundColor(Qt::white);
    ListBox_Names->SetTextColors(Qt::black, Qt::red);
    ListBox_Names->setFont(PixelFont(main_.NameFont, 14));
    ListBox_Names->setFocusPolicy(Qt::StrongFocus);
    ListBox_Names->installEventFilter(this);
    ListBox_Names->OnClick = [this](TCoolListBox*) { RunGuarded([this] { ListBox_NamesClick(); }); };
    ListBox_Names->OnDblClick = [this](TCoolListBox*) { RunGuarded([this] { SignIn(); }); };
    RowsShown = ListBox_Names->height() / ListBox_Names->ItemHeight();

    Panel_HideScroll = new TPanel(Panel_StudRec, Qt::white);
    Panel_HideScroll->setGeometry(228, 21, 16, 148);
    Panel_HideScroll->hide();

    EButton_Up = CreateSkinButton(Panel_StudRec, "Up", {252, 26}, {23, 51});
    EButton_Down = CreateSkinButton(Panel_StudRec, "Down", {252, 119}, {23, 51});
    for (TZrButton* arrow : {EButton_Up, EButton_Down}) {
        const int direction = arrow == EButton_Up ? -1 : 1;
        arrow->OnMouseDown = [this, direction](auto*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            ScrollDirection = direction;
        };
        arrow->OnMouseUp = [this](auto*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ScrollDirection = 0; };
    }

    fcLabel_LastUsed = MakeInfoLabel(Panel_StudRec, 88, 238);
    fcLabel_Score = MakeInfoLabel(Panel_StudRec, 224, 239);
    fcLabel_Score->resize(60, 16);
    fcLabel_Sessions = MakeInfoLabel(Panel_StudRec, 88, 269);

    Image_Award = new TImage(Panel_StudRec);
    Image_Award->SetPicture(skin::AwardStrip(kAwardStripWidth, 19));
    Image_Award->setGeometry(222, 268, 0, 19);

    EButton_Start = CreateSkinButton(Panel_StudRec, "Start", {100, 296}, {102, 49});
    EButton_Start->OnClick = [this](auto*) { RunGuarded([this] { SignIn(); }); };

    CoolEdit_Name = new TCoolEdit(this);
    CoolEdit_Name->setGeometry(273, 336, 258, 19);
    CoolEdit_Name->setAlignment(Qt::AlignCenter);
    CoolEdit_Name->setFont(PixelFont(main_.NameFont, 17, true));
    CoolEdit_Name->SetMaxLength(kNameLength);
    CoolEdit_Name->OnChange = [this](TCoolEdit*) { RunGuarded([this] { CoolEdit_NameChange(); }); };
    connect(CoolEdit_Name, &QLineEdit::returnPressed, this, [this] { RunGuarded([this] { SignIn(); }); });

    EButton_Back = CreateSkinButton(this, "Back", {0, 556}, {38, 44}, 1);
    EButton_Back->OnClick = [this](auto*) { RunGuarded([this] { EButton_BackClick(); }); };

    // Help overlay; the Back button's hint is the start menu's sixth picture.
    Help = new THelpOverlay(this, THelpVariant::Blend);
    Help->LoadHelp(main_.HelpFolder, "\\namehelp.jpg");
    const bool hints = main_.HelpLanguage != main_.TargetLanguage;
    Help->LoadHints(main_.HelpFolder, "\\boohint", {}, hints);
    if (hints) {
        auto* hint = new TImage(this);
        hint->setObjectName(QStringLiteral("Image_Hint1"));
        hint->SetAutoSize(true);
        hint->hide();
        hint->LoadFromFile(main_.HelpFolder + "\\boohint6.jpg");
        hint->move(38, 577);
        Help->HintImages.push_back(hint);
    }
    Help->WireBackground(fcImager_Background);
    Help->WireHintControl(EButton_Back, 1);
    Help->FlushInput = [this] { main_.FlushInput(); };
    Help->RaiseAll();

    // 2.-3. The stored list, best total first; written back only when the order changed.
    std::vector<std::string> stored =
        NamesFromProfileList(main_.ReadProfileString("Defaults", "Students", ""), main_.NameCharset);
    std::vector<int> totals;
    for (const auto& name : stored) totals.push_back(TotalScoreOf(name));
    if (SortByTotal(stored, totals))
        main_.WriteProfileString("Defaults", "Students", "\"" + ProfileListOfNames(stored, main_.NameCharset) + "\"");

    // 4. The list and its scroll cover.
    ListBox_Names->SetItems(stored);
    UpdateHideScroll();

    // 5. The name box: the system's user name for the very first learner (its
    // first kNameLength characters, of those a typed name may hold).
    settingName_ = true;
    if (stored.empty()) {
        const TStringList offered =
            Graphemes(FromQString(WithoutUnfitCharacters(ToQString(main_.LogonName), true).trimmed()));
        std::string name;
        for (size_t i = 0; i < offered.size() && i < size_t(kNameLength); ++i) name += offered[i];
        CoolEdit_Name->SetText(name);
    } else {
        CoolEdit_Name->SetText(std::string());
    }
    settingName_ = false;
    ClearLearner();
    UpdateStartButton();

    Timer_UpDown.OnTimer = [this] { Timer_UpDownTimer(); };
    Timer_UpDown.SetEnabled(true);
    Timer_UpDownTimer();

    // The learner can type a name at once; an offered user name is replaced by typing.
    QTimer::singleShot(0, CoolEdit_Name, [edit = CoolEdit_Name] {
        edit->setFocus();
        edit->selectAll();
    });
}

std::vector<std::string> TForm_StudRec::names() const { return ListBox_Names->Items(); }

int TForm_StudRec::TotalScoreOf(const std::string& name) {
    return TotalOfScores(main_.ReadProfileString(SectionOf(name), "Scores", ""));
}

std::string TForm_StudRec::SectionOf(const std::string& name) const {
    return StudentSection(name, main_.NameCharset, main_.Remote);
}

void TForm_StudRec::ShowLearner(const std::string& name) {
    const std::string section = SectionOf(name);
    fcLabel_LastUsed->SetCaption(main_.ReadProfileString(section, "LastUsed", ""));
    const int total = TotalScoreOf(name);
    fcLabel_Score->SetCaption(IntToStr(total));
    fcLabel_Sessions->SetCaption(main_.ReadProfileString(section, "Sessions", ""));
    // The strip holds bronze, silver and gold side by side: show as many as earned.
    const std::string award = LowerText(AwardName(total));
    int width = 0;
    if (award == "bronze") width = kAwardStripWidth / 3;
    else if (award == "silver") width = kAwardStripWidth * 2 / 3;
    else if (award == "gold") width = kAwardStripWidth;
    Image_Award->resize(width, Image_Award->height());
}

void TForm_StudRec::ClearLearner() {
    fcLabel_LastUsed->SetCaption("");
    fcLabel_Score->SetCaption("");
    fcLabel_Sessions->SetCaption("");
    Image_Award->resize(0, Image_Award->height());
}

void TForm_StudRec::UpdateStartButton() { EButton_Start->setEnabled(!CoolEdit_Name->text().trimmed().isEmpty()); }

void TForm_StudRec::UpdateHideScroll() { Panel_HideScroll->setVisible(ListBox_Names->Count() > RowsShown); }

void TForm_StudRec::StoreNames() {
    // The outer quotes keep the comma text whole in the profile file, which strips them on reading.
    main_.WriteProfileString("Defaults", "Students", "\"" + ProfileListOfNames(names(), main_.NameCharset) + "\"");
}

void TForm_StudRec::ListBox_NamesClick() {
    const int index = ListBox_Names->ItemIndex();
    if (index < 0) return;
    const std::string name = names()[size_t(index)];
    settingName_ = true;
    CoolEdit_Name->SetText(name);
    settingName_ = false;
    UpdateStartButton();
    ShowLearner(name);
}

void TForm_StudRec::CoolEdit_NameChange() {
    // A ']' would end the learner's profile section early ("[Student Ann]x]" reads
    // back as "Student Ann") and mix two learners' results, and a '\\' could
    // make a typed name look like the escaped form of another (NameCharset.h),
    // so typed names never hold one. A picked name keeps its backslashes: an
    // old one may hold one, and its record must be found again.
    const QString typed = CoolEdit_Name->text();
    const QString cleaned = WithoutUnfitCharacters(typed, !settingName_);
    if (cleaned != typed) {
        const int cursor = CoolEdit_Name->cursorPosition();
        const QString before = typed.left(cursor);
        const int removedBefore = int(before.size() - WithoutUnfitCharacters(before, !settingName_).size());
        CoolEdit_Name->setText(cleaned); // comes back here once more, without them
        CoolEdit_Name->setCursorPosition(std::max(0, cursor - removedBefore));
        return;
    }
    UpdateStartButton();
    if (settingName_) return;
    // The learner types: whoever was picked no longer is.
    ListBox_Names->SetItemIndex(-1);
    ClearLearner();
}

void TForm_StudRec::SignIn() {
    // Blanks trimmed as earlier versions trimmed them (so a listed name that
    // ends in a no-break space is still found) ...
    std::string name = Trim(CoolEdit_Name->Text());
    std::vector<std::string> list = names();
    const auto find = [&list](const std::string& wanted) {
        int found = -1;
        for (size_t i = 0; i < list.size(); ++i)
            if (SameTextIgnoringCase(Composed(list[i]), Composed(wanted))) found = int(i);
        return found;
    };
    int found = name.empty() ? -1 : find(name);
    if (found < 0) {
        // ... and a new name without the blanks of any script at its ends, in
        // one spelling for what looks the same: "é" typed as e and a combining
        // accent is the learner "é" typed as one character (Unicode NFC). A
        // name the code page holds as typed stays as it is (Vietnamese code
        // page 1258 writes accents as combining marks), so it is stored as before.
        name = FromQString(CoolEdit_Name->text().trimmed());
        if (name.empty()) return;
        if (!IsCodePageName(name, main_.NameCharset)) name = Composed(name);
        found = find(name);
    }
    if (found >= 0) {
        // An existing learner signs in only by picking the name, so nobody
        // takes over another learner's results by typing it.
        if (ListBox_Names->ItemIndex() < 0) {
            if (Beep) Beep();
            CoolEdit_Name->SetText("");
            return;
        }
        name = list[size_t(found)];
    } else {
        list.push_back(name);
        const int selected = ListBox_Names->ItemIndex();
        const int top = ListBox_Names->TopIndex();
        ListBox_Names->SetItems(list);
        ListBox_Names->SetItemIndex(selected);
        ListBox_Names->SetTopIndex(top);
        UpdateHideScroll();
        StoreNames();
    }

    const std::string section = SectionOf(name);
    main_.WriteProfileString(section, "LastUsed", ShortDateText(Today()));
    main_.WriteProfileInt(section, "Sessions", main_.ReadProfileInt(section, "Sessions", 0) + 1);
    main_.LoadStudent(name);
    main_.PostStateChange(stMainMenu, trWipeRight);
}

void TForm_StudRec::DeleteSelectedLearner() {
    const int index = ListBox_Names->ItemIndex();
    if (index < 0) return;
    std::vector<std::string> list = names();
    const std::string name = list[size_t(index)];
    // No key: the learner's whole section goes.
    main_.WriteProfileString(SectionOf(name), "", "");
    settingName_ = true;
    CoolEdit_Name->SetText("");
    settingName_ = false;
    ClearLearner();
    UpdateStartButton();
    list.erase(list.begin() + index);
    const int top = ListBox_Names->TopIndex();
    ListBox_Names->SetItems(list);
    ListBox_Names->SetItemIndex(-1);
    ListBox_Names->SetTopIndex(top);
    UpdateHideScroll();
    StoreNames();
}

void TForm_StudRec::Timer_UpDownTimer() {
    const int top = ListBox_Names->TopIndex();
    const int count = ListBox_Names->Count();
    if (ScrollDirection != 0) {
        const int newTop = top + ScrollDirection;
        if (newTop >= 0 && newTop + RowsShown <= count) ListBox_Names->SetTopIndex(newTop);
    } else {
        EButton_Up->setEnabled(top > 0);
        EButton_Down->setEnabled(top + RowsShown < count);
    }
}

void TForm_StudRec::EButton_BackClick() { main_.PostStateChange(stStartMenu, trBlend); }

bool TForm_StudRec::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBox_Names && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        RunGuarded([this] { DeleteSelectedLearner(); });
        return true;
    }
    return TScreen::eventFilter(watched, event);
}

} // namespace tav
