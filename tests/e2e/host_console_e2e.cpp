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
#include "line.h"

enum { OUTPUT_SIZE = 8192, RUN_LIMIT_MS = 20000 };

struct ConsoleCase {
    const char *arguments;  // the console's command line after its own name
    const char *input;      // its standard input
    int exitCode;
    const char *stdoutPart; // a piece its standard output must hold ("" for any)
    const char *stderrPart; // a piece its standard error must hold ("" for none at all)
};

static HANDLE InheritableFile(const char *name, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

static void ReadWhole(const char *name, char *text, size_t size)
{
    text[0] = '\0';
    FILE *file = fopen(name, "rb");
    if (!file)
        return;
    size_t length = fread(text, 1, size - 1, file);
    text[length] = '\0';
    fclose(file);
}

// Runs the console with the case's arguments and input, its output going
// to files. Returns its exit status, or -1 when it could not be run.
static int RunConsole(const ConsoleCase *run, char *out, char *err, size_t size)
{
    FILE *input = fopen("input.txt", "wb");
    if (input) {
        fputs(run->input, input);
        fclose(input);
    }
    char console[MAX_PATH];
    const char *name = strrchr(driverPath, '\\');
    snprintf(console, sizeof console, "%.*shost_console.exe",
             name ? (int)(name - driverPath + 1) : 0, driverPath);
    char commandLine[2048];
    snprintf(commandLine, sizeof commandLine, "\"%s\" %s", console, run->arguments);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableFile("input.txt", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = InheritableFile("stdout.txt", GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = InheritableFile("stderr.txt", GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process;
    int status = -1;
    if (CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
        DWORD code = (DWORD)-1;
        if (WaitForSingleObject(process.hProcess, RUN_LIMIT_MS) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        else
            TerminateProcess(process.hProcess, code);
        status = (int)code;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    ReadWhole("stdout.txt", out, size);
    ReadWhole("stderr.txt", err, size);
    return status;
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
    static const unsigned char scene[] = {
        0x1B, 0x02, 0x1B, 0x05, 0x1B, 0x08, 0x1B, 0x0C, 0x1B, 0x0E, 0x1B, 0x20,  // init
        0x1B, 0x13, 0x14,                                                        // pos 1 2
        '\\', 'H',  'i',  '!',  0x1B,                                             // write
        0x1B, 0x02,                                                              // done
    };
    static const ConsoleCase run = {
        "\"init 20 2 default\" \"pos 1 2\" \"write \\\\Hi\\x21\\x1b\" done", "", 0,
        "> init 20 2 default\r\n  ok=1 \"KESMARD v" EXPECTED_VERSION "\"\r\n> pos 1 2", ""};
    DrainLine();
    RunCase(&run);
    ExpectLine(scene, sizeof scene, "the commands' bytes, in order");

    FILE *script = fopen("scene.txt", "wb");
    if (script) {
        fputs("# a comment, then a blank line\r\n\r\ninit 20 2 default\r\nwrite  two\r\n", script);
        fclose(script);
    }
    static const ConsoleCase fromScript = {"--script scene.txt", "", 0, "> write  two", ""};
    RunCase(&fromScript);
    // Blanks after the first one belong to the text.
    static const unsigned char scriptBytes[] = {0x1B, 0x02, 0x1B, 0x05, 0x1B, 0x08, 0x1B, 0x0C,
                                                0x1B, 0x0E, 0x1B, 0x20, ' ',  't',  'w',  'o'};
    ExpectLine(scriptBytes, sizeof scriptBytes, "the script's init and text");

    static const ConsoleCase fromInput = {"", "init 20 2 default\nname\nusage\ndefaults\nresume\n", 0,
                                          "  \"KESMARD v" EXPECTED_VERSION "\"\r\n> usage\r\n"
                                          "  \"KESMARD usage: COM3,9600,8,N,1\"\r\n> defaults\r\n"
                                          "  \"COM3,9600,8,N,1\"",
                                          ""};
    RunCase(&fromInput);
    unsigned char twice[2 * sizeof POWER_RESUME];
    memcpy(twice, POWER_RESUME, sizeof POWER_RESUME);
    memcpy(twice + sizeof POWER_RESUME, POWER_RESUME, sizeof POWER_RESUME);
    ExpectLine(twice, sizeof twice, "init and resume from standard input");
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
