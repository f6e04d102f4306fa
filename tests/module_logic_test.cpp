// The module's platform-free units: the cursor command, the reading of the
// parameter string, the write timeouts, how a write ended, the log's time.
#include "driver/display_commands.h"
#include "log/log_text.h"
#include "serial/port_settings.h"
#include "serial/write_outcome.h"
#include "tools/common/text_fields.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "serial_drivers.h"

namespace {

// Cells count row by row from 0; a column or row beyond the display is its
// first, and 0 one before it, in the address's low 8 bits.
TEST(CursorPositionCommand, AddressTable)
{
    const struct { unsigned char x, y; int columns, rows; const char *bytes; } cases[] = {
        {21, 2, 20, 2, "1B 13 14"}, {5, 3, 20, 2, "1B 13 04"}, {40, 4, 40, 4, "1B 13 9F"},
        {0, 1, 20, 2, "1B 13 FF"},  {1, 0, 20, 2, "1B 13 EC"},
    };
    for (const auto &c : cases) {
        unsigned char command[3];
        char hex[16];
        CursorPositionCommand(command, c.x, c.y, c.columns, c.rows);
        FormatHex(command, sizeof command, hex, sizeof hex);
        EXPECT_STREQ(c.bytes, hex) << +c.x << ", " << +c.y << " on " << c.columns << "x" << c.rows;
    }
}

// The port number read from the field, then the settings as the log's line
// shows them (path,baud,data bits,parity,stop bits), or the failure text.
std::string Reading(const std::string &parameters)
{
    PortSettings s;
    memset(&s, 0x5A, sizeof s);  // a field left unset shows as 1515870810
    PortFieldReading port;
    const char *failure = ReadPortSettings(parameters.c_str(), &s, &port);
    char text[200];
    snprintf(text, sizeof text, "%s,%d,%d,%d,%d", s.portPath, s.baudRate, s.dataBits, s.parityCode,
             s.stopBitsCode);
    std::string reading = failure ? failure : text;
    return port.read ? "num " + std::to_string(port.portNumber) + ": " + reading : reading;
}

TEST(ReadPortSettings, ParameterTable)
{
    const struct { std::string parameters, reading; } cases[] = {
        {"defaulx", "num 0: Data bits Incorrect?"},  // the keyword is all seven letters
        {"C1,9600,8,N,1", "num 3: C1,9600,8,0,0"},  // the digit of "COM3" left behind
        {"COM,9600,8,N,1", "num 0: COM,9600,8,0,0"},
        {"COM5,9600,-99999999999,O,2", "num 5: COM5,9600,-2147483648,1,2"},  // saturates
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.reading, Reading(c.parameters)) << "parameters \"" << c.parameters << "\"";
}

// A byte's allowance is one and a half character times, never below 10 ms;
// where a 255-byte write would then wait longer than 16 s, every write
// gets 16 s. Below that speed the bound carries fewer than 255 bytes.
TEST(WriteTimeoutsFor, CoverTheCharacterTimeWithinTheBound)
{
    const struct { int baud, dataBits, parity, stop; unsigned msPerByte, once, bytes; } cases[] = {
        {2400, 8, 0, 0, 10, 50, 255},   {1200, 8, 0, 0, 13, 50, 255},  // 4.2 and 8.3 ms a character
        {300, 8, 2, 2, 60, 50, 255},    // 12 bits, 40 ms: 255 bytes get 15.35 s
        {240, 8, 0, 0, 0, 16000, 255},  // 62.5 ms a byte would take 16.1 s
        {150, 8, 0, 0, 0, 16000, 240},  {1, 255, 0, 0, 0, 16000, 0},
        {9600, 255, 0, 0, 41, 50, 255},  // 257 bits a character
        {0, 8, 0, 0, 10, 50, 255},      {-9600, 8, 0, 0, 10, 50, 255},
    };
    for (const auto &c : cases) {
        PortSettings settings = {"COM3", c.baud, c.dataBits, c.parity, c.stop};
        WriteTimeouts timeouts = WriteTimeoutsFor(&settings);
        SCOPED_TRACE(testing::Message() << c.baud << " baud");
        EXPECT_EQ(c.msPerByte, timeouts.msPerByte);
        EXPECT_EQ(c.once, timeouts.constantMs);
        EXPECT_EQ(c.bytes, BytesWithinBound(&settings));
    }
}

// The port's answer to a read of its state.
bool portAnswers;
bool AskPort() { return portAnswers; }

const char *const OUTCOMES[] = {"whole", "stalled", "aborted", "lost"};

// Each driver's way of ending each event; then the codes that decide alone
// (a timeout code is a stall and a gone code a loss whatever the port
// answers) and an abort on its retry, judged by the port's answer.
TEST(WriteOutcomeOf, EachDriverAndCode)
{
    for (const SerialDriverRow &row : SERIAL_DRIVER_ROWS) {
        WriteReport report = {row.succeeds, row.written == WROTE_HALF ? 4ul : 0ul, 8, row.errorCode};
        portAnswers = row.stateError == 0;
        EXPECT_STREQ(OUTCOMES[row.expected], OUTCOMES[WriteOutcomeOf(&report, false, AskPort)])
            << row.driver << ", " << row.event;
    }
    const struct { unsigned long code; bool retried, answers; const char *expected; } cases[] = {
        {121, false, false, "stalled"}, {1121, false, false, "stalled"},
        {1460, false, false, "stalled"}, {6, false, true, "lost"}, {1617, false, true, "lost"},
        {995, true, true, "stalled"},   {995, true, false, "lost"},
    };
    for (const auto &c : cases) {
        WriteReport report = {false, 0, 8, c.code};
        portAnswers = c.answers;
        EXPECT_STREQ(c.expected, OUTCOMES[WriteOutcomeOf(&report, c.retried, AskPort)])
            << "code " << c.code << (c.retried ? ", retried" : "");
    }
}

// Local time as the log writes it: day before month, a two-digit year.
TEST(FormatTimestamp, DayBeforeMonth)
{
    struct tm time = {};
    time.tm_hour = 5; time.tm_min = 6; time.tm_sec = 7;
    time.tm_mday = 4; time.tm_mon = 2; time.tm_year = 126;
    char stamp[20];
    FormatTimestamp(stamp, sizeof stamp, &time);
    EXPECT_STREQ("05:06:07 04/03/26", stamp);
}

}  // namespace
