#pragma once
// The system volume program a double click on the volume button brings up.
// The copy this program started is kept: a second double click raises it
// (minimised or not) instead of starting another. Nothing here waits on a
// child process, so the interface never stalls.
#include <QObject>
#include <QProcess>
#include <QStringList>

#include <functional>

namespace tav {

class TVolumeProgram : public QObject {
public:
    // programs: the volume programs to look for, in order of preference.
    // raiser: the tool that brings a window forward ("xdotool"); empty or
    // missing means windows are not raised (a Wayland session, for one).
    TVolumeProgram(QStringList programs, QString raiser, QObject* parent = nullptr);

    // The program's one instance for the volume button (pavucontrol, xdotool);
    // it is never destroyed, so the volume program stays open at exit.
    static TVolumeProgram& Instance();

    // Raises the copy we started, else a copy already open elsewhere, else
    // starts the first installed program. Returns at once.
    void Open();

    // The copy we started while it runs, else nullptr.
    const QProcess* Started() const;

private:
    void StartProgram();
    // Runs the raiser on args without waiting; done(true) when it found a window.
    void Raise(const QStringList& args, std::function<void(bool)> done);

    QStringList programs_;
    QString raiser_;
    QProcess* started_ = nullptr;
    QProcess* raising_ = nullptr;
};

} // namespace tav
