// Plays serial drivers other than Wine's. The loaded module's imports of
// the serial calls are replaced, in its import table, by a spy that calls
// the real function and, while an event of tests/serial_drivers.h is being
// played, answers as that driver would. The spy also keeps what the module
// hands the port (its state and timeouts) and counts the purges it asks
// for, which a pty cannot show.
#pragma once

#include <windows.h>

#include "../serial_drivers.h"

struct DriverSpy {
    const SerialDriverRow *playing;  // the event being played, or null
    bool latched;                    // the played refusal lasts until ClearCommError
    bool portFlags;                  // the port's state carries abort on error and CTS flow
    DCB setState;                    // the latest state given to SetCommState
    COMMTIMEOUTS setTimeouts;        // the latest timeouts given to SetCommTimeouts
    int purges;                      // PurgeComm calls
    DWORD lastMoved;                 // bytes the latest write moved
    unsigned long long moved;        // bytes all writes moved
};

extern DriverSpy spy;

// Puts the spy into the module's import table and starts it afresh, playing
// nothing; false, with a failed check, when an import is not found.
bool SpyOnModule(void *module);

// Plays row's event on every write from now on, or nothing (null).
void PlayDriverEvent(const SerialDriverRow *row);

// Holds each write inside the spy, its caller waiting, until released.
void HoldWrites(bool hold);
// Returns once a write is being held.
void WaitForHeldWrite(void);
