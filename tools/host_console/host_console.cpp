// Host console: loads a display module as a host application does and runs
// commands against it, so the module can be tried on a real or a virtual
// display without the host. The commands are those of console_commands.h.
//
// Usage: host_console [--module MODULE] [--script FILE | COMMAND...]
// Commands come from the arguments (one each), from a script file (one a
// line) or, with neither, from standard input. The module is KESMARD.dll
// (libKESMARD.so on Linux) beside the console unless --module names
// another; arguments or a script that only list ports (host_console ports)
// load no module.
//
// Exit status: 0 all ran; 1 an init reported failure; 2 a bad option or
// command; 3 the module could not be loaded or lacks an entry point; 4 the
// system's list of serial ports could not be read.
#include <stdio.h>
#include <string.h>

#include "console_commands.h"
#include "console_platform.h"
#include "../common/module_loader.h"

enum {
    EXIT_INIT_FAILED = 1,
    EXIT_BAD_COMMAND = 2,
    EXIT_NO_MODULE = 3,
    EXIT_NO_PORT_LIST = 4,
    MESSAGE_SIZE = 512,
};

static const char PROGRAM[] = "host_console";

// Where the commands come from: the arguments or an open stream.
struct CommandSource {
    char **arguments;       // the command arguments, when no stream is given
    int argumentCount;
    FILE *stream;           // a script file or standard input
    const char *name;       // the stream's name for messages
    unsigned long position; // argument or line number of the last command read
};

static struct {
    DriverApi api;    // the loaded module
    bool echo;        // print each command before running it
    bool initFailed;  // some init reported failure
    bool listFailed;  // the list of serial ports could not be read
    bool needsModule; // some command calls the module
} console;

static void PrintUsage(FILE *out)
{
    fprintf(out,
            "usage: %s [--module MODULE] [--script FILE | COMMAND...]\n"
            "commands: init COLUMNS ROWS PARAMETERS, write TEXT (\\xNN for a byte), pos X Y,\n"
            "          resume, done, usage, defaults, name, status, sleep MS,\n"
            "          ports (the serial ports and the name a parameter string takes)\n"
            "with no script and no commands, reads commands from standard input\n",
            PROGRAM);
}

// Reads the next command line. Returns false at the end, or with a message
// in error when a line does not fit.
static bool NextLine(CommandSource *source, char *line, size_t size, char *error, size_t errorSize)
{
    error[0] = '\0';
    if (!source->stream) {
        if ((int)source->position >= source->argumentCount)
            return false;
        const char *argument = source->arguments[source->position++];
        if (strlen(argument) >= size) {
            snprintf(error, errorSize, "command longer than %u characters", (unsigned)size - 1);
            return false;
        }
        snprintf(line, size, "%s", argument);
        return true;
    }
    if (!fgets(line, (int)size, source->stream))
        return false;
    source->position++;
    size_t length = strlen(line);
    if (length > 0 && line[length - 1] != '\n' && !feof(source->stream)) {
        snprintf(error, errorSize, "line longer than %u characters", (unsigned)size - 2);
        return false;
    }
    // A script written on Windows ends its lines in CR LF.
    line[strcspn(line, "\r\n")] = '\0';
    return true;
}

static void ReportError(const CommandSource *source, const char *message)
{
    if (source->stream)
        fprintf(stderr, "%s: %s line %lu: %s\n", PROGRAM, source->name, source->position, message);
    else
        fprintf(stderr, "%s: argument %lu: %s\n", PROGRAM, source->position, message);
}

// No port is opened: that would take it from whatever holds it.
static void ListPorts(void)
{
    static char lines[PORT_LIST_SIZE];
    char error[MESSAGE_SIZE];
    if (!ReadPortList(lines, sizeof lines, error, sizeof error)) {
        fprintf(stderr, "%s: %s\n", PROGRAM, error);
        console.listFailed = true;
    }
    fputs(lines, stdout);
}

static void Execute(const Command *command)
{
    const DriverApi *api = &console.api;
    static char answer[ANSWER_SIZE];
    answer[0] = '\0';
    switch (command->kind) {
    case COMMAND_NOTHING:
        break;
    case COMMAND_INIT: {
        unsigned char ok = 0;
        const char *result = api->Init((unsigned char)command->numbers[0],
                                       (unsigned char)command->numbers[1], command->text, &ok);
        FormatTextAnswer(result, ok, answer, sizeof answer);
        if (!ok)
            console.initFailed = true;
        break;
    }
    case COMMAND_WRITE:
        api->Write(command->text);
        break;
    case COMMAND_POS:
        api->SetPosition((unsigned char)command->numbers[0], (unsigned char)command->numbers[1]);
        break;
    case COMMAND_RESUME:
        api->PowerResume();
        break;
    case COMMAND_DONE:
        api->Done();
        break;
    case COMMAND_USAGE:
        FormatTextAnswer(api->Usage(), -1, answer, sizeof answer);
        break;
    case COMMAND_DEFAULTS:
        FormatTextAnswer(api->DefaultParameters(), -1, answer, sizeof answer);
        break;
    case COMMAND_NAME:
        FormatTextAnswer(api->DriverName(), -1, answer, sizeof answer);
        break;
    case COMMAND_STATUS:
        FormatStatusAnswer(api->Status(), answer, sizeof answer);
        break;
    case COMMAND_SLEEP:
        SleepMilliseconds(command->numbers[0]);
        break;
    case COMMAND_PORTS:
        ListPorts();
        break;
    }
    if (answer[0])
        printf("  %s\n", answer);
}

// Reads every command of the source; runs them when execute is set, else
// only checks them. Stops at the first bad one. Returns false after a bad one.
static bool RunSource(CommandSource *source, bool execute)
{
    static char line[COMMAND_LINE_SIZE + 1];  // room to notice an overlong line
    static Command command;
    char error[MESSAGE_SIZE];
    while (NextLine(source, line, sizeof line, error, sizeof error)) {
        if (!ParseCommand(line, &command, error, sizeof error)) {
            ReportError(source, error);
            return false;
        }
        console.needsModule = console.needsModule || (command.kind != COMMAND_NOTHING &&
                                                      command.kind != COMMAND_PORTS &&
                                                      command.kind != COMMAND_SLEEP);
        if (execute && command.kind != COMMAND_NOTHING) {
            if (console.echo)
                printf("> %s\n", line);
            Execute(&command);
            fflush(stdout);
        }
    }
    if (error[0]) {
        ReportError(source, error);
        return false;
    }
    return true;
}

static bool LoadModule(const char *path)
{
    char error[MESSAGE_SIZE];
    if (LoadDriverApi(&console.api, path, false, error, sizeof error))
        return true;
    fprintf(stderr, "%s: %s\n", PROGRAM, error);
    return false;
}

int main(int argc, char **argv)
{
    char modulePath[MODULE_PATH_SIZE];
    DefaultModulePath(modulePath, sizeof modulePath);
    const char *scriptName = 0;
    int first = 1;
    for (; first < argc && argv[first][0] == '-'; first++) {
        const char *option = argv[first];
        bool takesValue = !strcmp(option, "--module") || !strcmp(option, "--script");
        if (!strcmp(option, "--help")) {
            PrintUsage(stdout);
            return 0;
        }
        if (!takesValue || first + 1 >= argc) {
            fprintf(stderr, "%s: %s '%s'\n", PROGRAM,
                    takesValue ? "a value is missing after" : "unknown option", option);
            PrintUsage(stderr);
            return EXIT_BAD_COMMAND;
        }
        if (!strcmp(option, "--module"))
            snprintf(modulePath, sizeof modulePath, "%s", argv[++first]);
        else
            scriptName = argv[++first];
    }
    if (scriptName && first < argc) {
        fprintf(stderr, "%s: give either --script or commands, not both\n", PROGRAM);
        return EXIT_BAD_COMMAND;
    }

    CommandSource source = {argv + first, argc - first, 0, 0, 0};
    if (scriptName) {
        source.stream = fopen(scriptName, "r");
        source.name = scriptName;
        if (!source.stream) {
            fprintf(stderr, "%s: cannot read the script %s\n", PROGRAM, scriptName);
            return EXIT_BAD_COMMAND;
        }
    } else if (first == argc) {
        source.stream = stdin;
        source.name = "standard input";
    }

    // Arguments and scripts are checked whole before the module sees any
    // command; standard input runs line by line as it comes.
    bool interactive = source.stream == stdin;
    console.echo = !(interactive && InputIsTerminal());
    if (!interactive) {
        if (!RunSource(&source, false))
            return EXIT_BAD_COMMAND;
        source.position = 0;
        if (source.stream)
            rewind(source.stream);
    }
    bool loaded = interactive || console.needsModule;
    if (loaded && !LoadModule(modulePath))
        return EXIT_NO_MODULE;
    bool good = RunSource(&source, true);
    if (loaded)
        UnloadDriver(&console.api);
    if (!good)
        return EXIT_BAD_COMMAND;
    if (console.initFailed)
        return EXIT_INIT_FAILED;
    return console.listFailed ? EXIT_NO_PORT_LIST : 0;
}
