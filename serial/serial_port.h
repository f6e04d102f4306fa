// The one serial port the module talks to the display through. The port is
// opened exclusively; writes are synchronous and bounded by timeouts.
#pragma once

#include "port_settings.h"

// Opens and configures the port. Returns 0 on success or a composed error
// text. After a failed configuration the port stays open, its write
// timeouts already set, and is closed only by ClosePort.
const char *OpenPort(const PortSettings *settings);

// True while a port opened and fully configured by OpenPort is held and no
// write on it has failed since.
bool PortIsConfigured(void);

// Writes one run of bytes. A failure is composed into an error text and
// not reported to the caller, and the port stops counting as configured;
// with no open port the write simply fails. A write the line's timeouts
// cut short still counts as done.
void WritePort(const void *bytes, unsigned long count);

// Closes the port if one is open; afterwards no port handle is held.
void ClosePort(void);
