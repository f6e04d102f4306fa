// The debug log's texts.
#include "log_text.h"

#include <string.h>

#include "../driver/driver_texts.h"

static const char LOG_SUFFIX[] = "Log";

bool HasLogSuffix(const char *parameters)
{
    size_t length = strlen(parameters);
    size_t suffixLength = sizeof LOG_SUFFIX - 1;
    return length >= suffixLength + 1 &&
           strcmp(parameters + length - suffixLength, LOG_SUFFIX) == 0;
}

void BuildLogPath(char *path, size_t size, const char *folder, const char *baseName)
{
    ComposeAroundName(path, size, folder, baseName, ".log");
}

void FormatTimestamp(char *timestamp, size_t size, const struct tm *localTime)
{
    if (strftime(timestamp, size, "%H:%M:%S %d/%m/%y", localTime) == 0 && size > 0)
        timestamp[0] = '\0';
}
