// The millisecond clock through the monotonic clock, which no change of the
// time of day moves.
#include "tick_clock.h"

#include <time.h>

unsigned long TickMilliseconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (unsigned long)now.tv_sec * 1000UL + (unsigned long)(now.tv_nsec / 1000000);
}
