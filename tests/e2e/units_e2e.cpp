// The module's Windows-side units checked one by one, where the module as a
// whole cannot be brought to the case: a system error code with no text, a
// log timestamp past 2038.
#include <windows.h>
#include <stdio.h>

#include "checks.h"
#include "driver_api.h"
#include "../../log/log_platform.h"
#include "../../serial/error_text.h"

// An error code the system has no message for.
enum { CODE_WITHOUT_TEXT = 0x2FFFFFFF };

static void ErrorTextWithoutSystemText(void)
{
    char expected[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(expected, "Error writing string", ERROR_INVALID_HANDLE);
    const char *first = ComposeErrorText("Error writing string", ERROR_INVALID_HANDLE);
    CheckText(expected, first, "a code with a text");

    CheckText("", SystemText(CODE_WITHOUT_TEXT), "the system has no text for the code");
    const char *second = ComposeErrorText("Serial Port does not exist", CODE_WITHOUT_TEXT);
    CheckText("Serial Port does not exist : ", second, "no text after an earlier error's");
    CheckTrue(first == second, "one buffer holds the latest composed text");
}

// The log's clock past the 32-bit time range: 3 March 2040, 12:00:00 UTC,
// in local time as the system's own file-time calls give it.
static void LocalTimeAfter2038(void)
{
    const long long SECOND = 2214302400LL;
    ULARGE_INTEGER units;
    units.QuadPart = (unsigned long long)(SECOND + 11644473600LL) * 10000000ULL;
    FILETIME utc = {units.LowPart, units.HighPart}, local;
    SYSTEMTIME expected;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &expected);
    struct tm got = {};
    CheckTrue(LocalTimeAt(SECOND, &got), "a time after 2038 converts");
    CheckInt(expected.wYear, got.tm_year + 1900, "year");
    CheckInt(expected.wMonth, got.tm_mon + 1, "month");
    CheckInt(expected.wDay * 10000 + expected.wHour * 100 + expected.wMinute,
             got.tm_mday * 10000 + got.tm_hour * 100 + got.tm_min, "day, hour and minute");
}

static const Scenario SCENARIOS[] = {
    {"error_text_without_system_text", ErrorTextWithoutSystemText},
    {"local_time_after_2038", LocalTimeAfter2038},
};

int main(int argc, char **argv)
{
    return RunScenarios(SCENARIOS, ARRAY_SIZE(SCENARIOS), argc > 2 ? argv[2] : NULL);
}
