// The group "hostile": a hundred thousand calls of the real module in
// seeded random order with hostile arguments, whose bytes on the line must
// be exactly what a model of the module predicts; and threads calling at once.
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"
#include "test_platform.h"

static DriverApi api;

enum { HOSTILE_CALLS = 100000, HOSTILE_SEED = 0x5EED2026, LONG_TEXT = 4096 };

static const char USAGE[] = "KESMARD usage: COM3,9600,8,N,1";
static const char NO_DATA_BITS[] = "Data bits Incorrect?";

// xorshift32: the same calls on every run, so that a failure can be replayed.
static unsigned randomState;
static unsigned Random(void)
{
    randomState ^= randomState << 13;
    randomState ^= randomState >> 17;
    randomState ^= randomState << 5;
    return randomState;
}

// HostileText's bytes; a port field far past 79 characters: no device;
// and the line's own parameters, by its name (COM3, a pty's path).
static char hostileText[LONG_TEXT + 1], longPort[LONG_TEXT + 1], onLine[128], refusedOnLine[128];
// COM3, which "default" names, and COM12 are the line where the runner maps
// them (Windows); elsewhere their answer is the platform's.
static const bool COM_IS_LINE = !PLATFORM_TEXTS.comNames;
static const char *const COM_NAMES = COM_IS_LINE ? DRIVER_NAME : PLATFORM_TEXTS.comNames;

// Parameter strings with Init's answer when nothing is set up.
static const struct {
    const char *parameters;
    const char *result;  // DRIVER_NAME where it sets up
    bool holdsPort;      // a port stays open: set up, or refused by the line
} PARAMETER_KINDS[] = {
    {onLine, DRIVER_NAME, true},                         {"default", COM_NAMES, COM_IS_LINE},
    {"COM12,9600,8,N,1", COM_NAMES, COM_IS_LINE},        {"defaultLog", COM_NAMES, COM_IS_LINE},
    {refusedOnLine, PLATFORM_TEXTS.refused, true},       {"COM3,9600,,N,1", NO_DATA_BITS, false},
    {"Default", NO_DATA_BITS, false},                    {hostileText, NO_DATA_BITS, false},
    {"COM3,9600,8,,1", "Parity Incorrect?", false},      {"COM200,9600,8,N,1", PLATFORM_TEXTS.noPort, false},
    {longPort, PLATFORM_TEXTS.noPort, false},            {"receipt.txt,9600,8,N,1", PLATFORM_TEXTS.notAPort, false},
};

// What the module should hold, followed from outside through its calls.
static struct {
    bool portOpen;    // a port is held: set up, or left open by a refused set-up
    bool configured;  // set up
    int columns, rows;
    size_t length;   // bytes in modelLine
    int mismatches;  // calls whose result differed from the model
} model = {false, false, 20, 2, 0, 0};
// Every byte the line should carry, in order: 255 a call at most.
static unsigned char modelLine[(HOSTILE_CALLS + 1) * 256];

static void ModelSends(const void *bytes, size_t length)
{
    if (model.portOpen && length > 0) {
        memcpy(modelLine + model.length, bytes, length);
        model.length += length;
    }
}
#define MODEL_SENDS(literal) ModelSends(literal, sizeof literal - 1)

// The cursor's cell counted out as the display lays its cells: row after
// row of model.columns cells from cell 0, in the one byte the command
// carries, so that counting back from the first row or column wraps round.
// A column or row past the display's edge means the first.
static unsigned char ModelCell(unsigned char x, unsigned char y)
{
    unsigned char cell = 0;
    for (int row = 1; row < (y > model.rows ? 1 : y); row++)
        cell += (unsigned char)model.columns;
    if (y == 0)
        cell -= (unsigned char)model.columns;
    return (unsigned char)(cell + (x > model.columns ? 1 : x) - 1);
}

static void HostileCheck(bool ok, int call, const char *what, const char *got)
{
    if (!ok && model.mismatches++ < 5)  // the first few in full
        printf("      call %d: %s (got \"%.60s\")\n", call, what, got ? got : "(null)");
}

static void CheckAnswer(const char *expected, const char *got, int call)
{
    HostileCheck(got && strcmp(got, expected) == 0, call, expected, got);
}

// A text of the kinds a hostile host passes: empty, 255 or 4096 bytes, or
// any length between, with escape bytes and high bytes; or no text at all.
// It holds no comma, so that as parameters it is a port field alone.
static const char *HostileText(void)
{
    static const int LENGTHS[] = {0, 255, LONG_TEXT};
    unsigned kind = Random() % 6;
    if (kind == 0)
        return NULL;
    int length = kind <= 3 ? LENGTHS[kind - 1] : (int)(Random() % (kind == 4 ? 16 : 400)) + 1;
    for (int i = 0; i < length; i++) {
        unsigned byte = Random() % 8 == 0 ? 0x1B : Random() % 255 + 1;
        hostileText[i] = (char)(byte == ',' ? ';' : byte);
    }
    hostileText[length] = '\0';
    return hostileText;
}

// A column, row or geometry byte: the edges and anything else.
static unsigned char HostileByte(int edge)
{
    const unsigned char choices[] = {0, 1, (unsigned char)edge, (unsigned char)(edge + 1), 255,
                                     (unsigned char)Random()};
    return choices[Random() % ARRAY_SIZE(choices)];
}

static void HostileInit(int call)
{
    unsigned char columns = HostileByte(20), rows = HostileByte(2);
    unsigned kind = Random() % ARRAY_SIZE(PARAMETER_KINDS);
    const char *parameters = PARAMETER_KINDS[kind].parameters;
    if (parameters == hostileText)
        parameters = HostileText();
    unsigned char okFlag = 0xAA;
    unsigned char *ok = Random() % 8 == 0 ? NULL : &okFlag;
    const char *result = api.Init(columns, rows, parameters, ok);
    // Once set up, Init only answers with the name.
    const char *expected = model.configured ? DRIVER_NAME : PARAMETER_KINDS[kind].result;
    CheckAnswer(expected, result, call);
    HostileCheck(!ok || okFlag == (expected == DRIVER_NAME), call, "Init's ok flag", result);
    if (model.configured)
        return;
    model.columns = columns;
    model.rows = rows;
    model.portOpen = PARAMETER_KINDS[kind].holdsPort;
    model.configured = expected == DRIVER_NAME;
    if (model.configured)
        MODEL_SENDS(POWER_RESUME);
}

// One call to a random entry point, with what the model expects of it.
static void HostileCall(int call)
{
    unsigned pick = Random() % 100;
    if (pick < 35) {
        const char *text = HostileText();
        api.Write(text);
        size_t length = text ? strlen(text) : 0;
        ModelSends(text, length < 255 ? length : 255);
    } else if (pick < 60) {
        unsigned char x = HostileByte(model.columns), y = HostileByte(model.rows);
        api.SetPosition(x, y);
        char command[] = CURSOR_AT("?");
        command[2] = (char)ModelCell(x, y);
        MODEL_SENDS(command);
    } else if (pick < 68) {
        api.PowerResume();
        MODEL_SENDS(POWER_RESUME);
    } else if (pick < 78) {
        HostileInit(call);
    } else if (pick < 85) {
        api.Done();
        MODEL_SENDS(CLOSING);
        model.portOpen = model.configured = false;
    } else if (pick < 99) {
        CheckAnswer(USAGE, api.Usage(), call);
        CheckAnswer(GOOD_PARAMETERS, api.DefaultParameters(), call);
        CheckAnswer(DRIVER_NAME, api.DriverName(), call);
        int status = model.configured ? DISPLAYDLL_STATUS_READY : DISPLAYDLL_STATUS_NOT_SET_UP;
        HostileCheck(api.Status() == status, call, "Status", model.configured ? "not ready" : "set up");
    } else if (Random() % 100 == 0) {
        // Now and then the host unloads the module, Done or not, and loads
        // it again: the calls that follow come before any Init. Where the
        // unload discards queued output, the line first carries the bytes.
        if (PLATFORM_TEXTS.unloadNote)
            AwaitLine(model.length);
        UnloadDriver(&api);
        LoadDriver(&api, driverPath);
        model.portOpen = model.configured = false;
        model.columns = 20;
        model.rows = 2;
    }
}

// The calls come before Init, after Done and in between; then the line
// must carry what the model predicts, byte for byte.
static void HostileCalls(void)
{
    randomState = HOSTILE_SEED;
    printf("    seed 0x%08X, %d calls\n", HOSTILE_SEED, HOSTILE_CALLS);
    memset(longPort, 'x', LONG_TEXT);
    memcpy(longPort + LONG_TEXT - 11, ",9600,8,N,1", 11);
    snprintf(onLine, sizeof onLine, "%s,9600,8,N,1", ModuleEndName());
    snprintf(refusedOnLine, sizeof refusedOnLine, "%s,9600,9,N,1", ModuleEndName());
    WriteWholeFile("receipt.txt", "Total 12.34\r\n");  // a file a careless host names as its port
    if (!LoadFreshDriver(&api))
        return;
    for (int call = 0; call < HOSTILE_CALLS && api.module; call++)
        HostileCall(call);
    api.Done();
    MODEL_SENDS(CLOSING);
    UnloadDriver(&api);

    const unsigned char *got;
    size_t received = ReceiveLine(model.length, &got), same = 0;
    while (same < model.length && same < received && modelLine[same] == got[same])
        same++;
    printf("    as predicted up to byte %lu of %lu\n", (unsigned long)same, (unsigned long)model.length);
    CheckBytes(modelLine + same, model.length - same, got + same, received - same,
               "the line carries exactly the bytes the model predicts");
    CheckInt(0, model.mismatches, "results that differ from the model");
}

// Threads of a host calling at once: one writes; one places the cursor,
// wakes the display and asks for the texts; one, a settings dialog, closes
// and sets up again; and one only creates and closes files, whose handle
// values a port closed under a writer would pass on.
enum { THREADS_MS = 1500, FILES_MAX = 4000, WRITER = 0, ASKER = 1, SETTINGS = 2, THREADS = 4 };
static int filesMade;
static bool textsCut;

// Each thread calls for THREADS_MS from its start.
static void Caller(void *role)
{
    unsigned char ok;
    char name[32];
    for (unsigned long start = MillisecondsNow(); MillisecondsNow() - start < THREADS_MS;) {
        if (role == (void *)WRITER) {
            api.Write("whole text");
        } else if (role == (void *)ASKER) {
            api.SetPosition(20, 2);
            api.PowerResume();
            textsCut = textsCut || strcmp(api.DriverName(), DRIVER_NAME) || strcmp(api.Usage(), USAGE) ||
                       strcmp(api.DefaultParameters(), GOOD_PARAMETERS);
        } else if (role == (void *)SETTINGS) {
            api.Done();
            api.Init(20, 2, onLine, &ok);
        } else if (filesMade < FILES_MAX) {
            snprintf(name, sizeof name, "file%d.txt", filesMade++);
            WriteWholeFile(name, "");
        }
    }
}

static void ThreadsTakeTurns(void)
{
    snprintf(onLine, sizeof onLine, "%s,9600,8,N,1", ModuleEndName());
    if (!StartDriver(&api, onLine))
        return;
    RunThreads(Caller, THREADS);
    CheckTrue(!textsCut, "the texts stay whole while other threads call");
    api.Done();
    UnloadDriver(&api);
    size_t received = DrainLine();
    int written = 0;
    char name[32], bytes[2];
    for (int i = 0; i < filesMade; i++) {
        snprintf(name, sizeof name, "file%d.txt", i);
        written += ReadWholeFile(name, bytes, sizeof bytes) > 0;
    }
    printf("    %d files made, %lu bytes on the line\n", filesMade, (unsigned long)received);
    CheckInt(0, written, "files the other thread made that hold bytes");
}

static const Scenario SCENARIOS[] = {
    {"hostile_calls", HostileCalls},
    {"threads_take_turns", ThreadsTakeTurns},
};
SCENARIO_GROUP(HOSTILE_GROUP, "hostile");
