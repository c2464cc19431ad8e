#pragma once
// Finding the content disc: the scan of mounted discs and the "Insert disk"
// dialog that keeps looking once a second and lets the learner browse.
#include <QDialog>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;

namespace tav {

// The mounted volumes that may hold a content disc, in a stable order:
// optical file systems (iso9660, udf) and folders under the usual mount
// points. Tests install their own list.
using TVolumeLister = std::function<std::vector<std::string>()>;
void SetVolumeLister(TVolumeLister lister); // nullptr restores the system scan
std::vector<std::string> MountedVolumes();

// The first volume that holds the content files; empty when none does.
// Unreadable or empty drives are skipped silently.
std::string LocateContent();

class TForm_InsertDVD : public QDialog {
    Q_OBJECT
public:
    explicit TForm_InsertDVD(QWidget* parent = nullptr);

    // Shows the dialog modally; returns the content root, or empty when the
    // learner cancelled.
    std::string Run(bool standAlone);
    std::string ContentRoot() const { return found_; }

    // The file dialog (tests replace it): returns the chosen file or empty.
    static std::function<std::string()> BrowseForTarget;

    QPushButton* BitBtn_OK;
    QPushButton* BitBtn_Cancel;
    QPushButton* BitBtn_Browse;
    QTimer Timer1;

    void LookAgain();
    void Browse();

private:
    std::string found_;
};

// The disc scan, then the dialog when nothing was found.
std::string AskForContentWithDialog(bool standAlone);

} // namespace tav
