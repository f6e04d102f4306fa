// What the debug log needs from the platform beyond the standard library.
#pragma once

// Creates "logs" in the current folder; failure (it exists, say) is ignored.
void CreateLogFolder(void);

// The current time in whole seconds, on the same clock as time(); cheap
// enough to ask on every line, unlike the runtime's time() on some systems.
long long CurrentSecond(void);
