// Error texts: a fixed message, " : " and the system's text for an error
// code, as the host and the log see them.
#pragma once

// A composed text holds the message, " : " and a system text of up to
// 1023 characters.
enum { ERROR_TEXT_SIZE = 1120 };

// Composes message + " : " + the system text for errorCode into the
// module's error-text buffer and returns it. The buffer is reused by the
// next composition, so an earlier returned pointer then shows the new text.
// Logging it is the caller's part: a failure that repeats need not be
// logged each time.
const char *ComposeErrorText(const char *message, unsigned long errorCode);
