#pragma once
// Modal message boxes with the program's icons and buttons. Tests replace the
// presenter to read the message and choose the answer.
#include <functional>
#include <string>

namespace tav {

enum class TMsgIcon { Information, Warning, Error };
enum class TMsgButtons { OK, AbortIgnore, OKCancel };
enum class TModalResult { OK, Cancel, Abort, Ignore };

struct TMessage {
    std::string Text;
    TMsgIcon Icon;
    TMsgButtons Buttons;
};

using TMessagePresenter = std::function<TModalResult(const TMessage&)>;

TModalResult MessageDlg(const std::string& text, TMsgIcon icon, TMsgButtons buttons = TMsgButtons::OK);
// nullptr restores the real dialog.
void SetMessagePresenter(TMessagePresenter presenter);

} // namespace tav
