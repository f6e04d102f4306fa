// The module's boundary towards the host: nine stdcall entry points, each
// exported under its plain and its decorated name (see KESMARD.def).
//
// Every entry point is thin: the bytes come from the display command set and
// go out through WritePort, the only path to the display. Texts handed back
// are zero-terminated and owned by the module; the host never frees them.
// Every entry point but the two constant ones and Status holds the module
// lock for its whole call, so the host's threads take turns.
#include <stdio.h>
#include <string.h>

#include <atomic>

#include "display_commands.h"
#include "driver_texts.h"
#include "module_base_name.h"
#include "module_lock.h"
#include "tick_clock.h"
#include "../include/KESMARD.h"
#include "../log/debug_log.h"
#include "../serial/error_text.h"
#include "../serial/port_settings.h"
#include "../serial/serial_port.h"

// Exported through KESMARD.def, which also gives each its decorated name.
#define ENTRY_POINT extern "C" __stdcall

// Longest text Write sends: its working buffer holds 255 characters and the
// terminator, and the rest of a longer text is dropped.
enum { WRITE_TEXT_LIMIT = LONGEST_RUN };

// How long after the port was lost the module first sets it up again by
// itself, and how long it waits between such tries.
enum { RECONNECT_INTERVAL_MS = 1000 };

struct DisplayGeometry {
    int columns;
    int rows;
};

// The set-up of the host's latest Init, which the module restores by itself
// when its port is lost (a USB adapter pulled and plugged back).
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
    char initFailure[ERROR_TEXT_SIZE];  // Init's failure text, which only another Init rewrites
} driver = {{20, 2}, "", {}, ""};

// The state the latest call left, for a Status call that comes while
// another thread's call holds the lock. Release and acquire are enough to
// hand over one value; a full barrier on every call would cost more.
static std::atomic<int> publishedStatus(DISPLAYDLL_STATUS_NOT_SET_UP);

static const char *DriverName(void)
{
    BuildDriverName(driver.driverName, sizeof driver.driverName, ModuleBaseName());
    return driver.driverName;
}

// What Status answers, from the module's state.
static int CurrentStatus(void)
{
    if (!driver.lastSetUp.wanted)
        return DISPLAYDLL_STATUS_NOT_SET_UP;
    if (!PortIsConfigured())
        return DISPLAYDLL_STATUS_LOST;
    return PortIsBackedUp() ? DISPLAYDLL_STATUS_BACKED_UP : DISPLAYDLL_STATUS_READY;
}

// Lets go of the module lock, leaving the state for Status calls meanwhile.
static void Leave(void)
{
    publishedStatus.store(CurrentStatus(), std::memory_order_release);
    UnlockModule();
}

// The port is gone: the wait before it is set up again starts now.
static void PortLost(void)
{
    driver.lastSetUp.lastTryMs = TickMilliseconds();
}

// Writes one run. A stalled write (the line held or slow) leaves the port
// as it is, so the next call's bytes go out as usual, and is logged when
// the stall starts. The rest of a cut run is not resent, so the display
// takes the next bytes as its rest: what it shows next may be garbled.
// Returns the text of a write that lost the port, or 0.
static const char *WriteRun(const void *bytes, unsigned long count)
{
    bool backedUp = PortIsBackedUp();
    const char *failure;
    WriteOutcome outcome = WritePort(bytes, count, &failure);
    if (outcome == WRITE_STALLED && !backedUp)
        LogLine("Error", failure);
    if (outcome != WRITE_LOST)
        return 0;
    PortLost();
    return failure;
}

// Sends one run of a host's call; a write that lost the port is logged and
// starts the wait before the port is set up again.
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

// The settings, and whether the line is so slow that the write bound cuts
// long runs.
static void LogSettings(const PortSettings *settings)
{
    LogFormatted("Init", "%s,%d,%d,%d,%d", settings->portPath, settings->baudRate,
                 settings->dataBits, settings->parityCode, settings->stopBitsCode);
    unsigned carried = BytesWithinBound(settings);
    if (carried < LONGEST_RUN)
        LogFormatted("Init", "Line too slow: a write ends after %d ms, writes of more than %u bytes are cut",
                     WRITE_BOUND_MS, carried);
}

// Sets up the display: reads the parameters, opens and configures the
// port and sends the power-resume sequence. Returns 0 or the failure text;
// a power-resume write that lost the port is no failure of the set-up,
// since the module then sets the port up again by itself.
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
// a display whose port was lost. A series of failing tries logs its
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

// Whether a call's bytes go out. Once the port of the host's set-up was
// lost, a call first sets it up again, at most once a second; a call
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
// answers with the driver name, keeping the port and geometry it has (and
// not looking for a "Log" suffix); otherwise (first call, after a failure,
// after Done, after the port was lost) the set-up runs again. Null
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
    // A failure is copied, so that a failing call on another thread cannot
    // rewrite it while the host reads it.
    if (failure)
        snprintf(driver.initFailure, sizeof driver.initFailure, "%s", failure);
    const char *result = failure ? driver.initFailure : DriverName();
    Leave();
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
    Leave();
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
    Leave();
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
    Leave();
}

// Sends the power-resume sequence, for a display that lost power.
ENTRY_POINT void DISPLAYDLL_PowerResume(void)
{
    LockModule();
    if (ReadyToSend())
        Send(PowerResumeSequence, sizeof PowerResumeSequence);
    Leave();
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
    Leave();
    return name;
}

// Whether the display can be reached, sending nothing: not set up, ready,
// backed up or lost. A held port is asked for its state, so a pulled
// adapter shows here before any write fails. While another thread's call
// holds the lock, the state that call found is answered at once.
ENTRY_POINT int DISPLAYDLL_Status(void)
{
    if (!TryLockModule())
        return publishedStatus.load(std::memory_order_acquire);
    if (driver.lastSetUp.wanted && PortIsConfigured() && !PortAnswers()) {
        ClosePort();
        PortLost();
    }
    int status = CurrentStatus();
    Leave();
    return status;
}
