// Whole files and child processes, as the test programs use them: every
// file lives in the scenario's own folder unless a path says otherwise.
#pragma once

#include <stddef.h>

// Reads a whole file into buffer, terminated, and returns its length; when
// it does not exist, leaves buffer empty and returns -1.
long ReadWholeFile(const char *path, char *buffer, size_t size);

// Creates or empties the file and writes text into it; false on failure.
bool WriteWholeFile(const char *path, const char *text);

// Runs commandLine as a child process, with input as its standard input and
// its standard output and error caught whole in out and err (size bytes
// each). A child that runs for more than 30 s is ended, as a failed check.
// Returns its exit status, or -1 when it could not run to its end.
int RunChild(const char *commandLine, const char *input, char *out, char *err, size_t size);
