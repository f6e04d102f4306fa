// The serial port through the Win32 communications calls.
#include "serial_port.h"

#include <windows.h>

#include "error_text.h"
#include "write_outcome.h"

// The size of the DCB record the port state is read into.
enum { DCB_RECORD_SIZE = 28 };

static struct {
    HANDLE handle;         // null before the first open and after a close
    bool configured;       // line settings and timeouts applied
    bool backedUp;         // a write stalled, and none has moved bytes whole since
    DCB state;             // line settings as read from the port, then changed
    COMMTIMEOUTS timeouts; // read and write time limits, in milliseconds
} port;

const char *OpenPort(const PortSettings *settings)
{
    port.handle = CreateFileA(settings->portPath, GENERIC_READ | GENERIC_WRITE, 0, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (port.handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return ComposeErrorText(error == ERROR_FILE_NOT_FOUND ? "Serial Port does not exist"
                                                              : "Failed to open Serial Port",
                                error);
    }

    // The open takes files, pipes and consoles as readily as ports; only a
    // communications device has a state to read. Anything else is let go
    // before a byte could reach it.
    port.state.DCBlength = DCB_RECORD_SIZE;
    if (!GetCommState(port.handle, &port.state)) {
        DWORD error = GetLastError();
        ClosePort();
        return ComposeErrorText("Failed to get Serial Port state", error);
    }

    // The timeouts go on before the line settings: a port that refuses its
    // settings stays open and takes the host's writes, which must not wait
    // for ever on a line that has backed up. A failure here is still
    // reported last.
    port.timeouts.ReadIntervalTimeout = 50;
    port.timeouts.ReadTotalTimeoutMultiplier = 10;
    port.timeouts.ReadTotalTimeoutConstant = 50;
    WriteTimeouts write = WriteTimeoutsFor(settings);
    port.timeouts.WriteTotalTimeoutMultiplier = write.msPerByte;
    port.timeouts.WriteTotalTimeoutConstant = write.constantMs;
    BOOL timeoutsSet = SetCommTimeouts(port.handle, &port.timeouts);
    DWORD timeoutsError = timeoutsSet ? 0 : GetLastError();

    // Only the four line settings change; flow control and the rest stay as
    // the port has them.
    port.state.BaudRate = settings->baudRate;
    port.state.ByteSize = (BYTE)settings->dataBits;
    port.state.StopBits = (BYTE)settings->stopBitsCode;
    port.state.Parity = (BYTE)settings->parityCode;
    if (!SetCommState(port.handle, &port.state))
        return ComposeErrorText("Failed to set Serial Port state", GetLastError());

    if (!timeoutsSet)
        return ComposeErrorText("Error setting timeout values", timeoutsError);

    port.configured = true;
    return 0;
}

bool PortIsConfigured(void)
{
    return port.configured;
}

// Clears the receive error a port that aborts on errors holds, after which
// it takes writes and state reads again.
static void ClearReceiveError(void)
{
    DWORD errors;
    ClearCommError(port.handle, &errors, NULL);
}

bool PortAnswers(void)
{
    DCB state;
    state.DCBlength = DCB_RECORD_SIZE;
    if (GetCommState(port.handle, &state))
        return true;
    // A port that aborts on errors refuses this too after a receive error,
    // until the error is cleared; one whose device has gone refuses it still.
    if (GetLastError() != ERROR_OPERATION_ABORTED)
        return false;
    ClearReceiveError();
    return GetCommState(port.handle, &state) != 0;
}

bool PortIsBackedUp(void)
{
    return port.backedUp;
}

// One write call, and what it reported.
static WriteReport WriteOnce(const void *bytes, unsigned long count)
{
    DWORD written = 0;
    BOOL wrote = WriteFile(port.handle, bytes, count, &written, NULL);
    WriteReport report = {wrote != 0, written, count, wrote ? 0 : GetLastError()};
    return report;
}

WriteOutcome WritePort(const void *bytes, unsigned long count, const char **errorText)
{
    WriteReport report = WriteOnce(bytes, count);
    WriteOutcome outcome = WriteOutcomeOf(&report, false, PortAnswers);
    if (outcome == WRITE_ABORTED) {
        // A port whose state says to abort on errors refuses every write
        // after a receive error (framing, parity, overrun) until the error
        // is cleared. What the aborted write moved is not sent again.
        ClearReceiveError();
        WriteReport retry = WriteOnce((const char *)bytes + report.written, count - report.written);
        retry.written += report.written;
        retry.count = count;
        report = retry;
        outcome = WriteOutcomeOf(&report, true, PortAnswers);
    }
    *errorText = 0;
    port.backedUp = BackedUpAfter(outcome, count, port.backedUp);
    if (outcome == WRITE_WHOLE)
        return outcome;
    // A port whose device has gone is no longer trusted: it is set up
    // afresh before the next bytes go out.
    if (outcome == WRITE_LOST)
        port.configured = false;
    // A write cut short without an error ran into its timeouts.
    *errorText = ComposeErrorText("Error writing string",
                                  report.succeeded ? ERROR_TIMEOUT : report.errorCode);
    return outcome;
}

void ClosePort(bool discardOutput)
{
    if (port.handle != NULL && port.handle != INVALID_HANDLE_VALUE) {
        // Output a held line still holds is dropped first, so that the
        // close cannot wait for a line that does not move; on a flowing
        // line the last bytes go out.
        if (port.backedUp || discardOutput)
            PurgeComm(port.handle, PURGE_TXABORT | PURGE_TXCLEAR);
        CloseHandle(port.handle);
    }
    port.handle = NULL;
    port.configured = false;
    port.backedUp = false;
}
