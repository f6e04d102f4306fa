// Error texts through FormatMessage.
#include "system_text.h"

#include <windows.h>
#include <string.h>

static char text[1024];

const char *SystemText(unsigned long errorCode)
{
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, errorCode,
                        0x0400, text, sizeof text, NULL))
        text[0] = '\0';
    return text;
}

const char *SystemTextLine(unsigned long errorCode)
{
    SystemText(errorCode);
    text[strcspn(text, "\r\n")] = '\0';
    return text;
}
