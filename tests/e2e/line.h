// The display's end of the virtual serial line, as the Windows test
// programs see it: the module writes to COM3 (or \\.\COM12, the same line),
// and the bytes arrive here on COM4.
#pragma once

#include <stddef.h>

// Opens the display's end; false when it cannot be opened.
bool OpenDisplayEnd(void);
void CloseDisplayEnd(void);

// Discards whatever is waiting on the line.
void DrainLine(void);

// Takes what has arrived so far, without waiting. Returns the count read.
size_t ReadArrived(unsigned char *buffer, size_t size);

// Reads what arrives until expectedLength bytes are in (or a second passes),
// then waits briefly for anything extra. Returns the number of bytes read.
size_t ReceiveBytes(unsigned char *buffer, size_t size, size_t expectedLength);

// Checks that exactly these bytes arrived, in hex on failure.
void ExpectLine(const unsigned char *expected, size_t length, const char *what);
void ExpectLineText(const char *expected, const char *what);
void ExpectNothing(const char *what);
