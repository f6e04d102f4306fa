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

// The write timeout the port gets per byte, in milliseconds: 10 wherever one
// character (start bit, data bits, parity bit, stop bits) takes at most that
// at the settings' speed, otherwise one and a half character times rounded
// up, so that the module's own limit never cuts a write the line can carry.
unsigned WriteTimeoutPerByte(const PortSettings *settings);
