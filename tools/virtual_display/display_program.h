// The virtual display's program apart from its line: the options both the
// Linux and the Windows program take, the screen fed burst by burst and
// drawn, and the final screen and trace saved at the end. Each platform's
// program (virtual_display_linux.cpp, a pseudo-terminal;
// virtual_display_windows.cpp, a COM port) adds only its line, its own
// options and how it is stopped. Platform-free.
#pragma once

#include <stddef.h>

enum {
    QUIET_MS = 60,      // a pause this long ends a burst: the screen is drawn
    EXIT_USAGE = 2,     // a bad option
    LINE_STOPPED = -1,  // a read's answer: the display is to stop (asked to, or its time is up)
    LINE_FAILED = -2,   // a read's answer: the line failed, and the reader has said why
};

enum Drawing {
    DRAW_LIVE,    // one box, redrawn in place (a terminal)
    DRAW_FRAMES,  // a new box after each burst (a log or a pipe)
    DRAW_NONE,
};

struct DisplayOptions {
    int columns;             // --size, 20x2 unless given
    int rows;
    Drawing drawing;         // live on a terminal, else frames, unless --frames or --quiet
    const char *screenFile;  // --save-screen, or null; "-" is standard output
    const char *traceFile;   // --save-trace, or null
};

// An option of one platform's program only, taking a value.
struct LineOption {
    const char *name;    // "--port"
    const char **value;  // where its value goes; left alone when it is not given
};

// What one platform's program adds to the shared options.
struct OwnOptions {
    const char *usage;  // its options as the usage line shows them
    const char *notes;  // a line about them for the usage, or null
    const LineOption *options;
    size_t count;
};

// Reads the command line into options. onTerminal: the output can be drawn
// on in place. Anything it cannot take is a one-line reason on standard
// error, then the usage, and false.
bool ReadDisplayOptions(int argc, char **argv, const OwnOptions *own, bool onTerminal,
                        DisplayOptions *options);

// A program's own check of its options failed: the reason on standard
// error, then the usage. Returns EXIT_USAGE.
int RefuseOptions(const OwnOptions *own, const char *reason);

// Reads what has arrived on the line into bytes: returns how many, 0 when
// nothing came within QUIET_MS, or LINE_STOPPED or LINE_FAILED.
typedef long (*LineReader)(unsigned char *bytes, size_t size);

// Shows the display on lineName, fed by read until it stops; then the
// input is ended, drawn a last time and saved. Returns the exit status: 0,
// or 1 when the line failed or a file could not be written.
int RunDisplay(const DisplayOptions *options, const char *lineName, LineReader read);
