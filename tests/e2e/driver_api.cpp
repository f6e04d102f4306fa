// Loading the module under test, and reading its log.
#include "driver_api.h"

#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "harness.h"
#include "line.h"

const char *driverPath;

bool LoadDriver(DriverApi *api, const char *path)
{
    char error[512];
    bool loaded = LoadDriverApi(api, path, false, error, sizeof error);
    if (!loaded)
        printf("    %s\n", error);
    CheckTrue(loaded, "the module loads");
    return loaded;
}

bool LoadFreshDriver(DriverApi *api)
{
    DrainLine();
    return LoadDriver(api, driverPath);
}

void ExpectSetUp(DriverApi *api, const char *parameters)
{
    unsigned char ok = 0xAA;
    const char *name = api->Init(20, 2, parameters, &ok);
    CheckInt(1, ok, "Init sets ok to 1");
    CheckText(DRIVER_NAME, name, "Init returns the driver name");
    EXPECT_LINE(POWER_RESUME, "Init sends the power-resume sequence");
}

bool StartDriver(DriverApi *api, const char *parameters)
{
    if (!LoadFreshDriver(api))
        return false;
    ExpectSetUp(api, parameters);
    return true;
}

void DoneAndUnload(DriverApi *api)
{
    api->Done();
    EXPECT_LINE(CLOSING, "Done sends the closing sequence");
    UnloadDriver(api);
}

void BesideModule(const char *program, const char *arguments, char *commandLine, size_t size)
{
    const char *name = strrchr(driverPath, '\\');
    snprintf(commandLine, size, "\"%.*s%s\" %s", name ? (int)(name - driverPath + 1) : 0,
             driverPath, program, arguments);
}

enum { TIMESTAMP_LENGTH = 17 };

// "HH:MM:SS dd/mm/yy" with digits where the pattern has 'd', and a local
// time between the scenario's start and now: then true.
static bool IsTimestamp(const char *text)
{
    static const char PATTERN[] = "dd:dd:dd dd/dd/dd";
    for (int i = 0; i < TIMESTAMP_LENGTH; i++) {
        bool digit = text[i] >= '0' && text[i] <= '9';
        if (PATTERN[i] == 'd' ? !digit : text[i] != PATTERN[i])
            return false;
    }
    char stamp[13] = "", now[16];
    const int order[] = {15, 16, 12, 13, 9, 10, 0, 1, 3, 4, 6, 7};
    for (int i = 0; i < 12; i++)
        stamp[i] = text[order[i]];
    SortableLocalTime(now);
    return strcmp(scenarioStart, stamp) <= 0 && strcmp(stamp, now) <= 0;
}

void ExpectLog(const char *const *entries, size_t count, const char *what, const char *path)
{
    static char file[LOG_BUFFER_SIZE], expected[LOG_BUFFER_SIZE];
    long length = ReadWholeFile(path, file, sizeof file);
    CheckTrue(length >= 0, "the log file exists");
    if (length < 0)
        length = 0;
    size_t at = 0;
    bool stampsOk = true;
    for (size_t i = 0; i < count; i++) {
        if (at + TIMESTAMP_LENGTH + 2 * strlen(entries[i]) + 4 > sizeof expected) {
            CheckTrue(false, "the expected log fits its buffer");
            return;
        }
        // The file's own timestamp, once its pattern is checked; where the
        // file has ended, a placeholder keeps the missing line expected.
        if (at + TIMESTAMP_LENGTH <= (size_t)length) {
            stampsOk = stampsOk && IsTimestamp(file + at);
            memcpy(expected + at, file + at, TIMESTAMP_LENGTH);
        } else {
            memset(expected + at, '?', TIMESTAMP_LENGTH);
        }
        at += TIMESTAMP_LENGTH;
        expected[at++] = ' ';
        for (const char *c = entries[i]; *c; c++) {
            if (*c == '\n')
                expected[at++] = '\r';
            expected[at++] = *c;
        }
        expected[at++] = '\r';
        expected[at++] = '\n';
    }
    expected[at] = '\0';
    CheckTrue(stampsOk, "every line starts with the local time of its event, HH:MM:SS dd/mm/yy");
    CheckText(expected, file, what);
}

void ExpectEmptyLog(const char *what)
{
    char file[16];
    CheckInt(0, ReadWholeFile(LOG_PATH, file, sizeof file), what);
}
