// The runner of scenario files: a host's run written as data, a line each.
//   init 20 2 {LINE}Log    a call in the host console's command language
//     ok=1 "{NAME}"        indented: the latest answer as the console prints
//                          it, read from the module again now
//   line TEXT              exactly these bytes (\xNN escapes) arrived since
//                          the last check; none when TEXT is empty
//   log TEXT               the log's next entry; the whole log is compared
//                          at the end, and at "logged"
//   took MS                the latest call took MS ms (its timeouts)
//   keep MS CALL           makes the call again and again for MS ms
//   pull, plug, plug not-a-port, hold, flow
//                          the line's adapter pulled, plugged, its name taken
//                          by what is no port; its far end stops reading, or
//                          reads again and takes the backlog
//   fill ENTRY             255-byte texts into the held line until it has
//                          backed up, each logged, ENTRY after the cut write
//   discards N             the port's held output was discarded N times
//   await_reconnect        waits out the module's second between set-ups
//   load NAME              loads a copy of the module named NAME
//   only PLATFORM: WHY     the rest is for that platform alone
// "#" starts a comment. common.defs and the platform's defs file come
// first: "define NAME VALUE" for {NAME} in later lines, "block NAME" to
// "end" for lines that "@NAME" runs. Built in: {NAME}, {VERSION},
// {POWER_RESUME}, {CLOSING}, {CURSOR}, {PORT} (the module's end of the
// line) and {LINE} ({PORT},9600,8,N,1). The module loads at the first call.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "line_spy.h"
#include "harness.h"
#include "line.h"
#include "test_platform.h"
#include "../../tools/common/text_fields.h"
#include "../../tools/host_console/console_commands.h"

enum {
    TEXT_SIZE = 65536,           // the definitions, and the scenario
    DEFINITIONS_MAX = 64,
    EXPANDED_SIZE = 2048,        // a line with its {NAME}s replaced
    ENTRIES_MAX = 2100,          // log entries: a held line's hundreds of writes
    ENTRY_SPACE = 1 << 18,
    TOOK_EARLY_MS = 15,          // how far a call's time may fall short of its figure
    TOOK_LATE_MS = 40,           // or pass it
    RECONNECT_WAIT_MS = 1200,    // past the module's second between set-up tries
    FILL_WRITES_MAX = 2000,
};

struct Definition {
    const char *name;
    size_t nameLength;
    const char *value;  // a define's value, or a block's first line
    size_t length;      // to the end of its line, or to the block's "end"
    bool block;
};

static struct {
    char text[TEXT_SIZE];
    size_t used;
    Definition definitions[DEFINITIONS_MAX];
    size_t count;
    char builtIn[7][128];
    const char *file;
    bool stopped;  // a line the runner cannot read, or a platform the scenario is not for
    DriverApi api;
    char logPath[1024];
    // The latest answer: Init's text and ok flag, another text, or Status.
    enum { NONE, INIT, TEXT, STATUS } answerKind;
    const char *answerText;
    unsigned char ok;
    int status;
    unsigned long tookMs;
    unsigned long long movedTaken;  // bytes the port took that the checks have seen
    const char *entries[ENTRIES_MAX];
    size_t entryCount;
    char entrySpace[ENTRY_SPACE];
    size_t entryUsed;
} run;

static void Stop(const char *line, const char *why)
{
    char what[EXPANDED_SIZE + 128];
    snprintf(what, sizeof what, "%s: \"%.1000s\": %s", run.file, line, why);
    CheckTrue(false, what);
    run.stopped = true;
}

static void Define(const char *name, size_t nameLength, const char *value, size_t length, bool block)
{
    if (run.count == DEFINITIONS_MAX)
        return Stop(name, "too many definitions");
    run.definitions[run.count++] = {name, nameLength, value, length, block};
}

static const Definition *Find(const char *name, size_t length, bool block)
{
    for (size_t i = run.count; i-- > 0;) {
        const Definition *definition = &run.definitions[i];
        if (definition->block == block && definition->nameLength == length &&
            strncmp(definition->name, name, length) == 0)
            return definition;
    }
    return NULL;
}

// Replaces each {NAME} in line by its value.
static bool Expand(const char *line, size_t length, char (&out)[EXPANDED_SIZE])
{
    size_t used = 0;
    for (size_t i = 0; i < length;) {
        const char *close = line[i] == '{' ? (const char *)memchr(line + i, '}', length - i) : NULL;
        const Definition *definition = close ? Find(line + i + 1, close - line - i - 1, false) : NULL;
        const char *piece = definition ? definition->value : line + i;
        size_t pieceLength = definition ? definition->length : 1;
        if ((close && !definition) || used + pieceLength >= sizeof out) {
            Stop(line, close && !definition ? "an unknown {NAME}" : "longer than a line may be");
            return false;
        }
        memcpy(out + used, piece, pieceLength);
        used += pieceLength;
        i = definition ? (size_t)(close - line) + 1 : i + 1;
    }
    out[used] = '\0';
    return true;
}

// Decodes a directive's TEXT; with length, zero bytes are taken too.
static bool Decode(const char *text, char *out, size_t size, size_t *length = NULL)
{
    char error[128];
    if (UnescapeText(text, out, size, error, sizeof error, length))
        return true;
    Stop(text, error);
    return false;
}

static void AddEntry(const char *entry)
{
    size_t length = strlen(entry) + 1;
    if (run.entryCount == ENTRIES_MAX || run.entryUsed + length > sizeof run.entrySpace)
        return Stop(entry, "more log entries than the runner holds");
    run.entries[run.entryCount++] = (const char *)memcpy(run.entrySpace + run.entryUsed, entry, length);
    run.entryUsed += length;
}

static bool Load(const char *baseName)
{
    if (run.api.module)
        UnloadDriver(&run.api);
    char path[1024];
    snprintf(path, sizeof path, "%s", driverPath);
    if (baseName) {
        ModuleCopyPath(baseName, path, sizeof path);
        CheckTrue(CopyWholeFile(driverPath, path), "a renamed copy of the module");
    }
    LogPathOf(baseName ? baseName : "KESMARD", run.logPath, sizeof run.logPath);
    DrainLine();
    run.movedTaken = 0;
    return LoadDriver(&run.api, path) && SpyOnModule(run.api.module);
}

static void ExpectLine(const char *text)
{
    static char bytes[EXPANDED_SIZE];
    size_t length = 0;
    if (Decode(text, bytes, sizeof bytes, &length))
        ExpectBytes(bytes, length, "the bytes on the line");
    run.movedTaken = lineSpy.moved;
}

// Lets the far end read again and takes what the port had taken meanwhile.
static void Flow(void)
{
    const unsigned char *bytes;
    ResumeLine();
    ReceiveLine((size_t)(lineSpy.moved - run.movedTaken), &bytes);
    run.movedTaken = lineSpy.moved;
}

// Writes 255-byte texts into the held line until two in a row are cut short
// (the first may be cut while the relay between the line's ends lags), each
// logged, and errorEntry after a cut write that starts a stall.
static void Fill(const char *errorEntry)
{
    static char text[256], entry[256 + 8];
    memset(text, 'p', 255);
    snprintf(entry, sizeof entry, "Write %s", text);
    int writes = 0;
    for (int cutInRow = 0; cutInRow < 2 && writes < FILL_WRITES_MAX; writes++) {
        unsigned long long before = lineSpy.moved;
        run.api.Write(text);
        bool cut = lineSpy.moved - before < 255;
        AddEntry(entry);
        if (cut && cutInRow == 0)
            AddEntry(errorEntry);
        cutInRow = cut ? cutInRow + 1 : 0;
    }
    printf("    the line backed up after %d writes of 255 bytes\n", writes);
    CheckTrue(writes < FILL_WRITES_MAX, "the line backs up");
}

static void ExpectAnswer(const char *expected)
{
    static char answer[ANSWER_SIZE];
    if (run.answerKind == run.STATUS)
        FormatStatusAnswer(run.status, answer, sizeof answer);
    else if (run.answerKind != run.NONE)
        FormatTextAnswer(run.answerText, run.answerKind == run.INIT ? run.ok : -1, answer, sizeof answer);
    else
        return Stop(expected, "no call before gave an answer");
    CheckText(expected, answer, "the answer");
}

static void Call(const char *line)
{
    static Command command;
    char error[256];
    if (!ParseCommand(line, &command, error, sizeof error))
        return Stop(line, error);
    if (!run.api.module && !Load(NULL))
        return Stop(line, "the module does not load");
    const DriverApi *api = &run.api;
    unsigned long start = MillisecondsNow();
    switch (command.kind) {
    case COMMAND_INIT:
        run.ok = 0xAA;  // so that an ok flag left unwritten shows
        run.answerText = api->Init((unsigned char)command.numbers[0], (unsigned char)command.numbers[1],
                                   command.text, &run.ok);
        run.answerKind = run.INIT;
        break;
    case COMMAND_WRITE: api->Write(command.text); break;
    case COMMAND_POS: api->SetPosition((unsigned char)command.numbers[0], (unsigned char)command.numbers[1]); break;
    case COMMAND_RESUME: api->PowerResume(); break;
    case COMMAND_DONE: api->Done(); break;
    case COMMAND_USAGE: run.answerText = api->Usage(), run.answerKind = run.TEXT; break;
    case COMMAND_DEFAULTS: run.answerText = api->DefaultParameters(), run.answerKind = run.TEXT; break;
    case COMMAND_NAME: run.answerText = api->DriverName(), run.answerKind = run.TEXT; break;
    case COMMAND_STATUS: run.status = api->Status(), run.answerKind = run.STATUS; break;
    default: return Stop(line, "not a call a scenario makes");
    }
    run.tookMs = MillisecondsNow() - start;
}

// Whether the line's first word is word; *rest is what follows its blank.
static bool Is(const char *line, const char *word, const char **rest)
{
    size_t length = strlen(word);
    if (strncmp(line, word, length) != 0 || (line[length] && line[length] != ' '))
        return false;
    *rest = line + length + (line[length] == ' ');
    return true;
}

static void RunLines(const char *text, size_t length);

static void RunLine(const char *line)
{
    static char decoded[EXPANDED_SIZE];
    const char *rest;
    if (line[0] == ' ' && line[1] == ' ') {
        ExpectAnswer(line + 2);
    } else if (line[0] == '@') {
        const Definition *block = Find(line + 1, strlen(line + 1), true);
        block ? RunLines(block->value, block->length) : Stop(line, "an unknown block");
    } else if (Is(line, "line", &rest)) {
        ExpectLine(rest);
    } else if (Is(line, "log", &rest)) {
        if (Decode(rest, decoded, sizeof decoded))
            AddEntry(decoded);
    } else if (Is(line, "logged", &rest)) {
        ExpectLog(run.entries, run.entryCount, "the log", run.logPath);
    } else if (Is(line, "took", &rest)) {
        long figure = atol(rest);
        printf("    took %lu ms, its figure %ld ms\n", (unsigned long)run.tookMs, figure);
        CheckTrue((long)run.tookMs >= figure - TOOK_EARLY_MS && (long)run.tookMs <= figure + TOOK_LATE_MS,
                  "the call took its timeouts' time");
    } else if (Is(line, "keep", &rest)) {
        char *call;
        unsigned long limit = strtoul(rest, &call, 10);
        for (unsigned long start = MillisecondsNow(); !run.stopped && MillisecondsNow() - start < limit;)
            Call(call + 1);
    } else if (Is(line, "pull", &rest)) {
        UnplugLine();
    } else if (Is(line, "plug", &rest)) {
        strcmp(rest, "not-a-port") == 0 ? PlugNonPort() : PlugLine();
    } else if (Is(line, "hold", &rest)) {
        PauseLine();
    } else if (Is(line, "flow", &rest)) {
        Flow();
    } else if (Is(line, "fill", &rest)) {
        if (Decode(rest, decoded, sizeof decoded))
            Fill(decoded);
    } else if (Is(line, "discards", &rest)) {
        CheckInt(atol(rest), lineSpy.purges, "the port's output discarded");
    } else if (Is(line, "await_reconnect", &rest)) {
        SleepMs(RECONNECT_WAIT_MS);
    } else if (Is(line, "load", &rest)) {
        Load(rest[0] ? rest : NULL);
    } else {
        Call(line);
    }
}

// Runs the lines of text, keeping its definitions.
static void RunLines(const char *text, size_t length)
{
    const char *end = text + length;
    for (const char *line = text; line < end && !run.stopped;) {
        const char *next = (const char *)memchr(line, '\n', end - line);
        next = next ? next + 1 : end;
        size_t lineLength = strcspn(line, "\r\n");
        if (lineLength > (size_t)(next - line))
            lineLength = next - line;
        const char *rest;
        char expanded[EXPANDED_SIZE];
        if (strspn(line, " \t") >= lineLength || line[0] == '#') {
        } else if (Is(line, "block", &rest)) {
            const char *close = strstr(next, "\nend");
            if (!close)
                return Stop(line, "a block without its end");
            Define(rest, strcspn(rest, "\r\n"), next, close + 1 - next, true);
            next = close + 4;
        } else if (Is(line, "define", &rest)) {
            size_t nameLength = strcspn(rest, " \r\n");
            Define(rest, nameLength, rest + nameLength + 1, line + lineLength - rest - nameLength - 1, false);
        } else if (Is(line, "only", &rest)) {
            if (strncmp(rest, PLATFORM, strlen(PLATFORM)) != 0) {
                printf("    not for this platform: %.*s\n", (int)lineLength, line);
                run.stopped = true;
                return;
            }
        } else if (Expand(line, lineLength, expanded)) {
            RunLine(expanded);
        }
        line = next;
    }
}

// Runs the file at path after the runner's text so far, which keeps it.
static void RunFile(const char *path)
{
    char *text = run.text + run.used;
    long length = ReadWholeFile(path, text, sizeof run.text - run.used);
    if (length < 0)
        return Stop(path, "cannot be read");
    run.used += length + 1;
    RunLines(text, length);
}

void RunScenarioFile(const char *folder, const char *path)
{
    run.used = run.count = run.entryCount = run.entryUsed = 0;
    run.stopped = false;
    run.answerKind = run.NONE;
    run.file = path;
    char line[128];
    snprintf(line, sizeof line, "%s,9600,8,N,1", ModuleEndName());
    const char *const builtIn[][2] = {{"NAME", DRIVER_NAME}, {"VERSION", EXPECTED_VERSION},
                                      {"POWER_RESUME", POWER_RESUME}, {"CLOSING", CLOSING},
                                      {"CURSOR", CURSOR_AT("")}, {"PORT", ModuleEndName()},
                                      {"LINE", line}};
    for (size_t i = 0; i < ARRAY_SIZE(builtIn); i++) {
        EscapeText(builtIn[i][1], run.builtIn[i], sizeof run.builtIn[i]);
        Define(builtIn[i][0], strlen(builtIn[i][0]), run.builtIn[i], strlen(run.builtIn[i]), false);
    }
    char defs[1024];
    const char *const files[] = {"common", PLATFORM};
    for (size_t i = 0; i < ARRAY_SIZE(files); i++) {
        snprintf(defs, sizeof defs, "%s/%s.defs", folder, files[i]);
        RunFile(defs);
    }
    RunFile(path);
    if (run.api.module)
        UnloadDriver(&run.api);
    ResumeLine();  // for the scenarios after
    if (!run.stopped)
        ExpectLog(run.entries, run.entryCount, "the log at the end", run.logPath);
}
