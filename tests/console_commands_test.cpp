// The host console's command language.
#include "tools/host_console/console_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(ParseCommand, GoodLines)
{
    const struct {
        const char *line;
        CommandKind kind;
        unsigned long first, second;
        const char *text;
    } cases[] = {
        {"init 20 2 COM3,9600,8,N,1Log", COMMAND_INIT, 20, 2, "COM3,9600,8,N,1Log"},
        {"init\t40  4   default", COMMAND_INIT, 40, 4, "default"},
        {"init 0 255 \\\\.\\COM12,9600,8,N,1", COMMAND_INIT, 0, 255, "\\\\.\\COM12,9600,8,N,1"},
        {"write Hello", COMMAND_WRITE, 0, 0, "Hello"},
        {"write   $2.50", COMMAND_WRITE, 0, 0, "  $2.50"},  // one blank separates
        {"write", COMMAND_WRITE, 0, 0, ""},
        {"write Caf\\xE9\\x1b", COMMAND_WRITE, 0, 0, "Caf\xE9\x1B"},
        {"write C:\\\\x41\\\\", COMMAND_WRITE, 0, 0, "C:\\x41\\"},  // an escaped backslash starts no escape
        {"pos 1 2", COMMAND_POS, 1, 2, ""},
        {"pos 007 2", COMMAND_POS, 7, 2, ""},
        {"  pos 0 0  ", COMMAND_POS, 0, 0, ""},
        {"sleep 3600000", COMMAND_SLEEP, 3600000, 0, ""},
        {"resume", COMMAND_RESUME, 0, 0, ""},
        {"done", COMMAND_DONE, 0, 0, ""},
        {"usage", COMMAND_USAGE, 0, 0, ""},
        {"defaults", COMMAND_DEFAULTS, 0, 0, ""},
        {"name ", COMMAND_NAME, 0, 0, ""},
        {"status", COMMAND_STATUS, 0, 0, ""},
        {"ports", COMMAND_PORTS, 0, 0, ""},
        {"", COMMAND_NOTHING, 0, 0, ""},
        {"   ", COMMAND_NOTHING, 0, 0, ""},
        {"# write nothing", COMMAND_NOTHING, 0, 0, ""},
    };
    for (const auto &c : cases) {
        Command command;
        char error[256] = "";
        ASSERT_TRUE(ParseCommand(c.line, &command, error, sizeof error)) << c.line << ": " << error;
        EXPECT_EQ(c.kind, command.kind) << c.line;
        EXPECT_EQ(c.first, command.numbers[0]) << c.line;
        EXPECT_EQ(c.second, command.numbers[1]) << c.line;
        EXPECT_EQ(std::string(c.text), std::string(command.text)) << c.line;
    }
}

TEST(ParseCommand, BadLinesSayWhatIsWrong)
{
    const std::string overlong = "write " + std::string(COMMAND_LINE_SIZE, 'x');
    const struct { std::string line, message; } cases[] = {
        {"frobnicate 1", "unknown command 'frobnicate': use one of init, write, pos, resume, "
                         "done, usage, defaults, name, status, sleep, ports"},
        {"Write x", "unknown command 'Write'"},
        {"init", "COLUMNS is missing: use init COLUMNS ROWS PARAMETERS"},
        {"init 20", "ROWS is missing"},
        {"init 20 2", "PARAMETERS are missing: use init COLUMNS ROWS PARAMETERS, such as init 20 2 default"},
        {"init 256 2 default", "bad number '256' for COLUMNS: use 0 to 255"},
        {"init 20 two default", "bad number 'two' for ROWS"},
        {"pos -1 2", "bad number '-1' for X"},
        {"pos +1 2", "bad number '+1' for X"},
        {"pos 1x 2", "bad number '1x' for X"},
        {"sleep 99999999999999999999999", "bad number '99999999999999999999999' for MS"},
        {"pos 1 2 3", "unexpected '3' after pos X Y"},
        {"sleep 3600001", "bad number '3600001' for MS: use 0 to 3600000"},
        {"sleep", "MS is missing: use sleep MS"},
        {"done now", "unexpected 'now' after done"},
        {"ports COM3", "unexpected 'COM3' after ports"},
        {"write \\x0", "bad escape at character 1"},
        {"write a\\q", "bad escape at character 2"},
        {"write \\xG0", "bad escape at character 1"},
        {"write end\\", "bad escape at character 4"},
        {"write a\\x00", "a text cannot carry a zero byte"},
        {overlong, "command longer than 1023 characters"},
    };
    for (const auto &c : cases) {
        Command command;
        char error[256] = "";
        EXPECT_FALSE(ParseCommand(c.line.c_str(), &command, error, sizeof error)) << c.line;
        EXPECT_NE(nullptr, strstr(error, c.message.c_str())) << c.line << " gave: " << error;
        EXPECT_EQ(nullptr, strchr(error, '\n')) << "one line: " << error;
    }
}

TEST(ParseCommand, LongestLineFits)
{
    const std::string line = "write " + std::string(COMMAND_LINE_SIZE - 1 - 6, 'x');
    Command command;
    char error[256] = "";
    ASSERT_TRUE(ParseCommand(line.c_str(), &command, error, sizeof error)) << error;
    EXPECT_EQ(std::string(COMMAND_LINE_SIZE - 1 - 6, 'x'), command.text);
}

// A list of names as the system gives them, each ended by a zero (| in
// the tables), the list by a second zero.
std::string Listed(const char *names)
{
    std::string list = std::string(names) + '|';
    for (char &character : list)
        character = character == '|' ? '\0' : character;
    return list;
}

TEST(ListComPorts, SortedOnceEachWithTheParameterName)
{
    const struct {
        const char *names;
        size_t outSize, count;
        const char *lines;  // null: out untouched
    } cases[] = {
        {"C:|PhysicalDrive0|COM12|COM3|LPT1|com4|COM3|", 512, 3,
         "COM3     COM3\nCOM4     COM4\nCOM12    \\\\.\\COM12\n"},
        {"COM9|COM10|COM256|", 512, 3, "COM9     COM9\nCOM10    \\\\.\\COM10\nCOM256   \\\\.\\COM256\n"},
        // None a port the module can open by its number.
        {"COM|COM0|COM257|COM1A|COMX|CO|COM-1| COM2|", 512, 0, ""},
        {"", 512, 0, ""},
        // Cut after a whole line, yet every port counted.
        {"COM1|COM2|COM3|", 20, 3, "COM1     COM1\n"},
        {"COM1|", 0, 1, nullptr},
    };
    for (const auto &c : cases) {
        char out[512] = "untouched";
        EXPECT_EQ(c.count, ListComPorts(Listed(c.names).data(), out, c.outSize)) << c.names;
        EXPECT_EQ(std::string(c.lines ? c.lines : "untouched"), std::string(out)) << c.names;
    }
}

// The names in /dev, and each link of /dev/serial/by-id with its target.
TEST(ListDevicePorts, InNumberOrderWithTheByIdNameWhereThereIsOne)
{
    const struct {
        const char *devices, *links;
        size_t outSize, count;
        const char *lines;  // null: out untouched
    } cases[] = {
        {"null|ttyS10|ttyUSB0|tty0|ttyS2|ttyACM0|ttySAC0|ttyUSB|ttyS1a|pts|",
         "usb-FTDI_FT232R_A50285BI-if00-port0|../../ttyUSB0|usb-Arduino_Uno_7543-if00|../../ttyACM0|",
         1024, 4,
         "/dev/ttyACM0     /dev/serial/by-id/usb-Arduino_Uno_7543-if00\n"
         "/dev/ttyS2       /dev/ttyS2\n"
         "/dev/ttyS10      /dev/ttyS10\n"
         "/dev/ttyUSB0     /dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0\n"},
        // A link adds the device it leads to, whatever its name; a second
        // link to a device is not shown.
        {"ttyUSB1|",
         "usb-B-if00-port0|../../ttyUSB1|usb-WCH_CH9102-if00|../../ttyCH343USB0|usb-C-if00-port0|../../ttyUSB1|",
         1024, 2,
         "/dev/ttyCH343USB0 /dev/serial/by-id/usb-WCH_CH9102-if00\n"
         "/dev/ttyUSB1     /dev/serial/by-id/usb-B-if00-port0\n"},
        // A by-id path longer than the port field's 79 characters is no
        // name a parameter string can take.
        {"ttyUSB0|ttyUSB1|",
         "usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_01-if00|../../ttyUSB0|"
         "usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_001-if00|../../ttyUSB1|",
         1024, 2,
         "/dev/ttyUSB0     /dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_01-if00\n"
         "/dev/ttyUSB1     /dev/ttyUSB1\n"},
        {"", "", 1024, 0, ""},
        // Cut after a whole line, yet every device counted.
        {"ttyS1|ttyS0|", "", 40, 2, "/dev/ttyS0       /dev/ttyS0\n"},
        {"ttyS0|", "", 0, 1, nullptr},
    };
    for (const auto &c : cases) {
        char out[1024] = "untouched";
        EXPECT_EQ(c.count, ListDevicePorts(Listed(c.devices).data(), Listed(c.links).data(), out,
                                           c.outSize)) << c.devices;
        EXPECT_EQ(std::string(c.lines ? c.lines : "untouched"), std::string(out)) << c.devices;
    }
}

}  // namespace
