// Shell links, the Start Menu folder and file presence over shell32, ole32
// and kernel32, all with ANSI texts.
#include "platform/Shell.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <vector>

Text StartMenuFolderPath() {
    char buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_STARTMENU, FALSE)) {
        return Text();
    }
    return Text(buffer);
}

bool SaveShellLink(const Text& linkPath, const Text& target, const Text& workingDirectory,
                   int showCommand) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return false;
    }
    bool saved = SUCCEEDED(link->SetPath(target.c_str())) &&
                 SUCCEEDED(link->SetShowCmd(showCommand)) &&
                 SUCCEEDED(link->SetWorkingDirectory(workingDirectory.c_str()));
    IPersistFile* file = nullptr;
    if (saved &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        // The link's path goes to IPersistFile as UTF-16 from the ANSI code page.
        const int units = MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, nullptr, 0);
        std::vector<wchar_t> widePath(units > 0 ? static_cast<std::size_t>(units) : 1, L'\0');
        if (units > 0) {
            MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath.data(), units);
        }
        saved = units > 0 && SUCCEEDED(file->Save(widePath.data(), TRUE));
        file->Release();
    } else {
        saved = false;
    }
    link->Release();
    return saved;
}

bool DeleteFileAt(const Text& path) {
    return DeleteFileA(path.c_str()) != FALSE;
}

bool FilePresent(const Text& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return true;
}
