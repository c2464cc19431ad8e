#include "toolkit/ErrorHandler.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace tav {

namespace {
TExceptionHandler& Handler() {
    static TExceptionHandler handler;
    return handler;
}
thread_local std::string g_text;
} // namespace

void SetExceptionHandler(TExceptionHandler handler) { Handler() = std::move(handler); }

const char* ExceptionText(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
        g_text.clear();
    } catch (const std::exception& e) {
        g_text = e.what();
    } catch (...) {
        g_text = "Unknown error";
    }
    return g_text.c_str();
}

void HandleException(std::exception_ptr error) {
    if (auto& h = Handler()) {
        try {
            h(error);
            return;
        } catch (...) {
            // A failing handler must not take the program down with it.
        }
    }
    std::fprintf(stderr, "System error: %s\n", ExceptionText(error));
}

} // namespace tav
