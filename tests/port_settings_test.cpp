// Reading the host's parameter string into serial port settings.
#include "serial/port_settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

// A null result means success; show it as text so failures print both sides.
std::string Result(const char *text) { return text ? text : "(success)"; }

struct SettingsCase {
    const char *parameters;
    const char *error;  // nullptr: success and the fields below apply
    const char *path;
    int baud, dataBits, parity, stop;
};

constexpr SettingsCase Fails(const char *parameters, const char *error)
{
    return {parameters, error, nullptr, 0, 0, 0, 0};
}

const SettingsCase SETTINGS_CASES[] = {
    {"default", nullptr, "COM3", 9600, 8, 0, 0},
    {"defaultLog", nullptr, "COM3", 9600, 8, 0, 0},
    {"default,anything", nullptr, "COM3", 9600, 8, 0, 0},
    Fails("Default", "Data bits Incorrect?"),
    Fails("defaulx", "Data bits Incorrect?"),  // the keyword is all seven letters
    {"COM3,9600,8,N,1", nullptr, "COM3", 9600, 8, 0, 0},
    {"COM12,19200,7,E,2", nullptr, "\\\\.\\COM12", 19200, 7, 2, 2},
    {"COM9,4800,8,O,1", nullptr, "COM9", 4800, 8, 1, 0},
    {"COM10,9600,8,N,1", nullptr, "\\\\.\\COM10", 9600, 8, 0, 0},
    {"COM-12,9600,8,N,1", nullptr, "COM-12", 9600, 8, 0, 0},
    {"LPT12,9600,8,N,1", nullptr, "\\\\.\\COM12", 9600, 8, 0, 0},
    // Shorter port fields leave the "COM3" working text's digit behind.
    {"C1,9600,8,N,1", nullptr, "C1", 9600, 8, 0, 0},
    {"COM,9600,8,N,1", nullptr, "COM", 9600, 8, 0, 0},
    {",9600,8,N,1", nullptr, "", 9600, 8, 0, 0},
    {"COM3,,8,N,1", nullptr, "COM3", 9600, 8, 0, 0},
    Fails("COM3,9600,,N,1", "Data bits Incorrect?"),
    Fails("COM3,9600,8,,1", "Parity Incorrect?"),
    Fails("COM3", "Data bits Incorrect?"),
    Fails("", "Data bits Incorrect?"),
    // Parity: first character only, case-sensitive.
    {"COM3,9600,8,O,1", nullptr, "COM3", 9600, 8, 1, 0},
    {"COM3,9600,8,Odd,1", nullptr, "COM3", 9600, 8, 1, 0},
    {"COM3,9600,8,M,1", nullptr, "COM3", 9600, 8, 3, 0},
    {"COM3,9600,8,S,1", nullptr, "COM3", 9600, 8, 4, 0},
    {"COM3,9600,8,n,1", nullptr, "COM3", 9600, 8, 0, 0},
    {"COM3,9600,8,x,1", nullptr, "COM3", 9600, 8, 0, 0},
    {"COM3,9600,8,none,1", nullptr, "COM3", 9600, 8, 0, 0},
    {"COM3,9600,8,space,1", nullptr, "COM3", 9600, 8, 0, 0},
    {"COM3,9600,8,e,1", nullptr, "COM3", 9600, 8, 0, 0},
    // Stop bits: only a value of 2 selects two stop bits.
    {"COM3,9600,8,N", nullptr, "COM3", 9600, 8, 0, 0},
    {"COM3,9600,8,N,", nullptr, "COM3", 9600, 8, 0, 0},
    {"COM3,9600,8,N,2", nullptr, "COM3", 9600, 8, 0, 2},
    {"COM3,9600,8,N,0", nullptr, "COM3", 9600, 8, 0, 0},
    {"COM3,9600,8,N,1.5", nullptr, "COM3", 9600, 8, 0, 0},
    {"COM3,9600,8,N,3", nullptr, "COM3", 9600, 8, 0, 0},
    {"COM3,9600,8,N,1Log", nullptr, "COM3", 9600, 8, 0, 0},
    {"COM3,9600,8,N,2Log", nullptr, "COM3", 9600, 8, 0, 2},
};

void ExpectSettings(const SettingsCase &c, const std::string &parameters)
{
    SCOPED_TRACE("parameters \"" + parameters + "\"");
    PortSettings s;
    memset(&s, 0x5A, sizeof s);  // a field left unset shows as 0x5A5A5A5A
    PortFieldReading portField;
    const char *error = ReadPortSettings(parameters.c_str(), &s, &portField);
    ASSERT_EQ(Result(c.error), Result(error)) << "expected result vs got";
    if (c.error)
        return;
    EXPECT_STREQ(c.path, s.portPath) << "port path";
    EXPECT_EQ(c.baud, s.baudRate) << "baud rate";
    EXPECT_EQ(c.dataBits, s.dataBits) << "data bits";
    EXPECT_EQ(c.parity, s.parityCode) << "parity code";
    EXPECT_EQ(c.stop, s.stopBitsCode) << "stop bits code";
}

TEST(ReadPortSettings, ParameterTable)
{
    for (const SettingsCase &c : SETTINGS_CASES)
        ExpectSettings(c, c.parameters);
}

// An overlong field is cut, yet the fields after it are still found.
TEST(ReadPortSettings, OverlongFieldsDoNotShiftLaterFields)
{
    const std::string port = "COM3" + std::string(96, 'x');
    ExpectSettings({nullptr, nullptr, port.substr(0, 79).c_str(), 19200, 7, 2, 2},
                   port + ",19200,7,E,2");
    ExpectSettings({nullptr, nullptr, "COM5", INT_MAX, 7, 1, 2},
                   "COM5," + std::string(100, '9') + ",7,O,2");
}

// A byte's allowance is one and a half character times, never below 10 ms;
// where a 255-byte write would then wait longer than 16 s, every write
// gets 16 s. Below that speed the bound carries fewer than 255 bytes.
TEST(WriteTimeoutsFor, CoverTheCharacterTimeWithinTheBound)
{
    const struct {
        int baud, dataBits, parity, stop;
        unsigned msPerByte, constantMs, bytesWithinBound;
    } cases[] = {
        {9600, 8, 0, 0, 10, 50, 255}, {2400, 8, 0, 0, 10, 50, 255},
        {1200, 8, 0, 0, 13, 50, 255},   // 8.3 ms a character
        {1000, 8, 0, 0, 15, 50, 255},   // 10 ms
        {1200, 8, 2, 2, 15, 50, 255},   // 12 bits: 10 ms
        {600, 8, 0, 0, 25, 50, 255},    // 16.7 ms
        {600, 7, 2, 2, 28, 50, 255},    // 11 bits: 18.3 ms
        {300, 8, 0, 0, 50, 50, 255},
        {300, 8, 2, 2, 60, 50, 255},    // 40 ms: 255 bytes get 15.35 s
        {240, 8, 0, 0, 0, 16000, 255},  // 62.5 ms a byte would take 16.1 s
        {150, 8, 0, 0, 0, 16000, 240},
        {110, 8, 0, 0, 0, 16000, 176},
        {1, 255, 0, 0, 0, 16000, 0},
        {9600, 255, 0, 0, 41, 50, 255}, // 258 bits a character
        {0, 8, 0, 0, 10, 50, 255}, {-9600, 8, 0, 0, 10, 50, 255},
    };
    for (const auto &c : cases) {
        PortSettings settings = {"COM3", c.baud, c.dataBits, c.parity, c.stop};
        WriteTimeouts timeouts = WriteTimeoutsFor(&settings);
        SCOPED_TRACE(testing::Message() << c.baud << " baud, " << c.dataBits << " data bits, parity "
                                        << c.parity << ", stop " << c.stop);
        EXPECT_EQ(c.msPerByte, timeouts.msPerByte);
        EXPECT_EQ(c.constantMs, timeouts.constantMs);
        EXPECT_EQ(c.bytesWithinBound, BytesWithinBound(&settings));
    }
}

}  // namespace
