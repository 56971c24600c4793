// Pending-message dispatch over user32.
#include "platform/PendingEvents.h"

#include <windows.h>

void ProcessPendingEvents() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
