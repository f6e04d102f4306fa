// A millisecond clock for spacing the module's own retries.
#pragma once

// Milliseconds since the system started. It wraps after 49.7 days, so only
// differences of two readings (unsigned) mean anything.
unsigned long TickMilliseconds(void);
