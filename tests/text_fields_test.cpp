// Numbers and escaped texts as the tools read and print them.
#include "tools/common/text_fields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Bad escapes and zero bytes: the command table (console_commands_test).
TEST(UnescapeText, LongerThanTheBufferIsRefused)
{
    char out[9], error[128] = "";
    EXPECT_FALSE(UnescapeText("123456789", out, sizeof out, error, sizeof error));
    EXPECT_NE(nullptr, strstr(error, "text longer than 8 bytes")) << error;
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
