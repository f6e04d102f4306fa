// Fuzzes the parameter reader with any bytes, bare, behind the keyword and
// before the "Log" suffix, and compares each reading with a reference that
// states the rules its own way, on the standard library.
#include "fuzz_check.h"
#include "serial/port_settings.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

namespace {

// atoi's reading, held to the 32-bit range.
int Number(const std::string &text)
{
    return (int)std::clamp<long long>(std::strtoll(text.c_str(), nullptr, 10), INT_MIN, INT_MAX);
}

// The reading of a text that is not the keyword, as the log's settings
// line shows it, or the failure text.
std::string Expected(const std::string &parameters, int *portNumber)
{
    // Five comma-separated fields, each held in 79 characters; a field past
    // the end of the text is empty.
    std::istringstream in(parameters);
    std::string fields[5];
    for (std::string &field : fields)
        if (std::getline(in, field, ','))
            field.resize(std::min<size_t>(field.size(), 79));
    // The port field is copied over "COM3"; the number is read from the
    // fourth character of the result.
    char working[80] = "COM3";
    std::memcpy(working, fields[0].c_str(), fields[0].size() + 1);
    *portNumber = Number(working + 3);
    if (fields[2].empty())
        return "Data bits Incorrect?";
    if (fields[3].empty())
        return "Parity Incorrect?";
    // Ports up to 9 open by their field; a higher number takes the device
    // form. Parity by its first letter; stop bits 2 only for 2.
    size_t parity = std::string("NOEMS").find(fields[3][0]);
    return (*portNumber < 10 ? fields[0] : "\\\\.\\COM" + std::to_string(*portNumber)) + "," +
           std::to_string(fields[1].empty() ? 9600 : Number(fields[1])) + "," +
           std::to_string(Number(fields[2])) + "," +
           std::to_string(parity == std::string::npos ? 0 : parity) + "," +
           (Number(fields[4]) == 2 ? "2" : "0");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Texts end at their first zero byte, as they do for the host.
    std::string bytes(reinterpret_cast<const char *>(data), size);
    std::string text = bytes.substr(0, bytes.find('\0'));
    for (const std::string &parameters : {text, "default" + text, text + "Log", "default" + text + "Log"}) {
        PortSettings s;
        PortFieldReading port;
        std::memset(&s, GUARD_BYTE, sizeof s);
        std::memset(&port, GUARD_BYTE, sizeof port);
        const char *failure = ReadPortSettings(parameters.c_str(), &s, &port);
        char got[160];
        std::snprintf(got, sizeof got, "%.80s,%d,%d,%d,%d", s.portPath, s.baudRate, s.dataBits,
                      s.parityCode, s.stopBitsCode);
        bool keyword = parameters.compare(0, 7, "default") == 0;
        int portNumber = 0;
        FUZZ_EXPECT((failure ? failure : got) ==
                    (keyword ? "COM3,9600,8,0,0" : Expected(parameters, &portNumber)));
        FUZZ_EXPECT(port.read == !keyword && (keyword || port.portNumber == portNumber));
    }
    return 0;
}
