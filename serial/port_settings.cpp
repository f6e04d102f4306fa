// Parameter string reader: "default", or port,baud,data bits,parity,stop bits.
#include "port_settings.h"

#include <limits.h>
#include <stdio.h>
#include <string.h>

static const char DEFAULT_KEYWORD[] = "default";
static const char DATA_BITS_INCORRECT[] = "Data bits Incorrect?";
static const char PARITY_INCORRECT[] = "Parity Incorrect?";

// What the keyword stands for; the same as the default parameter string.
static const PortSettings DEFAULT_SETTINGS = {"COM3", 9600, 8, 0, 0};

// Port numbers above this need the \\.\ device form to be opened.
enum { HIGHEST_PLAIN_PORT = 9 };

int ReadField(char *destination, const char *source, char delimiter)
{
    int length = 0;
    while (source[length] != '\0' && source[length] != delimiter) {
        if (length < FIELD_SIZE - 1)
            destination[length] = source[length];
        length++;
    }
    destination[length < FIELD_SIZE - 1 ? length : FIELD_SIZE - 1] = '\0';
    return length;
}

static bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int ReadNumber(const char *text)
{
    while (IsSpace(*text))
        text++;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        text++;
    // Accumulate the magnitude and stop growing it once it is past the range.
    const long long limit = negative ? -(long long)INT_MIN : INT_MAX;
    long long magnitude = 0;
    for (; *text >= '0' && *text <= '9'; text++) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > limit)
            magnitude = limit;
    }
    return (int)(negative ? -magnitude : magnitude);
}

static int ParityCode(char letter)
{
    switch (letter) {
    case 'O': return 1;
    case 'E': return 2;
    case 'M': return 3;
    case 'S': return 4;
    default: return 0;
    }
}

// Reads the next comma-separated field into field and moves *cursor past it
// and its comma. A field missing because the text ended reads as empty.
static int NextField(char *field, const char **cursor)
{
    int length = ReadField(field, *cursor, ',');
    *cursor += length;
    if (**cursor == ',')
        (*cursor)++;
    return length;
}

const char *ReadPortSettings(const char *parameters, PortSettings *settings,
                             PortFieldReading *portField)
{
    portField->read = strncmp(parameters, DEFAULT_KEYWORD, sizeof DEFAULT_KEYWORD - 1) != 0;
    if (!portField->read) {
        *settings = DEFAULT_SETTINGS;
        return 0;
    }
    const char *cursor = parameters;
    char field[FIELD_SIZE];

    // The port field is copied over "COM3", so a field shorter than three
    // characters leaves that text's digit where the number is read.
    snprintf(portField->field, sizeof portField->field, "COM3");
    NextField(portField->field, &cursor);
    portField->portNumber = ReadNumber(portField->field + 3);
    if (portField->portNumber > HIGHEST_PLAIN_PORT)
        snprintf(settings->portPath, sizeof settings->portPath, "\\\\.\\COM%d",
                 portField->portNumber);
    else
        snprintf(settings->portPath, sizeof settings->portPath, "%s", portField->field);

    settings->baudRate = NextField(field, &cursor) ? ReadNumber(field) : 9600;

    if (!NextField(field, &cursor))
        return DATA_BITS_INCORRECT;
    settings->dataBits = ReadNumber(field);

    if (!NextField(field, &cursor))
        return PARITY_INCORRECT;
    settings->parityCode = ParityCode(field[0]);

    settings->stopBitsCode = NextField(field, &cursor) && ReadNumber(field) == 2 ? 2 : 0;
    return 0;
}

// Bits a character takes on the line: start bit, data bits, parity bit and
// stop bits.
static long long CharacterBits(const PortSettings *settings)
{
    return 1 + (settings->dataBits & 0xFF) + (settings->parityCode != 0 ? 1 : 0) +
           (settings->stopBitsCode == 2 ? 2 : 1);
}

WriteTimeouts WriteTimeoutsFor(const PortSettings *settings)
{
    enum { USUAL_MS_PER_BYTE = 10, CONSTANT_MS = 50 };
    if (settings->baudRate <= 0)
        return {USUAL_MS_PER_BYTE, CONSTANT_MS};  // the port refuses such a speed anyway
    // One and a half character times, rounded up: 3 x bits x 1000 / (2 x baud).
    long long halfCharacters = 2LL * settings->baudRate;
    long long msPerByte = (3 * CharacterBits(settings) * 1000 + halfCharacters - 1) / halfCharacters;
    if (msPerByte < USUAL_MS_PER_BYTE)
        msPerByte = USUAL_MS_PER_BYTE;
    if (msPerByte * LONGEST_RUN + CONSTANT_MS > WRITE_BOUND_MS)
        return {0, WRITE_BOUND_MS};
    return {(unsigned)msPerByte, CONSTANT_MS};
}

unsigned BytesWithinBound(const PortSettings *settings)
{
    if (settings->baudRate <= 0)
        return LONGEST_RUN;
    long long bytes = (long long)WRITE_BOUND_MS * settings->baudRate / (CharacterBits(settings) * 1000);
    return bytes < LONGEST_RUN ? (unsigned)bytes : (unsigned)LONGEST_RUN;
}
