// The probe tool's output, which people and scripts read: its exact lines
// for a loadable DLL, a DLL the loader rejects and a file that is no image.
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

#include "FixtureImages.h"

namespace {

// Runs a command line with its standard output captured; false when it could
// not be started or did not end within half a minute.
bool RunCaptured(const std::string& commandLine, std::string& outputOut, DWORD& exitCodeOut) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string mutableLine = commandLine;
    const BOOL started = CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return false;
    }
    char chunk[512];
    DWORD got = 0;
    while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        outputOut.append(chunk, got);
    }
    CloseHandle(readEnd);
    const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(process.hProcess, 1);
    }
    GetExitCodeProcess(process.hProcess, &exitCodeOut);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return ended;
}

std::string Hex(std::uint32_t value) {
    char text[16];
    wsprintfA(text, "0x%x", value);
    return text;
}

std::string ExportRva(HMODULE module, const char* name) {
    const FARPROC procedure = GetProcAddress(module, name);
    return Hex(procedure ? static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(procedure) -
                                                      reinterpret_cast<UINT_PTR>(module))
                         : 0);
}

std::string Probe(const std::string& arguments, DWORD& exitCodeOut) {
    std::string output;
    EXPECT_TRUE(
        RunCaptured("\"" + FixturePath("loadprobe.exe") + "\" " + arguments, output, exitCodeOut));
    std::string lines;
    for (char c : output) {
        if (c != '\r') {
            lines += c;
        }
    }
    return lines;
}

TEST(LoadProbe, ReportsBaseExportsAndCalls) {
    HMODULE system = LoadLibraryA(FixturePath("memmodule_fixture.dll").c_str());
    ASSERT_NE(system, nullptr);
    const std::string expected = "loaded 1 base 0x10000000\n"
                                 "FixtureSix " +
                                 ExportRva(system, "FixtureSix") +
                                 "\n"
                                 "6 " +
                                 ExportRva(system, "FixtureSix") +
                                 "\n"
                                 "7 " +
                                 ExportRva(system, MAKEINTRESOURCEA(7)) +
                                 "\n"
                                 "0 0x0\n"
                                 "Missing 0x0\n"
                                 "call FixtureReadGlobal = 1234\n"
                                 "call FixtureNegative = -5\n"
                                 "call Missing = not found\n"
                                 "call 0x0\n";
    FreeLibrary(system);
    DWORD exitCode = 99;
    EXPECT_EQ(Probe("\"" + FixturePath("memmodule_fixture.dll") +
                        "\" FixtureSix 6 7 0 Missing call FixtureReadGlobal "
                        "call FixtureNegative call Missing call",
                    exitCode),
              expected);
    EXPECT_EQ(exitCode, 0u);
}

TEST(LoadProbe, ReportsARejectedImageAndStillExitsZero) {
    DWORD exitCode = 99;
    EXPECT_EQ(Probe("\"" + FixturePath("memmodule_refusing.dll") +
                        "\" RefusingExport call RefusingExport",
                    exitCode),
              "loaded 0\nRefusingExport 0x0\ncall RefusingExport = not found\n");
    EXPECT_EQ(exitCode, 0u);
}

TEST(LoadProbe, UnreadableFileIsAnError) {
    DWORD exitCode = 99;
    EXPECT_EQ(Probe("\"" + FixturePath("no-such-image.dll") + "\" Name", exitCode), "");
    EXPECT_EQ(exitCode, 1u);
}

} // namespace
