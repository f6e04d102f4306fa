// Drawing the virtual display's screen and trace as text.
#include "screen_render.h"

#include <string.h>

#include "../common/text_fields.h"

enum { STATUS_EVENTS = 3 };
static const size_t TRACE_LINE_BYTES = 16;

// Cells hold raw bytes; those that are not printable ASCII show as '.'.
static char Visible(unsigned char cell)
{
    return cell >= 0x20 && cell < 0x7F ? (char)cell : '.';
}

static void WriteRow(FILE *out, const Screen *screen, int row)
{
    for (int column = 0; column < screen->columns; column++)
        fputc(Visible(screen->cells[row * screen->columns + column]), out);
}

static void WriteBorder(FILE *out, const Screen *screen, const char *lineEnd)
{
    fputc('+', out);
    for (int column = 0; column < screen->columns; column++)
        fputc('-', out);
    fprintf(out, "+%s", lineEnd);
}

void WriteScreenBox(FILE *out, const Screen *screen, const char *lineEnd)
{
    WriteBorder(out, screen, lineEnd);
    for (int row = 0; row < screen->rows; row++) {
        fputc('|', out);
        WriteRow(out, screen, row);
        fprintf(out, "|%s", lineEnd);
    }
    WriteBorder(out, screen, lineEnd);
}

void WriteScreenRows(FILE *out, const Screen *screen)
{
    for (int row = 0; row < screen->rows; row++) {
        WriteRow(out, screen, row);
        fputc('\n', out);
    }
}

void FormatScreenStatus(const Screen *screen, char *out, size_t size)
{
    int used = snprintf(out, size, "cursor at column %d, row %d; %lu bytes",
                        screen->cursor % screen->columns + 1, screen->cursor / screen->columns + 1,
                        screen->bytesFed);
    unsigned long first = screen->eventCount > STATUS_EVENTS ? screen->eventCount - STATUS_EVENTS : 0;
    for (unsigned long i = first; i < screen->eventCount && used >= 0 && (size_t)used < size; i++)
        used += snprintf(out + used, size - used, "%s%s", i == first ? "; events: " : ", ",
                         ScreenEvent(screen, i));
}

void WriteHexTrace(FILE *out, const unsigned char *bytes, size_t count, unsigned long total)
{
    char line[TRACE_LINE_BYTES * 3 + 8];
    for (size_t offset = 0; offset < count; offset += TRACE_LINE_BYTES) {
        size_t length = count - offset < TRACE_LINE_BYTES ? count - offset : TRACE_LINE_BYTES;
        FormatHex(bytes + offset, length, line, sizeof line);
        fprintf(out, "%08lX  %s\n", (unsigned long)offset, line);
    }
    if (total > count)
        fprintf(out, "(%lu more bytes received and not kept)\n", total - (unsigned long)count);
}
