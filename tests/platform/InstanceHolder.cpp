// Stands in for a program start: takes the single-instance guard, says
// "held" or "busy", and with "hold" keeps the guard until its input closes.
#include "platform/SingleInstance.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    sonvelle::CSingleInstanceGuard guard;
    if (!guard.Acquire()) {
        std::puts("busy");
        return 0;
    }
    std::puts("held");
    std::fflush(stdout);
    if (argc > 1 && std::strcmp(argv[1], "hold") == 0)
        while (std::getchar() != EOF) {
        }
    return 0;
}
