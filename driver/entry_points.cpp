// The module's boundary towards the host: eight stdcall entry points, each
// exported under its plain and its decorated name (see KESMARD.def).
//
// Every entry point is thin: the bytes come from the display command set and
// go out through WritePort, the only path to the display. Texts handed back
// are zero-terminated and owned by the module; the host never frees them.
// Every entry point but the two constant ones holds the module lock for its
// whole call, so the host's threads take turns.
#include <stdio.h>
#include <string.h>

#include "display_commands.h"
#include "driver_texts.h"
#include "module_base_name.h"
#include "module_lock.h"
#include "tick_clock.h"
#include "../log/debug_log.h"
#include "../serial/error_text.h"
#include "../serial/port_settings.h"
#include "../serial/serial_port.h"

// Exported through KESMARD.def, which also gives each its decorated name.
#define ENTRY_POINT extern "C" __stdcall

// Longest text Write sends: its working buffer holds 255 characters and the
// terminator, and the rest of a longer text is dropped.
enum { WRITE_TEXT_LIMIT = 255 };

// How long after a refused write the module first sets the port up again
// by itself, and how long it waits between such tries.
enum { RECONNECT_INTERVAL_MS = 1000 };

struct DisplayGeometry {
    int columns;
    int rows;
};

// The set-up of the host's latest Init, which the module restores by itself
// when a write on it is refused (a USB adapter pulled and plugged back).
// Only a set-up changes the geometry, so the geometry is still its own.
struct LastSetUp {
    bool wanted;                       // it succeeded, and neither Done nor another set-up came since
    PortSettings settings;             // the port and line settings it used
    PortFieldReading portField;        // its port field as read, for the log
    unsigned long lastTryMs;           // when its port was lost, or last tried again
    char triesError[ERROR_TEXT_SIZE];  // the error its failing tries last logged, empty if none
};

static struct {
    DisplayGeometry geometry;           // cells the cursor address is computed on
    char driverName[DRIVER_NAME_SIZE];  // rebuilt on every request for the name
    LastSetUp lastSetUp;                // what a lost port is set up again with
} driver = {{20, 2}, "", {}};

static const char *DriverName(void)
{
    BuildDriverName(driver.driverName, sizeof driver.driverName, ModuleBaseName());
    return driver.driverName;
}

// Writes one run. A write cut short by the line's timeouts leaves the port
// as it is: the line is held or slow, not lost, so the next call's bytes go
// out as usual, and such writes are logged once per stall. The rest of a
// cut run is not resent, so the display takes the next bytes as its rest:
// what it shows next may be garbled. Returns the text of a write the port
// refused, which lost the port, or 0.
static const char *WriteRun(const void *bytes, unsigned long count)
{
    bool stalled = PortIsBackedUp();
    const char *failure = WritePort(bytes, count);
    if (failure && PortIsConfigured()) {
        if (!stalled)
            LogLine("Error", failure);
        return 0;
    }
    if (failure)
        driver.lastSetUp.lastTryMs = TickMilliseconds();
    return failure;
}

// Sends one run of a host's call; a refused write is logged and starts the
// wait before the port is set up again.
static void Send(const void *bytes, unsigned long count)
{
    const char *failure = WriteRun(bytes, count);
    if (failure)
        LogLine("Error", failure);
}

// The port field before and after the rewrite of high port numbers, when
// the parameters had one.
static void LogPortField(const PortFieldReading *portField, const PortSettings *settings)
{
    if (!portField->read)
        return;
    LogFormatted("Init", "port=%s, num=%d", portField->field, portField->portNumber);
    LogFormatted("Init", "port=%s, num=%d", settings->portPath, portField->portNumber);
}

static void LogSettings(const PortSettings *settings)
{
    LogFormatted("Init", "%s,%d,%d,%d,%d", settings->portPath, settings->baudRate,
                 settings->dataBits, settings->parityCode, settings->stopBitsCode);
}

// Sets up the display: reads the parameters, opens and configures the
// port and sends the power-resume sequence. Returns 0 or the failure text;
// a refused power-resume write is no failure of the set-up, since the
// module then sets the port up again by itself.
static const char *SetUpDisplay(unsigned char columns, unsigned char rows, const char *parameters)
{
    ApplyLogSuffix(parameters);
    OpenLog();
    LogLine("Init", "Called ");

    // A set-up that failed while configuring may have left the port open,
    // and a port that stopped answering is let go; either way this set-up
    // replaces the one the module would restore.
    ClosePort();
    driver.lastSetUp.wanted = false;
    driver.geometry.columns = columns;
    driver.geometry.rows = rows;

    PortSettings settings;
    PortFieldReading portField;
    const char *failure = ReadPortSettings(parameters, &settings, &portField);
    LogPortField(&portField, &settings);
    if (failure)
        return failure;
    LogSettings(&settings);
    failure = OpenPort(&settings);
    if (failure) {
        LogLine("Error", failure);
        return failure;
    }
    Send(PowerResumeSequence, sizeof PowerResumeSequence);
    LastSetUp *last = &driver.lastSetUp;
    last->wanted = true;
    last->settings = settings;
    last->portField = portField;
    last->triesError[0] = '\0';
    return 0;
}

// Sets the last set-up's port up again, power-resume sequence included, for
// a display lost to a refused write. A series of failing tries logs its
// error when it starts and again only when the text changes.
static void Reconnect(void)
{
    LastSetUp *last = &driver.lastSetUp;
    LogLine("Reconnect", "Called ");
    ClosePort();
    LogPortField(&last->portField, &last->settings);
    LogSettings(&last->settings);
    const char *failure = OpenPort(&last->settings);
    if (!failure)
        failure = WriteRun(PowerResumeSequence, sizeof PowerResumeSequence);
    last->lastTryMs = TickMilliseconds();
    if (!failure) {
        last->triesError[0] = '\0';
        return;
    }
    if (strcmp(failure, last->triesError) != 0)
        LogLine("Error", failure);
    snprintf(last->triesError, sizeof last->triesError, "%s", failure);
}

// Whether a call's bytes go out. Once a write on the host's set-up has been
// refused, a call first sets it up again, at most once a second; a call
// between tries is dropped: it sends nothing and returns at once.
static bool ReadyToSend(void)
{
    const LastSetUp *last = &driver.lastSetUp;
    if (!last->wanted || PortIsConfigured())
        return true;
    if (TickMilliseconds() - last->lastTryMs < RECONNECT_INTERVAL_MS)
        return false;
    Reconnect();
    return PortIsConfigured();
}

// Brings the display up for a geometry of columns x rows (0..255 each) on
// the port the parameters name ("COM3,9600,8,N,1" or "default"). Returns the
// driver name and sets *ok to 1, or returns the failure text and sets *ok to
// 0. While a configured port is held and still answers, a further call only
// answers with the driver name, keeping the port, geometry and log switch
// it has; otherwise (first call, after a failure, after Done, after the
// port was lost) the set-up runs again. Null
// parameters read as an empty text; a null ok is not written.
ENTRY_POINT const char *DISPLAYDLL_Init(unsigned char columns, unsigned char rows,
                                        const char *parameters, unsigned char *ok)
{
    LockModule();
    const char *failure = 0;
    if (!PortIsConfigured() || !PortAnswers())
        failure = SetUpDisplay(columns, rows, parameters ? parameters : "");
    if (ok)
        *ok = failure == 0;
    const char *result = failure ? failure : DriverName();
    UnlockModule();
    return result;
}

// Sends the closing sequence and closes the port. The module then sets up
// nothing by itself until the next Init.
ENTRY_POINT void DISPLAYDLL_Done(void)
{
    LockModule();
    Send(ClosingSequence, sizeof ClosingSequence);
    LogLine("Done", "Bye");
    ClosePort();
    driver.lastSetUp.wanted = false;
    UnlockModule();
}

// Sends the text unchanged, without its terminator, in one write: at most
// its first 255 bytes. A null text is sent as an empty one.
ENTRY_POINT void DISPLAYDLL_Write(const char *text)
{
    char working[WRITE_TEXT_LIMIT + 1];
    unsigned length = 0;
    for (; text && length < WRITE_TEXT_LIMIT && text[length] != '\0'; length++)
        working[length] = text[length];
    working[length] = '\0';
    LockModule();
    bool send = ReadyToSend();
    LogLine("Write", working);
    if (send)
        Send(working, length);
    UnlockModule();
}

// Moves the cursor to column x, row y, both counted from 1.
ENTRY_POINT void DISPLAYDLL_SetPosition(unsigned char x, unsigned char y)
{
    LockModule();
    bool send = ReadyToSend();
    LogFormatted("SetPosition", "x=%d, y=%d", x, y);
    unsigned char command[CURSOR_COMMAND_LENGTH];
    CursorPositionCommand(command, x, y, driver.geometry.columns, driver.geometry.rows);
    if (send)
        Send(command, sizeof command);
    UnlockModule();
}

// Sends the power-resume sequence, for a display that lost power.
ENTRY_POINT void DISPLAYDLL_PowerResume(void)
{
    LockModule();
    if (ReadyToSend())
        Send(PowerResumeSequence, sizeof PowerResumeSequence);
    UnlockModule();
}

// Constants: these two never wait for another thread's call.
ENTRY_POINT const char *DISPLAYDLL_Usage(void)
{
    return USAGE_TEXT;
}

ENTRY_POINT const char *DISPLAYDLL_DefaultParameters(void)
{
    return DEFAULT_PARAMETERS;
}

// The module's file name less ".dll", then " v" and the version.
ENTRY_POINT const char *DISPLAYDLL_DriverName(void)
{
    LockModule();
    const char *name = DriverName();
    UnlockModule();
    return name;
}
