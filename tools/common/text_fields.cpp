// Numbers and escaped texts as the tools read and print them.
#include "text_fields.h"

#include <stdio.h>
#include <string.h>

bool ParseNumber(const char *text, size_t length, unsigned long maximum, unsigned long *value)
{
    if (length == 0)
        return false;
    unsigned long number = 0;
    for (size_t i = 0; i < length; i++) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        unsigned digit = (unsigned)(text[i] - '0');
        // Checked before multiplying, so no value can overflow on the way.
        if (digit > maximum || number > (maximum - digit) / 10)
            return false;
        number = number * 10 + digit;
    }
    *value = number;
    return true;
}

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool UnescapeText(const char *text, char *out, size_t outSize, char *error, size_t errorSize,
                  size_t *byteCount)
{
    size_t length = 0;
    for (size_t i = 0; text[i]; i++) {
        char byte = text[i];
        if (byte == '\\') {
            if (text[i + 1] == '\\') {
                i++;
            } else {
                int high = text[i + 1] == 'x' ? HexDigit(text[i + 2]) : -1;
                int low = high < 0 ? -1 : HexDigit(text[i + 3]);
                if (low < 0) {
                    snprintf(error, errorSize,
                             "bad escape at character %u: use \\xNN (two hex digits) or \\\\",
                             (unsigned)i + 1);
                    return false;
                }
                byte = (char)(high * 16 + low);
                if (byte == 0 && !byteCount) {
                    snprintf(error, errorSize, "\\x00 at character %u: a text cannot carry a zero byte",
                             (unsigned)i + 1);
                    return false;
                }
                i += 3;
            }
        }
        if (length + 1 >= outSize) {
            snprintf(error, errorSize, "text longer than %u bytes", (unsigned)outSize - 1);
            return false;
        }
        out[length++] = byte;
    }
    out[length] = '\0';
    if (byteCount)
        *byteCount = length;
    return true;
}

void EscapeText(const char *text, char *out, size_t outSize)
{
    size_t length = 0;
    char piece[5];
    for (; *text; text++) {
        unsigned char c = (unsigned char)*text;
        if (c == '\\')
            snprintf(piece, sizeof piece, "\\\\");
        else if (c < 0x20 || c >= 0x7F)
            snprintf(piece, sizeof piece, "\\x%02X", c);
        else
            snprintf(piece, sizeof piece, "%c", c);
        size_t pieceLength = strlen(piece);
        if (length + pieceLength >= outSize)
            break;
        memcpy(out + length, piece, pieceLength);
        length += pieceLength;
    }
    if (outSize > 0)
        out[length] = '\0';
}

void FormatHex(const unsigned char *bytes, size_t count, char *out, size_t size)
{
    size_t used = 0;
    if (size > 0)
        out[0] = '\0';
    // When not all bytes fit, each one that goes in leaves room for " ...".
    bool whole = count == 0 || 3 * count - 1 < size;
    for (size_t i = 0; i < count; i++) {
        size_t needed = used + (i ? 3 : 2) + (whole ? 0 : 4);
        if (needed >= size) {
            snprintf(out + used, size - used, " ...");
            return;
        }
        used += snprintf(out + used, size - used, i ? " %02X" : "%02X", bytes[i]);
    }
}
