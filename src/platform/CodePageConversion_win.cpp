// The code-page seam over kernel32.
#include "platform/CodePageConversion.h"

#include <windows.h>

static_assert(sizeof(char16_t) == sizeof(WCHAR), "UTF-16 units are WCHARs");

int MultiByteToWide(unsigned codePage, unsigned flags, const char* source, int sourceBytes,
                    char16_t* out, int outUnits) {
    return MultiByteToWideChar(codePage, flags, source, sourceBytes, reinterpret_cast<LPWSTR>(out),
                               outUnits);
}

int WideToMultiByte(unsigned codePage, unsigned flags, const char16_t* source, int sourceUnits,
                    char* out, int outBytes) {
    return WideCharToMultiByte(codePage, flags, reinterpret_cast<LPCWCH>(source), sourceUnits, out,
                               outBytes, nullptr, nullptr);
}
