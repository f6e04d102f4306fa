// The group "driver" beside its scenario files: what the module does with
// what is no port, the text of a code the system has no text for, and what
// the module hands the port.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "driver_spy.h"
#include "harness.h"
#include "line.h"
#include "../../serial/error_text.h"
#include "../../tools/common/system_text.h"

static DriverApi api;

static const char NOT_A_PORT_PIPE[] = "\\\\.\\pipe\\kesmard-not-a-port";
static const char SALES_FILE[] = "sales.csv";
static const char SALES[] = "date,amount\r\n2026-12-08,12.34\r\n";

// A fresh instance of the pipe, of one byte's room: a write into it would
// wait for a reader.
static HANDLE MakePipe(void)
{
    return CreateNamedPipeA(NOT_A_PORT_PIPE, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                            PIPE_UNLIMITED_INSTANCES, 1, 1, 0, NULL);
}

// A host that names a file, a pipe or another device instead of a port: Init
// fails as for any port whose state cannot be read, and nothing the module
// does afterwards reaches what it named; the next Init sets up as usual.
static void NotAPort(void)
{
    char absolute[MAX_PATH];
    GetFullPathNameA(SALES_FILE, sizeof absolute, absolute, NULL);
    // What reading a port's state fails with on each, under Wine.
    const struct {
        const char *path;
        bool pipe;
        const char *text;
    } targets[] = {{absolute, false, "Failed to get Serial Port state : Invalid handle.\r\n"},
                   {NOT_A_PORT_PIPE, true, "Failed to get Serial Port state : Request not supported.\r\n"}};
    for (size_t i = 0; i < ARRAY_SIZE(targets); i++) {
        printf("    %s\n", targets[i].path);
        WriteWholeFile(SALES_FILE, SALES);
        HANDLE pipeServer = targets[i].pipe ? MakePipe() : INVALID_HANDLE_VALUE;

        if (!LoadFreshDriver(&api))
            return;
        char parameters[MAX_PATH + 16];
        snprintf(parameters, sizeof parameters, "%s,9600,8,N,1", targets[i].path);
        unsigned char ok = 0xAA;
        CheckText(targets[i].text, api.Init(20, 2, parameters, &ok), "Init on what is no port");
        CheckInt(0, ok, "ok 0");
        // A call that wrote to the pipe would hang, for the watchdog to see.
        api.Write("12.34");
        api.SetPosition(1, 2);
        api.PowerResume();
        api.Done();
        if (targets[i].pipe) {
            // Once the module has let go of its end, the pipe is broken.
            DWORD waiting = 0;
            PeekNamedPipe(pipeServer, NULL, 0, NULL, &waiting, NULL);
            CheckInt(0, waiting, "nothing reached the pipe");
            CloseHandle(pipeServer);
        } else {
            char now[sizeof SALES + 64];
            ReadWholeFile(SALES_FILE, now, sizeof now);
            CheckText(SALES, now, "the file is unchanged, byte for byte");
        }
        ExpectNothing("nothing reached the line");
        ExpectSetUp(&api, GOOD_PARAMETERS);
        DoneAndUnload(&api);
    }
}

// The unit behind the texts, where the module as a whole cannot be brought
// to the case: a system error code with no text.
static void ErrorTextWithoutSystemText(void)
{
    enum { CODE_WITHOUT_TEXT = 0x2FFFFFFF };
    const char *first = ComposeErrorText("Error writing string", ERROR_INVALID_HANDLE);
    CheckText("", SystemText(CODE_WITHOUT_TEXT), "the system has no text for the code");
    const char *second = ComposeErrorText("Serial Port does not exist", CODE_WITHOUT_TEXT);
    CheckText("Serial Port does not exist : ", second, "no text after an earlier error's");
    CheckTrue(first == second, "one buffer holds the latest composed text");
}

// What the module hands the port, as the spy in its import table sees it
// (a pty holds neither data bits nor parity): the four line settings, the
// rest of the port's state as it was (abort on error and an event
// character a program before left), and the write timeouts, which cover a
// character and a half a byte, or the 16 s bound, which the log then names.
static void LineSettingsReachThePort(void)
{
    const struct {
        const char *parameters;
        DWORD baud;
        BYTE dataBits, parity, stopBits;
        DWORD msPerByte, constantMs;
    } cases[] = {
        {"COM3,9600,8,N,1", 9600, 8, NOPARITY, ONESTOPBIT, 10, 50},
        {"COM3,19200,7,E,2", 19200, 7, EVENPARITY, TWOSTOPBITS, 10, 50},
        {"COM3,1200,8,O,1", 1200, 8, ODDPARITY, ONESTOPBIT, 14, 50},
        {"COM3,600,8,M,1", 600, 8, MARKPARITY, ONESTOPBIT, 28, 50},
        {"COM3,110,8,S,1Log", 110, 8, SPACEPARITY, ONESTOPBIT, 0, 16000},
    };
    for (size_t i = 0; i < ARRAY_SIZE(cases); i++) {
        if (!LoadFreshDriver(&api) || !SpyOnModule(api.module))
            break;
        printf("    %s\n", cases[i].parameters);
        spy.portFlags = true;
        ExpectSetUp(&api, cases[i].parameters);
        CheckInt(cases[i].baud, spy.setState.BaudRate, "speed");
        CheckInt(cases[i].dataBits, spy.setState.ByteSize, "data bits");
        CheckInt(cases[i].parity, spy.setState.Parity, "parity");
        CheckInt(cases[i].stopBits, spy.setState.StopBits, "stop bits");
        CheckInt(TRUE, spy.setState.fAbortOnError, "the port's abort on error is kept");
        CheckInt(TRUE, spy.setState.fOutxCtsFlow, "the port's CTS flow control is kept");
        CheckInt(cases[i].msPerByte, spy.setTimeouts.WriteTotalTimeoutMultiplier, "write ms a byte");
        CheckInt(cases[i].constantMs, spy.setTimeouts.WriteTotalTimeoutConstant, "write ms once");
        DoneAndUnload(&api);
    }
    static char log[LOG_BUFFER_SIZE];
    ReadWholeFile(LOG_PATH, log, sizeof log);
    CheckHolds("Init COM3,110,8,4,0\r\n", log, "the slowest set-up is logged");
    CheckHolds("Init Line too slow: a write ends after 16000 ms, writes of more than 160 bytes are cut\r\n",
               log, "and its bound with it");
}

static const Scenario SCENARIOS[] = {
    {"line_settings_reach_the_port", LineSettingsReachThePort},
    {"not_a_port", NotAPort},
    {"error_text_without_system_text", ErrorTextWithoutSystemText},
};
SCENARIO_GROUP(DRIVER_GROUP, "driver");
