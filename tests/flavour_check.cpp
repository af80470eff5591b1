// Prints the flavour of the Windows build it belongs to. The test command runs it before the
// Windows tests, so that a flavour this machine's Wine cannot run is reported once, clearly.
#include <cstdio>

int main()
{
    std::printf("win%u\n", unsigned(sizeof(void*) * 8));
    return 0;
}
