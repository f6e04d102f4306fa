// How a write on the port ended, told from what the platform's write call
// reported. Serial drivers end the same event in different ways (a write
// cut by its timeouts is a success with fewer bytes on some, a failure with
// a timeout code on others); this one decision serves them all.
// Platform-free: the error codes are the system's numbers.
#pragma once

enum WriteOutcome {
    WRITE_WHOLE,    // every byte went out
    WRITE_STALLED,  // the line is held or slow: cut by the timeouts, or refused by a port that still answers
    WRITE_ABORTED,  // refused because the port aborts writes after a receive error: clear it, try once more
    WRITE_LOST,     // the port's device is gone
};

// What one write call reported.
struct WriteReport {
    bool succeeded;           // the call returned success
    unsigned long written;    // bytes it says went out
    unsigned long count;      // bytes it was given
    unsigned long errorCode;  // the last error, when it failed
};

// The outcome of a write. A failed write counts as lost only when its code
// says the device is gone or, for a code that says neither that nor
// timeout, when portAnswers (asked only then) says the port no longer
// answers a read of its state. An abort is WRITE_ABORTED on a first try
// only; on the retry it is judged as any other failure.
WriteOutcome WriteOutcomeOf(const WriteReport *report, bool retried, bool (*portAnswers)(void));

// Whether the line is held after a write of count bytes ended so: a stall
// holds it until a write moves bytes whole; an empty or a lost write leaves
// it as it was.
bool BackedUpAfter(WriteOutcome outcome, unsigned long count, bool backedUp);
