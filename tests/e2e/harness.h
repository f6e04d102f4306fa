// The runner of the Windows test programs: scenarios in named groups, each
// run under a watchdog in a fresh folder of its own; checks that print what
// they expected and what they got; whole files and child processes.
//
// A program is run as PROGRAM DLL [FILTER [FOLDER]]. Each scenario's full
// name is GROUP/NAME; FILTER is a comma-separated list of pieces of full
// names ("line/", "log/failed_open"), or with a leading '-' the pieces to
// leave out, or "all". The scenario files FOLDER/GROUP/NAME.scn run after
// the groups written in C++ (scenario_file.cpp).
#pragma once

#include <stddef.h>

#include "../../tools/common/array_size.h"

struct Scenario {
    const char *name;
    void (*run)(void);
};

struct ScenarioGroup {
    const char *name;
    const Scenario *scenarios;
    size_t count;
};

// Defines a group from a file's table SCENARIOS, for the program's main.
#define SCENARIO_GROUP(variable, name) \
    extern const ScenarioGroup variable = {name, SCENARIOS, ARRAY_SIZE(SCENARIOS)}

// How long one scenario may run. The watchdog fails one that runs longer and
// ends the program, so a hung call is reported, never waited out.
enum { SCENARIO_LIMIT_MS = 180000 };

// The main of a test program: takes the module's path, starts reading the
// display's end of the line, runs the selected scenarios and prints
// "N passed, M failed". Returns the exit status.
int RunTestProgram(int argc, char **argv, const ScenarioGroup *const *groups, size_t count);

// Runs the scenario file at path, with the definitions of folder.
void RunScenarioFile(const char *folder, const char *path);

// The local time the running scenario started, as "yymmddHHMMSS".
extern char scenarioStart[16];

void CheckTrue(bool condition, const char *what);
void CheckInt(long long expected, long long got, const char *what);
void CheckText(const char *expected, const char *got, const char *what);
void CheckHolds(const char *part, const char *text, const char *what);
void CheckBytes(const void *expected, size_t expectedLength, const void *got, size_t gotLength,
                const char *what);

// Reads a whole file into buffer, terminated; -1 (buffer empty) when it
// does not exist.
long ReadWholeFile(const char *path, char *buffer, size_t size);
bool WriteWholeFile(const char *path, const char *text);

// A child process of a Windows test program, whose standard streams are
// files of the current folder:
// NAME-input.txt, NAME-stdout.txt and NAME-stderr.txt.
struct ChildProcess {
    char name[32];
    void *process;  // null when it did not start
};

// Starts commandLine with input as its standard input; a failed check when
// it cannot start.
bool StartChild(ChildProcess *child, const char *name, const char *commandLine, const char *input);

// Waits for its end and reads its output and errors (size bytes each).
// Returns its exit status, or -1 when it did not start.
int FinishChild(ChildProcess *child, char *out, char *err, size_t size);

// Runs commandLine to its end as the child "child".
int RunChild(const char *commandLine, const char *input, char *out, char *err, size_t size);
