// A serial character display as a byte stream drives it: the virtual
// display's interpreter. Text lands at the cursor and moves it on cell by
// cell, row by row, back to the top-left after the last cell; ESC 0x13 A
// moves the cursor to cell A (cells numbered row by row from 0); every
// other escape pair changes nothing on the screen and is recorded as an
// event. Bytes may arrive split anywhere. Platform-free.
#pragma once

#include <stddef.h>

enum {
    SCREEN_MAX_COLUMNS = 80,
    SCREEN_MAX_ROWS = 25,
    SCREEN_EVENTS_KEPT = 8,  // the latest events are kept, older ones only counted
    SCREEN_EVENT_SIZE = 48,
};

// Where the stream stands between two bytes.
enum ScreenParse {
    PARSE_TEXT,     // a byte is text, or ESC
    PARSE_ESCAPE,   // ESC came: the next byte is its code
    PARSE_ADDRESS,  // ESC 0x13 came: the next byte is the cell
    PARSE_RESUME,   // inside what may be the power-resume sequence
};

struct Screen {
    int columns;
    int rows;
    unsigned char cells[SCREEN_MAX_COLUMNS * SCREEN_MAX_ROWS];  // row by row
    int cursor;                 // cell the next text byte lands in
    ScreenParse parse;
    int resumeMatched;          // bytes of the power-resume sequence seen so far
    char events[SCREEN_EVENTS_KEPT][SCREEN_EVENT_SIZE];  // ring of the latest events
    unsigned long eventCount;   // events since the start
    unsigned long bytesFed;     // bytes since the start
};

// A blank screen of columns x rows with the cursor top-left. Returns false
// when either is outside 1..SCREEN_MAX_COLUMNS or 1..SCREEN_MAX_ROWS.
bool StartScreen(Screen *screen, int columns, int rows);

void FeedScreen(Screen *screen, const unsigned char *bytes, size_t count);

// The input has ended: a sequence left unfinished is recorded as such.
void EndScreenInput(Screen *screen);

// Event number index (from 0, in arrival order), or null when it is not
// kept any more or has not happened.
const char *ScreenEvent(const Screen *screen, unsigned long index);
