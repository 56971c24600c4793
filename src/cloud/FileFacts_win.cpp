// The file facts over the system's file lookups and its date and time
// formatting; the rounding and naming rules are in FileFacts.cpp.
#include "cloud/FileFacts.h"

#include "platform/FileSystem.h"

std::int32_t FileSizeInKb(const Text& path) {
    std::uint32_t lowSize = 0;
    if (!FindPathEntry(path, lowSize)) {
        return -1;
    }
    return KilobytesFromLowSize(static_cast<std::int32_t>(lowSize));
}

Text FileModifiedTime(const Text& path) {
    LocalDateTime written;
    if (!LocalLastWriteTime(path, written)) {
        return Text();
    }
    return FormatDate(written, "yyyy-MM-dd") + " " + FormatTime(written, "HH:mm:ss");
}

Text FileNameOf(const Text& path) {
    return NameFromLastComponent(PathFileNamePart(path));
}
