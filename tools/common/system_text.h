// The platform's own text for an error code (GetLastError's or errno's), as
// the tools and test programs print it. Both share one buffer, replaced by
// the next call.
#pragma once

// As the platform gives it (FormatMessage's usually ends in a line end);
// empty when the system has none.
const char *SystemText(unsigned long errorCode);

// The same cut at its line end, for a message that is to stay one line.
const char *SystemTextLine(unsigned long errorCode);
