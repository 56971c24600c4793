// The program's embedded manifest: common controls 6.0.0.0 for x86, and no
// requested execution level (so file virtualization stays on for the
// settings file in the Windows directory).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string WindowsPathOf(std::string unixPath) {
    for (char& c : unixPath) {
        if (c == '/') {
            c = '\\';
        }
    }
    return "Z:" + unixPath;
}

TEST(Manifest, DeclaresCommonControlsSixAndNoExecutionLevel) {
    const std::string program = WindowsPathOf(LANZOU_PROGRAM_PATH);
    HMODULE image = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr) << program;
    HRSRC resource = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(resource, nullptr) << "no manifest with the process-manifest id";
    HGLOBAL loaded = LoadResource(image, resource);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    const std::string manifest(bytes, SizeofResource(image, resource));
    FreeLibrary(image);

    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("processorArchitecture=\"x86\""), std::string::npos);
    EXPECT_EQ(manifest.find("requestedExecutionLevel"), std::string::npos);
    EXPECT_EQ(manifest.find("trustInfo"), std::string::npos);
}

} // namespace
