// What the test programs expect of the module: the display's byte runs as
// they arrive on the line, and the name the module gives itself.
#pragma once

static const unsigned char POWER_RESUME[] = {0x1B, 0x02, 0x1B, 0x05, 0x1B, 0x08,
                                             0x1B, 0x0C, 0x1B, 0x0E, 0x1B, 0x20};
static const unsigned char CLOSING[] = {0x1B, 0x02};
static const char DRIVER_NAME[] = "KESMARD v1.0.56.296";
