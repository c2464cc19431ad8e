#pragma once
// A window stand-in that records every MM_MCINOTIFY it receives.
#include <QEvent>
#include <QObject>

#include <utility>
#include <vector>

#include "platform/Messages.h"

namespace tavtest {

class TNotifySink : public QObject {
public:
    struct Note {
        int Outcome;
        int Device;
        uint32_t Serial;
    };
    std::vector<Note> Notes;

    bool event(QEvent* e) override {
        if (auto* m = tav::AsMessage(e, tav::MM_MCINOTIFY)) {
            Notes.push_back({static_cast<int>(m->WParam()), static_cast<int>(m->LParam()), m->Serial()});
            return true;
        }
        return QObject::event(e);
    }
};

} // namespace tavtest
