// The reader of the display's end, the checks on what it read, and the
// control port to the runner script.
#include "line.h"

#include <stdio.h>
#include <string.h>

#include "harness.h"
#include "test_platform.h"

enum {
    ARRIVAL_LIMIT_MS = 1000,    // a wait for bytes ends after this long without one
    QUIET_MS = 100,             // silence that ends a reception
    LINE_CAPACITY = 16 << 20,   // more than any scenario sends between two checks
    CONTROL_LIMIT_MS = 10000,   // how long the runner may take to change the line
};

static struct {
    unsigned char bytes[LINE_CAPACITY];
    volatile size_t length;             // arrived so far (taken under the lock)
    size_t taken;                       // of which the checks have taken
    volatile unsigned long lastArrival; // when the last byte arrived
    volatile bool paused;               // the reader does not read
    volatile bool wantOpen;             // whether the display's end should be open; the reader makes it so
    volatile bool isOpen;
} line;

// Reads the display's end whenever it is open and not paused.
static void ReadLine(void *)
{
    static unsigned char chunk[65536];
    for (;;) {
        if (line.wantOpen != line.isOpen) {
            if (line.isOpen)
                CloseDisplayEnd();
            line.isOpen = line.wantOpen && OpenDisplayEnd();
        }
        size_t got = line.paused || !line.isOpen ? 0 : ReadDisplayEnd(chunk, sizeof chunk);
        if (got == 0) {
            SleepMs(20);
            continue;
        }
        LockLine();
        if (got > LINE_CAPACITY - line.length)
            got = LINE_CAPACITY - line.length;  // a check then sees bytes missing
        memcpy(line.bytes + line.length, chunk, got);
        line.length += got;
        line.lastArrival = MillisecondsNow();
        UnlockLine();
    }
}

bool HoldDisplayEnd(bool hold)
{
    line.wantOpen = hold;
    for (int waited = 0; line.isOpen != hold && waited < CONTROL_LIMIT_MS; waited += 10)
        SleepMs(10);
    return line.isOpen == hold;
}

bool StartReadingLine(void)
{
    // Opened once at the start, so that scenarios counting handles see none
    // come or go. Where no runner serves it, a line change fails its check.
    OpenControl();
    StartThread(ReadLine, NULL);
    return HoldDisplayEnd(true);
}

void PauseLine(void)
{
    line.paused = true;
}

void ResumeLine(void)
{
    line.paused = false;
}

static unsigned long SinceLastArrival(void)
{
    return MillisecondsNow() - line.lastArrival;
}

bool AwaitLine(size_t expected)
{
    unsigned long start = MillisecondsNow();
    while (line.length - line.taken < expected &&
           (MillisecondsNow() - start < ARRIVAL_LIMIT_MS || SinceLastArrival() < ARRIVAL_LIMIT_MS))
        SleepMs(10);
    return line.length - line.taken >= expected;
}

size_t ReceiveLine(size_t expected, const unsigned char **bytes)
{
    LockLine();
    if (line.taken == line.length)
        line.taken = line.length = 0;  // all taken: start the buffer afresh
    UnlockLine();
    // Until the bytes are in or a second passes without one, then until quiet.
    AwaitLine(expected);
    do
        SleepMs(QUIET_MS);
    while (SinceLastArrival() < QUIET_MS);
    LockLine();
    *bytes = line.bytes + line.taken;
    size_t got = line.length - line.taken;
    line.taken = line.length;
    UnlockLine();
    return got;
}

size_t DrainLine(void)
{
    const unsigned char *bytes;
    return ReceiveLine(0, &bytes);
}

void ExpectBytes(const void *expected, size_t length, const char *what)
{
    const unsigned char *got;
    size_t gotLength = ReceiveLine(length, &got);
    CheckBytes(expected, length, got, gotLength, what);
}

void ExpectNothing(const char *what)
{
    ExpectBytes("", 0, what);
}

// Sends an action line on the control port and awaits the runner's answer,
// "ok" or what went wrong.
static bool ChangeLine(const char *action)
{
    char request[32], answer[64];
    snprintf(request, sizeof request, "%s\n", action);
    AskControl(request, answer, sizeof answer);
    CheckText("ok\n", answer, action);
    return strcmp(answer, "ok\n") == 0;
}

bool UnplugLine(void)
{
    return ChangeLine("unplug");
}

bool PlugNonPort(void)
{
    return ChangeLine("plug_non_port");
}

bool PlugLine(void)
{
    if (!ChangeLine("plug"))
        return false;
    bool opened = HoldDisplayEnd(false) && HoldDisplayEnd(true);
    CheckTrue(opened, "the display's end opens on the new line");
    return opened;
}
