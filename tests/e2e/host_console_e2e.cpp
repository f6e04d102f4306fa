// End-to-end runs under Wine of the host console (its exit status, what it
// prints, the bytes its commands make the module send) and of the virtual
// display reading those bytes; both lie beside the module.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"

enum { OUTPUT_SIZE = 8192, DISPLAY_START_MS = 10000 /* for the display to open its port */ };

struct ConsoleCase {
    const char *arguments;   // the program's command line after its own name
    const char *input;       // its standard input
    int exitCode;
    const char *stdoutPart;  // a piece its standard output must hold ("" for any)
    const char *stderrPart;  // a piece its standard error must hold ("" for none at all)
};

static const char CONSOLE[] = "host_console.exe";
static const char DISPLAY[] = "virtual_display.exe";
static const char PORT_LIST[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// Runs a program beside the module with the case's arguments and input;
// returns its standard output.
static const char *RunCase(const char *program, const ConsoleCase *run)
{
    static char out[OUTPUT_SIZE], err[OUTPUT_SIZE];
    char commandLine[2048];
    BesideModule(program, run->arguments, commandLine, sizeof commandLine);
    int status = RunChild(commandLine, run->input, out, err, sizeof out);
    printf("    %s %s\n", program, run->arguments);
    CheckInt(run->exitCode, status, "exit status");
    CheckHolds(run->stdoutPart, out, "standard output");
    if (run->stderrPart[0])
        CheckHolds(run->stderrPart, err, "standard error");
    else
        CheckText("", err, "nothing on standard error");
    return out;
}

// Every way of giving commands reaches the module, escapes decoded; blanks
// after the first one belong to the text.
static void CommandsReachTheModule(void)
{
    static const struct {
        ConsoleCase run;
        const char *line;  // the bytes its commands send
    } cases[] = {
        {{"status \"init 20 2 default\" \"pos 1 2\" \"write \\\\Hi\\x21\\x1b\" done", "", 0,
          "> status\r\n  0 not set up\r\n> init 20 2 default\r\n  ok=1 \"KESMARD v" EXPECTED_VERSION
          "\"\r\n> pos 1 2", ""},
         POWER_RESUME CURSOR_AT("\x14") "\\Hi!\x1B" CLOSING},
        {{"--script scene.txt", "", 0, "> write  two", ""}, POWER_RESUME " two"},
        {{"", "init 20 2 default\nname\nusage\ndefaults\nresume\n", 0,
          "  \"KESMARD v" EXPECTED_VERSION "\"\r\n> usage\r\n  \"KESMARD usage: COM3,9600,8,N,1\"\r\n"
          "> defaults\r\n  \"COM3,9600,8,N,1\"", ""},
         POWER_RESUME POWER_RESUME},
    };
    WriteWholeFile("scene.txt", "# a comment, then a blank line\r\n\r\ninit 20 2 default\r\nwrite  two\r\n");
    DrainLine();
    for (size_t i = 0; i < ARRAY_SIZE(cases); i++) {
        RunCase(CONSOLE, &cases[i].run);
        ExpectBytes(cases[i].line, strlen(cases[i].line), "the commands' bytes, in order");
    }
}

// Each failure is one line on standard error and its own exit status; bad
// commands are found before the module is loaded, so even a good init ahead
// of them sends nothing. The port list loads no module; the line's ports are
// registered as their driver would, as Wine lists only those it found at start.
static void FailuresAreReported(void)
{
    static const char *const PORTS[][2] = {
        {"\\Device\\LineCom12", "COM12"}, {"\\Device\\LineCom3", "COM3"}, {"\\Device\\LineCom4", "COM4"}};
    static const ConsoleCase cases[] = {
        {"--module missing.dll ports", "", 0, "COM3     COM3\r\nCOM4     COM4\r\nCOM12    \\\\.\\COM12\r\n",
         ""},
        {"\"init 20 2 default\" \"pos 1 256\"", "", 2, "", "host_console: argument 2: bad number '256' for Y"},
        {"--script missing.txt", "", 2, "", "cannot read the script missing.txt"},
        {"--frobnicate", "", 2, "", "unknown option '--frobnicate'"},
        {"", "name\nfrobnicate\n", 2, "> name", "standard input line 2: unknown command"},
        {"--module missing.dll name", "", 3, "", "cannot load missing.dll: Module not found. (error 126)\r\n"},
        {"--module kernel32.dll name", "", 3, "", "entry point DISPLAYDLL_Init missing from kernel32.dll"},
        {"\"init 20 2 COM200,9600,8,N,1\"", "", 1, "  ok=0 \"Serial Port does not exist : ", ""},
    };
    HKEY key = NULL;
    LONG opened = RegCreateKeyExA(HKEY_LOCAL_MACHINE, PORT_LIST, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    CheckInt(ERROR_SUCCESS, opened, "the list of COM ports opens for writing");
    for (size_t i = 0; i < ARRAY_SIZE(PORTS); i++)
        RegSetValueExA(key, PORTS[i][0], 0, REG_SZ, (const BYTE *)PORTS[i][1], (DWORD)strlen(PORTS[i][1]) + 1);
    DrainLine();
    for (size_t i = 0; i < ARRAY_SIZE(cases); i++)
        RunCase(CONSOLE, &cases[i]);

    // A list nobody may read (an empty access list); then one all may
    // change (none), so that it can go: where no port driver ever started
    // there is no list at all, and no port. Wine lists its ports again when
    // it next starts.
    SECURITY_DESCRIPTOR rights;
    ACL noEntries;
    InitializeSecurityDescriptor(&rights, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&noEntries, sizeof noEntries, ACL_REVISION);
    SetSecurityDescriptorDacl(&rights, TRUE, &noEntries, FALSE);
    CheckInt(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &rights), "the list locked");
    static const ConsoleCase unreadable = {"ports", "", 4, "",
                                           "host_console: cannot read the COM ports: Access denied.\r\n"};
    RunCase(CONSOLE, &unreadable);
    SetSecurityDescriptorDacl(&rights, TRUE, NULL, FALSE);
    CheckInt(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &rights), "the list unlocked");
    RegCloseKey(key);
    CheckInt(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, PORT_LIST), "the list gone");
    static const ConsoleCase noPorts = {"ports", "", 0, "", ""};
    CheckText("> ports\r\n", RunCase(CONSOLE, &noPorts), "an empty port list");
    ExpectNothing("nothing sent by failed runs and port lists");
}

// The virtual display refuses a port it cannot set up, naming the port, the
// step and the system's text, and bad options before it opens any port.
// Then, with COM4 let go by the test, it reads there for 6 seconds (ample
// under load) what the console drives the module to send on COM3.
static void VirtualDisplay(void)
{
    static const ConsoleCase refusals[] = {
        {"--port COM99 --seconds 1", "", 2, "",
         "virtual_display: cannot open COM99: File not found. (error 2)\r\n"},
        {"--port not-a-port.txt --seconds 1", "", 2, "",
         "virtual_display: cannot read the line settings of not-a-port.txt: Invalid handle. (error 6)\r\n"},
        // A Linux pty refuses 9 data bits.
        {"--port COM4 --settings 9600,9,N,1 --seconds 1", "", 2, "",
         "virtual_display: cannot set the line settings of COM4: Request not supported. (error 50)\r\n"},
        {"--port COM4 --settings 9600", "", 2, "", "virtual_display: --settings 9600: Data bits Incorrect?"},
        {"--seconds 1", "", 2, "", "virtual_display: --port NAME is missing"},
    };
    WriteWholeFile("not-a-port.txt", "");
    for (size_t i = 0; i < ARRAY_SIZE(refusals); i++)
        RunCase(DISPLAY, &refusals[i]);

    HoldDisplayEnd(false);
    char commandLine[2048];
    BesideModule(DISPLAY, "--port COM4 --settings 9600,8,N,1 --seconds 6 --save-screen screen.txt "
                          "--save-trace trace.txt", commandLine, sizeof commandLine);
    ChildProcess display;
    if (StartChild(&display, "display", commandLine, "")) {
        // Until it says it reads COM4.
        static const char READING[] = "virtual display 20x2 on COM4\r\n";
        static char out[OUTPUT_SIZE], err[OUTPUT_SIZE];
        for (int ms = 0; ms < DISPLAY_START_MS && (ReadWholeFile("display-stdout.txt", out, sizeof out) < 0 ||
                                                   !strstr(out, READING)); ms += 50)
            Sleep(50);
        CheckHolds(READING, out, "the display's start");
        // The pause cuts the text in two: the display reads and draws each
        // part as it comes.
        static const ConsoleCase scene = {
            "\"init 20 2 COM3,9600,8,N,1\" \"pos 1 1\" \"write FRE\" \"sleep 500\" "
            "\"write SH BREAD\" \"pos 8 2\" \"write $2.50\" resume done",
            "", 0, "> done", ""};
        RunCase(CONSOLE, &scene);
        CheckInt(0, FinishChild(&display, out, err, sizeof out), "the display's exit status");
        CheckText("", err, "nothing on the display's standard error");
        // Its output is a file, not a console: a frame after each burst.
        CheckHolds("|FRE                 |\r\n", out, "the text's first part drawn alone");
        ReadWholeFile("screen.txt", out, sizeof out);
        CheckText("FRESH BREAD         \r\n       $2.50        \r\n", out, "the saved screen");
        // Offsets and bytes, 16 a line: the runs of init, pos 1 1, the two
        // writes, pos 8 2 (cell 27, ESC's value), the last write, resume and done.
        ReadWholeFile("trace.txt", out, sizeof out);
        CheckText("00000000  1B 02 1B 05 1B 08 1B 0C 1B 0E 1B 20 1B 13 00 46\r\n"
                  "00000010  52 45 53 48 20 42 52 45 41 44 1B 13 1B 24 32 2E\r\n"
                  "00000020  35 30 1B 02 1B 05 1B 08 1B 0C 1B 0E 1B 20 1B 02\r\n",
                  out, "the saved trace");
    }
    CheckTrue(HoldDisplayEnd(true), "COM4 opens again for the scenarios after");
}

static const Scenario SCENARIOS[] = {
    {"commands_reach_the_module", CommandsReachTheModule},
    {"failures_are_reported", FailuresAreReported},
    {"virtual_display", VirtualDisplay},
};
SCENARIO_GROUP(CONSOLE_GROUP, "console");

int main(int argc, char **argv)
{
    const ScenarioGroup *const groups[] = {&CONSOLE_GROUP};
    return RunTestProgram(argc, argv, groups, ARRAY_SIZE(groups));
}
