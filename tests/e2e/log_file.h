// The module's debug log as the test programs read it: logs\KESMARD.log in
// the scenario's folder, compared entry by entry (timestamps by pattern).
#pragma once

#include <stddef.h>

static const char LOG_PATH[] = "logs\\KESMARD.log";
static const char BANNER_LINE[] = "=================================== ===================================";
static const char OPENED_LINE[] = "Log File opened for  KESMARD";

// Large enough for the log of any scenario.
enum { LOG_BUFFER_SIZE = 65536 };

// Checks the log (at path) holds exactly these entries, each "<tag> <text>"
// as the module passed it: a timestamp and a space before it, and every
// line feed (its own and the one that ends it) written as CR LF.
void ExpectLog(const char *const *entries, size_t count, const char *what,
               const char *path = LOG_PATH);

struct _SYSTEMTIME;
// Checks that the log's first timestamp is a local time from a second
// before from to a second after to.
void ExpectFirstStampWithin(const _SYSTEMTIME *from, const _SYSTEMTIME *to);

void ExpectEmptyLog(const char *what);
