// The C library's text for an errno value.
#include "system_message.h"

#include <stdio.h>
#include <string.h>

void ReadSystemMessage(unsigned long errorCode, char *text, size_t size)
{
    char buffer[256];
    // The GNU strerror_r, safe beside the host's other threads; it returns
    // its text, which may be its own constant rather than the buffer.
    snprintf(text, size, "%s", strerror_r((int)errorCode, buffer, sizeof buffer));
}
