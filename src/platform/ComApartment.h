// The COM bracket: each user of automation components holds one pair around
// its work on the calling thread.
#pragma once

// Enters a single-threaded apartment on the calling thread (CoInitialize with
// no reserved argument); the result is ignored, so a nested call just counts.
void InitializeCom();

// Leaves it again (CoUninitialize), one call per InitializeCom.
void UninitializeCom();
