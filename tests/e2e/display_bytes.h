// What the test programs and the benchmark expect of the module: the
// display's byte runs as they arrive on the line, and the name the module
// gives itself. Written here once, never taken from the module's own table,
// so that a wrong byte in the module is caught.
#pragma once

static const unsigned char POWER_RESUME[] = {0x1B, 0x02, 0x1B, 0x05, 0x1B, 0x08,
                                             0x1B, 0x0C, 0x1B, 0x0E, 0x1B, 0x20};
static const unsigned char CLOSING[] = {0x1B, 0x02};
// The cursor command for a cell, as an initializer: ESC 0x13 and the cell.
#define CURSOR_COMMAND(cell) {0x1B, 0x13, (unsigned char)(cell)}
static const char DRIVER_NAME[] = "KESMARD v1.0.56.296";
