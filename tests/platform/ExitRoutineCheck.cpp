// Registers an exit routine and ends by returning from main: the routine
// must run exactly once, after main has returned.
#include <cstdio>

#include "platform/WindowServices.h"

namespace {
bool mainReturned = false;

void AtExit() {
    std::printf("exit routine ran%s\n", mainReturned ? " after main" : " too early");
    std::fflush(stdout);
}
} // namespace

int main() {
    RegisterExitRoutine(AtExit);
    RegisterExitRoutine(nullptr); // ignored
    std::printf("main ends\n");
    mainReturned = true;
    return 0;
}
