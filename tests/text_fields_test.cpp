// Numbers and escaped texts as the tools read and print them.
#include "tools/common/text_fields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(ParseNumber, DigitsWithinTheMaximum)
{
    const struct { const char *text; unsigned long maximum; bool good; unsigned long value; } cases[] = {
        {"0", 255, true, 0},        {"255", 255, true, 255},   {"007", 255, true, 7},
        {"256", 255, false, 0},     {"", 255, false, 0},       {"-1", 255, false, 0},
        {"+1", 255, false, 0},      {"1x", 255, false, 0},     {" 1", 255, false, 0},
        {"7", 5, false, 0},         // a single digit above a small maximum
        {"4294967295", 4294967295UL, true, 4294967295UL},
        {"4294967296", 4294967295UL, false, 0},
        {"99999999999999999999999", 3600000, false, 0},  // no overflow on the way
    };
    for (const auto &c : cases) {
        unsigned long value = 12345;
        EXPECT_EQ(c.good, ParseNumber(c.text, strlen(c.text), c.maximum, &value)) << c.text;
        EXPECT_EQ(c.good ? c.value : 12345, value) << c.text;
    }
}

TEST(UnescapeText, BadEscapesAreRefused)
{
    const struct { const char *text, *message; } cases[] = {
        {"a\\q", "bad escape at character 2"},
        {"\\x4", "bad escape at character 1"},
        {"\\xG0", "bad escape at character 1"},
        {"end\\", "bad escape at character 4"},
        {"ab\\x00", "\\x00 at character 3: a text cannot carry a zero byte"},
        {"123456789", "text longer than 8 bytes"},
    };
    for (const auto &c : cases) {
        char out[9], error[128] = "";
        EXPECT_FALSE(UnescapeText(c.text, out, sizeof out, error, sizeof error)) << c.text;
        EXPECT_NE(nullptr, strstr(error, c.message)) << c.text << " gave: " << error;
    }
}

TEST(EscapeText, ControlBytesVisibleAndReversible)
{
    const char text[] = "Error : File not found.\r\n\x1B\\\xFF";
    char visible[128], back[64], error[64];
    EscapeText(text, visible, sizeof visible);
    EXPECT_STREQ("Error : File not found.\\x0D\\x0A\\x1B\\\\\\xFF", visible);
    ASSERT_TRUE(UnescapeText(visible, back, sizeof back, error, sizeof error));
    EXPECT_STREQ(text, back);

    // A short buffer is cut before an escape that would not fit whole.
    char shortBuffer[7];
    EscapeText("ab\x01\x02", shortBuffer, sizeof shortBuffer);
    EXPECT_STREQ("ab\\x01", shortBuffer);
}

TEST(FormatHex, CutToTheBuffer)
{
    const unsigned char bytes[] = {0x1B, 0x13, 0x14, 0x48, 0x65, 0x00};
    const struct { size_t count, size; const char *hex; } cases[] = {
        {0, 16, ""},
        {3, 16, "1B 13 14"},
        {6, 18, "1B 13 14 48 65 00"},  // exactly fits
        {6, 16, "1B 13 14 48 ..."},    // the whole buffer, " ..." included
        {6, 7, "1B ..."},
        {6, 5, " ..."},
    };
    for (const auto &c : cases) {
        char out[32];
        memset(out, 'Z', sizeof out);
        FormatHex(bytes, c.count, out, c.size);
        EXPECT_STREQ(c.hex, out) << c.count << " bytes into " << c.size;
        EXPECT_EQ('Z', out[c.size]) << "nothing written past the buffer";
    }
}

}  // namespace
