#pragma once
// The "Insert disk" dialog: keeps looking for the content disc once a second
// and lets the learner browse. The program installs it as the content
// location's last resort (SetContentDialog).
#include <QDialog>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "app/DiscScan.h"

class QLabel;
class QPushButton;

namespace tav {

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
