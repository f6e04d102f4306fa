// Virtual display for Windows: a serial character display in a console,
// read from a COM port, for trying the module without hardware on one end
// of a virtual null-modem pair while the host writes to the other end. It
// shows what arrives as the Linux program does (display_program.h).
//
// Usage: virtual_display --port NAME [--settings BAUD,DATA,PARITY,STOP] [--seconds N]
//                        [--size COLUMNSxROWS] [--frames | --quiet]
//                        [--save-screen FILE] [--save-trace FILE]
// It runs until Ctrl-C, Ctrl-Break or the console's closing, or for N
// seconds; then it writes the final screen and the trace to the files
// named. A port that cannot be opened or configured is one line on standard
// error and exit status 2.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_program.h"
#include "../common/array_size.h"
#include "../common/system_text.h"
#include "../common/text_fields.h"
#include "../../driver/driver_texts.h"
#include "../../serial/port_settings.h"

enum {
    EXIT_NO_PORT = 2,
    MAX_SECONDS = 86400,
    CLOSE_WAIT_MS = 4000,  // Windows ends a closing console's process after 5 s
    REASON_SIZE = 2 * FIELD_SIZE,
};

static struct {
    HANDLE port;
    const char *name;              // the port as given, for messages
    DWORD started;                 // tick count when reading began
    DWORD limitMs;                 // how long to read; 0 until stopped
    volatile LONG stopRequested;   // set by the console's control handler
    HANDLE saved;                  // set once the files are written
} line;

// Runs on a thread of its own. A closing console ends the process as soon
// as this returns, so that case waits for the files to be written.
static BOOL WINAPI RequestStop(DWORD event)
{
    line.stopRequested = 1;
    if (event == CTRL_CLOSE_EVENT)
        WaitForSingleObject(line.saved, CLOSE_WAIT_MS);
    return TRUE;
}

static long ReadPort(unsigned char *bytes, size_t size)
{
    if (line.stopRequested || (line.limitMs && GetTickCount() - line.started >= line.limitMs))
        return LINE_STOPPED;
    DWORD got = 0;
    if (!ReadFile(line.port, bytes, (DWORD)size, &got, NULL)) {
        DWORD error = GetLastError();
        fprintf(stderr, "virtual_display: reading %s failed: %s (error %lu)\n", line.name,
                SystemTextLine(error), error);
        return LINE_FAILED;
    }
    return (long)got;
}

// The module's default parameters less the port: "9600,8,N,1".
static const char *DefaultSettings(void)
{
    return strchr(DEFAULT_PARAMETERS, ',') + 1;
}

// The port and its line settings read as the module reads its parameter
// string, so that the same names and settings work on both ends: COM11 is
// opened as \\.\COM11, and the settings default to the module's.
static bool ReadLineSettings(const char *port, const char *settingsText, PortSettings *settings,
                             char *reason, size_t size)
{
    if (!port) {
        snprintf(reason, size, "--port NAME is missing");
        return false;
    }
    // The module's reader keeps FIELD_SIZE - 1 characters and stops at a comma.
    if (strlen(port) >= FIELD_SIZE || strchr(port, ',')) {
        snprintf(reason, size, "bad port name '%.*s'", FIELD_SIZE, port);
        return false;
    }
    char parameters[REASON_SIZE];
    snprintf(parameters, sizeof parameters, "%s,%s", port,
             settingsText ? settingsText : DefaultSettings());
    PortFieldReading portField;
    const char *failure = ReadPortSettings(parameters, settings, &portField);
    if (failure)
        snprintf(reason, size, "--settings %.*s: %s", FIELD_SIZE, settingsText, failure);
    return !failure;
}

// Opens the port and sets its line settings and read timeouts; on failure
// one line naming the port, the step and the system's text.
static bool OpenPort(const char *name, const PortSettings *settings)
{
    line.name = name;
    const char *step = "open";
    DCB state = {};
    state.DCBlength = sizeof state;
    // A read returns at once with what has arrived, or waits up to QUIET_MS
    // for a first byte: the end of a burst, and a stop, are seen that soon.
    COMMTIMEOUTS timeouts = {MAXDWORD, MAXDWORD, QUIET_MS, 0, 0};
    line.port = CreateFileA(settings->portPath, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    bool done = line.port != INVALID_HANDLE_VALUE;
    if (done) {
        // Only a communications device has a state to read.
        step = "read the line settings of";
        done = GetCommState(line.port, &state);
    }
    if (done) {
        // Only the four line settings change, as the module changes them.
        state.BaudRate = settings->baudRate;
        state.ByteSize = (BYTE)settings->dataBits;
        state.Parity = (BYTE)settings->parityCode;
        state.StopBits = (BYTE)settings->stopBitsCode;
        step = "set the line settings of";
        done = SetCommState(line.port, &state);
    }
    if (done) {
        step = "set the read timeouts of";
        done = SetCommTimeouts(line.port, &timeouts);
    }
    if (done)
        return true;
    DWORD error = GetLastError();  // nothing has run since the call that failed
    fprintf(stderr, "virtual_display: cannot %s %s: %s (error %lu)\n", step, line.name,
            SystemTextLine(error), error);
    return false;
}

int main(int argc, char **argv)
{
    const char *port = 0, *settingsText = 0, *secondsText = 0;
    const LineOption own[] = {
        {"--port", &port}, {"--settings", &settingsText}, {"--seconds", &secondsText}};
    char notes[REASON_SIZE];
    snprintf(notes, sizeof notes,
             "settings read as the module reads them, %s unless given; it runs for --seconds"
             " (1 to %d) or until Ctrl-C", DefaultSettings(), MAX_SECONDS);
    const OwnOptions ownOptions = {"--port NAME [--settings BAUD,DATA,PARITY,STOP] [--seconds N]",
                                   notes, own, ARRAY_SIZE(own)};
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD consoleMode = 0;
    bool console = GetConsoleMode(out, &consoleMode);
    DisplayOptions options;
    if (!ReadDisplayOptions(argc, argv, &ownOptions, console, &options))
        return EXIT_USAGE;
    PortSettings settings;
    char reason[REASON_SIZE];
    if (!ReadLineSettings(port, settingsText, &settings, reason, sizeof reason))
        return RefuseOptions(&ownOptions, reason);
    unsigned long seconds = 0;
    if (secondsText &&
        (!ParseNumber(secondsText, strlen(secondsText), MAX_SECONDS, &seconds) || seconds == 0)) {
        snprintf(reason, sizeof reason, "bad --seconds '%.*s'", FIELD_SIZE, secondsText);
        return RefuseOptions(&ownOptions, reason);
    }
    if (!OpenPort(port, &settings))
        return EXIT_NO_PORT;

    line.saved = CreateEventA(NULL, TRUE, FALSE, NULL);
    SetConsoleCtrlHandler(RequestStop, TRUE);
    // Drawing in place takes the console's virtual-terminal sequences
    // (Windows 10 and later); where they cannot be turned on, frames.
    bool sequences = options.drawing == DRAW_LIVE &&
                     SetConsoleMode(out, consoleMode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    if (options.drawing == DRAW_LIVE && !sequences)
        options.drawing = DRAW_FRAMES;
    line.limitMs = (DWORD)seconds * 1000;
    line.started = GetTickCount();
    int status = RunDisplay(&options, line.name, ReadPort);
    if (sequences)
        SetConsoleMode(out, consoleMode);
    CloseHandle(line.port);
    SetEvent(line.saved);
    return status;
}
