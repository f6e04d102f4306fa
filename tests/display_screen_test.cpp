// The virtual display's interpreter, its drawing and the options both its
// programs read.
#include "tools/virtual_display/display_program.h"
#include "tools/virtual_display/display_screen.h"
#include "tools/virtual_display/screen_render.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string POWER_RESUME = "\x1B\x02\x1B\x05\x1B\x08\x1B\x0C\x1B\x0E\x1B\x20";

std::string Rows(const Screen &screen)
{
    char text[SCREEN_MAX_ROWS * (SCREEN_MAX_COLUMNS + 1) + 1] = "";
    FILE *out = fmemopen(text, sizeof text, "w");
    WriteScreenRows(out, &screen);
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

struct Case {
    const char *what;
    std::string bytes;
    std::string rows;    // the 4 x 2 screen afterwards
    int cursor;
    std::string events;
};

// A 4 x 2 screen fed each case whole, then split at every possible point.
TEST(Screen, BytesWholeOrSplitGiveTheSameScreen)
{
    const Case cases[] = {
        {"text advances cell by cell", "Hi", "Hi  \n    \n", 2, ""},
        {"text goes on to the next row", "abcdef", "abcd\nef  \n", 6, ""},
        {"after the last cell the top-left", "abcdefghXY", "XYcd\nefgh\n", 2, ""},
        {"cursor addresses count row by row", std::string("\x1B\x13\x05" "A\x1B\x13\x00" "B", 8),
         "B   \n A  \n", 1, ""},
        {"the address byte is raw, even ESC", std::string("\x1B\x13\x1B") + "Z", "   Z\n    \n", 4,
         "cursor 27 past the last cell, at 3"},
        {"control and high bytes are text, shown as dots", "\r\n\xE9", "... \n    \n", 3, ""},
        {"power resume is named whole", POWER_RESUME, "    \n    \n", 0, "power resume"},
        {"closing is the first pair alone", "ok\x1B\x02", "ok  \n    \n", 2, "closing"},
        {"unknown escapes change nothing", "\x1B" "A\x1B\x1B" "b", "b   \n    \n", 1,
         "escape 1B 41, escape 1B 1B"},
        {"a run that breaks off is pairs of its own", "\x1B\x02\x1B\x05\x1B\x08" "C",
         "C   \n    \n", 1, "closing, escape 1B 05, escape 1B 08"},
        {"breaking off on an ESC keeps that ESC", "\x1B\x02\x1B\x05\x1B\x13\x04" "D",
         "    \nD   \n", 5, "closing, escape 1B 05"},
        {"closing twice", "\x1B\x02\x1B\x02", "    \n    \n", 0, "closing, closing"},
        {"closing then power resume", "\x1B\x02" + POWER_RESUME, "    \n    \n", 0,
         "closing, power resume"},
    };
    for (const Case &c : cases) {
        for (size_t split = 0; split <= c.bytes.size(); split++) {
            Screen screen;
            ASSERT_TRUE(StartScreen(&screen, 4, 2));
            Feed(screen, c.bytes.substr(0, split));
            Feed(screen, c.bytes.substr(split));
            EndScreenInput(&screen);
            const std::string where = std::string(c.what) + ", split at " + std::to_string(split);
            EXPECT_EQ(c.rows, Rows(screen)) << where;
            EXPECT_EQ(c.cursor, screen.cursor) << where;
            EXPECT_EQ(c.events, Events(screen)) << where;
            EXPECT_EQ(c.bytes.size(), screen.bytesFed) << where;
        }
    }
}

TEST(Screen, UnfinishedInputIsNamedAtTheEnd)
{
    const struct { std::string bytes, events; } cases[] = {
        {"\x1B", "unfinished escape 1B"},
        {"\x1B\x13", "unfinished cursor command 1B 13"},
        {"\x1B\x02\x1B\x05\x1B", "closing, escape 1B 05, unfinished escape 1B"},
        {POWER_RESUME.substr(0, 11), "closing, escape 1B 05, escape 1B 08, escape 1B 0C, "
                                     "escape 1B 0E, unfinished escape 1B"},
    };
    for (const auto &c : cases) {
        Screen screen;
        ASSERT_TRUE(StartScreen(&screen, 20, 2));
        Feed(screen, c.bytes);
        EndScreenInput(&screen);
        EXPECT_EQ(c.events, Events(screen));
        Feed(screen, "ok");  // and the stream goes on as text
        EXPECT_EQ("ok", Rows(screen).substr(0, 2));
    }
}

TEST(Screen, SizesOutsideTheLimitsAreRefused)
{
    Screen screen;
    EXPECT_FALSE(StartScreen(&screen, 0, 2));
    EXPECT_FALSE(StartScreen(&screen, 20, 0));
    EXPECT_FALSE(StartScreen(&screen, SCREEN_MAX_COLUMNS + 1, 1));
    EXPECT_FALSE(StartScreen(&screen, 1, SCREEN_MAX_ROWS + 1));
    ASSERT_TRUE(StartScreen(&screen, SCREEN_MAX_COLUMNS, SCREEN_MAX_ROWS));
    // Every address byte lands on the largest screen.
    for (int cell = 0; cell < 256; cell++) {
        const unsigned char command[] = {0x1B, 0x13, (unsigned char)cell, 'x'};
        FeedScreen(&screen, command, sizeof command);
        EXPECT_EQ((cell + 1) % (SCREEN_MAX_COLUMNS * SCREEN_MAX_ROWS), screen.cursor);
    }
}

TEST(Screen, OnlyTheLatestEventsAreKept)
{
    Screen screen;
    ASSERT_TRUE(StartScreen(&screen, 20, 2));
    for (int i = 0; i < SCREEN_EVENTS_KEPT + 3; i++)
        Feed(screen, "\x1B" + std::string(1, (char)('A' + i)));
    EXPECT_EQ(nullptr, ScreenEvent(&screen, 2));
    EXPECT_STREQ("escape 1B 44", ScreenEvent(&screen, 3));
    EXPECT_STREQ("escape 1B 4B", ScreenEvent(&screen, SCREEN_EVENTS_KEPT + 2));
    EXPECT_EQ(nullptr, ScreenEvent(&screen, SCREEN_EVENTS_KEPT + 3));
}

// The box and the status line show in the end-to-end and demo runs; the
// trace's cut does not.
TEST(ScreenRender, TraceKeepsWhatItCan)
{
    char text[512] = "";
    std::vector<unsigned char> bytes(18);
    for (size_t i = 0; i < bytes.size(); i++)
        bytes[i] = (unsigned char)(0xF0 + i);
    FILE *out = fmemopen(text, sizeof text, "w");
    WriteHexTrace(out, bytes.data(), bytes.size(), 20);
    fclose(out);
    EXPECT_STREQ("00000000  F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF\n"
                 "00000010  00 01\n"
                 "(2 more bytes received and not kept)\n",
                 text);
}

// The shared options and a program's own, as the Linux program has them.
TEST(DisplayOptions, SharedAndOwnOptionsAreRead)
{
    const struct {
        std::vector<const char *> arguments;
        bool onTerminal;
        std::string refusal;  // the first line on standard error, "" when read
        int columns, rows;
        Drawing drawing;
        std::string link, trace;
    } cases[] = {
        {{}, true, "", 20, 2, DRAW_LIVE, "", ""},
        {{}, false, "", 20, 2, DRAW_FRAMES, "", ""},
        {{"--frames"}, true, "", 20, 2, DRAW_FRAMES, "", ""},
        {{"--size", "80x25", "--quiet", "--link", "L", "--save-trace", "-"}, true, "", 80, 25,
         DRAW_NONE, "L", "-"},
        // Refused: the rest of a case does not count.
        {{"--size", "0x2"}, true, "virtual_display: bad size '0x2'", 0, 0, DRAW_NONE, "", ""},
        {{"--size", "81x2"}, true, "virtual_display: bad size '81x2'", 0, 0, DRAW_NONE, "", ""},
        {{"--frames", "--save-screen"}, true,
         "virtual_display: a value is missing after '--save-screen'", 0, 0, DRAW_NONE, "", ""},
        {{"--port", "COM4"}, true, "virtual_display: unknown option '--port'", 0, 0, DRAW_NONE, "", ""},
    };
    for (const auto &c : cases) {
        const char *link = nullptr;
        const LineOption own[] = {{"--link", &link}};
        const OwnOptions ownOptions = {"[--link PATH]", nullptr, own, 1};
        std::vector<char *> argv = {const_cast<char *>("virtual_display")};
        for (const char *argument : c.arguments)
            argv.push_back(const_cast<char *>(argument));
        DisplayOptions options = {};
        testing::internal::CaptureStderr();
        bool read = ReadDisplayOptions((int)argv.size(), argv.data(), &ownOptions, c.onTerminal,
                                       &options);
        const std::string err = testing::internal::GetCapturedStderr();
        const std::string where = std::to_string(c.arguments.size()) + " arguments, " +
                                  (c.arguments.empty() ? "none" : c.arguments[0]);
        EXPECT_EQ(c.refusal.empty(), read) << where;
        EXPECT_EQ(c.refusal, err.substr(0, err.find('\n'))) << where;
        if (!read)
            continue;
        EXPECT_EQ(c.columns, options.columns) << where;
        EXPECT_EQ(c.rows, options.rows) << where;
        EXPECT_EQ(c.drawing, options.drawing) << where;
        EXPECT_EQ(c.link, link ? link : "") << where;
        EXPECT_EQ(c.trace, options.traceFile ? options.traceFile : "") << where;
    }
}

}  // namespace
