// The debug log's switch test, file path and timestamp.
#include "log/log_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HasLogSuffix, AtLeastFourCharactersEndingInLog)
{
    const struct { const char *parameters; bool on; } cases[] = {
        {"defaultLog", true}, {"COM3,9600,8,N,1Log", true}, {"xLog", true},
        {"Log", false}, {"", false}, {"COM3,9600,8,N,1log", false},
        {"COM3,9600,8,N,1LOG", false}, {"LogCOM3", false}, {"COM3,9600,8,N,1Log ", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.on, HasLogSuffix(c.parameters)) << "parameters \"" << c.parameters << "\"";
}

TEST(BuildLogPath, FolderNameAndExtensionStayWhole)
{
    char path[LOG_PATH_SIZE + 1];
    path[LOG_PATH_SIZE] = 'G';  // guard byte
    BuildLogPath(path, LOG_PATH_SIZE, "KESMARD");
    EXPECT_STREQ("logs\\KESMARD.log", path);

    const std::string fits(246, 'a'), tooLong(300, 'b');
    BuildLogPath(path, LOG_PATH_SIZE, fits.c_str());
    EXPECT_EQ("logs\\" + fits + ".log", path) << "a 246-character name fits whole";
    BuildLogPath(path, LOG_PATH_SIZE, tooLong.c_str());
    EXPECT_EQ("logs\\" + std::string(246, 'b') + ".log", path) << "a longer name is cut";
    EXPECT_EQ('G', path[LOG_PATH_SIZE]) << "nothing written past the buffer";
}

TEST(FormatTimestamp, DayBeforeMonthTwoDigitYear)
{
    struct tm time = {};
    time.tm_hour = 5, time.tm_min = 6, time.tm_sec = 7;
    time.tm_mday = 8, time.tm_mon = 11, time.tm_year = 126;
    char timestamp[TIMESTAMP_SIZE];
    FormatTimestamp(timestamp, sizeof timestamp, &time);
    EXPECT_STREQ("05:06:07 08/12/26", timestamp);
}

}  // namespace
