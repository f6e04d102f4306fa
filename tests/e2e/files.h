// Whole files and child processes, as the test programs use them: every
// file lives in the scenario's own folder unless a path says otherwise.
#pragma once

#include <stddef.h>

// Reads a whole file into buffer, terminated, and returns its length; when
// it does not exist, leaves buffer empty and returns -1.
long ReadWholeFile(const char *path, char *buffer, size_t size);

// Creates or empties the file and writes text into it; false on failure.
bool WriteWholeFile(const char *path, const char *text);

// A child process whose standard streams are files of the current folder
// named after it: NAME-input.txt, NAME-stdout.txt and NAME-stderr.txt.
struct ChildProcess {
    char name[32];
    void *process;  // its handle; null when it did not start
};

// Starts commandLine as a child process, with input as its standard input.
// False, with a failed check, when it cannot be started.
bool StartChild(ChildProcess *child, const char *name, const char *commandLine, const char *input);

// Waits for the child's end and catches its standard output and error
// whole in out and err (size bytes each). A child that runs for more than
// 30 s is ended, as a failed check. Returns its exit status, or -1 when it
// could not run to its end.
int FinishChild(ChildProcess *child, char *out, char *err, size_t size);

// Both at once, for a child named "child".
int RunChild(const char *commandLine, const char *input, char *out, char *err, size_t size);
