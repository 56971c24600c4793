// The Windows entry of lanzou-sendto.exe.
#include "app/Startup.h"

int main() {
    ProgramStart();
    return 0;
}
