// Finding this process's own top-level windows: other test programs run
// beside a test on the same screen and show windows of the same classes and
// titles, so a plain FindWindow may answer with theirs.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN // keeps the dialog library's FindText macro out
#endif
#include <windows.h>

#include <cstring>

// The first top-level window of this process with that class (and that
// title, unless it is null), or null.
inline HWND FindOwnWindow(const char* className, const char* title = nullptr) {
    struct Search {
        const char* className;
        const char* title;
        HWND found;
    } search{className, title, nullptr};
    EnumWindows(
        [](HWND candidate, LPARAM parameter) -> BOOL CALLBACK {
            auto* s = reinterpret_cast<Search*>(parameter);
            DWORD pid = 0;
            GetWindowThreadProcessId(candidate, &pid);
            if (pid != GetCurrentProcessId()) {
                return TRUE;
            }
            char name[64] = {};
            GetClassNameA(candidate, name, sizeof name);
            if (std::strcmp(name, s->className) != 0) {
                return TRUE;
            }
            if (s->title != nullptr) {
                char caption[256] = {};
                GetWindowTextA(candidate, caption, sizeof caption);
                if (std::strcmp(caption, s->title) != 0) {
                    return TRUE;
                }
            }
            s->found = candidate;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}
