// Reading the host's parameter string into the settings the serial port is
// opened with. Pure text handling: no platform header is needed here.
#pragma once

// Each comma-separated field is copied into a working field of this size
// (79 characters and the terminator).
enum { FIELD_SIZE = 80 };

struct PortSettings {
    char portPath[FIELD_SIZE];  // name handed to the open call: COM3, \\.\COM12
    int baudRate;               // bits per second
    int dataBits;               // bits per character; only the low byte reaches the port
    int parityCode;             // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBitsCode;           // 0 one stop bit, 2 two stop bits
};

// Copies source up to the first delimiter (or its end) into destination,
// keeping at most FIELD_SIZE - 1 characters, and terminates it. Returns the
// length of the whole field in source, so the caller can step over a field
// that was too long to keep and still find the next one.
int ReadField(char *destination, const char *source, char delimiter);

// atoi-style reading: leading white space, an optional sign, decimal digits;
// 0 when there are none. Values beyond the 32-bit range saturate.
int ReadNumber(const char *text);

// The port field as read, for the trace the caller keeps of it.
struct PortFieldReading {
    bool read;               // false for the keyword, which has no port field
    char field[FIELD_SIZE];  // the working port field after the copy
    int portNumber;          // the number read from its fourth character on
};

// Fills settings from the keyword "default" or from up to five fields
// (port, baud, data bits, parity, stop bits). Returns 0 on success or one of
// the constant failure texts. The port field is read, and portField filled,
// before any failure can occur.
const char *ReadPortSettings(const char *parameters, PortSettings *settings,
                             PortFieldReading *portField);

// The longest run the module writes in one call: a text of 255 bytes.
enum { LONGEST_RUN = 255 };

// The longest any one write may wait, in milliseconds, however slow the
// line: a 255-byte run at 300 baud with the margin below on every framing
// of up to 12 bits a character takes 15.35 s.
enum { WRITE_BOUND_MS = 16000 };

// A write's allowance: msPerByte for each byte and constantMs once.
struct WriteTimeouts {
    unsigned msPerByte;
    unsigned constantMs;
};

// The write timeouts the port gets: per byte one and a half character
// times (start bit, data bits, parity bit, stop bits) at the settings'
// speed, rounded up and never below 10 ms, and 50 ms once, so that the
// module's own limit never cuts a write the line can carry. Where that
// would let a 255-byte run wait longer than WRITE_BOUND_MS, every write
// gets WRITE_BOUND_MS whatever its length instead.
WriteTimeouts WriteTimeoutsFor(const PortSettings *settings);

// How many bytes the line carries within WRITE_BOUND_MS at the settings'
// speed, at most LONGEST_RUN: below that, the bound cuts long writes.
unsigned BytesWithinBound(const PortSettings *settings);
