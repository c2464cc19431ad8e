#pragma once
// Diagnostic lines for the debug log window. Any module may write them; the
// window (shown only when the configuration key Debug is set) installs itself
// as the sink. Without a sink the lines are dropped.
#include <functional>
#include <string>

namespace tav {

extern bool DebugEnabled;

void DebugLog(const std::string& line);
void DebugLogFmt(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

using TDebugSink = std::function<void(const std::string&)>;
void SetDebugSink(TDebugSink sink);

} // namespace tav
