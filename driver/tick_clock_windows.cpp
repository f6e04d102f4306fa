// The millisecond clock through Win32.
#include "tick_clock.h"

#include <windows.h>

unsigned long TickMilliseconds(void)
{
    return GetTickCount();
}
