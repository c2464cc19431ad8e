#include "toolkit/MessageBox.h"

#include "content/UnicodeText.h"
#include "toolkit/Skin.h"

#include <QApplication>
#include <QMessageBox>

namespace tav {

namespace {
TMessagePresenter& Presenter() {
    static TMessagePresenter presenter;
    return presenter;
}
} // namespace

void SetMessagePresenter(TMessagePresenter presenter) { Presenter() = std::move(presenter); }

TModalResult MessageDlg(const std::string& text, TMsgIcon icon, TMsgButtons buttons) {
    TMessage m{text, icon, buttons};
    if (auto& p = Presenter()) return p(m);

    QMessageBox box;
    box.setWindowTitle(QApplication::applicationDisplayName().isEmpty() ? QStringLiteral("Tavolin")
                                                                        : QApplication::applicationDisplayName());
    box.setText(ToQString(text));
    box.setIcon(icon == TMsgIcon::Information ? QMessageBox::Information
                : icon == TMsgIcon::Warning   ? QMessageBox::Warning
                                              : QMessageBox::Critical);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setStyleSheet(skin::DialogStyleSheet());
    switch (buttons) {
    case TMsgButtons::OK:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case TMsgButtons::AbortIgnore:
        box.setStandardButtons(QMessageBox::Abort | QMessageBox::Ignore);
        box.setDefaultButton(QMessageBox::Abort);
        break;
    case TMsgButtons::OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Abort: return TModalResult::Abort;
    case QMessageBox::Ignore: return TModalResult::Ignore;
    case QMessageBox::Cancel: return TModalResult::Cancel;
    default: return TModalResult::OK;
    }
}

} // namespace tav
