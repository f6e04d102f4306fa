// Text conventions shared by the tools and the test programs: decimal
// numbers in a range, texts with \xNN escapes for bytes that cannot be
// typed or shown, and bytes in hex. Platform-free.
#pragma once

#include <stddef.h>

// Reads length characters of text as a decimal number of at most maximum:
// digits only, at least one. Returns false for anything else.
bool ParseNumber(const char *text, size_t length, unsigned long maximum, unsigned long *value);

// Decodes \xNN (two hex digits, any case) and \\ into bytes. Stops with false
// and a one-line reason in error on any other escape, on \x00 (a text ends at
// its zero byte, so it cannot carry one) and when the result does not fit.
// Given length, the result is bytes, not a text: \x00 is taken, and *length
// says how many there are.
bool UnescapeText(const char *text, char *out, size_t outSize, char *error, size_t errorSize,
                  size_t *length = 0);

// The inverse: printable ASCII stays, a backslash doubles, every other byte
// becomes \xNN. A result too long for out is cut before an incomplete escape.
void EscapeText(const char *text, char *out, size_t outSize);

// The bytes as "1B 13 14 48", cut with " ..." once the buffer is full.
void FormatHex(const unsigned char *bytes, size_t count, char *out, size_t size);
