// The optional debug log: one timestamped line per event in
// logs\<module base name>.log under the current folder. The file is opened
// (and emptied) once per load, whether or not logging is on; lines are
// written only once a parameter string with the "Log" suffix turned it on.
#pragma once

// Turns logging on when the parameter string ends in "Log"; nothing turns
// it off again.
void ApplyLogSuffix(const char *parameters);

// Creates the folder and opens the file, once per load; later calls return
// at once. A file that cannot be opened is reported on standard output, and
// its lines are dropped.
void OpenLog(void);

// Writes "<time> <tag> <text>" and a line end, flushed at once. Opens the
// log first if no earlier event did.
void LogLine(const char *tag, const char *text);

// LogLine with a text formatted printf-style into a 256-byte buffer.
void LogFormatted(const char *tag, const char *format, ...)
    __attribute__((format(printf, 2, 3)));

// Closes the stream, for a module being unloaded while the process goes on.
void CloseLog(void);
