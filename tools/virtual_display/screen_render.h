// The virtual display's screen as text: boxed for watching, plain rows for
// scripts, a status line, and the hex trace of the bytes received.
// Platform-free; everything goes to a stdio stream.
#pragma once

#include <stdio.h>

#include "display_screen.h"

// Rows end in "\n", or in what lineEnd says (live drawing clears the rest
// of each terminal line).
void WriteScreenBox(FILE *out, const Screen *screen, const char *lineEnd);

// One line per row, exactly as wide as the screen.
void WriteScreenRows(FILE *out, const Screen *screen);

// "cursor at column 1, row 2; 57 bytes; events: power resume, closing",
// naming at most the latest three events.
void FormatScreenStatus(const Screen *screen, char *out, size_t size);

// 16 bytes a line after their offset. count bytes were kept of total.
void WriteHexTrace(FILE *out, const unsigned char *bytes, size_t count, unsigned long total);
