// The display module under test, loaded as a host loads it (see
// tools/module_loader.h), with failures counted as failed checks.
#pragma once

#include "../../tools/module_loader.h"

// Loads the module from path by its plain or its decorated names. Returns
// false, with the reason printed, when the module or an entry point is
// missing.
bool LoadDriver(DriverApi *api, const char *path, bool decoratedNames);

// Starts a scenario: empties the line, then loads the module given to the
// test program by its plain names. A failure counts as a failed check.
bool LoadFreshDriver(DriverApi *api);

// The module path the test program was given.
extern const char *driverPath;
