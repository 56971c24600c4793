// The COM bracket over ole32.
#include "platform/ComApartment.h"

#include <objbase.h>
#include <windows.h>

void InitializeCom() {
    (void)CoInitialize(nullptr);
}

void UninitializeCom() {
    CoUninitialize();
}
