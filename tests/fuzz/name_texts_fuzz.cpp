// Fuzzes the texts built from the module's file name (base name, driver
// name, log path) and the log switch test: each result stays inside its
// buffer, is terminated and holds what the rules say, stated afresh.
#include "driver/driver_texts.h"
#include "fuzz_check.h"
#include "log/log_text.h"
#include "tests/e2e/display_bytes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// What build writes into size bytes, once checked: nothing written past
// them, and a terminator inside.
template <typename Build>
std::string Guarded(size_t size, Build build)
{
    char bytes[256 + 8];
    std::memset(bytes, GUARD_BYTE, sizeof bytes);
    build(bytes, size);
    for (size_t i = size; i < sizeof bytes; i++)
        FUZZ_EXPECT((unsigned char)bytes[i] == GUARD_BYTE);
    FUZZ_EXPECT(std::memchr(bytes, '\0', size) != nullptr);
    return bytes;
}

// The whole of prefix, name and suffix when it fits in size - 1 characters;
// otherwise a full buffer that ends in the whole suffix, the rest being a
// beginning of prefix and name.
void ExpectAround(const std::string &text, size_t size, const std::string &prefix,
                  const std::string &name, const std::string &suffix)
{
    std::string whole = prefix + name + suffix;
    size_t body = text.size() - std::min(text.size(), suffix.size());
    FUZZ_EXPECT(whole.size() < size ? text == whole
                                    : text.size() == size - 1 && text.substr(body) == suffix &&
                                          whole.compare(0, body, text, 0, body) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Texts end at their first zero byte, as C strings do.
    std::string bytes(reinterpret_cast<const char *>(data), size);
    std::string path = bytes.substr(0, bytes.find('\0'));
    const char *name = path.c_str();

    // The base name: what follows the last backslash, less its last four
    // characters when it has more.
    std::string base;
    for (char c : path)
        c == '\\' ? base.clear() : base.push_back(c);
    if (base.size() > 4)
        base.resize(base.size() - 4);
    FUZZ_EXPECT(Guarded(256, [&](char *b, size_t n) { BaseNameFromPath(b, n, name); }) ==
                base.substr(0, 255));
    ExpectAround(Guarded(96, [&](char *b, size_t n) { BuildDriverName(b, n, name); }), 96, "", path,
                 " v" EXPECTED_VERSION);
    ExpectAround(Guarded(256, [&](char *b, size_t n) { BuildLogPath(b, n, "logs\\", name); }), 256, "logs\\",
                 path, ".log");

    // The log switch: at least four characters, the last three 'L', 'o', 'g'.
    for (const std::string &parameters : {path, path + "Log"}) {
        size_t n = parameters.size();
        bool on = n >= 4 && parameters[n - 3] == 'L' && parameters[n - 2] == 'o' &&
                  parameters[n - 1] == 'g';
        FUZZ_EXPECT(HasLogSuffix(parameters.c_str()) == on);
    }
    return 0;
}
