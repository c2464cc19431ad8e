#pragma once
// Input made while the program waits for a sound or a line to end.
//
// A handler that plays "with wait" must not be re-entered by a click, so the
// window system's clicks and keys are held back from the screens while it
// waits. Holding them for the whole sound would freeze the window, though:
// the first press (a click, a key, closing the window) ends the wait at once,
// waits begun before the held input is delivered end at once too, and the
// held input is handed back to the window system in order when the outermost
// wait is over. The handler finishes its step, and the click acts next, as a
// learner expects (Back during a waiting sound leaves at once).
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QPointF>
#include <QString>
#include <QWindow>

#include <deque>
#include <functional>
#include <vector>

class QEvent;

namespace tav {

class THeldInput : public QObject {
public:
    static THeldInput& Instance();

    // One wait; stop ends what is waited for (the wait's own loop is quit too).
    // Waits nest: a message run inside a wait may wait again.
    class TWait {
    public:
        explicit TWait(std::function<void()> stop);
        ~TWait();
        TWait(const TWait&) = delete;
        TWait& operator=(const TWait&) = delete;
    };

    // A press was made during a wait and has not been delivered yet: a wait
    // begun now ends before it starts.
    bool Interrupted() const;
    // The event is the learner moving on, which input flushes made by the
    // step that waited leave alone: held input handed back, and input made
    // just after the press that ended a wait (that press's release).
    bool SurvivesFlush(const QEvent* event) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct THeld {
        QPointer<QWindow> Window;
        int Type = 0;
        ulong Timestamp = 0;
        QPointF Local, Global;
        int Buttons = 0, Button = 0, Modifiers = 0;
        int Key = 0;
        quint32 ScanCode = 0, VirtualKey = 0, NativeModifiers = 0;
        QString Text;
        bool AutoRepeat = false;
        int Count = 1;
        QPoint PixelDelta, AngleDelta;
    };

    THeldInput() = default;
    void Begin(std::function<void()> stop);
    void End();
    bool Hold(QWindow* window, QEvent* event);
    void Release();
    bool NoteDelivery(QObject* watched, QEvent* event);

    bool installed_ = false;
    std::vector<std::function<void()>> stops_; // innermost last
    QWindow* modalAtStart_ = nullptr;
    std::vector<THeld> held_;
    bool interrupted_ = false;
    QElapsedTimer sinceInterrupt_;
    ulong interruptStamp_ = 0; // the window system's time of the press that ended a wait
    std::deque<std::pair<int, ulong>> toDeliver_; // type and stamp of each event handed back
};

} // namespace tav
