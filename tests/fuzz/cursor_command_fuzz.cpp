// Fuzzes the cursor command with any column, row and geometry, negative and
// huge ones too. The address is worked out modulo 256, where it lives: the
// column's offset in its row plus a row of columns cells for each row above.
#include "driver/display_commands.h"
#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    uint8_t x = input.ConsumeIntegral<uint8_t>();
    uint8_t y = input.ConsumeIntegral<uint8_t>();
    int columns = input.ConsumeIntegral<int>();
    int rows = input.ConsumeIntegral<int>();

    uint8_t command[3 + 4];
    std::memset(command, GUARD_BYTE, sizeof command);
    CursorPositionCommand(command, x, y, columns, rows);

    // A column or row the display has (its last included) is kept, any other
    // is its first. Offsets count from 0, so 0 stands one before: 255.
    uint8_t columnOffset = uint8_t((x <= columns ? x : 1) + 255);
    uint8_t rowOffset = uint8_t((y <= rows ? y : 1) + 255);
    uint8_t cell = uint8_t(columnOffset + rowOffset * uint8_t(columns));
    FUZZ_EXPECT(command[0] == 0x1B && command[1] == 0x13 && command[2] == cell);
    for (size_t i = 3; i < sizeof command; i++)
        FUZZ_EXPECT(command[i] == GUARD_BYTE);
    return 0;
}
