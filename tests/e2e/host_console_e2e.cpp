// End-to-end runs of the host console under Wine: its exit status, what it
// prints and the bytes its commands make the module send; and of the
// virtual display reading those bytes on the display's end of the line.
//
// Usage: host_console_e2e.exe PATH-TO-DLL [FILTER]   (see harness.h)
// The console and the display are the host_console.exe and
// virtual_display.exe beside the module.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"

enum {
    OUTPUT_SIZE = 8192,
    DISPLAY_START_MS = 10000,  // how long the display may take to open its port
};

// How long the display reads: ample for the console's run, under load too.
#define DISPLAY_SECONDS "6"

struct ConsoleCase {
    const char *arguments;  // the program's command line after its own name
    const char *input;      // its standard input
    int exitCode;
    const char *stdoutPart; // a piece its standard output must hold ("" for any)
    const char *stderrPart; // a piece its standard error must hold ("" for none at all)
};

static const char CONSOLE[] = "host_console.exe";
static const char DISPLAY[] = "virtual_display.exe";

// Runs a program beside the module with the case's arguments and input.
static int RunBeside(const char *program, const ConsoleCase *run, char *out, char *err,
                     size_t size)
{
    char commandLine[2048];
    BesideModule(program, run->arguments, commandLine, sizeof commandLine);
    return RunChild(commandLine, run->input, out, err, size);
}

static void RunCase(const char *program, const ConsoleCase *run)
{
    static char out[OUTPUT_SIZE], err[OUTPUT_SIZE];
    int status = RunBeside(program, run, out, err, sizeof out);
    printf("    %s %s\n", program, run->arguments);
    CheckInt(run->exitCode, status, "exit status");
    CheckHolds(run->stdoutPart, out, "standard output");
    if (run->stderrPart[0])
        CheckHolds(run->stderrPart, err, "standard error");
    else
        CheckText("", err, "nothing on standard error");
}

// Every way of giving commands reaches the module, escapes decoded.
static void CommandsReachTheModule(void)
{
    static const ConsoleCase run = {
        "status \"init 20 2 default\" status \"pos 1 2\" \"write \\\\Hi\\x21\\x1b\" done", "", 0,
        "> status\r\n  0 not set up\r\n> init 20 2 default\r\n  ok=1 \"KESMARD v" EXPECTED_VERSION
        "\"\r\n> status\r\n  1 ready\r\n> pos 1 2", ""};
    DrainLine();
    RunCase(CONSOLE, &run);
    EXPECT_LINE(POWER_RESUME CURSOR_AT("\x14") "\\Hi!\x1B" CLOSING, "the commands' bytes, in order");

    WriteWholeFile("scene.txt", "# a comment, then a blank line\r\n\r\ninit 20 2 default\r\nwrite  two\r\n");
    static const ConsoleCase fromScript = {"--script scene.txt", "", 0, "> write  two", ""};
    RunCase(CONSOLE, &fromScript);
    // Blanks after the first one belong to the text.
    EXPECT_LINE(POWER_RESUME " two", "the script's init and text");

    static const ConsoleCase fromInput = {"", "init 20 2 default\nname\nusage\ndefaults\nresume\n", 0,
                                          "  \"KESMARD v" EXPECTED_VERSION "\"\r\n> usage\r\n"
                                          "  \"KESMARD usage: COM3,9600,8,N,1\"\r\n> defaults\r\n"
                                          "  \"COM3,9600,8,N,1\"",
                                          ""};
    RunCase(CONSOLE, &fromInput);
    EXPECT_LINE(POWER_RESUME POWER_RESUME, "init and resume from standard input");
}

// Registers the line's ports where the system lists its COM ports, as their
// driver would: Wine lists only the ports it found when it started.
static void RegisterLinePorts(void)
{
    static const char *const PORTS[][2] = {
        {"\\Device\\LineCom12", "COM12"}, {"\\Device\\LineCom3", "COM3"}, {"\\Device\\LineCom4", "COM4"}};
    HKEY key;
    CheckTrue(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, NULL, 0,
                              KEY_SET_VALUE, NULL, &key, NULL) == ERROR_SUCCESS,
              "the list of COM ports opens for writing");
    for (size_t i = 0; i < ARRAY_SIZE(PORTS); i++)
        RegSetValueExA(key, PORTS[i][0], 0, REG_SZ, (const BYTE *)PORTS[i][1],
                       (DWORD)strlen(PORTS[i][1]) + 1);
    RegCloseKey(key);
}

// Each failure is one line on standard error and its own exit status. The
// port list, the line's ports among the machine's, needs no module.
static void FailuresAreReported(void)
{
    static const ConsoleCase cases[] = {
        {"ports", "", 0, "COM3     COM3\r\nCOM4     COM4\r\nCOM12    \\\\.\\COM12\r\n", ""},
        {"--module missing.dll ports", "", 0, "> ports\r\nCOM", ""},
        {"bogus", "", 2, "", "host_console: argument 1: unknown command 'bogus'"},
        {"\"init 20 2 default\" \"pos 1 256\"", "", 2, "",
         "argument 2: bad number '256' for Y: use 0 to 255"},
        {"--script missing.txt", "", 2, "", "cannot read the script missing.txt"},
        {"--frobnicate", "", 2, "", "unknown option '--frobnicate'"},
        {"", "name\nfrobnicate\n", 2, "> name", "standard input line 2: unknown command"},
        {"--module missing.dll name", "", 3, "", "cannot load missing.dll: "},
        {"--module kernel32.dll name", "", 3, "",
         "entry point DISPLAYDLL_Init missing from kernel32.dll"},
        {"\"init 20 2 COM200,9600,8,N,1\"", "", 1,
         "  ok=0 \"Serial Port does not exist : ", ""},
    };
    DrainLine();
    RegisterLinePorts();
    for (size_t i = 0; i < ARRAY_SIZE(cases); i++)
        RunCase(CONSOLE, &cases[i]);
    // Where no port driver ever started there is no list at all: no port.
    // Wine lists its ports again when it next starts.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM");
    static const ConsoleCase noPorts = {"ports", "", 0, "", ""};
    static char out[OUTPUT_SIZE], err[OUTPUT_SIZE];
    CheckInt(0, RunBeside(CONSOLE, &noPorts, out, err, sizeof out), "exit status without ports");
    CheckText("> ports\r\n", out, "an empty port list");
    CheckText("", err, "nothing on standard error without ports");
    // Bad commands are found before the module is loaded, so even the good
    // init ahead of a bad number sent nothing; listing the ports opened none.
    ExpectNothing("nothing sent by failed runs and port lists");
}

// Waits until the file holds part; false when it does not in time.
static bool WaitForPart(const char *path, const char *part, unsigned long limitMs)
{
    static char text[OUTPUT_SIZE];
    DWORD start = GetTickCount();
    while (ReadWholeFile(path, text, sizeof text) < 0 || !strstr(text, part)) {
        if (GetTickCount() - start > limitMs)
            return false;
        Sleep(50);
    }
    return true;
}

// The virtual display on the display's end (COM4) while the console drives
// the module on COM3. The test lets go of COM4 meanwhile, so that every
// byte reaches the display alone.
static void DisplayShowsTheConsolesScene(void)
{
    HoldDisplayEnd(false);
    char commandLine[2048];
    BesideModule(DISPLAY,
                 "--port COM4 --settings 9600,8,N,1 --seconds " DISPLAY_SECONDS
                 " --save-screen screen.txt --save-trace trace.txt",
                 commandLine, sizeof commandLine);
    ChildProcess display;
    if (StartChild(&display, "display", commandLine, "")) {
        CheckTrue(WaitForPart("display-stdout.txt", "virtual display 20x2 on COM4\r\n",
                              DISPLAY_START_MS),
                  "the display says it reads COM4");
        // The pause cuts the text in two: the display reads and draws each
        // part as it comes.
        static const ConsoleCase scene = {
            "\"init 20 2 COM3,9600,8,N,1\" \"pos 1 1\" \"write FRE\" \"sleep 500\" "
            "\"write SH BREAD\" \"pos 8 2\" \"write $2.50\" resume done",
            "", 0, "> done", ""};
        RunCase(CONSOLE, &scene);
        static char out[OUTPUT_SIZE], err[OUTPUT_SIZE];
        CheckInt(0, FinishChild(&display, out, err, sizeof out), "the display's exit status");
        CheckText("", err, "nothing on the display's standard error");
        // Its output is a file, not a console: a frame after each burst.
        CheckHolds("|FRE                 |\r\n", out, "the text's first part drawn alone");
        CheckHolds("cursor at column 13, row 2; 48 bytes; events: power resume, power resume, "
                   "closing\r\n",
                   out, "the last frame's status");

        static char saved[OUTPUT_SIZE];
        ReadWholeFile("screen.txt", saved, sizeof saved);
        CheckText("FRESH BREAD         \r\n       $2.50        \r\n", saved, "the saved screen");
        // Offsets and bytes, 16 a line: the runs of init, pos 1 1, the two
        // writes, pos 8 2 (cell 27, ESC's value), the last write, resume and done.
        ReadWholeFile("trace.txt", saved, sizeof saved);
        CheckText("00000000  1B 02 1B 05 1B 08 1B 0C 1B 0E 1B 20 1B 13 00 46\r\n"
                  "00000010  52 45 53 48 20 42 52 45 41 44 1B 13 1B 24 32 2E\r\n"
                  "00000020  35 30 1B 02 1B 05 1B 08 1B 0C 1B 0E 1B 20 1B 02\r\n",
                  saved, "the saved trace");
    }
    CheckTrue(HoldDisplayEnd(true), "COM4 opens again for the scenarios after");
}

// A port that cannot be set up: a line on standard error naming the port,
// the step and the system's text, and exit status 2. Bad options are
// refused before any port is opened.
static void DisplayRefusesWhatItCannotUse(void)
{
    WriteWholeFile("not-a-port.txt", "");
    static const ConsoleCase cases[] = {
        {"--port COM99 --seconds 1", "", 2, "", "virtual_display: cannot open COM99: "},
        {"--port not-a-port.txt --seconds 1", "", 2, "",
         "virtual_display: cannot read the line settings of not-a-port.txt: "},
        // A Linux pty refuses 9 data bits.
        {"--port COM4 --settings 9600,9,N,1 --seconds 1", "", 2, "",
         "virtual_display: cannot set the line settings of COM4: "},
        {"--port COM4 --settings 9600", "", 2, "", "virtual_display: --settings 9600: Data bits Incorrect?"},
        {"--seconds 1", "", 2, "", "virtual_display: --port NAME is missing"},
    };
    for (size_t i = 0; i < ARRAY_SIZE(cases); i++)
        RunCase(DISPLAY, &cases[i]);
}

static const Scenario SCENARIOS[] = {
    {"commands_reach_the_module", CommandsReachTheModule},
    {"failures_are_reported", FailuresAreReported},
    {"display_shows_the_consoles_scene", DisplayShowsTheConsolesScene},
    {"display_refuses_what_it_cannot_use", DisplayRefusesWhatItCannotUse},
};

SCENARIO_GROUP(CONSOLE_GROUP, "console");

int main(int argc, char **argv)
{
    const ScenarioGroup *const groups[] = {&CONSOLE_GROUP};
    return RunTestProgram(argc, argv, groups, ARRAY_SIZE(groups));
}
