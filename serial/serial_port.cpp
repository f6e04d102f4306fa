// The serial port through the Win32 communications calls.
#include "serial_port.h"

#include <windows.h>

#include "error_text.h"

// The size of the DCB record the port state is read into.
enum { DCB_RECORD_SIZE = 28 };

static struct {
    HANDLE handle;         // null before the first open and after a close
    bool configured;       // line settings and timeouts applied
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

    // The timeouts go on first: a port that then refuses its settings stays
    // open and takes the host's writes, which must not wait for ever on a
    // line that has backed up. A failure here is still reported last.
    port.timeouts.ReadIntervalTimeout = 50;
    port.timeouts.ReadTotalTimeoutMultiplier = 10;
    port.timeouts.ReadTotalTimeoutConstant = 50;
    port.timeouts.WriteTotalTimeoutMultiplier = 10;
    port.timeouts.WriteTotalTimeoutConstant = 50;
    BOOL timeoutsSet = SetCommTimeouts(port.handle, &port.timeouts);
    DWORD timeoutsError = timeoutsSet ? 0 : GetLastError();

    port.state.DCBlength = DCB_RECORD_SIZE;
    if (!GetCommState(port.handle, &port.state))
        return ComposeErrorText("Failed to get Serial Port state", GetLastError());

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

void WritePort(const void *bytes, unsigned long count)
{
    DWORD written;
    if (!WriteFile(port.handle, bytes, count, &written, NULL)) {
        DWORD error = GetLastError();
        // A port that refuses a write (its adapter pulled, say) is no longer
        // trusted: the next Init closes it and sets up afresh.
        port.configured = false;
        ComposeErrorText("Error writing string", error);
    }
}

void ClosePort(void)
{
    if (port.handle != NULL && port.handle != INVALID_HANDLE_VALUE)
        CloseHandle(port.handle);
    port.handle = NULL;
    port.configured = false;
}
