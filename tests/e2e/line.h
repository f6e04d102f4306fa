// The display's end of the virtual serial line, as the Windows test
// programs see it: the module writes to COM3 (or \\.\COM12, the same line),
// and the bytes arrive here on COM4.
#pragma once

#include <stddef.h>

// Opens the display's end; false when it cannot be opened.
bool OpenDisplayEnd(void);
void CloseDisplayEnd(void);

// Discards whatever is waiting on the line; returns how many bytes.
size_t DrainLine(void);

// Takes what has arrived so far, without waiting. Returns the count read.
size_t ReadArrived(unsigned char *buffer, size_t size);

// Reads what arrives until expectedLength bytes are in (or a second passes),
// then waits briefly for anything extra. Returns the number of bytes read.
size_t ReceiveBytes(unsigned char *buffer, size_t size, size_t expectedLength);

// Reads the display's end on a thread of its own into buffer, so that the
// line never backs up however much the module sends, until StopCollecting.
void StartCollecting(unsigned char *buffer, size_t size);

// Waits until expectedLength bytes are in, or until nothing more arrives
// for a second, then stops reading. Returns the number of bytes collected.
size_t StopCollecting(size_t expectedLength);

// Changes the line through the script that runs the test program
// (run_on_line.sh). Each returns once the change is made; false, with a
// failed check, when it could not be made.
bool UnplugLine(void);  // the pty pair and its COM names vanish
bool PlugLine(void);    // a new pair under the same names; COM4 is reopened
bool PlugNonPort(void); // COM3 names a device that is no serial port
bool PauseLine(void);   // the far end stops reading: the line backs up
bool ResumeLine(void);  // the far end reads again

// The bytes a scenario expects, put together run by run.
struct ExpectedRuns {
    unsigned char bytes[512];
    size_t length;
};

// Appends a run; one that does not fit is a failed check.
void AddRun(ExpectedRuns *runs, const void *bytes, size_t count);
void AddText(ExpectedRuns *runs, const char *text);

// Checks that exactly these bytes arrived, in hex on failure.
void ExpectLine(const unsigned char *expected, size_t length, const char *what);
void ExpectLineText(const char *expected, const char *what);
void ExpectNothing(const char *what);
void ExpectRuns(const ExpectedRuns *runs, const char *what);
