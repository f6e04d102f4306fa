// The one serial port the module talks to the display through. The port is
// opened exclusively; writes are synchronous and bounded by timeouts.
#pragma once

#include "port_settings.h"
#include "write_outcome.h"

// Opens and configures the port. Returns 0 on success or a composed error
// text. A handle that is not a communications device (a file, a pipe, a
// console) is closed at once, so nothing is ever written to it. A port that
// refuses its settings stays open, its write timeouts already set, and is
// closed only by ClosePort.
const char *OpenPort(const PortSettings *settings);

// True while a port opened and fully configured by OpenPort is held and no
// write on it was lost since.
bool PortIsConfigured(void);

// True when the held port still answers a read of its state: sends nothing.
// A port whose device has gone (a USB adapter pulled) fails it; a receive
// error that makes the port refuse calls is cleared on the way.
bool PortAnswers(void);

// Writes one run of bytes and returns how it went; nothing is resent. A
// run refused after a receive error is cleared and its rest tried once
// more. A stalled run (the line held or slow) leaves the port as it is
// and backed up; a lost one leaves it no longer configured. For any run
// not written whole, *errorText gets the composed error text, else 0. With
// no open port the write is lost.
WriteOutcome WritePort(const void *bytes, unsigned long count, const char **errorText);

// True while the line is held or slow: from a stalled write until a write
// moves bytes whole. Empty and lost writes leave it as it is.
bool PortIsBackedUp(void);

// Closes the port if one is open; afterwards no port handle is held. On a
// backed-up port, or with discardOutput, the output still held is
// discarded first, so the close never waits for a line that does not move.
void ClosePort(bool discardOutput = false);
