// Fuzzes the parameter reader with any bytes, bare, behind the keyword and
// before the "Log" suffix, and compares each reading with a plain reference
// built on the standard library.
#include "fuzz_check.h"
#include "serial/port_settings.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

// strtoll clamped to int: the number every field is expected to read as.
int ReferenceNumber(const std::string &text)
{
    errno = 0;
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return (int)value;
}

// The five fields as the reader keeps them: each cut to its working size.
std::vector<std::string> SplitFields(const std::string &text)
{
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    fields.resize(fields.size() < 5 ? 5 : fields.size());
    for (std::string &field : fields)
        field.resize(field.size() < FIELD_SIZE ? field.size() : FIELD_SIZE - 1);
    return fields;
}

void CheckReading(const std::string &parameters)
{
    PortSettings settings;
    PortFieldReading portField;
    std::memset(&settings, GUARD_BYTE, sizeof settings);
    std::memset(&portField, GUARD_BYTE, sizeof portField);
    const char *failure = ReadPortSettings(parameters.c_str(), &settings, &portField);

    if (parameters.compare(0, 7, "default") == 0) {
        FUZZ_EXPECT(failure == nullptr && !portField.read);
        FUZZ_EXPECT(std::strcmp(settings.portPath, "COM3") == 0 && settings.baudRate == 9600);
        FUZZ_EXPECT(settings.dataBits == 8 && settings.parityCode == 0 && settings.stopBitsCode == 0);
        return;
    }
    FUZZ_EXPECT(portField.read);
    std::vector<std::string> fields = SplitFields(parameters);
    const std::string &port = fields[0];
    FUZZ_EXPECT(std::memchr(portField.field, '\0', FIELD_SIZE) != nullptr);
    FUZZ_EXPECT(port == portField.field);
    // A field shorter than three characters leaves the "3" of "COM3" where
    // the number is read.
    int number = port.size() < 3 ? 3 : ReferenceNumber(port.substr(3));
    FUZZ_EXPECT(number == portField.portNumber);
    FUZZ_EXPECT(std::memchr(settings.portPath, '\0', FIELD_SIZE) != nullptr);
    std::string path = number > 9 ? "\\\\.\\COM" + std::to_string(number) : port;
    FUZZ_EXPECT(path == settings.portPath);

    if (fields[2].empty()) {
        FUZZ_EXPECT(failure && std::strcmp(failure, "Data bits Incorrect?") == 0);
        return;
    }
    if (fields[3].empty()) {
        FUZZ_EXPECT(failure && std::strcmp(failure, "Parity Incorrect?") == 0);
        return;
    }
    FUZZ_EXPECT(failure == nullptr);
    FUZZ_EXPECT(settings.baudRate == (fields[1].empty() ? 9600 : ReferenceNumber(fields[1])));
    FUZZ_EXPECT(settings.dataBits == ReferenceNumber(fields[2]));
    const std::string parityLetters = "NOEMS";
    size_t parity = parityLetters.find(fields[3][0]);
    FUZZ_EXPECT(settings.parityCode == (parity == std::string::npos ? 0 : (int)parity));
    bool twoStopBits = !fields[4].empty() && ReferenceNumber(fields[4]) == 2;
    FUZZ_EXPECT(settings.stopBitsCode == (twoStopBits ? 2 : 0));
}

void CheckField(const std::string &source, char delimiter)
{
    char field[FIELD_SIZE + 8];
    std::memset(field, GUARD_BYTE, sizeof field);
    int length = ReadField(field, source.c_str(), delimiter);
    size_t end = source.find(delimiter);
    std::string whole = source.substr(0, end == std::string::npos ? source.size() : end);
    FUZZ_EXPECT(length == (int)whole.size());
    FUZZ_EXPECT(whole.substr(0, FIELD_SIZE - 1) == field);
    for (size_t i = FIELD_SIZE; i < sizeof field; i++)
        FUZZ_EXPECT((unsigned char)field[i] == GUARD_BYTE);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    char delimiter = input.ConsumeIntegral<char>();
    // Texts end at their first zero byte, as they do for the host.
    std::string bytes = input.ConsumeRemainingBytesAsString();
    std::string text = bytes.substr(0, bytes.find('\0'));

    const std::string variants[] = {text, "default" + text, text + "Log", "default" + text + "Log"};
    for (const std::string &parameters : variants)
        CheckReading(parameters);
    CheckField(text, delimiter);
    FUZZ_EXPECT(ReadNumber(text.c_str()) == ReferenceNumber(text));
    return 0;
}
