// The module's own file name less its extension, as the driver name and the
// log file name use it. Depends on nothing else in the module.
#pragma once

// Read from the module's file path on the first call; every call returns
// the same buffer.
const char *ModuleBaseName(void);
