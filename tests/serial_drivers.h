// How each serial driver ends each event on a write, as documented or
// reported, and how the module must take it. The unit tests judge every
// row; the end-to-end tests play every row through the loaded module's
// import table (e2e/driver_spy.h). Error codes are the system's numbers.
//
// Where a report gives a write's code but not what a read of the port's
// state then gives, the state is played as failing with the same code when
// the device has gone, and as answering while it is still there.
#pragma once

#include "serial/write_outcome.h"

// What a driver says went out before it ended the write.
enum WrittenPart { WROTE_NOTHING, WROTE_HALF };

struct SerialDriverRow {
    const char *driver;
    const char *event;
    bool succeeds;              // what WriteFile returns
    WrittenPart written;        // the bytes it reports
    unsigned long errorCode;    // the last error when it fails
    unsigned long stateError;   // 0: the port still answers GetCommState; else its error
    bool untilCleared;          // the port refuses writes and state reads until ClearCommError
    WriteOutcome expected;      // how the module must take the write
    const char *source;
};

static const SerialDriverRow SERIAL_DRIVER_ROWS[] = {
    {"serial.sys", "timed-out write", true, WROTE_HALF, 0, 0, false, WRITE_STALLED,
     "Microsoft, SERIAL_TIMEOUTS remarks: a timed-out write completes successfully "
     "(STATUS_TIMEOUT) with the bytes sent so far; Windows-driver-samples "
     "serial/serial/write.c, SerialWriteTimeout"},
    {"serial.sys", "device removed", false, WROTE_NOTHING, 5, 5, false, WRITE_LOST,
     "Microsoft, IRP_MJ_WRITE (Serial): STATUS_DELETE_PENDING while the device is "
     "removed, which Win32 reports as ERROR_ACCESS_DENIED"},
    {"serial.sys", "aborted write", false, WROTE_NOTHING, 995, 995, true, WRITE_ABORTED,
     "Microsoft, ClearCommError remarks and DCB.fAbortOnError: after a receive error no "
     "read or write is accepted until ClearCommError; IRP_MJ_WRITE (Serial): "
     "STATUS_CANCELLED; Windows-driver-samples serial/serial/utils.c, SerialCompleteIfError"},
    {"usbser.sys", "timed-out write", false, WROTE_NOTHING, 121, 0, false, WRITE_STALLED,
     "RJCP.DLL.SerialPortStream #146 (usbser.sys: WriteFile fails with 121 and 0 bytes); "
     "jSerialComm #536; node-serialport #781 and rubyserial #52 (121, driver not named)"},
    {"usbser.sys", "pulled adapter", false, WROTE_NOTHING, 1167, 1167, false, WRITE_LOST,
     "python-win32 list, June 2008, message 007676 (USB CDC: WriteFile gives 1167 once "
     "unplugged); libserialport #22 (a pull shows as GetCommState failing)"},
    {"usbser.sys", "refused write", false, WROTE_NOTHING, 31, 0, false, WRITE_STALLED,
     "python-win32 list, June 2008, message 007676 (31 while the device is suspended); "
     "pyserial #739 (31 from a CDC device that is present)"},
    {"FTDI", "timed-out write", true, WROTE_HALF, 0, 0, false, WRITE_STALLED,
     "dotnet/corefx #16542 (FTDI: a write held by flow control returns with fewer bytes "
     "than asked, no error)"},
    {"FTDI", "pulled adapter", false, WROTE_NOTHING, 22, 22, false, WRITE_LOST,
     "dotnet/runtime SerialStream.Windows.cs (a yanked USB adapter gives "
     "ERROR_ACCESS_DENIED or ERROR_BAD_COMMAND; driver not named)"},
    {"Prolific", "pulled adapter", false, WROTE_NOTHING, 31, 31, false, WRITE_LOST,
     "node-serialport #1020 (PL2303 pulled, no code shown): no code reported, so the read "
     "of the port's state decides"},
    {"Bluetooth", "timed-out write", false, WROTE_NOTHING, 121, 0, false, WRITE_STALLED,
     "ArduPilot #25936 (writes to a Bluetooth port wait for their timeout); "
     "RJCP.DLL.SerialPortStream #37 (121 from a Bluetooth port); the issue's report"},
    {"Bluetooth", "link lost", false, WROTE_NOTHING, 109, 0, false, WRITE_LOST,
     "SimHub #809 (a broken pipe is the usual error of a Bluetooth serial port whose "
     "link went); the local port still answers"},
    {"Wine", "timed-out write", true, WROTE_HALF, 0, 0, false, WRITE_STALLED,
     "Wine dlls/ntdll/unix/file.c, NtWriteFile: STATUS_SUCCESS with the bytes sent, or "
     "STATUS_TIMEOUT, which WriteFile takes as success; seen on this project's line"},
    {"Wine", "pulled adapter", false, WROTE_NOTHING, 21, 21, false, WRITE_LOST,
     "seen on this project's line (the far end of the pty gone: WriteFile and "
     "GetCommState fail with 21); Wine maps EIO to STATUS_DEVICE_NOT_READY"},
};
