#pragma once
// A cross-fade of a whole screen: the look before a change fades into the
// look after it. Used where a screen shows or hides a large picture (the
// help overlay) without a screen change.
#include <functional>

class QWidget;

namespace tav {

constexpr int kBlendMs = 250;

// Snapshots the screen, runs change, snapshots again and lays a cross-fade
// over the screen for ms milliseconds. The change itself is immediate: the
// screen's state is final when this returns.
void BlendChange(QWidget* screen, int ms, const std::function<void()>& change);

// True while a cross-fade is laid over the screen.
bool BlendRunning(const QWidget* screen);

} // namespace tav
