// Fuzzes the building of the driver name, the log path, the log timestamp
// and the log switch test: any module path or base name, any buffer size,
// any time fields.
// Every result must stay inside its buffer, be terminated and match a plain
// reference built with std::string.
#include "driver/driver_texts.h"
#include "fuzz_check.h"
#include "log/log_text.h"
#include "tests/e2e/display_bytes.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>

namespace {

enum { LARGEST_BUFFER = 1100 };

// A buffer of the given size with guard bytes after it.
struct GuardedBuffer {
    char bytes[LARGEST_BUFFER + 8];
    size_t size;

    explicit GuardedBuffer(size_t bufferSize) : size(bufferSize)
    {
        std::memset(bytes, GUARD_BYTE, sizeof bytes);
    }

    // The text written, after checking it stayed in bounds and ends inside.
    std::string Text() const
    {
        for (size_t i = size; i < sizeof bytes; i++)
            FUZZ_EXPECT((unsigned char)bytes[i] == GUARD_BYTE);
        FUZZ_EXPECT(std::memchr(bytes, '\0', size) != nullptr);
        return bytes;
    }
};

// What snprintf leaves of prefix, name and suffix when the name is cut to
// keep prefix and suffix whole.
std::string Around(size_t size, const std::string &prefix, const std::string &name,
                   const std::string &suffix)
{
    long room = (long)size - (long)prefix.size() - (long)suffix.size() - 1;
    std::string whole = prefix + name.substr(0, room > 0 ? room : 0) + suffix;
    return whole.substr(0, size - 1);
}

void CheckBaseName(size_t size, const std::string &path)
{
    GuardedBuffer buffer(size);
    BaseNameFromPath(buffer.bytes, size, path.c_str());
    size_t slash = path.rfind('\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() > 4)
        name.resize(name.size() - 4);
    FUZZ_EXPECT(buffer.Text() == name.substr(0, size - 1));
}

void CheckAroundName(size_t size, const std::string &prefix, const std::string &name,
                     const std::string &suffix)
{
    GuardedBuffer composed(size);
    ComposeAroundName(composed.bytes, size, prefix.c_str(), name.c_str(), suffix.c_str());
    FUZZ_EXPECT(composed.Text() == Around(size, prefix, name, suffix));

    GuardedBuffer driverName(size);
    BuildDriverName(driverName.bytes, size, name.c_str());
    FUZZ_EXPECT(driverName.Text() == Around(size, "", name, " v" EXPECTED_VERSION));

    GuardedBuffer logPath(LOG_PATH_SIZE);
    BuildLogPath(logPath.bytes, LOG_PATH_SIZE, "logs\\", name.c_str());
    FUZZ_EXPECT(logPath.Text() == Around(LOG_PATH_SIZE, "logs\\", name, ".log"));
}

void CheckTimestamp(FuzzedDataProvider &input)
{
    struct tm time = {};
    time.tm_sec = input.ConsumeIntegral<int>();
    time.tm_min = input.ConsumeIntegral<int>();
    time.tm_hour = input.ConsumeIntegral<int>();
    time.tm_mday = input.ConsumeIntegral<int>();
    time.tm_mon = input.ConsumeIntegral<int>();
    time.tm_year = input.ConsumeIntegral<int>();
    GuardedBuffer timestamp(TIMESTAMP_SIZE);
    FormatTimestamp(timestamp.bytes, TIMESTAMP_SIZE, &time);
    std::string text = timestamp.Text();

    bool inRange = time.tm_sec >= 0 && time.tm_sec <= 60 && time.tm_min >= 0 && time.tm_min <= 59 &&
                   time.tm_hour >= 0 && time.tm_hour <= 23 && time.tm_mday >= 1 &&
                   time.tm_mday <= 31 && time.tm_mon >= 0 && time.tm_mon <= 11 &&
                   time.tm_year >= 0 && time.tm_year <= 8000;
    if (inRange) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%02d:%02d:%02d %02d/%02d/%02d", time.tm_hour,
                      time.tm_min, time.tm_sec, time.tm_mday, time.tm_mon + 1,
                      (time.tm_year + 1900) % 100);
        FUZZ_EXPECT(text == expected);
    }
}

void CheckLogSuffix(const std::string &parameters)
{
    bool suffix = parameters.size() >= 4 && parameters.compare(parameters.size() - 3, 3, "Log") == 0;
    FUZZ_EXPECT(HasLogSuffix(parameters.c_str()) == suffix);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    size_t bufferSize = input.ConsumeIntegralInRange<size_t>(1, LARGEST_BUFFER);
    std::string prefix = input.ConsumeRandomLengthString(64);
    std::string suffix = input.ConsumeRandomLengthString(64);
    CheckTimestamp(input);
    // Texts end at their first zero byte, as C strings do.
    std::string name = input.ConsumeRemainingBytesAsString();
    name.resize(std::strlen(name.c_str()));
    prefix.resize(std::strlen(prefix.c_str()));
    suffix.resize(std::strlen(suffix.c_str()));

    CheckBaseName(bufferSize, name);
    CheckAroundName(bufferSize, prefix, name, suffix);
    CheckAroundName(DRIVER_NAME_SIZE, prefix, name, suffix);
    CheckLogSuffix(name);
    CheckLogSuffix(name + "Log");
    return 0;
}
