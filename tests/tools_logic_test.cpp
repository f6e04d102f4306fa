// The tools' platform-free parts: the host console's command language, the
// numbers and escaped texts the tools read and print, and the virtual
// display's interpreter, drawing and options.
#include "tools/common/text_fields.h"
#include "tools/host_console/console_commands.h"
#include "tools/virtual_display/display_program.h"
#include "tools/virtual_display/display_screen.h"
#include "tools/virtual_display/screen_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A line as read: the command's kind, its numbers and [its text]; or why
// it was refused.
std::string Parsed(const std::string &line)
{
    static const char *const KINDS[] = {"nothing", "init",     "write", "pos",    "resume", "done",
                                        "usage",   "defaults", "name",  "status", "sleep",  "ports"};
    Command command;
    char error[256] = "";
    if (!ParseCommand(line.c_str(), &command, error, sizeof error))
        return error;
    return std::string(KINDS[command.kind]) + " " + std::to_string(command.numbers[0]) + " " +
           std::to_string(command.numbers[1]) + " [" + command.text + "]";
}

// The commands the scenario files and the console's end-to-end runs give
// are not repeated here.
TEST(ParseCommand, LinesAndWhatIsWrongWithThem)
{
    const struct { std::string line, parsed; } cases[] = {
        {"\tinit\t40  4 \t default", "init 40 4 [default]"},
        {" pos 007\t2 \t", "pos 7 2 []"},
        // A high byte in lower-case hex; an escaped backslash starts no escape.
        {"write Caf\\xe9\\\\x41", "write 0 0 [Caf\xE9\\x41]"},
        {"write " + std::string(1017, 'x'), "write 0 0 [" + std::string(1017, 'x') + "]"},  // longest
        {"frobnicate 1", "unknown command 'frobnicate': use one of init, write, pos, resume, "
                         "done, usage, defaults, name, status, sleep, ports"},
        {"Write x", "unknown command 'Write'"},
        {"init", "COLUMNS is missing: use init COLUMNS ROWS PARAMETERS"},
        {"init 20", "ROWS is missing"},
        {"init 20 2", "PARAMETERS are missing: use init COLUMNS ROWS PARAMETERS, such as init 20 2 default"},
        {"init 256 2 default", "bad number '256' for COLUMNS: use 0 to 255"},
        {"pos +1 2", "bad number '+1' for X"},
        {"pos 1x 2", "bad number '1x' for X"},
        {"sleep 99999999999999999999999", "bad number '99999999999999999999999' for MS"},
        {"sleep 3600001", "bad number '3600001' for MS: use 0 to 3600000"},
        {"done now", "unexpected 'now' after done"},
        {"write \\x0", "bad escape at character 1"},
        {"write \\xG0", "bad escape at character 1"},
        {"write end\\", "bad escape at character 4"},
        {"write a\\x00", "a text cannot carry a zero byte"},
        {"write " + std::string(1018, 'x'), "command longer than 1023 characters"},
    };
    for (const auto &c : cases) {
        const std::string parsed = Parsed(c.line);
        EXPECT_NE(std::string::npos, parsed.find(c.parsed)) << c.line << " gave: " << parsed;
        EXPECT_EQ(std::string::npos, parsed.find('\n')) << "one line: " << parsed;
    }
}

// Names as the system lists them, each ended by a zero (| here), the list
// by a second zero.
std::string Listed(const char *names)
{
    std::string list = std::string(names) + '|';
    std::replace(list.begin(), list.end(), '|', '\0');
    return list;
}

TEST(ListComPorts, SortedOnceEachWithTheParameterName)
{
    const struct { const char *names; size_t outSize, count; const char *lines; } cases[] = {
        {"COM10|C:|com4|COM256|LPT1|COM9|COM10|", 512, 4,
         "COM4     COM4\nCOM9     COM9\nCOM10    \\\\.\\COM10\nCOM256   \\\\.\\COM256\n"},
        {"COM|COM0|COM257|COM1A|COMX|CO|COM-1| COM2|", 512, 0, ""},  // none a port by its number
        {"COM1|COM2|COM3|", 20, 3, "COM1     COM1\n"},  // cut after a whole line, all counted
        {"COM1|", 0, 1, "untouched"},
    };
    for (const auto &c : cases) {
        char out[512] = "untouched";
        EXPECT_EQ(c.count, ListComPorts(Listed(c.names).data(), out, c.outSize)) << c.names;
        EXPECT_EQ(std::string(c.lines), std::string(out)) << c.names;
    }
}

// The names in /dev, and each link of /dev/serial/by-id with its target:
// in number order, by the by-id name where one fits the port field.
TEST(ListDevicePorts, InNumberOrderWithTheByIdNameWhereThereIsOne)
{
    const struct { const char *devices, *links; size_t outSize, count; const char *lines; } cases[] = {
        {"null|ttyS10|ttyUSB0|tty0|ttyS2|ttyACM0|ttySAC0|ttyUSB|ttyS1a|pts|",
         "usb-FTDI_A50285BI-if00-port0|../../ttyUSB0|usb-Arduino_Uno_7543-if00|../../ttyACM0|", 1024, 4,
         "/dev/ttyACM0     /dev/serial/by-id/usb-Arduino_Uno_7543-if00\n/dev/ttyS2       /dev/ttyS2\n"
         "/dev/ttyS10      /dev/ttyS10\n/dev/ttyUSB0     /dev/serial/by-id/usb-FTDI_A50285BI-if00-port0\n"},
        // A link adds the device it leads to; a second link to it is not shown.
        {"ttyUSB1|", "usb-B-if00|../../ttyUSB1|usb-CH9102-if00|../../ttyCH343USB0|usb-C-if00|../../ttyUSB1|",
         1024, 2, "/dev/ttyCH343USB0 /dev/serial/by-id/usb-CH9102-if00\n/dev/ttyUSB1     /dev/serial/by-id/usb-B-if00\n"},
        // A by-id path of 80 characters no longer fits the port field's 79.
        {"ttyUSB0|ttyUSB1|",
         "usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_01-if00|../../ttyUSB0|"
         "usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_001-if00|../../ttyUSB1|", 1024, 2,
         "/dev/ttyUSB0     /dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_01-if00\n"
         "/dev/ttyUSB1     /dev/ttyUSB1\n"},
        {"ttyS1|ttyS0|", "", 40, 2, "/dev/ttyS0       /dev/ttyS0\n"},  // cut after a whole line
    };
    for (const auto &c : cases) {
        char out[1024] = "untouched";
        EXPECT_EQ(c.count, ListDevicePorts(Listed(c.devices).data(), Listed(c.links).data(), out, c.outSize))
            << c.devices;
        EXPECT_EQ(std::string(c.lines), std::string(out)) << c.devices;
    }
}

// Escaped texts and hex are cut to the buffer, hex with " ...", never past it.
TEST(TextFields, CutToTheBuffer)
{
    char out[64];
    EscapeText("Error : File not found.\r\n\x1B\\\xFF", out, sizeof out);
    EXPECT_STREQ("Error : File not found.\\x0D\\x0A\\x1B\\\\\\xFF", out);
    EscapeText("ab\x01\x02", out, 7);  // cut before an escape that would not fit whole
    EXPECT_STREQ("ab\\x01", out);

    const unsigned char bytes[] = {0x1B, 0x13, 0x14, 0x48, 0x65, 0x00};
    const struct { size_t count, size; const char *hex; } cases[] = {
        {0, 16, ""},
        {6, 18, "1B 13 14 48 65 00"},  // exactly fits
        {6, 16, "1B 13 14 48 ..."},    // the whole buffer, " ..." included
        {6, 5, " ..."},
    };
    for (const auto &c : cases) {
        memset(out, 'Z', sizeof out);
        FormatHex(bytes, c.count, out, c.size);
        EXPECT_STREQ(c.hex, out) << c.count << " bytes into " << c.size;
        EXPECT_EQ('Z', out[c.size]) << "nothing written past the buffer";
    }
}

// What write prints on a stdio stream.
template <typename Write>
std::string Printed(Write write)
{
    char text[2048] = "";
    FILE *out = fmemopen(text, sizeof text, "w");
    write(out);
    fclose(out);
    return text;
}

std::string Events(const Screen &screen)
{
    std::string text;
    for (unsigned long i = 0; i < screen.eventCount; i++) {
        const char *event = ScreenEvent(&screen, i);
        text += std::string(i ? ", " : "") + (event ? event : "(gone)");
    }
    return text;
}

void Feed(Screen &screen, const std::string &bytes)
{
    FeedScreen(&screen, reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
}

// A 4 x 2 screen fed each case whole, then split at every possible point,
// and its input ended: its rows, "@" its cursor's cell, and its events. (The
// end-to-end and demo runs show text, cursor moves, the wrap to the top-left
// and a closing.)
TEST(Screen, BytesWholeOrSplitGiveTheSameScreen)
{
    const struct { const char *what; std::string bytes, screen; } cases[] = {
        {"the address byte is raw, even ESC", std::string("\x1B\x13\x1B") + "Z",
         "   Z\n    \n@4 cursor 27 past the last cell, at 3"},
        {"control and high bytes are text, shown as dots", "\r\n\xE9", "... \n    \n@3 "},
        {"unknown escapes change nothing", "\x1B" "A\x1B\x1B" "b",
         "b   \n    \n@1 escape 1B 41, escape 1B 1B"},
        {"a run that breaks off is pairs of its own", "\x1B\x02\x1B\x05\x1B\x08" "C",
         "C   \n    \n@1 closing, escape 1B 05, escape 1B 08"},
        {"breaking off on an ESC keeps that ESC", "\x1B\x02\x1B\x05\x1B\x13\x04" "D",
         "    \nD   \n@5 closing, escape 1B 05"},
        {"an unfinished cursor command", "\x1B\x13", "    \n    \n@0 unfinished cursor command 1B 13"},
        {"a power resume cut on its last ESC", "\x1B\x02\x1B\x05\x1B\x08\x1B\x0C\x1B\x0E\x1B",
         "    \n    \n@0 closing, escape 1B 05, escape 1B 08, escape 1B 0C, escape 1B 0E, "
         "unfinished escape 1B"},
    };
    for (const auto &c : cases) {
        for (size_t split = 0; split <= c.bytes.size(); split++) {
            Screen screen;
            ASSERT_TRUE(StartScreen(&screen, 4, 2));
            Feed(screen, c.bytes.substr(0, split));
            Feed(screen, c.bytes.substr(split));
            EndScreenInput(&screen);
            EXPECT_EQ(c.screen, Printed([&](FILE *out) { WriteScreenRows(out, &screen); }) + "@" +
                                    std::to_string(screen.cursor) + " " + Events(screen))
                << c.what << ", split at " << split;
        }
    }
}

// On the largest screen, 80 x 25, which must start.
TEST(Screen, OnlyTheLatestEightEventsAreKept)
{
    Screen screen;
    ASSERT_TRUE(StartScreen(&screen, 80, 25));
    for (char code = 'A'; code <= 'K'; code++)
        Feed(screen, "\x1B" + std::string(1, code));
    EXPECT_EQ(nullptr, ScreenEvent(&screen, 2));
    EXPECT_STREQ("escape 1B 44", ScreenEvent(&screen, 3));
    EXPECT_STREQ("escape 1B 4B", ScreenEvent(&screen, 10));
    EXPECT_EQ(nullptr, ScreenEvent(&screen, 11));
}

// The box and the status line show in the end-to-end and demo runs; the
// trace's cut does not.
TEST(ScreenRender, TraceKeepsWhatItCan)
{
    unsigned char bytes[18];
    for (size_t i = 0; i < sizeof bytes; i++)
        bytes[i] = (unsigned char)(0xF0 + i);
    EXPECT_EQ("00000000  F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF\n"
              "00000010  00 01\n"
              "(2 more bytes received and not kept)\n",
              Printed([&](FILE *out) { WriteHexTrace(out, bytes, sizeof bytes, 20); }));
}

// The shared options and a program's own, as the Linux program has them, on
// a terminal: what was read, or the first line on standard error. (The demo
// gives --size, --link and both files, off a terminal.)
TEST(DisplayOptions, SharedAndOwnOptionsAreRead)
{
    const struct { std::vector<const char *> arguments; std::string read; } cases[] = {
        {{}, "20x2 live link= screen= trace="},
        {{"--frames"}, "20x2 frames link= screen= trace="},
        {{"--size", "80x25", "--quiet", "--link", "L", "--save-trace", "-", "--save-screen", "S"},
         "80x25 none link=L screen=S trace=-"},
        {{"--size", "0x2"}, "virtual_display: bad size '0x2'"},
        {{"--size", "81x2"}, "virtual_display: bad size '81x2'"},
        {{"--frames", "--save-screen"}, "virtual_display: a value is missing after '--save-screen'"},
        {{"--port", "COM4"}, "virtual_display: unknown option '--port'"},
    };
    const char *const DRAWINGS[] = {"live", "frames", "none"};
    for (const auto &c : cases) {
        const char *link = nullptr;
        const LineOption own[] = {{"--link", &link}};
        const OwnOptions ownOptions = {"[--link PATH]", nullptr, own, 1};
        std::vector<char *> argv = {const_cast<char *>("virtual_display")};
        for (const char *argument : c.arguments)
            argv.push_back(const_cast<char *>(argument));
        DisplayOptions o = {};
        testing::internal::CaptureStderr();
        bool read = ReadDisplayOptions((int)argv.size(), argv.data(), &ownOptions, true, &o);
        std::string got = testing::internal::GetCapturedStderr();
        got = got.substr(0, got.find('\n'));
        if (read)
            got += std::to_string(o.columns) + "x" + std::to_string(o.rows) + " " +
                   DRAWINGS[o.drawing] + " link=" + (link ? link : "") + " screen=" +
                   (o.screenFile ? o.screenFile : "") + " trace=" + (o.traceFile ? o.traceFile : "");
        EXPECT_EQ(c.read, got) << c.arguments.size() << " arguments";
    }
}

}  // namespace
