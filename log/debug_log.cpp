// The debug log through a standard text stream. On the module's platform the
// text mode turns every line feed into CR LF, including those inside texts.
#include "debug_log.h"

#include <stdarg.h>
#include <stdio.h>

#include "../driver/module_base_name.h"
#include "log_platform.h"
#include "log_text.h"

// Formatted log texts are built in a buffer of this size.
enum { LOG_TEXT_SIZE = 256 };

static const char BANNER[] = "===================================";

static struct {
    int enabled;                     // the debug switch, 0 until a "Log" suffix is seen
    bool openTried;                  // OpenLog has run in this load, successfully or not
    FILE *stream;                    // null when the file could not be opened
    long long stampSecond;           // the second the timestamp below was made in
    char timestamp[TIMESTAMP_SIZE];  // local time of the latest line
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
    BuildLogPath(path, sizeof path, LOG_FOLDER, ModuleBaseName());
    debugLog.stream = OpenLogStream(path);
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

// The local time, formatted at most once a second: the runtime's time
// calls can cost more than the line's own write.
static const char *Timestamp(void)
{
    long long second = CurrentSecond();
    if (second != debugLog.stampSecond || debugLog.timestamp[0] == '\0') {
        debugLog.stampSecond = second;
        struct tm localTime;
        if (LocalTimeAt(second, &localTime))
            FormatTimestamp(debugLog.timestamp, sizeof debugLog.timestamp, &localTime);
        else
            debugLog.timestamp[0] = '\0';
    }
    return debugLog.timestamp;
}

void LogLine(const char *tag, const char *text)
{
    if (!LogIsWritable())
        return;
    // "<timestamp> <tag> <text>\n", put piece by piece: formatted output
    // costs several times the plain puts here.
    FILE *stream = debugLog.stream;
    fputs(Timestamp(), stream);
    fputc(' ', stream);
    fputs(tag, stream);
    fputc(' ', stream);
    fputs(text, stream);
    fputc('\n', stream);
    fflush(stream);
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
