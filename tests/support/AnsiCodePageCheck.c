/* Prints the ANSI code page Wine runs with; fails unless it is 936 (GBK),
 * the code page every text constant of the program is written in. */
#include <stdio.h>
#include <windows.h>

int main(void) {
    UINT acp = GetACP();
    printf("ANSI code page %u\n", acp);
    if (acp != 936) {
        fprintf(stderr, "expected 936: run Wine with LC_ALL=zh_CN.UTF-8 (locale generated)\n");
        return 1;
    }
    return 0;
}
