// The host console's command language, one command per line:
//   init COLUMNS ROWS PARAMETERS   write TEXT   pos X Y   sleep MS
//   resume   done   usage   defaults   name   status   ports
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
    COMMAND_STATUS,
    COMMAND_SLEEP,
    COMMAND_PORTS,    // lists the machine's serial ports; needs no module
};

// Longest command line, terminator included.
enum { COMMAND_LINE_SIZE = 1024 };

struct Command {
    CommandKind kind;
    unsigned long numbers[2];     // columns and rows, x and y, or the milliseconds
    char text[COMMAND_LINE_SIZE]; // init's parameters, or write's decoded text
};

// A call's answer as the console shows it: a text in quotes with its bytes
// escaped (EscapeText), after "ok=N " for Init's (ok 0 or 1; -1 for none),
// or (null); Status's number and its name, such as "1 ready". Answers
// longer than size are cut.
void FormatTextAnswer(const char *text, int ok, char *out, size_t size);
void FormatStatusAnswer(int status, char *out, size_t size);

// Room for the longest answer: a module's longest text with every byte escaped.
enum { ANSWER_SIZE = 4 * 1120 + 16 };

// Reads one line (without its line end). Returns false, with a one-line
// reason in error, for an unknown command, a bad or missing number, a bad
// escape or an overlong line.
bool ParseCommand(const char *line, Command *command, char *error, size_t errorSize);

// The COM ports among a list of names (each ended by a zero, the list by a
// second zero), such as the port names the system registers: "COM" and a
// number from 1 to COM_PORT_MAXIMUM, any case. Writes a line for each port,
// lowest number first and each once: its name, then the name a parameter
// string takes for it, the plain one up to COM9 and \\.\COMnn above, since
// the system finds only COM1 to COM9 without the device prefix. Returns the
// number of ports; a list cut short by outSize ends after a whole line.
enum { COM_PORT_MAXIMUM = 256 };
size_t ListComPorts(const char *names, char *out, size_t outSize);

// The serial devices among the names in /dev (in the same list form):
// ttyS, ttyUSB or ttyACM and a number, and every device a link of
// /dev/serial/by-id leads to; links holds those links, each its name and
// then its target as the link reads (../../ttyUSB0). Writes a line for
// each device, by name with numbers in their order (ttyS2 before ttyS10):
// its path, then the name a parameter string takes for it: the path of its
// by-id link (which stays the same in any USB socket) where the port field
// holds it whole (FIELD_SIZE), else its own path.
// Returns the number of devices, at most DEVICE_PORT_MAXIMUM; a list cut
// short by outSize ends after a whole line.
enum { DEVICE_PORT_MAXIMUM = 512 };
size_t ListDevicePorts(const char *devices, const char *links, char *out, size_t outSize);
