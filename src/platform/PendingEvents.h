// Lets the window's messages run while the program is busy: the one-second
// wait at start-up and the request operation call it so that the window keeps
// painting and its buttons keep answering.
#pragma once

// Dispatches every message already waiting for this thread (handlers may run
// inside the call), then returns without waiting for more.
void ProcessPendingEvents();
