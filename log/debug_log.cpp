// The debug log through a standard text stream. On the module's platform the
// text mode turns every line feed into CR LF, including those inside texts.
#include "debug_log.h"

#include <stdarg.h>
#include <stdio.h>
#include <time.h>

#include "../driver/module_base_name.h"
#include "log_folder.h"
#include "log_text.h"

// Formatted log texts are built in a buffer of this size.
enum { LOG_TEXT_SIZE = 256 };

static const char BANNER[] = "===================================";

static struct {
    int enabled;     // the debug switch, 0 until a "Log" suffix is seen
    bool openTried;  // OpenLog has run in this load, successfully or not
    FILE *stream;    // null when the file could not be opened
} debugLog;

void ApplyLogSuffix(const char *parameters)
{
    if (HasLogSuffix(parameters))
        debugLog.enabled = 1;
}

void OpenLog(void)
{
    if (debugLog.openTried)
        return;
    debugLog.openTried = true;

    CreateLogFolder();
    char path[LOG_PATH_SIZE];
    BuildLogPath(path, sizeof path, ModuleBaseName());
    debugLog.stream = fopen(path, "w");
    if (!debugLog.stream) {
        fputs("Failed to open ini file", stdout);
        fflush(stdout);
    }
    LogLine(BANNER, BANNER);
    LogLine("Log File opened for ", ModuleBaseName());
    LogLine(BANNER, BANNER);
}

// Opens the log if no event did yet; true when a line would reach the file.
static bool LogIsWritable(void)
{
    OpenLog();
    return debugLog.enabled && debugLog.stream;
}

void LogLine(const char *tag, const char *text)
{
    if (!LogIsWritable())
        return;
    char timestamp[TIMESTAMP_SIZE];
    time_t now = time(NULL);
    const struct tm *localTime = localtime(&now);
    if (localTime)
        FormatTimestamp(timestamp, sizeof timestamp, localTime);
    else
        timestamp[0] = '\0';
    fprintf(debugLog.stream, "%s %s %s\n", timestamp, tag, text);
    fflush(debugLog.stream);
}

void LogFormatted(const char *tag, const char *format, ...)
{
    if (!LogIsWritable())
        return;
    char text[LOG_TEXT_SIZE];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    LogLine(tag, text);
}

void CloseLog(void)
{
    if (debugLog.stream)
        fclose(debugLog.stream);
    debugLog.stream = NULL;
}
