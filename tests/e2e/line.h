// The display's end of the virtual serial line. The module writes to its
// end (COM3 or \\.\COM12 under Wine, a pty's path on Linux); the bytes
// arrive at the display's end (COM4, or a path), which one thread reads all
// the time into a buffer. The checks take what has arrived from
// that buffer:
//   a check waits until the bytes it expects are in, giving up after a
//   second without a new byte, then waits for 100 ms of quiet so that
//   anything extra is seen too;
//   a paused line is a reader that stops reading: the line backs up, and a
//   write into it runs into its timeout.
// The runner script (run_on_line.sh) pulls and plugs the line when asked on
// a control port of its own (COM5, or a path); test_platform.h names them.
#pragma once

#include <stddef.h>

// Opens COM4 and starts the reader; false when COM4 cannot be opened.
bool StartReadingLine(void);

// Lets go of COM4 (for another program to read it), or opens it again.
bool HoldDisplayEnd(bool hold);

// Stops or resumes reading. Resuming does not discard the backlog.
void PauseLine(void);
void ResumeLine(void);

// Waits for quiet, then discards what has arrived; returns how many bytes.
size_t DrainLine(void);

// Waits until expected bytes that no check has taken are in, giving up
// after a second without a new byte; takes nothing. False if they are not.
bool AwaitLine(size_t expected);

// Waits for expected bytes as above and takes everything that has arrived
// into *bytes (valid until the next call); returns how many bytes.
size_t ReceiveLine(size_t expected, const unsigned char **bytes);

// Checks that exactly these bytes arrived since the last check.
void ExpectBytes(const void *expected, size_t length, const char *what);
void ExpectNothing(const char *what);
// The same for the bytes of a string literal, zero bytes included
// (display_bytes.h).
#define EXPECT_LINE(literal, what) ExpectBytes(literal, sizeof literal - 1, what)

// Asks the runner to pull the line (the pty pair and its COM names vanish,
// as when a USB serial adapter is pulled) or to plug in a new one under the
// same names, which COM4's reader then reads. False, with a failed check,
// when the change could not be made.
bool UnplugLine(void);
bool PlugLine(void);
bool PlugNonPort(void);  // the line pulled, and COM3 names a device that is no port
