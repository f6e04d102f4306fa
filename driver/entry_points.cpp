// The module's boundary towards the host: eight stdcall entry points, each
// exported under its plain and its decorated name (see KESMARD.def).
//
// Every entry point is thin: the bytes come from the display command set and
// go out through WritePort, the only path to the display. Texts handed back
// are zero-terminated and owned by the module; the host never frees them.
#include "display_commands.h"
#include "driver_texts.h"
#include "module_base_name.h"
#include "../log/debug_log.h"
#include "../serial/port_settings.h"
#include "../serial/serial_port.h"

// Exported through KESMARD.def, which also gives each its decorated name.
#define ENTRY_POINT extern "C" __stdcall

// Longest text Write sends: the cursor address reaches 256 cells, so more
// than this could never be placed on the display.
enum { WRITE_TEXT_LIMIT = 255 };

struct DisplayGeometry {
    int columns;
    int rows;
};

static struct {
    DisplayGeometry geometry;           // cells the cursor address is computed on
    char driverName[DRIVER_NAME_SIZE];  // rebuilt on every request for the name
} driver = {{20, 2}, ""};

static const char *DriverName(void)
{
    BuildDriverName(driver.driverName, sizeof driver.driverName, ModuleBaseName());
    return driver.driverName;
}

// Sets up the display: reads the parameters, opens and configures the
// port and sends the power-resume sequence. Returns 0 or the failure text.
static const char *SetUpDisplay(unsigned char columns, unsigned char rows, const char *parameters)
{
    ApplyLogSuffix(parameters);
    OpenLog();
    LogLine("Init", "Called ");

    // A set-up that failed while configuring may have left the port open.
    ClosePort();
    driver.geometry.columns = columns;
    driver.geometry.rows = rows;

    PortSettings settings;
    PortFieldReading portField;
    const char *failure = ReadPortSettings(parameters, &settings, &portField);
    if (portField.read) {
        LogFormatted("Init", "port=%s, num=%d", portField.field, portField.portNumber);
        LogFormatted("Init", "port=%s, num=%d", settings.portPath, portField.portNumber);
    }
    if (failure)
        return failure;
    LogFormatted("Init", "%s,%d,%d,%d,%d", settings.portPath, settings.baudRate, settings.dataBits,
                 settings.parityCode, settings.stopBitsCode);
    failure = OpenPort(&settings);
    if (failure)
        return failure;
    WritePort(PowerResumeSequence, sizeof PowerResumeSequence);
    return 0;
}

// Brings the display up for a geometry of columns x rows (0..255 each) on
// the port the parameters name ("COM3,9600,8,N,1" or "default"). Returns the
// driver name and sets *ok to 1, or returns the failure text and sets *ok to
// 0. While a configured port is held, a further call only answers with the
// driver name; otherwise (first call, after a failure, after Done) the
// set-up runs again. Null parameters read as an empty text; a null ok is
// not written.
ENTRY_POINT const char *DISPLAYDLL_Init(unsigned char columns, unsigned char rows,
                                        const char *parameters, unsigned char *ok)
{
    bool succeeded = true;
    const char *failure = 0;
    if (!PortIsConfigured()) {
        failure = SetUpDisplay(columns, rows, parameters ? parameters : "");
        succeeded = failure == 0;
    }
    if (ok)
        *ok = succeeded;
    return succeeded ? DriverName() : failure;
}

// Sends the closing sequence and closes the port.
ENTRY_POINT void DISPLAYDLL_Done(void)
{
    WritePort(ClosingSequence, sizeof ClosingSequence);
    LogLine("Done", "Bye");
    ClosePort();
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
    LogLine("Write", working);
    WritePort(working, length);
}

// Moves the cursor to column x, row y, both counted from 1.
ENTRY_POINT void DISPLAYDLL_SetPosition(unsigned char x, unsigned char y)
{
    LogFormatted("SetPosition", "x=%d, y=%d", x, y);
    unsigned char command[CURSOR_COMMAND_LENGTH];
    CursorPositionCommand(command, x, y, driver.geometry.columns, driver.geometry.rows);
    WritePort(command, sizeof command);
}

// Sends the power-resume sequence, for a display that lost power.
ENTRY_POINT void DISPLAYDLL_PowerResume(void)
{
    WritePort(PowerResumeSequence, sizeof PowerResumeSequence);
}

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
    return DriverName();
}
