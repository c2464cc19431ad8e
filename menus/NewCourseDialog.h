#pragma once
// "New course from a film…": the small dialog that asks what a new course
// is built from. The film; its subtitles (a track inside the film, chosen by
// language, or a file); the film's language, guessed from the track's
// language tag or the file's name; optional help-language subtitles; and a
// title, from the film's own title or its file name.
#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "app/CourseLibrary.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tav {

class TForm_Main;

// A film's tracks as the dialog offers them.
struct TFilmTrackInfo {
    int Number = 0;         // among the film's sound or subtitle tracks, from 0 (as --subtitle-track takes it)
    std::string Language;   // the track's language tag as written ("fre", "en", "")
    std::string Title;      // the track's own title, may be empty
    std::string Codec;      // "subrip", "ass", "hdmv_pgs_subtitle" ...
    bool Pictures = false;  // a picture track, read by OCR
};
struct TFilmDescription {
    std::vector<TFilmTrackInfo> Subtitles, Audio;
    std::string Title;      // the film's title from its metadata, may be empty
    std::string Error;      // why the file cannot be read as a film; empty when it can
};

// Two-letter code of a language tag ("fre", "fra", "fr", "French") or "".
std::string LanguageOfTag(const std::string& tag);
// "fr" from "Amelie.fr.srt" or "Amelie.french.srt"; "" when the name says nothing.
std::string LanguageOfFileName(const std::string& fileName);
// A title from a film's file name: "Le_Petit.Prince.2015.1080p.mkv" -> "Le Petit Prince 2015".
std::string TitleOfFileName(const std::string& fileName);
// A dropped file is subtitles (.srt, .vtt, .ass, .ssa) rather than a film.
bool IsSubtitleFileName(const std::string& fileName);

class TNewCourseDialog : public QDialog {
    Q_OBJECT
public:
    TNewCourseDialog(QWidget* parent, int helpLanguage);

    // How the dialog reads a film (the program installs the real one) and
    // how it asks for a file (tests replace it).
    static std::function<TFilmDescription(const std::string& film)> DescribeFilm;
    static std::function<std::string(QWidget* parent, const QString& caption, const QString& filter)> ChooseFile;

    void SetFilm(const std::string& path);
    void SetSubtitleFile(const std::string& path);
    void SetHelpFile(const std::string& path);
    // Files dropped on the window: the first film and up to two subtitle files
    // (the one in the film's language first, else in the order given).
    void TakeDroppedFiles(const std::vector<std::string>& files);

    // What to build; valid only when Problem() is empty.
    TCourseRequest Request() const;
    // Why the course cannot be built yet, in plain words; empty when it can.
    std::string Problem() const;

    QLineEdit* Edit_Film;
    QPushButton* Button_Film;
    QComboBox* Combo_Subtitles;
    QComboBox* Combo_Language;
    QComboBox* Combo_Help;
    QComboBox* Combo_HelpLanguage;
    QLineEdit* Edit_Title;
    QLabel* Label_Problem;
    QPushButton* Button_Build;
    QPushButton* Button_Cancel;

private:
    void FillTracks();
    void SubtitlesChosen();
    void HelpChosen();
    void SelectLanguage(QComboBox* combo, const std::string& iso);
    void UpdateProblem();

    TFilmDescription film_;
    std::string filmPath_, subtitleFile_, helpFile_, titleGuess_;
    bool titleEdited_ = false;
    int helpLanguage_;
};

// Shows the dialog (files dropped on the window fill it in); "Build the
// course" puts the request into the main window and goes to the build
// screen. Remote mode builds nothing: the classroom manager names the content.
void AskForNewCourse(TForm_Main& main, const std::vector<std::string>& dropped = {});

} // namespace tav
