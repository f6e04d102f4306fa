/* The entry point of the MSVC-target kit hosts, in place of the MSVC
 * runtime's start-up code, which Debian has not got: msvcrt.dll sets itself
 * up as it loads, and its exit flushes standard output. */
#include <stdio.h>

int main(void);

void mainCRTStartup(void)
{
    exit(main());
}
