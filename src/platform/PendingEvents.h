// Lets the one GUI thread handle the window messages waiting for it in the
// middle of a long operation, so the window repaints and its handlers run
// nested inside that operation.
#pragma once

// Dispatches every message already queued for the calling thread and returns
// when the queue is empty; it never waits for new messages. A quit request
// met on the way is put back for the main message loop.
void ProcessPendingEvents();
