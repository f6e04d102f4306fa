// Telling a held line from a lost port by how a write ended.
#include "write_outcome.h"

#include <stddef.h>

// The system's error codes this decision knows by name.
enum {
    ERROR_INVALID_HANDLE_CODE = 6,  // no port open
    ERROR_BROKEN_PIPE_CODE = 109,
    ERROR_SEM_TIMEOUT_CODE = 121,
    ERROR_OPERATION_ABORTED_CODE = 995,
    ERROR_COUNTER_TIMEOUT_CODE = 1121,
    ERROR_DEVICE_NOT_CONNECTED_CODE = 1167,
    ERROR_TIMEOUT_CODE = 1460,
    ERROR_DEVICE_REMOVED_CODE = 1617,
};

// Codes that say the device behind the port has gone for good (or that
// there is no port). Others that drivers give for a pulled adapter, such
// as access denied, a command not recognised or a device not functioning,
// also come from ports that are still there (a suspended USB device, say):
// for those the port is asked.
static const unsigned long GONE_CODES[] = {
    ERROR_INVALID_HANDLE_CODE, ERROR_BROKEN_PIPE_CODE, ERROR_DEVICE_NOT_CONNECTED_CODE,
    ERROR_DEVICE_REMOVED_CODE,
};

// Codes a driver ends a write with when its timeouts ran out.
static const unsigned long TIMEOUT_CODES[] = {
    ERROR_SEM_TIMEOUT_CODE, ERROR_COUNTER_TIMEOUT_CODE, ERROR_TIMEOUT_CODE,
};

template <size_t N>
static bool IsOneOf(unsigned long code, const unsigned long (&codes)[N])
{
    for (unsigned long listed : codes)
        if (listed == code)
            return true;
    return false;
}

WriteOutcome WriteOutcomeOf(const WriteReport *report, bool retried, bool (*portAnswers)(void))
{
    if (report->succeeded)
        return report->written < report->count ? WRITE_STALLED : WRITE_WHOLE;
    unsigned long code = report->errorCode;
    if (IsOneOf(code, TIMEOUT_CODES))
        return WRITE_STALLED;
    if (IsOneOf(code, GONE_CODES))
        return WRITE_LOST;
    if (code == ERROR_OPERATION_ABORTED_CODE && !retried)
        return WRITE_ABORTED;
    return portAnswers() ? WRITE_STALLED : WRITE_LOST;
}

bool BackedUpAfter(WriteOutcome outcome, unsigned long count, bool backedUp)
{
    if (outcome == WRITE_STALLED)
        return true;
    return outcome == WRITE_WHOLE && count > 0 ? false : backedUp;
}
