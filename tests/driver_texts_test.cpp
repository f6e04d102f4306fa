// Texts handed to the host and the driver name built from the module file.
#include "driver/driver_texts.h"
#include "tests/e2e/display_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const unsigned char GUARD = 0x5A;  // gtest prints unsigned char in hex

TEST(BaseNameFromPath, StripsFolderAndExtension)
{
    const std::string longName(300, 'n');
    const struct { std::string path, expected; } cases[] = {
        {"C:\\dir\\KESMARD.dll", "KESMARD"}, {"KESMARD.dll", "KESMARD"},
        {"C:\\a\\b\\Other.dll", "Other"}, {"C:\\x\\.dll", ".dll"}, {"C:\\x\\ab", "ab"},
        {"C:\\x\\" + longName + ".dll", longName.substr(0, 255)},
    };
    for (const auto &c : cases) {
        char buffer[256 + 4];
        memset(buffer, GUARD, sizeof buffer);
        BaseNameFromPath(buffer, 256, c.path.c_str());
        EXPECT_EQ(c.expected, std::string(buffer, strnlen(buffer, 256))) << "path " << c.path;
        EXPECT_EQ(GUARD, (unsigned char)buffer[256]) << "byte past the buffer written";
    }
}

TEST(BuildDriverName, VersionAlwaysWhole)
{
    const std::string fits(83, 'f'), tooLong(90, 't');
    const struct { std::string base, expected; } cases[] = {
        {"KESMARD", "KESMARD v" EXPECTED_VERSION},
        {fits, fits + " v" EXPECTED_VERSION},
        {tooLong, tooLong.substr(0, 83) + " v" EXPECTED_VERSION},  // 95 characters
        {"", " v" EXPECTED_VERSION},
    };
    for (const auto &c : cases) {
        char buffer[DRIVER_NAME_SIZE + 4];
        memset(buffer, GUARD, sizeof buffer);
        BuildDriverName(buffer, DRIVER_NAME_SIZE, c.base.c_str());
        EXPECT_EQ(c.expected, std::string(buffer, strnlen(buffer, DRIVER_NAME_SIZE)))
            << "base name of " << c.base.size() << " characters";
        EXPECT_EQ(GUARD, (unsigned char)buffer[DRIVER_NAME_SIZE]) << "byte past the buffer written";
    }
}

TEST(BuildDriverName, TinyBufferStaysInBounds)
{
    char buffer[6];
    memset(buffer, GUARD, sizeof buffer);
    BuildDriverName(buffer, 5, "KESMARD");
    EXPECT_LT(strnlen(buffer, 5), 5u) << "name not terminated inside 5 bytes";
    EXPECT_EQ(GUARD, (unsigned char)buffer[5]) << "guard byte after the buffer overwritten";
}

}  // namespace
