// The system's text for an error code through FormatMessage.
#include "system_message.h"

#include <windows.h>

// The neutral language with its default sublanguage: the user's language.
enum { USER_DEFAULT_LANGUAGE = 0x0400 };

void ReadSystemMessage(unsigned long errorCode, char *text, size_t size)
{
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                  errorCode, USER_DEFAULT_LANGUAGE, text, (DWORD)size, NULL);
    if (length == 0 && size > 0)
        text[0] = '\0';
}
