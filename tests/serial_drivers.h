// How each serial driver ends a write on each event (sources above each
// row; error codes are the system's) and how the module must take it: judged
// by the unit tests, played end to end through the module's import table
// (e2e/driver_spy.h). A port's state read fails with the write's code once
// the device has gone, else answers, where a report leaves it out.
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
};

static const SerialDriverRow SERIAL_DRIVER_ROWS[] = {
    // Microsoft, SERIAL_TIMEOUTS remarks (a timed-out write completes with STATUS_TIMEOUT, a
    // success, and the bytes sent); Windows-driver-samples serial/serial/write.c
    {"serial.sys", "timed-out write", true, WROTE_HALF, 0, 0, false, WRITE_STALLED},
    // Microsoft, IRP_MJ_WRITE (Serial): STATUS_DELETE_PENDING (access denied) while removed
    {"serial.sys", "device removed", false, WROTE_NOTHING, 5, 5, false, WRITE_LOST},
    // Microsoft, ClearCommError remarks and IRP_MJ_WRITE (Serial), STATUS_CANCELLED;
    // Windows-driver-samples serial/serial/utils.c, SerialCompleteIfError
    {"serial.sys", "aborted write", false, WROTE_NOTHING, 995, 995, true, WRITE_ABORTED},
    // RJCP.DLL.SerialPortStream #146 (usbser.sys: 121, 0 bytes), jSerialComm #536;
    // node-serialport #781, rubyserial #52 (121, driver not named)
    {"usbser.sys", "timed-out write", false, WROTE_NOTHING, 121, 0, false, WRITE_STALLED},
    // python-win32 list, June 2008, 007676 (USB CDC: 1167 once unplugged); libserialport #22
    {"usbser.sys", "pulled adapter", false, WROTE_NOTHING, 1167, 1167, false, WRITE_LOST},
    // python-win32 list, June 2008, 007676 (31 while suspended); pyserial #739 (31, present)
    {"usbser.sys", "refused write", false, WROTE_NOTHING, 31, 0, false, WRITE_STALLED},
    // dotnet/corefx #16542 (FTDI: a write held by flow control returns fewer bytes, no error)
    {"FTDI", "timed-out write", true, WROTE_HALF, 0, 0, false, WRITE_STALLED},
    // dotnet/runtime SerialStream.Windows.cs (a yanked USB adapter: 5 or 22; driver not named)
    {"FTDI", "pulled adapter", false, WROTE_NOTHING, 22, 22, false, WRITE_LOST},
    // node-serialport #1020 (PL2303 pulled, no code shown): the port's answer decides
    {"Prolific", "pulled adapter", false, WROTE_NOTHING, 31, 31, false, WRITE_LOST},
    // ArduPilot #25936 (Bluetooth writes wait for their timeout); RJCP.DLL.SerialPortStream #37 (121)
    {"Bluetooth", "timed-out write", false, WROTE_NOTHING, 121, 0, false, WRITE_STALLED},
    // SimHub #809 (a broken pipe once the link went); the local port still answers
    {"Bluetooth", "link lost", false, WROTE_NOTHING, 109, 0, false, WRITE_LOST},
    // Wine dlls/ntdll/unix/file.c, NtWriteFile; this project's line
    {"Wine", "timed-out write", true, WROTE_HALF, 0, 0, false, WRITE_STALLED},
    // this project's line (the pty's far end gone); Wine maps EIO to STATUS_DEVICE_NOT_READY
    {"Wine", "pulled adapter", false, WROTE_NOTHING, 21, 21, false, WRITE_LOST},
};
