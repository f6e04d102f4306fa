// Interpreting the byte stream of a serial character display.
#include "display_screen.h"

#include <stdio.h>
#include <string.h>

enum { ESC = 0x1B, CURSOR_CODE = 0x13, CLOSING_CODE = 0x02 };

// The display's own knowledge of its wake-up run, kept apart from the
// module's tables so that a module sending other bytes shows up as unknown
// escapes rather than being named what it meant to send. Its first pair is
// the closing pair, so a closing is named at once and renamed when the rest
// of the run follows.
static const unsigned char POWER_RESUME[] = {ESC, 0x02, ESC, 0x05, ESC, 0x08,
                                             ESC, 0x0C, ESC, 0x0E, ESC, 0x20};
enum { POWER_RESUME_LENGTH = sizeof POWER_RESUME };

bool StartScreen(Screen *screen, int columns, int rows)
{
    if (columns < 1 || columns > SCREEN_MAX_COLUMNS || rows < 1 || rows > SCREEN_MAX_ROWS)
        return false;
    memset(screen, 0, sizeof *screen);
    screen->columns = columns;
    screen->rows = rows;
    memset(screen->cells, ' ', sizeof screen->cells);
    screen->parse = PARSE_TEXT;
    return true;
}

static int CellCount(const Screen *screen)
{
    return screen->columns * screen->rows;
}

static char *NextEventSlot(Screen *screen)
{
    return screen->events[screen->eventCount++ % SCREEN_EVENTS_KEPT];
}

static void AddEvent(Screen *screen, const char *text)
{
    snprintf(NextEventSlot(screen), SCREEN_EVENT_SIZE, "%s", text);
}

static void AddEscapeEvent(Screen *screen, const char *what, unsigned char code)
{
    snprintf(NextEventSlot(screen), SCREEN_EVENT_SIZE, "%s 1B %02X", what, code);
}

static void PutText(Screen *screen, unsigned char byte)
{
    screen->cells[screen->cursor] = byte;
    screen->cursor = (screen->cursor + 1) % CellCount(screen);
}

// A cell beyond the screen wraps round, as text does.
static void MoveCursor(Screen *screen, unsigned char cell)
{
    screen->cursor = cell % CellCount(screen);
    if (cell != screen->cursor)
        snprintf(NextEventSlot(screen), SCREEN_EVENT_SIZE, "cursor %u past the last cell, at %d",
                 cell, screen->cursor);
}

static void EscapePair(Screen *screen, unsigned char code)
{
    screen->parse = PARSE_TEXT;
    if (code == CURSOR_CODE) {
        screen->parse = PARSE_ADDRESS;
    } else if (code == CLOSING_CODE) {
        AddEvent(screen, "closing");
        screen->parse = PARSE_RESUME;
        screen->resumeMatched = 2;
    } else {
        AddEscapeEvent(screen, "escape", code);
    }
}

// The power-resume run broke off: the pairs it held after the closing pair
// were escapes of their own; an ESC it ended on still waits for its code.
static void BreakResume(Screen *screen)
{
    int matched = screen->resumeMatched;
    for (int i = 2; i + 1 < matched; i += 2)
        AddEscapeEvent(screen, "escape", POWER_RESUME[i + 1]);
    screen->parse = matched % 2 ? PARSE_ESCAPE : PARSE_TEXT;
}

static void FeedByte(Screen *screen, unsigned char byte)
{
    switch (screen->parse) {
    case PARSE_TEXT:
        if (byte == ESC)
            screen->parse = PARSE_ESCAPE;
        else
            PutText(screen, byte);
        break;
    case PARSE_ESCAPE:
        EscapePair(screen, byte);
        break;
    case PARSE_ADDRESS:
        screen->parse = PARSE_TEXT;
        MoveCursor(screen, byte);
        break;
    case PARSE_RESUME:
        if (byte == POWER_RESUME[screen->resumeMatched]) {
            if (++screen->resumeMatched == POWER_RESUME_LENGTH) {
                // The closing named when the run began was its first pair.
                screen->eventCount--;
                AddEvent(screen, "power resume");
                screen->parse = PARSE_TEXT;
            }
        } else {
            BreakResume(screen);
            FeedByte(screen, byte);  // now in text or escape state, so this goes one deep
        }
        break;
    }
}

void FeedScreen(Screen *screen, const unsigned char *bytes, size_t count)
{
    for (size_t i = 0; i < count; i++)
        FeedByte(screen, bytes[i]);
    screen->bytesFed += count;
}

void EndScreenInput(Screen *screen)
{
    if (screen->parse == PARSE_RESUME)
        BreakResume(screen);
    if (screen->parse == PARSE_ESCAPE)
        AddEvent(screen, "unfinished escape 1B");
    else if (screen->parse == PARSE_ADDRESS)
        AddEvent(screen, "unfinished cursor command 1B 13");
    screen->parse = PARSE_TEXT;
}

const char *ScreenEvent(const Screen *screen, unsigned long index)
{
    if (index >= screen->eventCount || screen->eventCount - index > SCREEN_EVENTS_KEPT)
        return 0;
    return screen->events[index % SCREEN_EVENTS_KEPT];
}
