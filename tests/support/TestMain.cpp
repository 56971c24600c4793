// The main of every test program. Under Wine it first makes sure the ANSI
// code page is GBK: every text constant of the program is GBK bytes, so a
// run in another code page would test something else.
#include <cstdio>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    const unsigned acp = GetACP();
    if (acp != 936) {
        std::fprintf(stderr,
                     "The ANSI code page inside Wine is %u, not 936 (GBK). Run under "
                     "LC_ALL=zh_CN.UTF-8 with that locale generated (locale-gen), "
                     "as tools/wine-run does.\n",
                     acp);
        return 3;
    }
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
