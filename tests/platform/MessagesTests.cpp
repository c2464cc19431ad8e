// Posted messages arrive later, in order, with their parameters.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>

#include "platform/Clock.h"
#include "platform/Messages.h"

using namespace tav;

namespace {
class Receiver : public QObject {
public:
    std::vector<std::tuple<int, intptr_t, intptr_t>> got;
    bool event(QEvent* e) override {
        if (auto* m = dynamic_cast<TMessageEvent*>(e)) {
            got.emplace_back(m->Message(), m->WParam(), m->LParam());
            return true;
        }
        return QObject::event(e);
    }
};
} // namespace

TEST(Messages, PostedNotCalledAndDeliveredInOrder) {
    Receiver r;
    PostMessage(&r, WM_USER, 11, 1);
    PostMessage(&r, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 7);
    EXPECT_TRUE(r.got.empty());
    QCoreApplication::sendPostedEvents(&r);
    ASSERT_EQ(r.got.size(), 2u);
    EXPECT_EQ(r.got[0], std::make_tuple(WM_USER, intptr_t(11), intptr_t(1)));
    EXPECT_EQ(r.got[1], std::make_tuple(MM_MCINOTIFY, intptr_t(1), intptr_t(7)));
    const TMessageEvent ev(WM_USER, 0, 0);
    EXPECT_NE(AsMessage(&ev, WM_USER), nullptr);
    EXPECT_EQ(AsMessage(&ev, MM_MCINOTIFY), nullptr);
}

TEST(Clock, CanBeReplacedAndRestored) {
    SetTickSource([] { return 1234u; });
    EXPECT_EQ(GetTickCount(), 1234u);
    SetTickSource(nullptr);
    uint32_t a = GetTickCount();
    uint32_t b = GetTickCount();
    EXPECT_GE(b, a);
}
