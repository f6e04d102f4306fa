// The one serial port the module talks to the display through. The port is
// opened exclusively; writes are synchronous and bounded by timeouts.
#pragma once

#include "port_settings.h"

// Opens and configures the port. Returns 0 on success or a composed error
// text. A handle that is not a communications device (a file, a pipe, a
// console) is closed at once, so nothing is ever written to it. A port that
// refuses its settings stays open, its write timeouts already set, and is
// closed only by ClosePort.
const char *OpenPort(const PortSettings *settings);

// True while a port opened and fully configured by OpenPort is held and no
// write on it has failed since.
bool PortIsConfigured(void);

// True when the held port still answers a read of its state: sends nothing
// and changes nothing. A port whose device has gone (a USB adapter pulled)
// fails it.
bool PortAnswers(void);

// Writes one run of bytes. Returns 0 when all of them went out, otherwise
// the composed error text; nothing is resent. A write the line's timeouts
// cut short (a held or slow line) leaves the port configured; one the port
// refused (its device gone) does not. With no open port the write fails.
const char *WritePort(const void *bytes, unsigned long count);

// True while the held port's last write was cut short by its timeouts: the
// line is held or slow, and output may be waiting in the port.
bool PortIsBackedUp(void);

// On a backed-up port, drops the output it still holds, so that a close
// that follows cannot wait for a line that does not move; for an unload,
// where nothing may wait. Output on a flowing line is left to go out.
void DiscardHeldOutput(void);

// Closes the port if one is open; afterwards no port handle is held.
void ClosePort(void);
