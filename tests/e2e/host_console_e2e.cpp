// End-to-end runs of the host console under Wine: its exit status, what it
// prints and the bytes its commands make the module send.
//
// Usage: host_console_e2e.exe PATH-TO-DLL [SCENARIO-FILTER]
// The console is the host_console.exe beside the module.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "checks.h"
#include "display_bytes.h"
#include "driver_api.h"
#include "files.h"
#include "line.h"

enum { OUTPUT_SIZE = 8192 };

struct ConsoleCase {
    const char *arguments;  // the console's command line after its own name
    const char *input;      // its standard input
    int exitCode;
    const char *stdoutPart; // a piece its standard output must hold ("" for any)
    const char *stderrPart; // a piece its standard error must hold ("" for none at all)
};

// Runs the console beside the module with the case's arguments and input.
static int RunConsole(const ConsoleCase *run, char *out, char *err, size_t size)
{
    char console[MAX_PATH];
    const char *name = strrchr(driverPath, '\\');
    snprintf(console, sizeof console, "%.*shost_console.exe",
             name ? (int)(name - driverPath + 1) : 0, driverPath);
    char commandLine[2048];
    snprintf(commandLine, sizeof commandLine, "\"%s\" %s", console, run->arguments);
    return RunChild(commandLine, run->input, out, err, size);
}

static void CheckHolds(const char *part, const char *text, const char *what)
{
    CheckTrue(strstr(text, part) != NULL, what);
    if (!strstr(text, part))
        printf("      expected a piece \"%s\" in \"%s\"\n", part, text);
}

static void RunCase(const ConsoleCase *run)
{
    static char out[OUTPUT_SIZE], err[OUTPUT_SIZE];
    int status = RunConsole(run, out, err, sizeof out);
    printf("    host_console %s\n", run->arguments);
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
        "\"init 20 2 default\" \"pos 1 2\" \"write \\\\Hi\\x21\\x1b\" done", "", 0,
        "> init 20 2 default\r\n  ok=1 \"KESMARD v" EXPECTED_VERSION "\"\r\n> pos 1 2", ""};
    DrainLine();
    RunCase(&run);
    ExpectedRuns scene = {};
    static const unsigned char cursor[] = CURSOR_COMMAND(0x14);
    AddRun(&scene, POWER_RESUME, sizeof POWER_RESUME);  // init
    AddRun(&scene, cursor, sizeof cursor);              // pos 1 2
    AddText(&scene, "\\Hi!\x1B");                      // write
    AddRun(&scene, CLOSING, sizeof CLOSING);            // done
    ExpectRuns(&scene, "the commands' bytes, in order");

    WriteWholeFile("scene.txt", "# a comment, then a blank line\r\n\r\ninit 20 2 default\r\nwrite  two\r\n");
    static const ConsoleCase fromScript = {"--script scene.txt", "", 0, "> write  two", ""};
    RunCase(&fromScript);
    // Blanks after the first one belong to the text.
    ExpectedRuns scriptBytes = {};
    AddRun(&scriptBytes, POWER_RESUME, sizeof POWER_RESUME);
    AddText(&scriptBytes, " two");
    ExpectRuns(&scriptBytes, "the script's init and text");

    static const ConsoleCase fromInput = {"", "init 20 2 default\nname\nusage\ndefaults\nresume\n", 0,
                                          "  \"KESMARD v" EXPECTED_VERSION "\"\r\n> usage\r\n"
                                          "  \"KESMARD usage: COM3,9600,8,N,1\"\r\n> defaults\r\n"
                                          "  \"COM3,9600,8,N,1\"",
                                          ""};
    RunCase(&fromInput);
    ExpectedRuns twice = {};
    AddRun(&twice, POWER_RESUME, sizeof POWER_RESUME);
    AddRun(&twice, POWER_RESUME, sizeof POWER_RESUME);
    ExpectRuns(&twice, "init and resume from standard input");
}

// Each failure is one line on standard error and its own exit status.
static void FailuresAreReported(void)
{
    static const ConsoleCase cases[] = {
        {"bogus", "", 2, "", "host_console: argument 1: unknown command 'bogus'"},
        {"\"init 20 2 default\" \"pos 1 256\"", "", 2, "",
         "argument 2: bad number '256' for Y: use 0 to 255"},
        {"\"pos 1\"", "", 2, "", "Y is missing: use pos X Y"},
        {"\"write \\x4\"", "", 2, "", "bad escape at character 1"},
        {"\"init 20 2\"", "", 2, "", "PARAMETERS are missing"},
        {"\"done now\"", "", 2, "", "unexpected 'now' after done"},
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
    for (size_t i = 0; i < ARRAY_SIZE(cases); i++)
        RunCase(&cases[i]);
    // Bad commands are found before the module is loaded, so even the good
    // init ahead of a bad number sent nothing.
    ExpectNothing("nothing sent by failed runs");
}

static const Scenario SCENARIOS[] = {
    {"commands_reach_the_module", CommandsReachTheModule},
    {"failures_are_reported", FailuresAreReported},
};

int main(int argc, char **argv)
{
    return RunTestProgram(argc, argv, SCENARIOS, ARRAY_SIZE(SCENARIOS));
}
