// Error texts as the platform gives them (serial/system_message.h).
#include "system_text.h"

#include <string.h>

#include "../../serial/system_message.h"

static char text[1024];

const char *SystemText(unsigned long errorCode)
{
    ReadSystemMessage(errorCode, text, sizeof text);
    return text;
}

const char *SystemTextLine(unsigned long errorCode)
{
    SystemText(errorCode);
    text[strcspn(text, "\r\n")] = '\0';
    return text;
}
