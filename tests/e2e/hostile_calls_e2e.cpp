// The group "hostile": a hundred thousand calls of the real module in
// seeded random order with hostile arguments. The line must carry exactly
// what a model of the module predicts.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"

static DriverApi api;

enum {
    HOSTILE_CALLS = 100000,
    HOSTILE_SEED = 0x5EED2026,
    LINE_CAPACITY = 16 << 20,  // far more than the calls send
    REPORTED_MISMATCHES = 5,   // of each kind, printed in full
};

// xorshift32: the same calls on every run, so that a failure can be replayed.
static unsigned randomState;

static unsigned Random(void)
{
    randomState ^= randomState << 13;
    randomState ^= randomState >> 17;
    randomState ^= randomState << 5;
    return randomState;
}

static unsigned RandomBelow(unsigned bound)
{
    return Random() % bound;
}

// The entry points with their 8-bit arguments widened to the 32-bit slots
// they travel in, so that a test can dirty the high bytes.
typedef const char *(__stdcall *InitSlots)(unsigned, unsigned, const char *, unsigned char *);
typedef void(__stdcall *SetPositionSlots)(unsigned, unsigned);
typedef void (*AnyFunction)(void);  // casting a function pointer through it is allowed

// A random low byte under random high bytes.
static unsigned DirtySlot(unsigned char value)
{
    return (Random() & 0xFFFFFF00u) | value;
}

// How a parameter string of the table below ends the set-up.
enum SetUpOutcome { SET_UP, REFUSED, NO_DATA_BITS, NO_PARITY, NO_PORT, NOT_A_PORT };

// A file in the scenario's folder that a careless host names as its port.
static const char HOSTILE_FILE[] = "receipt.txt";
static const char HOSTILE_FILE_CONTENT[] = "Total 12.34\r\n";

static const struct {
    const char *parameters;
    SetUpOutcome outcome;
} PARAMETER_KINDS[] = {
    {"COM3,9600,8,N,1", SET_UP},    {"default", SET_UP},
    {"COM12,9600,8,N,1", SET_UP},   {"defaultLog", SET_UP},
    {"COM3,9600,9,N,1", REFUSED},   // the line refuses 9 data bits
    {"COM3,9600,,N,1", NO_DATA_BITS}, {NULL, NO_DATA_BITS},
    {"", NO_DATA_BITS},             {"Default", NO_DATA_BITS},
    {"COM3,9600,8,,1", NO_PARITY},  {"COM200,9600,8,N,1", NO_PORT},
    {"receipt.txt,9600,8,N,1", NOT_A_PORT},
};

// What the module should hold, followed from outside through its calls.
static struct {
    bool portOpen;    // a port is held: configured, or left open by a refused set-up
    bool configured;  // set up, and no write has failed since
    int columns;
    int rows;
    unsigned char *line;  // every byte the line should have carried, in order
    size_t length;
    bool overflowed;      // more was sent than the line buffer holds
} model;

static void ResetModel(void)
{
    model.portOpen = model.configured = false;
    model.columns = 20;
    model.rows = 2;
}

// A run the module sends: it reaches the line while a port is held.
static void ModelSends(const void *bytes, size_t length)
{
    if (!model.portOpen || length == 0)
        return;
    if (model.length + length > LINE_CAPACITY) {
        model.overflowed = true;
        return;
    }
    memcpy(model.line + model.length, bytes, length);
    model.length += length;
}

// The cell the display's cursor command addresses, worked out afresh here:
// out-of-range columns and rows fall back to 1, 0 wraps backwards.
static unsigned char ModelCell(unsigned char x, unsigned char y)
{
    int column = x > model.columns ? 1 : x;
    int row = y > model.rows ? 1 : y;
    return (unsigned char)((row - 1) * model.columns + column - 1);
}

static struct {
    int mismatches;          // calls whose result differed from the model
    unsigned *callStart;     // where each call's bytes start on the line
} hostile;

static void HostileCheck(bool ok, int call, const char *what, const char *got)
{
    if (ok)
        return;
    if (hostile.mismatches++ < REPORTED_MISMATCHES)
        printf("      call %d: %s (got \"%.60s\")\n", call, what, got ? got : "(null)");
}

// A text of the kinds a hostile host passes: empty, 255 or 4096 bytes, or
// any length between, with escape bytes and high bytes; or no text at all.
static const char *HostileText(void)
{
    static char text[4097];
    static const int LENGTHS[] = {0, 255, 4096};
    unsigned kind = RandomBelow(6);
    if (kind == 0)
        return NULL;
    int length = kind <= 3 ? LENGTHS[kind - 1] : (int)RandomBelow(kind == 4 ? 16 : 400) + 1;
    for (int i = 0; i < length; i++)
        text[i] = RandomBelow(8) == 0 ? 0x1B : (char)(RandomBelow(255) + 1);
    text[length] = '\0';
    return text;
}

// A column, row or geometry byte: the edges and anything else.
static unsigned char HostileByte(int edge)
{
    const unsigned char choices[] = {0, 1, (unsigned char)edge, (unsigned char)(edge + 1), 255,
                                     (unsigned char)Random()};
    return choices[RandomBelow(ARRAY_SIZE(choices))];
}

static void HostileInit(int call)
{
    unsigned char columns = HostileByte(20), rows = HostileByte(2);
    unsigned kind = RandomBelow(ARRAY_SIZE(PARAMETER_KINDS) + 2);
    const char *parameters;
    SetUpOutcome outcome;
    static char longParameters[4097];
    if (kind < ARRAY_SIZE(PARAMETER_KINDS)) {
        parameters = PARAMETER_KINDS[kind].parameters;
        outcome = PARAMETER_KINDS[kind].outcome;
    } else if (kind == ARRAY_SIZE(PARAMETER_KINDS)) {
        // A port field far past 79 characters names no device.
        memset(longParameters, 'x', 4096);
        memcpy(longParameters + 4096 - 11, ",9600,8,N,1", 11);
        longParameters[4096] = '\0';
        parameters = longParameters;
        outcome = NO_PORT;
    } else {
        // Any bytes without a comma are a port field with nothing after it.
        for (int i = 0; i < 4096; i++) {
            longParameters[i] = (char)(RandomBelow(255) + 1);
            if (longParameters[i] == ',')
                longParameters[i] = ';';
        }
        longParameters[0] = 'x';  // never the keyword
        longParameters[RandomBelow(4097)] = '\0';
        parameters = longParameters;
        outcome = NO_DATA_BITS;
    }
    unsigned char okFlag = 0xAA;
    unsigned char *ok = RandomBelow(8) == 0 ? NULL : &okFlag;
    const char *result = ((InitSlots)(AnyFunction)api.Init)(DirtySlot(columns), DirtySlot(rows),
                                                           parameters, ok);
    if (model.configured) {
        HostileCheck(result && strcmp(result, DRIVER_NAME) == 0, call, "Init when set up", result);
        HostileCheck(!ok || okFlag == 1, call, "ok 1 when set up", result);
        return;
    }
    model.portOpen = false;
    model.columns = columns;
    model.rows = rows;
    char expected[256];
    switch (outcome) {
    case SET_UP: snprintf(expected, sizeof expected, "%s", DRIVER_NAME); break;
    case REFUSED: snprintf(expected, sizeof expected, "Failed to set Serial Port state : "); break;
    case NOT_A_PORT: snprintf(expected, sizeof expected, "Failed to get Serial Port state : "); break;
    case NO_DATA_BITS: snprintf(expected, sizeof expected, "Data bits Incorrect?"); break;
    case NO_PARITY: snprintf(expected, sizeof expected, "Parity Incorrect?"); break;
    case NO_PORT: snprintf(expected, sizeof expected, "Serial Port does not exist : File not found.\r\n"); break;
    }
    // The refused set-ups' texts end in a system text this test cannot know.
    bool prefixOnly = outcome == REFUSED || outcome == NOT_A_PORT;
    bool textOk = result && (prefixOnly ? strncmp(result, expected, strlen(expected)) == 0
                                                : strcmp(result, expected) == 0);
    HostileCheck(textOk, call, expected, result);
    HostileCheck(!ok || okFlag == (outcome == SET_UP), call, "ok flag of a set-up", result);
    model.portOpen = outcome == SET_UP || outcome == REFUSED;
    model.configured = outcome == SET_UP;
    if (outcome == SET_UP)
        ModelSends(POWER_RESUME, sizeof POWER_RESUME - 1);
}

// Compares what the line carried with the model; the first difference
// names the call whose bytes hold it.
static void CompareLine(void)
{
    const unsigned char *got;
    size_t expected = model.length;
    size_t received = ReceiveLine(expected, &got), same = 0;
    while (same < expected && same < received && model.line[same] == got[same])
        same++;
    if (same < expected || same < received) {
        size_t offset = same;
        int call = 0;
        while (call + 1 < HOSTILE_CALLS && hostile.callStart[call + 1] <= offset)
            call++;
        printf("      the line first differs at byte %lu, in the bytes of call %d\n",
               (unsigned long)offset, call);
        CheckBytes(model.line + offset, expected - same, got + same, received - same,
                   "the line carries exactly the bytes the model predicts");
    }
}

// One call to a random entry point, with what the model expects of it.
static void HostileCall(int call)
{
    hostile.callStart[call] = (unsigned)model.length;
    unsigned pick = RandomBelow(100);
    if (pick < 35) {
        const char *text = HostileText();
        api.Write(text);
        size_t length = text ? strlen(text) : 0;
        ModelSends(text, length < 255 ? length : 255);
    } else if (pick < 60) {
        unsigned char x = HostileByte(model.columns), y = HostileByte(model.rows);
        ((SetPositionSlots)(AnyFunction)api.SetPosition)(DirtySlot(x), DirtySlot(y));
        const unsigned char cell = ModelCell(x, y);
        ModelSends(CURSOR_AT(""), 2);  // the command's two bytes, then the cell
        ModelSends(&cell, 1);
    } else if (pick < 68) {
        api.PowerResume();
        ModelSends(POWER_RESUME, sizeof POWER_RESUME - 1);
    } else if (pick < 78) {
        HostileInit(call);
    } else if (pick < 85) {
        api.Done();
        ModelSends(CLOSING, sizeof CLOSING - 1);
        model.portOpen = model.configured = false;
    } else if (pick < 90) {
        const char *usage = api.Usage();
        HostileCheck(usage && strcmp(usage, "KESMARD usage: COM3,9600,8,N,1") == 0, call, "Usage", usage);
    } else if (pick < 95) {
        const char *defaults = api.DefaultParameters();
        HostileCheck(defaults && strcmp(defaults, GOOD_PARAMETERS) == 0, call, "DefaultParameters", defaults);
    } else if (pick < 99) {
        const char *name = api.DriverName();
        HostileCheck(name && strcmp(name, DRIVER_NAME) == 0, call, "DriverName", name);
        int status = api.Status();
        HostileCheck(status == (model.configured ? DISPLAYDLL_STATUS_READY : DISPLAYDLL_STATUS_NOT_SET_UP),
                     call, "Status", model.configured ? "not ready" : "set up");
    } else if (RandomBelow(100) == 0) {
        // Now and then the host unloads the module, Done or not, and loads
        // it again: the calls that follow come before any Init.
        UnloadDriver(&api);
        LoadDriver(&api, driverPath);
        ResetModel();
    } else {
        api.Write(NULL);
    }
}

// A hundred thousand calls in random order with hostile arguments, before
// Init, after Done and in between. The line must carry what the model
// predicts, byte for byte.
static void HostileCalls(void)
{
    static unsigned char expectedLine[LINE_CAPACITY];
    static unsigned callStart[HOSTILE_CALLS];
    model.line = expectedLine;
    model.length = 0;
    model.overflowed = false;
    hostile.mismatches = 0;
    hostile.callStart = callStart;
    randomState = HOSTILE_SEED;
    printf("    seed 0x%08X, %d calls\n", HOSTILE_SEED, HOSTILE_CALLS);

    WriteWholeFile(HOSTILE_FILE, HOSTILE_FILE_CONTENT);
    if (!LoadFreshDriver(&api))
        return;
    ResetModel();
    for (int call = 0; call < HOSTILE_CALLS && api.module; call++)
        HostileCall(call);
    api.Done();
    ModelSends(CLOSING, sizeof CLOSING - 1);
    UnloadDriver(&api);
    CompareLine();
    char content[64];
    ReadWholeFile(HOSTILE_FILE, content, sizeof content);
    CheckText(HOSTILE_FILE_CONTENT, content, "the file named as a port is unchanged");

    CheckInt(0, hostile.mismatches, "results that differ from the model");
    CheckTrue(!model.overflowed, "the calls stayed within the line buffer");
}

// Threads of a host calling at once: one writes, one places the cursor and
// wakes the display, one closes and sets up again (a settings dialog), one
// asks for the texts, while another only creates and closes files.
enum { THREADS_MS = 1500, FILES_MAX = 4000 };
static volatile LONG threadsRunning;
static const char THREAD_TEXT[] = "whole text";

static DWORD WINAPI Writer(void *)
{
    while (threadsRunning)
        api.Write(THREAD_TEXT);
    return 0;
}

static DWORD WINAPI Positioner(void *)
{
    while (threadsRunning) {
        api.SetPosition(20, 2);
        api.PowerResume();
    }
    return 0;
}

static DWORD WINAPI Restarter(void *)
{
    while (threadsRunning) {
        unsigned char ok;
        api.Done();
        api.Init(20, 2, GOOD_PARAMETERS, &ok);
    }
    return 0;
}

static DWORD WINAPI Asker(void *)
{
    while (threadsRunning) {
        bool named = strcmp(api.DriverName(), DRIVER_NAME) == 0 &&
                     strcmp(api.Usage(), "KESMARD usage: COM3,9600,8,N,1") == 0 &&
                     strcmp(api.DefaultParameters(), "COM3,9600,8,N,1") == 0;
        if (!named)
            InterlockedExchange(&threadsRunning, 0);  // shown by the check below
    }
    return 0;
}

static int filesMade;
static DWORD WINAPI FileMaker(void *)
{
    char name[32];
    for (; threadsRunning && filesMade < FILES_MAX; filesMade++) {
        snprintf(name, sizeof name, "file%d.txt", filesMade);
        HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    return 0;
}

// The length of the whole run at line[at], or 0 when none starts there.
static size_t WholeRunAt(const unsigned char *line, size_t left)
{
    static const char *const runs[] = {POWER_RESUME, CLOSING, CURSOR_AT("\x27"), THREAD_TEXT};
    for (size_t i = 0; i < ARRAY_SIZE(runs); i++) {
        size_t length = strlen(runs[i]);
        if (length <= left && memcmp(line, runs[i], length) == 0)
            return length;
    }
    return 0;
}

static void ThreadsTakeTurns(void)
{
    if (!StartDriver(&api, GOOD_PARAMETERS))
        return;
    threadsRunning = 1;
    LPTHREAD_START_ROUTINE bodies[] = {Writer, Positioner, Restarter, Asker, FileMaker};
    HANDLE threads[ARRAY_SIZE(bodies)];
    for (size_t i = 0; i < ARRAY_SIZE(bodies); i++)
        threads[i] = CreateThread(NULL, 0, bodies[i], NULL, 0, NULL);
    DWORD asked = WaitForSingleObject(threads[3], THREADS_MS);
    CheckTrue(asked == WAIT_TIMEOUT, "the texts stay whole while other threads call");
    InterlockedExchange(&threadsRunning, 0);
    WaitForMultipleObjects(ARRAY_SIZE(threads), threads, TRUE, INFINITE);
    for (size_t i = 0; i < ARRAY_SIZE(threads); i++)
        CloseHandle(threads[i]);
    api.Done();
    UnloadDriver(&api);
    const unsigned char *line;
    size_t received = ReceiveLine(0, &line);

    int written = 0;
    char name[32];
    for (int i = 0; i < filesMade; i++) {
        snprintf(name, sizeof name, "file%d.txt", i);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(name, GetFileExInfoStandard, &data) && data.nFileSizeLow > 0)
            written++;
    }
    printf("    %d files made, %lu bytes on the line\n", filesMade, (unsigned long)received);
    CheckInt(0, written, "files the other thread made that hold bytes");
    size_t at = 0;
    for (size_t run; at < received && (run = WholeRunAt(line + at, received - at)) > 0;)
        at += run;
    if (at < received) {
        char where[64];
        snprintf(where, sizeof where, "the line holds whole runs only (stray byte at %lu)", (unsigned long)at);
        CheckBytes(line + at, 0, line + at, received - at < 16 ? received - at : 16, where);
    }
}

static const Scenario SCENARIOS[] = {
    {"hostile_calls", HostileCalls},
    {"threads_take_turns", ThreadsTakeTurns},
};
SCENARIO_GROUP(HOSTILE_GROUP, "hostile");
