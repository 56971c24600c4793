// The seam to the system's code-page conversions. The shapes follow kernel32's
// MultiByteToWideChar and WideCharToMultiByte: with no output buffer the call
// returns how many units (or bytes) the conversion needs, otherwise how many it
// wrote; 0 means failure. A source length of -1 means "up to and including the
// terminating NUL". UTF-16 units are little-endian 16-bit values.
//
// The Windows build calls kernel32. The native build converts through iconv
// with the same results for valid text; bytes iconv cannot convert come out
// as '?', and the composite check of WideToMultiByte is not applied there.
#pragma once

#include <cstdint>

constexpr unsigned kCodePageGbk = 936;
constexpr unsigned kCodePageUtf8 = 65001;
constexpr unsigned kWcCompositeCheck = 0x200;

int MultiByteToWide(unsigned codePage, unsigned flags, const char* source, int sourceBytes,
                    char16_t* out, int outUnits);

int WideToMultiByte(unsigned codePage, unsigned flags, const char16_t* source, int sourceUnits,
                    char* out, int outBytes);
