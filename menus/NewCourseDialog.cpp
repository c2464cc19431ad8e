#include "menus/NewCourseDialog.h"

#include "app/Main.h"
#include "app/ScreenRegistry.h"
#include "content/LanguageCodes.h"
#include "toolkit/Skin.h"
#include "tools/discbuild/FilmTracks.h"
#include "toolkit/ScaledScene.h"

#include <QComboBox>
#include <QDir>
#include <QStandardPaths>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <map>
#include <set>

namespace tav {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Entries of the subtitle combos besides the film's tracks.
constexpr int kNone = -1, kChooseFile = -2, kChosenFile = -3;

const char* const kFilmFilter =
    "Films (*.mkv *.mp4 *.m4v *.avi *.mov *.webm *.mpg *.mpeg *.ts *.m2ts *.ogv *.wmv);;All files (*)";
const char* const kSubtitleFilter = "Subtitles (*.srt *.vtt *.ass *.ssa);;All files (*)";

// The languages the builder can make a course in: every language with an
// ISO code, by its English name, except those written from right to left.
const std::vector<std::pair<QString, std::string>>& Languages() {
    static const std::vector<std::pair<QString, std::string>> list = [] {
        static const std::set<std::string> rightToLeft{"ar", "he", "fa", "ur", "yi", "ps"};
        std::map<QString, std::string> byName;
        std::set<std::string> seen;
        for (int code = 1; code <= kLanguageCount; ++code) {
            const std::string iso = IsoCodeOfLanguage(code);
            if (iso.empty() || rightToLeft.count(iso) || !seen.insert(iso).second) continue;
            const QLocale::Language l = QLocale::codeToLanguage(Q(iso));
            const QString name = l != QLocale::AnyLanguage ? QLocale::languageToString(l) : Q(LanguageName(code));
            byName[name] = iso;
        }
        return std::vector<std::pair<QString, std::string>>(byName.begin(), byName.end());
    }();
    return list;
}

void FillLanguages(QComboBox* combo) {
    for (const auto& [name, iso] : Languages()) combo->addItem(name, Q(iso));
}

QString TrackText(const TFilmTrackInfo& t) {
    const std::string iso = LanguageOfTag(t.Language);
    QString language = iso.empty() ? QStringLiteral("Unknown language")
                                   : QLocale::languageToString(QLocale::codeToLanguage(Q(iso)));
    QString text = QStringLiteral("Track %1: %2").arg(t.Number + 1).arg(language);
    if (!t.Title.empty()) text += QStringLiteral(" \u2013 ") + Q(t.Title);
    if (t.Pictures) text += QStringLiteral(" (pictures, read by OCR)");
    return text;
}

} // namespace

// The film's tracks through libavformat.
std::function<TFilmDescription(const std::string&)> TNewCourseDialog::DescribeFilm = [](const std::string& film) {
    const discbuild::TFilmTracks tracks = discbuild::ListFilmTracks(film);
    TFilmDescription d;
    d.Title = tracks.Title;
    d.Error = tracks.Error;
    // Tracks are numbered as the builder takes them: among all of their kind, text and pictures alike.
    for (const discbuild::TFilmTrack& t : tracks.Tracks) {
        std::vector<TFilmTrackInfo>& list = t.kind == discbuild::TFilmTrack::Audio ? d.Audio : d.Subtitles;
        list.push_back({int(list.size()), t.Language, t.Title, t.Codec, t.kind == discbuild::TFilmTrack::PictureSubtitle});
    }
    if (d.Error.empty() && d.Audio.empty()) d.Error = "This film has no sound: a course needs the film's voices.";
    return d;
};

std::function<std::string(QWidget*, const QString&, const QString&)> TNewCourseDialog::ChooseFile =
    [](QWidget* parent, const QString& caption, const QString& filter) {
        // Films are looked for where films are kept, then where the last one was found.
        static QString folder;
        if (folder.isEmpty()) {
            folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
            if (!QFileInfo(folder).isDir()) folder = QDir::homePath();
        }
        const QString file = QFileDialog::getOpenFileName(parent, caption, folder, filter);
        if (!file.isEmpty()) folder = QFileInfo(file).absolutePath();
        return file.toStdString();
    };

std::string LanguageOfTag(const std::string& tag) {
    if (std::string iso = discbuild::TwoLetterLanguage(tag); !iso.empty()) return iso;
    // An English name: "French", "japanese".
    const QString t = Q(tag).trimmed();
    for (const auto& [name, iso] : Languages())
        if (name.compare(t, Qt::CaseInsensitive) == 0) return iso;
    return {};
}

std::string LanguageOfFileName(const std::string& fileName) {
    const QStringList parts = QFileInfo(Q(fileName)).fileName().split('.');
    // The tag sits between the name and the extension: "Film.fr.srt", "Film.eng.forced.srt".
    for (int i = int(parts.size()) - 2; i >= 1; --i) {
        const QString p = parts[i];
        if (p.size() < 2 || p.size() > 12) continue;
        if (std::string iso = LanguageOfTag(p.toStdString()); !iso.empty()) return iso;
    }
    return {};
}

std::string TitleOfFileName(const std::string& fileName) {
    QString t = QFileInfo(Q(fileName)).completeBaseName();
    t.replace(QRegularExpression(QStringLiteral("[._]+")), QStringLiteral(" "));
    // Release details after the year or the picture size are not the title.
    static const QRegularExpression noise(QStringLiteral(
        "\\b(2160p|1080p|720p|480p|4k|hdr|bluray|blu ray|brrip|bdrip|web ?dl|webrip|hdtv|dvdrip|x264|x265|h264|h265|hevc|"
        "aac|ac3|dts|remux|proper|repack|extended|multi)\\b.*$"),
        QRegularExpression::CaseInsensitiveOption);
    t.remove(noise);
    t.remove(QRegularExpression(QStringLiteral("[\\[\\(]\\s*[\\]\\)]")));
    return t.simplified().toStdString();
}

bool IsSubtitleFileName(const std::string& fileName) {
    const QString ext = QFileInfo(Q(fileName)).suffix().toLower();
    return ext == "srt" || ext == "vtt" || ext == "ass" || ext == "ssa";
}

TNewCourseDialog::TNewCourseDialog(QWidget* parent, int helpLanguage)
    : QDialog(parent), helpLanguage_(helpLanguage) {
    setWindowTitle(QStringLiteral("New course from a film"));
    setModal(true);
    setStyleSheet(skin::DialogStyleSheet() +
                  QStringLiteral("QLineEdit, QComboBox { color: rgb(246, 236, 212); background: rgb(30, 44, 84);"
                                 " border: 1px solid rgb(196, 152, 70); border-radius: 4px; padding: 4px 6px;"
                                 " font-size: 14px; }"
                                 "QComboBox QAbstractItemView { color: rgb(246, 236, 212); background: rgb(30, 44, 84);"
                                 " selection-background-color: rgb(58, 80, 138); }"
                                 "QLabel#problem { color: rgb(246, 212, 130); font-size: 14px; }"
                                 "QComboBox:disabled { color: rgb(130, 130, 140); border-color: rgb(96, 84, 60); }"
                                 "QPushButton:disabled { color: rgb(130, 130, 140); border-color: rgb(96, 84, 60); }"));
    auto* intro = new QLabel(QStringLiteral("Choose a film you have, with its subtitles: Tavolin turns it into a "
                                            "course with the screenplay, the activities and the games."),
                             this);
    intro->setWordWrap(true);

    Edit_Film = new QLineEdit(this);
    Edit_Film->setReadOnly(true);
    Edit_Film->setPlaceholderText(QStringLiteral("No film chosen"));
    Button_Film = new QPushButton(QStringLiteral("Choose\u2026"), this);
    auto* filmRow = new QHBoxLayout;
    filmRow->addWidget(Edit_Film, 1);
    filmRow->addWidget(Button_Film);

    Combo_Subtitles = new QComboBox(this);
    Combo_Language = new QComboBox(this);
    FillLanguages(Combo_Language);
    Combo_Language->setPlaceholderText(QStringLiteral("Choose the film's language"));
    Combo_Language->setCurrentIndex(-1);
    Combo_Help = new QComboBox(this);
    Combo_HelpLanguage = new QComboBox(this);
    FillLanguages(Combo_HelpLanguage);
    SelectLanguage(Combo_HelpLanguage, IsoCodeOfLanguage(helpLanguage));
    Edit_Title = new QLineEdit(this);
    Edit_Title->setMaxLength(80);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->addRow(QStringLiteral("Film:"), filmRow);
    form->addRow(QStringLiteral("Subtitles:"), Combo_Subtitles);
    form->addRow(QStringLiteral("Language of the film:"), Combo_Language);
    form->addRow(QStringLiteral("Help subtitles:"), Combo_Help);
    form->addRow(QStringLiteral("Their language:"), Combo_HelpLanguage);
    form->addRow(QStringLiteral("Title:"), Edit_Title);

    Label_Problem = new QLabel(this);
    Label_Problem->setObjectName(QStringLiteral("problem"));
    Label_Problem->setWordWrap(true);
    Button_Build = new QPushButton(QStringLiteral("Build the course"), this);
    Button_Build->setDefault(true);
    Button_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button_Cancel);
    buttons->addWidget(Button_Build);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(22, 18, 22, 18);
    layout->setSpacing(12);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(Label_Problem);
    layout->addLayout(buttons);
    setMinimumWidth(560);

    connect(Button_Film, &QPushButton::clicked, this, [this] {
        const std::string f = ChooseFile(this, QStringLiteral("Choose a film"), QString::fromLatin1(kFilmFilter));
        if (!f.empty()) SetFilm(f);
    });
    connect(Combo_Subtitles, &QComboBox::activated, this, [this] { SubtitlesChosen(); });
    connect(Combo_Help, &QComboBox::activated, this, [this] { HelpChosen(); });
    connect(Combo_Language, &QComboBox::currentIndexChanged, this, [this] { UpdateProblem(); });
    connect(Combo_Subtitles, &QComboBox::currentIndexChanged, this, [this] { UpdateProblem(); });
    connect(Combo_Help, &QComboBox::currentIndexChanged, this, [this] { UpdateProblem(); });
    connect(Combo_HelpLanguage, &QComboBox::currentIndexChanged, this, [this] { UpdateProblem(); });
    connect(Edit_Title, &QLineEdit::textEdited, this, [this] {
        titleEdited_ = true;
        UpdateProblem();
    });
    connect(Button_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button_Build, &QPushButton::clicked, this, [this] {
        if (Problem().empty()) accept();
    });
    FillTracks();
}

void TNewCourseDialog::SetFilm(const std::string& path) {
    filmPath_ = path;
    subtitleFile_.clear();
    helpFile_.clear();
    Edit_Film->setText(QFileInfo(Q(path)).fileName());
    Edit_Film->setToolTip(Q(path));
    film_ = DescribeFilm ? DescribeFilm(path) : TFilmDescription{};
    titleGuess_ = !film_.Title.empty() ? film_.Title : TitleOfFileName(path);
    if (!titleEdited_) Edit_Title->setText(Q(titleGuess_));
    FillTracks();
}

void TNewCourseDialog::SetSubtitleFile(const std::string& path) {
    subtitleFile_ = path;
    FillTracks();
    if (std::string iso = LanguageOfFileName(path); !iso.empty()) SelectLanguage(Combo_Language, iso);
    UpdateProblem();
}

void TNewCourseDialog::SetHelpFile(const std::string& path) {
    helpFile_ = path;
    FillTracks();
    if (std::string iso = LanguageOfFileName(path); !iso.empty()) SelectLanguage(Combo_HelpLanguage, iso);
    UpdateProblem();
}

void TNewCourseDialog::TakeDroppedFiles(const std::vector<std::string>& files) {
    std::vector<std::string> subtitles;
    std::string film;
    for (const std::string& f : files) {
        if (IsSubtitleFileName(f)) subtitles.push_back(f);
        else if (film.empty()) film = f;
    }
    if (!film.empty()) SetFilm(film);
    if (subtitles.empty()) return;
    // With two files, the one whose name says the help language is the help subtitles.
    const std::string help = IsoCodeOfLanguage(helpLanguage_);
    if (subtitles.size() >= 2 && !help.empty() && LanguageOfFileName(subtitles[0]) == help)
        std::swap(subtitles[0], subtitles[1]);
    SetSubtitleFile(subtitles[0]);
    if (subtitles.size() >= 2) SetHelpFile(subtitles[1]);
}

void TNewCourseDialog::FillTracks() {
    Combo_Subtitles->clear();
    Combo_Help->clear();
    Combo_Help->addItem(QStringLiteral("None"), kNone);
    for (const TFilmTrackInfo& t : film_.Subtitles) {
        Combo_Subtitles->addItem(TrackText(t), t.Number);
        Combo_Help->addItem(TrackText(t), t.Number);
    }
    if (!subtitleFile_.empty())
        Combo_Subtitles->addItem(QStringLiteral("File: ") + QFileInfo(Q(subtitleFile_)).fileName(), kChosenFile);
    Combo_Subtitles->addItem(QStringLiteral("A subtitle file\u2026"), kChooseFile);
    if (!helpFile_.empty())
        Combo_Help->addItem(QStringLiteral("File: ") + QFileInfo(Q(helpFile_)).fileName(), kChosenFile);
    Combo_Help->addItem(QStringLiteral("A subtitle file\u2026"), kChooseFile);

    // The film's subtitles: a chosen file first, else the first text track
    // not in the learner's help language, else the first track.
    int pick = Combo_Subtitles->findData(kChosenFile);
    if (pick < 0) {
        for (const TFilmTrackInfo& t : film_.Subtitles)
            if (!t.Pictures && LanguageOfTag(t.Language) != IsoCodeOfLanguage(helpLanguage_)) {
                pick = Combo_Subtitles->findData(t.Number);
                break;
            }
    }
    if (pick < 0 && !film_.Subtitles.empty()) pick = 0;
    if (pick >= 0) Combo_Subtitles->setCurrentIndex(pick);
    else Combo_Subtitles->setCurrentIndex(-1);
    // Help subtitles: a chosen file, else the film's text track in the learner's own language.
    int helpPick = Combo_Help->findData(kChosenFile);
    const int filmTrack = pick >= 0 ? Combo_Subtitles->itemData(pick).toInt() : kNone;
    if (helpPick < 0)
        for (const TFilmTrackInfo& t : film_.Subtitles)
            if (!t.Pictures && t.Number != filmTrack && LanguageOfTag(t.Language) == IsoCodeOfLanguage(helpLanguage_)) {
                helpPick = Combo_Help->findData(t.Number);
                SelectLanguage(Combo_HelpLanguage, LanguageOfTag(t.Language));
                break;
            }
    Combo_Help->setCurrentIndex(helpPick >= 0 ? helpPick : 0);
    if (pick >= 0 && Combo_Subtitles->itemData(pick).toInt() >= 0) {
        const int number = Combo_Subtitles->itemData(pick).toInt();
        for (const TFilmTrackInfo& t : film_.Subtitles)
            if (t.Number == number) SelectLanguage(Combo_Language, LanguageOfTag(t.Language));
    }
    UpdateProblem();
}

void TNewCourseDialog::SubtitlesChosen() {
    const int data = Combo_Subtitles->currentData().toInt();
    if (data == kChooseFile) {
        const std::string f =
            ChooseFile(this, QStringLiteral("Choose the film's subtitles"), QString::fromLatin1(kSubtitleFilter));
        if (!f.empty()) SetSubtitleFile(f);
        else FillTracks();
        return;
    }
    for (const TFilmTrackInfo& t : film_.Subtitles)
        if (t.Number == data) SelectLanguage(Combo_Language, LanguageOfTag(t.Language));
    UpdateProblem();
}

void TNewCourseDialog::HelpChosen() {
    const int data = Combo_Help->currentData().toInt();
    if (data == kChooseFile) {
        const std::string f =
            ChooseFile(this, QStringLiteral("Choose subtitles in your language"), QString::fromLatin1(kSubtitleFilter));
        if (!f.empty()) {
            SetHelpFile(f);
        } else {
            Combo_Help->setCurrentIndex(std::max(0, Combo_Help->findData(helpFile_.empty() ? kNone : kChosenFile)));
            UpdateProblem();
        }
        return;
    }
    for (const TFilmTrackInfo& t : film_.Subtitles)
        if (t.Number == data) SelectLanguage(Combo_HelpLanguage, LanguageOfTag(t.Language));
    UpdateProblem();
}

void TNewCourseDialog::SelectLanguage(QComboBox* combo, const std::string& iso) {
    if (iso.empty()) return;
    const int i = combo->findData(Q(iso));
    if (i >= 0) combo->setCurrentIndex(i);
}

TCourseRequest TNewCourseDialog::Request() const {
    TCourseRequest r;
    r.Film = filmPath_;
    const int sub = Combo_Subtitles->currentData().toInt();
    if (sub == kChosenFile) r.SubtitleFile = subtitleFile_;
    else if (sub >= 0 && Combo_Subtitles->currentIndex() >= 0) r.SubtitleTrack = sub;
    r.Language = Combo_Language->currentData().toString().toStdString();
    const int help = Combo_Help->currentData().toInt();
    if (help == kChosenFile) r.HelpFile = helpFile_;
    else if (help >= 0) r.HelpTrack = help;
    if (!r.HelpFile.empty() || r.HelpTrack >= 0) r.HelpLanguage = Combo_HelpLanguage->currentData().toString().toStdString();
    r.Title = Edit_Title->text().simplified().toStdString();
    return r;
}

std::string TNewCourseDialog::Problem() const {
    if (filmPath_.empty()) return "Choose the film.";
    if (!film_.Error.empty()) return film_.Error;
    const TCourseRequest r = Request();
    if (r.SubtitleFile.empty() && r.SubtitleTrack < 0)
        return film_.Subtitles.empty() ? "This film holds no subtitles: choose a subtitle file in its language."
                                       : "Choose the film's subtitles.";
    if (r.Language.empty()) return "Choose the language of the film.";
    if (r.HelpTrack >= 0 && r.HelpTrack == r.SubtitleTrack)
        return "The help subtitles are the film's own: choose another track or none.";
    if (!r.HelpLanguage.empty() && r.HelpLanguage == r.Language)
        return "The help subtitles are in the film's language: choose their language or none.";
    if (r.Title.empty()) return "Give the course a title.";
    return {};
}

void TNewCourseDialog::UpdateProblem() {
    const std::string p = Problem();
    Label_Problem->setText(Q(p));
    Label_Problem->setVisible(!p.empty());
    Button_Build->setEnabled(p.empty());
    const bool hasHelp = Combo_Help->currentData().toInt() != kNone;
    Combo_HelpLanguage->setEnabled(hasHelp);
}

void AskForNewCourse(TForm_Main& main, const std::vector<std::string>& dropped) {
    if (main.Remote) return;
    QPointer<TForm_Main> window(&main);
    TNewCourseDialog dialog(DialogOwner(&main), main.HelpLanguage);
    if (!dropped.empty()) dialog.TakeDroppedFiles(dropped);
    const int answer = dialog.exec();
    if (!window || answer != QDialog::Accepted || !dialog.Problem().empty()) return;
    main.PendingCourse = dialog.Request();
    main.PostStateChange(stCourseBuild, trBlend);
}

} // namespace tav
