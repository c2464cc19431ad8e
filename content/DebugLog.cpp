#include "content/DebugLog.h"

#include <cstdarg>
#include <cstdio>

namespace tav {

bool DebugEnabled = false;

namespace {
TDebugSink& Sink() {
    static TDebugSink sink;
    return sink;
}
} // namespace

void SetDebugSink(TDebugSink sink) { Sink() = std::move(sink); }

void DebugLog(const std::string& line) {
    if (auto& s = Sink()) s(line);
}

void DebugLogFmt(const char* fmt, ...) {
    char buf[1024];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    DebugLog(buf);
}

} // namespace tav
