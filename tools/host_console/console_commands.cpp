// Reading the host console's commands.
#include "console_commands.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../common/text_fields.h"
#include "../../serial/port_settings.h"

#include "../common/array_size.h"

// What follows a command's numbers.
enum Rest {
    REST_NONE,        // nothing may follow
    REST_PARAMETERS,  // a text, taken as it stands, that must be there
    REST_TEXT,        // a text with escapes, possibly empty
};

struct CommandSyntax {
    const char *word;
    CommandKind kind;
    const char *numberNames[2];  // null where the command takes fewer numbers
    unsigned long maximum;       // largest value of each number
    Rest rest;
};

static const CommandSyntax COMMANDS[] = {
    {"init", COMMAND_INIT, {"COLUMNS", "ROWS"}, 255, REST_PARAMETERS},
    {"write", COMMAND_WRITE, {0, 0}, 0, REST_TEXT},
    {"pos", COMMAND_POS, {"X", "Y"}, 255, REST_NONE},
    {"resume", COMMAND_RESUME, {0, 0}, 0, REST_NONE},
    {"done", COMMAND_DONE, {0, 0}, 0, REST_NONE},
    {"usage", COMMAND_USAGE, {0, 0}, 0, REST_NONE},
    {"defaults", COMMAND_DEFAULTS, {0, 0}, 0, REST_NONE},
    {"name", COMMAND_NAME, {0, 0}, 0, REST_NONE},
    {"status", COMMAND_STATUS, {0, 0}, 0, REST_NONE},
    {"sleep", COMMAND_SLEEP, {"MS", 0}, 3600000, REST_NONE},
    {"ports", COMMAND_PORTS, {0, 0}, 0, REST_NONE},
};

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

static const char *SkipBlanks(const char *text)
{
    while (IsBlank(*text))
        text++;
    return text;
}

static size_t WordLength(const char *text)
{
    size_t length = 0;
    while (text[length] && !IsBlank(text[length]))
        length++;
    return length;
}

static const CommandSyntax *FindCommand(const char *word, size_t length)
{
    for (size_t i = 0; i < ARRAY_SIZE(COMMANDS); i++)
        if (strlen(COMMANDS[i].word) == length && strncmp(COMMANDS[i].word, word, length) == 0)
            return &COMMANDS[i];
    return 0;
}

// The command's form for messages, such as "init COLUMNS ROWS PARAMETERS".
static void DescribeSyntax(const CommandSyntax *syntax, char *out, size_t size)
{
    static const char *const REST_NAMES[] = {"", " PARAMETERS", " TEXT"};
    snprintf(out, size, "%s%s%s%s%s%s", syntax->word, syntax->numberNames[0] ? " " : "",
             syntax->numberNames[0] ? syntax->numberNames[0] : "", syntax->numberNames[1] ? " " : "",
             syntax->numberNames[1] ? syntax->numberNames[1] : "", REST_NAMES[syntax->rest]);
}

// Reads the numbers and what follows them, from just after the word.
static bool ParseArguments(const CommandSyntax *syntax, const char *arguments, Command *command,
                           char *error, size_t errorSize)
{
    char form[64];
    DescribeSyntax(syntax, form, sizeof form);
    const char *next = arguments;
    for (size_t i = 0; i < ARRAY_SIZE(syntax->numberNames) && syntax->numberNames[i]; i++) {
        next = SkipBlanks(next);
        size_t length = WordLength(next);
        if (length == 0) {
            snprintf(error, errorSize, "%s is missing: use %s", syntax->numberNames[i], form);
            return false;
        }
        if (!ParseNumber(next, length, syntax->maximum, &command->numbers[i])) {
            snprintf(error, errorSize, "bad number '%.*s' for %s: use 0 to %lu", (int)length, next,
                     syntax->numberNames[i], syntax->maximum);
            return false;
        }
        next += length;
    }
    switch (syntax->rest) {
    case REST_NONE:
        next = SkipBlanks(next);
        if (*next) {
            snprintf(error, errorSize, "unexpected '%s' after %s", next, form);
            return false;
        }
        return true;
    case REST_PARAMETERS:
        next = SkipBlanks(next);
        if (!*next) {
            snprintf(error, errorSize, "PARAMETERS are missing: use %s, such as %s 20 2 default",
                     form, syntax->word);
            return false;
        }
        snprintf(command->text, sizeof command->text, "%s", next);
        return true;
    case REST_TEXT:
        // One blank separates the word; any further blanks belong to the text.
        if (IsBlank(*next))
            next++;
        return UnescapeText(next, command->text, sizeof command->text, error, errorSize);
    }
    return true;
}

bool ParseCommand(const char *line, Command *command, char *error, size_t errorSize)
{
    memset(command, 0, sizeof *command);
    if (strlen(line) >= COMMAND_LINE_SIZE) {
        snprintf(error, errorSize, "command longer than %d characters", COMMAND_LINE_SIZE - 1);
        return false;
    }
    const char *word = SkipBlanks(line);
    if (*word == '\0' || *word == '#')
        return true;
    size_t length = WordLength(word);
    const CommandSyntax *syntax = FindCommand(word, length);
    if (!syntax) {
        char known[128] = "";
        for (size_t i = 0; i < ARRAY_SIZE(COMMANDS); i++) {
            size_t used = strlen(known);
            snprintf(known + used, sizeof known - used, "%s%s", i ? ", " : "", COMMANDS[i].word);
        }
        snprintf(error, errorSize, "unknown command '%.*s': use one of %s", (int)length, word, known);
        return false;
    }
    command->kind = syntax->kind;
    return ParseArguments(syntax, word + length, command, error, errorSize);
}

void FormatTextAnswer(const char *text, int ok, char *out, size_t size)
{
    static char visible[ANSWER_SIZE];
    char prefix[16] = "";
    if (ok >= 0)
        snprintf(prefix, sizeof prefix, "ok=%d ", ok);
    if (text)
        EscapeText(text, visible, sizeof visible);
    snprintf(out, size, text ? "%s\"%s\"" : "%s(null)", prefix, visible);
}

void FormatStatusAnswer(int status, char *out, size_t size)
{
    static const char *const NAMES[] = {"not set up", "ready", "backed up", "lost"};
    bool known = status >= 0 && status < (int)ARRAY_SIZE(NAMES);
    snprintf(out, size, "%d %s", status, known ? NAMES[status] : "unknown");
}

// Adds a line of length characters to out (used of outSize taken), unless
// it or an earlier line did not fit: a list is cut after a whole line.
static void AppendLine(const char *line, int length, char *out, size_t outSize, size_t *used,
                       bool *full)
{
    *full = *full || *used + (size_t)length >= outSize;
    if (!*full) {
        memcpy(out + *used, line, (size_t)length + 1);
        *used += (size_t)length;
    }
}

size_t ListComPorts(const char *names, char *out, size_t outSize)
{
    bool present[COM_PORT_MAXIMUM + 1] = {};
    for (const char *name = names; *name; name += strlen(name) + 1) {
        unsigned long number = 0;
        bool com = (name[0] | 0x20) == 'c' && (name[1] | 0x20) == 'o' && (name[2] | 0x20) == 'm';
        if (com && ParseNumber(name + 3, strlen(name + 3), COM_PORT_MAXIMUM, &number) && number > 0)
            present[number] = true;
    }
    size_t count = 0, used = 0;
    bool full = outSize == 0;
    if (!full)
        out[0] = '\0';
    for (unsigned number = 1; number <= COM_PORT_MAXIMUM; number++) {
        if (!present[number])
            continue;
        count++;
        char line[48];
        int length = snprintf(line, sizeof line, "COM%-5u %sCOM%u\n", number,
                              number > 9 ? "\\\\.\\" : "", number);
        AppendLine(line, length, out, outSize, &used, &full);
    }
    return count;
}

// A device as ListDevicePorts lists it: its name in /dev, and the name of
// its link in /dev/serial/by-id or null.
struct DevicePort {
    const char *name;
    const char *link;
};

// ttyS, ttyUSB or ttyACM and a number.
static bool IsSerialDevice(const char *name)
{
    static const char *const KINDS[] = {"ttyS", "ttyUSB", "ttyACM"};
    for (size_t i = 0; i < ARRAY_SIZE(KINDS); i++) {
        size_t stem = strlen(KINDS[i]);
        unsigned long number = 0;
        if (!strncmp(name, KINDS[i], stem) &&
            ParseNumber(name + stem, strlen(name + stem), ULONG_MAX, &number))
            return true;
    }
    return false;
}

// By the letters before the first digit, then by the number: ttyS2 before
// ttyS10.
static int CompareDevicePorts(const void *left, const void *right)
{
    const char *a = ((const DevicePort *)left)->name;
    const char *b = ((const DevicePort *)right)->name;
    size_t stemA = strcspn(a, "0123456789"), stemB = strcspn(b, "0123456789");
    int order = strncmp(a, b, stemA < stemB ? stemA : stemB);
    if (order == 0)
        order = (stemA > stemB) - (stemA < stemB);
    unsigned long numberA = strtoul(a + stemA, NULL, 10), numberB = strtoul(b + stemB, NULL, 10);
    if (order == 0)
        order = (numberA > numberB) - (numberA < numberB);
    return order ? order : strcmp(a, b);
}

static const char BY_ID[] = "/dev/serial/by-id/";

size_t ListDevicePorts(const char *devices, const char *links, char *out, size_t outSize)
{
    DevicePort ports[DEVICE_PORT_MAXIMUM];
    size_t count = 0;
    for (const char *name = devices; *name; name += strlen(name) + 1) {
        if (IsSerialDevice(name) && count < ARRAY_SIZE(ports))
            ports[count++] = {name, NULL};
    }
    const char *link = links;
    while (*link) {
        const char *target = link + strlen(link) + 1;
        const char *slash = strrchr(target, '/');
        const char *name = slash ? slash + 1 : target;
        size_t i = 0;
        while (i < count && strcmp(ports[i].name, name))
            i++;
        if (i == count && count < ARRAY_SIZE(ports))
            ports[count++] = {name, NULL};
        // A longer path would be cut short by the port field.
        if (i < count && !ports[i].link && sizeof BY_ID - 1 + strlen(link) < FIELD_SIZE)
            ports[i].link = link;
        link = target + strlen(target) + 1;
    }
    qsort(ports, count, sizeof ports[0], CompareDevicePorts);
    size_t used = 0;
    bool full = outSize == 0;
    if (!full)
        out[0] = '\0';
    for (size_t i = 0; i < count; i++) {
        char line[5 + 255 + 1 + 18 + 255 + 2];
        int length = snprintf(line, sizeof line, "/dev/%-11.255s %s%.255s\n", ports[i].name,
                              ports[i].link ? BY_ID : "/dev/",
                              ports[i].link ? ports[i].link : ports[i].name);
        AppendLine(line, length, out, outSize, &used, &full);
    }
    return count;
}
