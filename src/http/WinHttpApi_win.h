// The WinHttp functions the request engine calls, as a table with WinHttp's
// own signatures. The program always uses the system's table; tests put a
// recording table in its place to cause the failures no real server can.
#pragma once

#include "http/HttpRequest.h"

#include <windows.h>
#include <winhttp.h>

struct WinHttpApi {
    BOOL(WINAPI* CheckPlatform)();
    BOOL(WINAPI* CrackUrl)(LPCWSTR url, DWORD urlLength, DWORD flags, LPURL_COMPONENTS parts);
    HINTERNET(WINAPI* Open)
    (LPCWSTR agent, DWORD accessType, LPCWSTR proxyName, LPCWSTR proxyBypass, DWORD flags);
    BOOL(WINAPI* SetTimeouts)
    (HINTERNET handle, int resolveMs, int connectMs, int sendMs, int receiveMs);
    HINTERNET(WINAPI* Connect)
    (HINTERNET session, LPCWSTR serverName, INTERNET_PORT port, DWORD reserved);
    HINTERNET(WINAPI* OpenRequest)
    (HINTERNET connection, LPCWSTR verb, LPCWSTR objectName, LPCWSTR version, LPCWSTR referrer,
     LPCWSTR* acceptTypes, DWORD flags);
    BOOL(WINAPI* SetCredentials)
    (HINTERNET request, DWORD targets, DWORD scheme, LPCWSTR user, LPCWSTR password, LPVOID params);
    BOOL(WINAPI* SetOption)(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length);
    BOOL(WINAPI* AddRequestHeaders)
    (HINTERNET request, LPCWSTR headers, DWORD headersLength, DWORD modifiers);
    BOOL(WINAPI* SendRequest)
    (HINTERNET request, LPCWSTR headers, DWORD headersLength, LPVOID optional, DWORD optionalLength,
     DWORD totalLength, DWORD_PTR context);
    BOOL(WINAPI* ReceiveResponse)(HINTERNET request, LPVOID reserved);
    BOOL(WINAPI* QueryDataAvailable)(HINTERNET request, LPDWORD available);
    BOOL(WINAPI* ReadData)(HINTERNET request, LPVOID buffer, DWORD toRead, LPDWORD read);
    BOOL(WINAPI* QueryHeaders)
    (HINTERNET request, DWORD infoLevel, LPCWSTR name, LPVOID buffer, LPDWORD bufferLength,
     LPDWORD index);
    BOOL(WINAPI* CloseHandle)(HINTERNET handle);
};

// The system's WinHttp.
const WinHttpApi& SystemWinHttp();

// HttpRequest through the given table.
Text HttpRequestThrough(const WinHttpApi& api, const HttpRequestParams& params);
