// Fuzzes the cursor command with any column, row and geometry, including
// negative and huge geometries no host sends, against the address rule
// worked out in 64-bit arithmetic.
#include "driver/display_commands.h"
#include "fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    unsigned char x = input.ConsumeIntegral<unsigned char>();
    unsigned char y = input.ConsumeIntegral<unsigned char>();
    int columns = input.ConsumeIntegral<int>();
    int rows = input.ConsumeIntegral<int>();

    unsigned char command[CURSOR_COMMAND_LENGTH + 4];
    std::memset(command, GUARD_BYTE, sizeof command);
    CursorPositionCommand(command, x, y, columns, rows);

    long long column = x > columns ? 1 : x;
    long long row = y > rows ? 1 : y;
    long long cell = (row - 1) * columns + (column - 1);
    FUZZ_EXPECT(command[0] == 0x1B && command[1] == 0x13);
    FUZZ_EXPECT(command[2] == (unsigned char)(cell & 0xFF));
    for (size_t i = CURSOR_COMMAND_LENGTH; i < sizeof command; i++)
        FUZZ_EXPECT(command[i] == GUARD_BYTE);
    return 0;
}
