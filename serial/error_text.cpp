// Composing error texts from the platform's message for a code.
#include "error_text.h"

#include <stdio.h>

#include "system_message.h"

enum { SYSTEM_TEXT_SIZE = 1024 };

static struct {
    char systemText[SYSTEM_TEXT_SIZE];  // the platform's text for the last code
    char errorText[ERROR_TEXT_SIZE];    // the composed text handed out
} texts;

const char *ComposeErrorText(const char *message, unsigned long errorCode)
{
    ReadSystemMessage(errorCode, texts.systemText, sizeof texts.systemText);
    snprintf(texts.errorText, sizeof texts.errorText, "%s : %s", message, texts.systemText);
    return texts.errorText;
}
