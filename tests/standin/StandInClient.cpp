// Reading the stand-in service's state directory; see StandInClient.h.
#include "StandInClient.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <process.h>
#define CURRENT_PROCESS_ID _getpid()
#else
#include <unistd.h>
#define CURRENT_PROCESS_ID getpid()
#endif

namespace {

Text ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Text();
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

int ReadPortFile(const char* name) {
    const Text text = StandInFile(name);
    return text.empty() ? 0 : std::atoi(text.c_str());
}

} // namespace

std::string StandInStateDir() {
    const char* state = std::getenv("STANDIN_STATE");
    if (state == nullptr || *state == '\0') {
        return std::string();
    }
#ifdef _WIN32
    // A path of the build machine, reached through Wine's drive for the root.
    if (state[0] == '/') {
        return std::string("Z:") + state;
    }
#endif
    return state;
}

Text StandInFile(const std::string& relativePath) {
    const std::string dir = StandInStateDir();
    if (dir.empty()) {
        return Text();
    }
    return ReadWholeFile(std::filesystem::path(dir) / relativePath);
}

int StandInPort() {
    return ReadPortFile("port");
}

int StandInRefusedPort() {
    return ReadPortFile("refused-port");
}

Text StandInUrl(const Text& pathAndQuery) {
    return "https://127.0.0.1:" + std::to_string(StandInPort()) + pathAndQuery;
}

Text UniqueTag(const Text& prefix) {
    static std::atomic<int> counter{0};
    return prefix + "-" + std::to_string(CURRENT_PROCESS_ID) + "-" + std::to_string(++counter);
}

namespace {

template <typename Visit> void ForEachRecordedWithTag(const Text& tag, Visit visit) {
    const std::string dir = StandInStateDir();
    if (dir.empty()) {
        return;
    }
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(dir) / "requests", error)) {
        if (entry.path().extension() != ".http") {
            continue;
        }
        const Text request = ReadWholeFile(entry.path());
        const std::size_t lineEnd = request.find("\r\n");
        if (request.substr(0, lineEnd).find(tag) != Text::npos) {
            visit(request);
        }
    }
}

} // namespace

Text RecordedRequest(const Text& tag) {
    Text found;
    ForEachRecordedWithTag(tag, [&](const Text& request) { found = request; });
    return found;
}

int RecordedRequestCount(const Text& tag) {
    int count = 0;
    ForEachRecordedWithTag(tag, [&](const Text&) { ++count; });
    return count;
}
