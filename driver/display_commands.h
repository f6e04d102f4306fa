// The byte runs the display understands. Each run is sent as one write;
// nothing is ever read back.
#pragma once

enum {
    POWER_RESUME_LENGTH = 12,
    CLOSING_LENGTH = 2,
    CURSOR_COMMAND_LENGTH = 3,
};

extern const unsigned char PowerResumeSequence[POWER_RESUME_LENGTH];
extern const unsigned char ClosingSequence[CLOSING_LENGTH];

// Builds ESC 0x13 A, where A is the cell (numbered row by row from 0) for
// column x and row y, both counted from 1. A column or row beyond the
// geometry falls back to 1; the address keeps its low 8 bits only.
void CursorPositionCommand(unsigned char command[CURSOR_COMMAND_LENGTH], unsigned char x,
                           unsigned char y, int columns, int rows);
