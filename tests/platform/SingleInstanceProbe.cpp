// A process that takes the program's single-instance lock: prints "locked" and
// waits for its standard input to close, or prints "running" and ends with 3
// when another process holds the lock.
#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

#include "platform/SingleInstance.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tav::SingleInstance lock(argc > 1 ? argv[1] : "probe.lock");
    if (!lock.Acquire()) {
        std::puts("running");
        return 3;
    }
    std::puts("locked");
    std::fflush(stdout);
    char c;
    while (::read(0, &c, 1) > 0) {}
    return 0;
}
