#pragma once
// The application object: every exception that leaves an event handler is
// caught here and handed to the program's error handler, so none crosses
// the Qt event loop.
#include <QApplication>

namespace tav {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace tav
