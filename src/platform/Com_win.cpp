// The COM bracket over ole32.
#include "platform/Com.h"

#include <objbase.h>
#include <windows.h>

void InitializeCom() {
    CoInitialize(nullptr);
}

void UninitializeCom() {
    CoUninitialize();
}
