// What the test programs and the benchmark expect of the module: the
// display's byte runs as they arrive on the line, and the version and name
// the module gives itself. Written here once, never taken from the module,
// so that a wrong byte or version in the module is caught.
#pragma once

// Written here apart from the build's own (project() in CMakeLists.txt), so
// that a wrong version in the build is caught.
#define EXPECTED_VERSION "1.1.0.0"

// The runs as string literals, so that what a scenario expects on the line
// is one literal: POWER_RESUME CURSOR_AT("\x14") "Hello" CLOSING. Such a
// literal may hold a zero byte (the cursor at cell 0): its length is its
// size less one, never strlen.
#define POWER_RESUME "\x1B\x02\x1B\x05\x1B\x08\x1B\x0C\x1B\x0E\x1B\x20"
#define CLOSING "\x1B\x02"
// The cursor command for a cell given as a one-byte literal, such as "\x14".
#define CURSOR_AT(cell) "\x1B\x13" cell
static const char DRIVER_NAME[] = "KESMARD v" EXPECTED_VERSION;
