// The display module under test, loaded as a host loads it (see
// tools/common/module_loader.h), and its debug log as the scenarios read it.
#pragma once

#include <stddef.h>

#include "test_platform.h"
#include "../../tools/common/module_loader.h"

// A parameter string that sets up on the test's line.
static const char GOOD_PARAMETERS[] = "COM3,9600,8,N,1";

// The module path the test program was given.
extern const char *driverPath;

// Loads the module from path by its plain names; false, with the reason
// printed and a failed check, when it or an entry point is missing.
bool LoadDriver(DriverApi *api, const char *path);

// Starts a scenario: empties the line, then loads the module under test.
bool LoadFreshDriver(DriverApi *api);

// Runs Init on parameters and checks that it sets up: ok 1, the driver
// name, and the power-resume sequence on the line.
void ExpectSetUp(DriverApi *api, const char *parameters);

// LoadFreshDriver, then ExpectSetUp.
bool StartDriver(DriverApi *api, const char *parameters);

// Done, which must send the closing sequence, then unload.
void DoneAndUnload(DriverApi *api);

// The command line of a program that lies beside the module under test.
void BesideModule(const char *program, const char *arguments, char *commandLine, size_t size);

static const char BANNER_LINE[] = "=================================== ===================================";
static const char OPENED_LINE[] = "Log File opened for  KESMARD";
enum { LOG_BUFFER_SIZE = 1 << 18 };  // a backed-up line's hundreds of writes

// Checks that the log at path holds exactly these entries, each "<tag>
// <text>" as the module passed it: a timestamp "HH:MM:SS dd/mm/yy" and a
// space before it, every line feed written as CR LF, and CR LF after it.
void ExpectLog(const char *const *entries, size_t count, const char *what,
               const char *path = LOG_PATH);
void ExpectEmptyLog(const char *what);
