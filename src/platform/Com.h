// The COM bracket: every user of COM objects (the shell link, the automation
// components) holds one pair around its work, on the GUI thread.
#pragma once

// CoInitialize with a null pointer (a single-threaded apartment); the result
// is not looked at, since a second call on the thread is harmless.
void InitializeCom();

// CoUninitialize, closing what InitializeCom opened.
void UninitializeCom();
