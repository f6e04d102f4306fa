// The host console's command language, one command per line:
//   init COLUMNS ROWS PARAMETERS   write TEXT   pos X Y   sleep MS
//   resume   done   usage   defaults   name
// TEXT takes \xNN escapes for raw bytes and \\ for a backslash. Blank lines
// and lines starting with # are skipped. Platform-free.
#pragma once

#include <stddef.h>

enum CommandKind {
    COMMAND_NOTHING,  // blank line or comment
    COMMAND_INIT,
    COMMAND_WRITE,
    COMMAND_POS,
    COMMAND_RESUME,
    COMMAND_DONE,
    COMMAND_USAGE,
    COMMAND_DEFAULTS,
    COMMAND_NAME,
    COMMAND_SLEEP,
};

// Longest command line, terminator included.
enum { COMMAND_LINE_SIZE = 1024 };

struct Command {
    CommandKind kind;
    unsigned long numbers[2];     // columns and rows, x and y, or the milliseconds
    char text[COMMAND_LINE_SIZE]; // init's parameters, or write's decoded text
};

// Reads one line (without its line end). Returns false, with a one-line
// reason in error, for an unknown command, a bad or missing number, a bad
// escape or an overlong line.
bool ParseCommand(const char *line, Command *command, char *error, size_t errorSize);
