#pragma once
// Posted window messages: each message number has its own QEvent type and
// carries WParam and LParam. Posting never runs the receiver's handler now; it
// runs when the event loop delivers the event.
#include <QEvent>
#include <cstdint>

class QObject;

namespace tav {

constexpr int WM_USER = 0x400;
constexpr int MM_MCINOTIFY = 0x3B9;
constexpr int WM_APP = 0x8000;

// MCI completion outcomes carried in WParam of MM_MCINOTIFY.
constexpr int MCI_NOTIFY_SUCCESSFUL = 1;
constexpr int MCI_NOTIFY_SUPERSEDED = 2;
constexpr int MCI_NOTIFY_ABORTED = 4;
constexpr int MCI_NOTIFY_FAILURE = 8;

class TMessageEvent : public QEvent {
public:
    TMessageEvent(int message, intptr_t wParam, intptr_t lParam, uint32_t serial = 0);
    int Message() const { return message_; }
    intptr_t WParam() const { return wParam_; }
    intptr_t LParam() const { return lParam_; }
    // The play a completion belongs to (0: not a numbered play), so a
    // receiver can drop completions of plays it has since replaced.
    uint32_t Serial() const { return serial_; }

    // The QEvent type used for a message number.
    static QEvent::Type TypeFor(int message);

private:
    int message_;
    intptr_t wParam_;
    intptr_t lParam_;
    uint32_t serial_;
};

// Queues the message for the receiver and returns at once.
void PostMessage(QObject* receiver, int message, intptr_t wParam, intptr_t lParam, uint32_t serial = 0);

// A new play serial number: program-wide, increasing, never 0.
uint32_t NextPlaySerial();

// The message carried by an event, or nullptr when it is not a posted message.
const TMessageEvent* AsMessage(const QEvent* e, int message);

} // namespace tav
