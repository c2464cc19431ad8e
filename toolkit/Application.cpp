#include "toolkit/Application.h"

#include "toolkit/AppEvents.h"
#include "toolkit/ErrorHandler.h"

namespace tav {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    TAppEvents::Instance().Install();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

} // namespace tav
