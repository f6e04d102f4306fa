/* The entry point of the MSVC-target kit hosts, in place of the MSVC
 * runtime's start-up code, which Debian has not got. msvcrt.dll sets itself
 * up when it loads; its exit flushes standard output and ends the process
 * with main's status. The kit hosts take no arguments. */
#include <stdio.h>

int main(void);

void mainCRTStartup(void)
{
    exit(main());
}
