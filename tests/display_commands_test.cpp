// Command bytes sent to the character display.
#include "driver/display_commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Hex(const unsigned char *bytes, size_t count)
{
    std::string text;
    char pair[4];
    for (size_t i = 0; i < count; i++) {
        snprintf(pair, sizeof pair, i ? " %02X" : "%02X", bytes[i]);
        text += pair;
    }
    return text;
}

TEST(CursorPositionCommand, CellAddressTable)
{
    const struct { unsigned char x, y; int columns, rows; unsigned char cell; } cases[] = {
        {1, 1, 20, 2, 0x00}, {20, 1, 20, 2, 0x13}, {1, 2, 20, 2, 0x14}, {20, 2, 20, 2, 0x27},
        {21, 2, 20, 2, 0x14},  // column past the geometry falls back to 1
        {5, 3, 20, 2, 0x04},   // row past the geometry falls back to 1
        {8, 2, 20, 2, 0x1B},   // address equal to ESC is sent raw
        {0, 1, 20, 2, 0xFF}, {1, 0, 20, 2, 0xEC},  // zero wraps to the cell before
        {1, 4, 40, 4, 0x78}, {40, 4, 40, 4, 0x9F},
        {1, 1, 0, 0, 0x00}, {5, 7, 0, 0, 0x00}, {255, 255, 0, 0, 0x00},
        {255, 255, 255, 255, (unsigned char)(254 * 255 + 254)},
    };
    for (const auto &c : cases) {
        unsigned char command[CURSOR_COMMAND_LENGTH] = {0xAA, 0xAA, 0xAA};
        CursorPositionCommand(command, c.x, c.y, c.columns, c.rows);
        const unsigned char expected[] = {0x1B, 0x13, c.cell};
        EXPECT_EQ(Hex(expected, sizeof expected), Hex(command, sizeof command))
            << "x=" << +c.x << " y=" << +c.y << " geometry " << c.columns << "x" << c.rows;
    }
}

}  // namespace
