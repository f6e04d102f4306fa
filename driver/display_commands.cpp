// Command bytes of the serial character display.
#include "display_commands.h"

enum { ESC = 0x1B, CURSOR_POSITION = 0x13 };

// Brings the display back after power loss: six escape pairs, always sent
// together and in this order. The first pair is the closing sequence.
const unsigned char PowerResumeSequence[POWER_RESUME_LENGTH] = {
    ESC, 0x02, ESC, 0x05, ESC, 0x08, ESC, 0x0C, ESC, 0x0E, ESC, 0x20,
};

// Sent once when the host is done, before the port is closed.
const unsigned char ClosingSequence[CLOSING_LENGTH] = {ESC, 0x02};

void CursorPositionCommand(unsigned char command[CURSOR_COMMAND_LENGTH], unsigned char x,
                           unsigned char y, int columns, int rows)
{
    unsigned column = x > columns ? 1 : x;
    unsigned row = y > rows ? 1 : y;
    // Unsigned arithmetic wraps like two's complement, so column or row 0
    // gives the cell just before (its low 8 bits: column 0 on row 1 is 0xFF);
    // what a display makes of such an address is its own affair.
    unsigned cell = (row - 1) * (unsigned)columns + (column - 1);
    command[0] = ESC;
    command[1] = CURSOR_POSITION;
    command[2] = (unsigned char)cell;  // sent raw, even when it equals ESC
}
