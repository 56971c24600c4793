// The table of the system's WinHttp functions.
#include "http/WinHttpApi_win.h"

const WinHttpApi& SystemWinHttp() {
    static const WinHttpApi api = {
        WinHttpCheckPlatform,  WinHttpCrackUrl,        WinHttpOpen,
        WinHttpSetTimeouts,    WinHttpConnect,         WinHttpOpenRequest,
        WinHttpSetCredentials, WinHttpSetOption,       WinHttpAddRequestHeaders,
        WinHttpSendRequest,    WinHttpReceiveResponse, WinHttpQueryDataAvailable,
        WinHttpReadData,       WinHttpQueryHeaders,    WinHttpCloseHandle,
    };
    return api;
}
