// Composing error texts from the platform's message table.
#include "error_text.h"

#include <windows.h>
#include <stdio.h>

enum { SYSTEM_TEXT_SIZE = 1024 };

// The neutral language with its default sublanguage: the user's language.
enum { USER_DEFAULT_LANGUAGE = 0x0400 };

static struct {
    char systemText[SYSTEM_TEXT_SIZE];  // the platform's text for the last code
    char errorText[ERROR_TEXT_SIZE];    // the composed text handed out
} texts;

const char *ComposeErrorText(const char *message, unsigned long errorCode)
{
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                  errorCode, USER_DEFAULT_LANGUAGE, texts.systemText,
                                  sizeof texts.systemText, NULL);
    // With no text for the code, say nothing rather than an earlier error's text.
    if (length == 0)
        texts.systemText[0] = '\0';
    snprintf(texts.errorText, sizeof texts.errorText, "%s : %s", message, texts.systemText);
    return texts.errorText;
}
