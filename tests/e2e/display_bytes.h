// What the test programs and the benchmark expect of the module: the
// display's byte runs as they arrive on the line, and the version and name
// the module gives itself. Written here once, never taken from the module,
// so that a wrong byte or version in the module is caught.
#pragma once

// Written here apart from the build's own (project() in CMakeLists.txt), so
// that a wrong version in the build is caught.
#define EXPECTED_VERSION "1.0.56.296"

static const unsigned char POWER_RESUME[] = {0x1B, 0x02, 0x1B, 0x05, 0x1B, 0x08,
                                             0x1B, 0x0C, 0x1B, 0x0E, 0x1B, 0x20};
static const unsigned char CLOSING[] = {0x1B, 0x02};
// The cursor command for a cell, as an initializer: ESC 0x13 and the cell.
#define CURSOR_COMMAND(cell) {0x1B, 0x13, (unsigned char)(cell)}
static const char DRIVER_NAME[] = "KESMARD v" EXPECTED_VERSION;
