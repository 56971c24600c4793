// Private-profile access over kernel32's ANSI functions.
#include "platform/PrivateProfile.h"

#include <windows.h>

#include <vector>

Text ReadProfileValue(const Text& section, const Text& key, const Text& fileName,
                      std::size_t bufferBytes) {
    if (bufferBytes == 0) {
        return Text();
    }
    std::vector<char> buffer(bufferBytes, '\0');
    const DWORD copied =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                 static_cast<DWORD>(bufferBytes), fileName.c_str());
    const std::size_t length = copied < bufferBytes ? copied : bufferBytes - 1;
    return Text(buffer.data(), length);
}

bool WriteProfileValue(const Text& section, const Text& key, const Text& value,
                       const Text& fileName) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                      fileName.c_str()) != FALSE;
}
