// The platform's own text for an error code, as its messages give it.
#pragma once

#include <stddef.h>

// Writes the text for errorCode into text (size bytes, terminated): an
// empty text where the platform has none, never an earlier error's.
void ReadSystemMessage(unsigned long errorCode, char *text, size_t size);
