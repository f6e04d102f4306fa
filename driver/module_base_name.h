// The module's own file name less its extension, as the driver name and the
// log file name use it. Needs only the platform and the name building of
// driver_texts, so the log can use it without the entry points.
#pragma once

// Read from the module's file path on the first call; every call returns
// the same buffer.
const char *ModuleBaseName(void);
