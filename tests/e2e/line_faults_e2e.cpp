// The group "line": the real module on a faulty serial line. The line
// vanishes and comes back, the far end stops reading, a refused port backs
// up. Each checks that the line carries exactly the bytes expected and what
// the log says; the watchdog sees any call that does not return.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"
#include "process_probe.h"

static const char LOGGED_PARAMETERS[] = "COM3,9600,8,N,1Log";
// The log lines of a set-up on LOGGED_PARAMETERS.
#define LOGGED_SET_UP_LINES \
    "Init Called ", "Init port=COM3, num=3", "Init port=COM3, num=3", "Init COM3,9600,8,0,0"

// A write this slow waited for its timeout: the line has backed up.
enum { BACKED_UP_MS = 1000 };

// What a write on a pty whose far end has gone fails with under Wine, and
// what setting 9 data bits on a pty does.
static const unsigned long LINE_GONE_ERROR = ERROR_NOT_READY;
static const unsigned long REFUSED_SETTINGS_ERROR = ERROR_NOT_SUPPORTED;

static DriverApi api;

// Longer than the module waits after a failed write before it sets the port
// up again by itself, and between such tries (a second).
enum { RECONNECT_WAIT_MS = 1200 };

// A USB serial adapter pulled between calls: every call still returns at
// once, the failed write is logged and the calls after it send nothing
// until the module may try again. Done still tries its closing sequence and
// closes the dead port, and after Done nothing is set up by itself.
static void LineVanishes(void)
{
    ProcessProbe before, after;
    TakeProcessProbe(&before);
    if (!StartDriver(&api, LOGGED_PARAMETERS))
        return;
    api.Write("before");
    ExpectText("before", "a text before the line vanishes");
    if (UnplugLine()) {
        api.Write("lost");
        api.SetPosition(1, 2);
        api.PowerResume();
        CheckText(DRIVER_NAME, api.DriverName(), "DriverName with the line gone");
        api.Done();
    }
    if (PlugLine()) {
        Sleep(RECONNECT_WAIT_MS);
        api.Write("after done");
        api.PowerResume();
        ExpectNothing("after Done, the line's return sets nothing up");
    }
    UnloadDriver(&api);

    char writeError[COMPOSED_TEXT_SIZE], noPort[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(writeError, "Error writing string", LINE_GONE_ERROR, true);
    ExpectedErrorText(noPort, "Error writing string", ERROR_INVALID_HANDLE, true);
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE, LOGGED_SET_UP_LINES,
        "Write before", "Write lost", writeError, "SetPosition x=1, y=2", writeError, "Done Bye",
        "Write after done", noPort, noPort,
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "the failed writes are logged, Done's included");
    TakeProcessProbe(&after);
    CheckInt(before.openHandles, after.openHandles, "no handle left behind, the dead port's included");
}

// Init on a port whose line has gone reads the port's state first: it
// truthfully fails while the line is gone and brings the display back once
// the line has returned, without a write having to fail first.
static void PulledLineThenInit(void)
{
    if (!StartDriver(&api, LOGGED_PARAMETERS))
        return;
    char openError[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(openError, "Serial Port does not exist", ERROR_FILE_NOT_FOUND);
    unsigned char ok = 0xAA;
    if (UnplugLine()) {
        for (int attempt = 0; attempt < 2; attempt++) {
            ok = 0xAA;
            CheckText(openError, api.Init(20, 2, GOOD_PARAMETERS, &ok), "Init with the line gone");
            CheckInt(0, ok, "ok 0 while the port cannot be opened");
        }
    }
    if (PlugLine()) {
        ok = 0xAA;
        CheckText(DRIVER_NAME, api.Init(20, 2, GOOD_PARAMETERS, &ok), "Init once the line is back");
        CheckInt(1, ok, "ok 1 once the line is back");
        ExpectBytes(POWER_RESUME, sizeof POWER_RESUME, "the display is woken on the new line");
        api.Write("back");
        ExpectText("back", "texts reach the display again");
        api.Init(20, 2, GOOD_PARAMETERS, &ok);
        ExpectNothing("a port that answers is not set up again");
        api.Done();
        ExpectBytes(CLOSING, sizeof CLOSING, "Done");
    }
    UnloadDriver(&api);

    char doesNotExist[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(doesNotExist, "Serial Port does not exist", ERROR_FILE_NOT_FOUND, true);
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE, LOGGED_SET_UP_LINES,
        LOGGED_SET_UP_LINES, doesNotExist, LOGGED_SET_UP_LINES, doesNotExist,
        LOGGED_SET_UP_LINES, "Write back", "Done Bye",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "each set-up with the line gone is logged");
}

// Checks that the power-resume sequence arrived, then text: a display set
// up again before the call's own bytes.
static void ExpectWokenThen(const char *text, const char *what)
{
    ExpectedRuns woken = {};
    AddRun(&woken, POWER_RESUME, sizeof POWER_RESUME);
    AddText(&woken, text);
    ExpectRuns(&woken, what);
}

// The lines a try of the module's own to set the port up again logs.
#define RECONNECT_LINES \
    "Reconnect Called ", "Init port=COM3, num=3", "Init port=COM3, num=3", "Init COM3,9600,8,0,0"

// A host that never calls Init again: after a failed write, the module tries
// the set-up of the last Init by itself, at most once a second, and once the
// line is back the display is woken and the call's own bytes follow, on the
// geometry that Init set.
static void WritesBringTheDisplayBack(void)
{
    if (!LoadFreshDriver(&api))
        return;
    unsigned char ok = 0;
    api.Init(40, 4, LOGGED_PARAMETERS, &ok);
    CheckInt(1, ok, "Init on 40 x 4");
    ExpectBytes(POWER_RESUME, sizeof POWER_RESUME, "the power-resume sequence");
    if (UnplugLine()) {
        api.Write("lost");
        api.SetPosition(1, 4);
        Sleep(RECONNECT_WAIT_MS);
        api.Write("gone");
        api.PowerResume();  // between tries: dropped, and no try of its own
        Sleep(RECONNECT_WAIT_MS);
        api.Write("still gone");
    }
    if (PlugLine()) {
        Sleep(RECONNECT_WAIT_MS);
        api.Write("back");
        ExpectWokenThen("back", "the display is woken, then the text follows");
        api.SetPosition(1, 4);
        const unsigned char lastRow[] = CURSOR_COMMAND(0x78);
        ExpectBytes(lastRow, sizeof lastRow, "row 4 of the 40 x 4 geometry");
    }
    DoneAndUnload(&api);

    char writeError[COMPOSED_TEXT_SIZE], doesNotExist[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(writeError, "Error writing string", LINE_GONE_ERROR, true);
    ExpectedErrorText(doesNotExist, "Serial Port does not exist", ERROR_FILE_NOT_FOUND, true);
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE, LOGGED_SET_UP_LINES,
        "Write lost", writeError, "SetPosition x=1, y=4",
        RECONNECT_LINES, doesNotExist, "Write gone",
        RECONNECT_LINES, "Write still gone",
        RECONNECT_LINES, "Write back", "SetPosition x=1, y=4", "Done Bye",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "each try is logged, a series' error once");
}

// Writes 255-byte texts into a paused line until one has to wait for its
// timeout. Returns how many it wrote, or 0, with a failed check, when the
// line never backs up.
static int FillLine(void)
{
    static char text[256];
    memset(text, 'p', 255);
    int writes = 0;
    for (DWORD took = 0; took < BACKED_UP_MS && writes < 1000; writes++) {
        DWORD start = GetTickCount();
        api.Write(text);
        took = GetTickCount() - start;
    }
    printf("    the line backed up after %d writes of 255 bytes\n", writes);
    CheckTrue(writes < 1000, "the line backs up");
    return writes < 1000 ? writes : 0;
}

// Lets the far end read again and discards the backlog, until the line
// has been quiet for a while: on a busy machine the relay may pause.
static void FlowAgain(void)
{
    ResumeLine();
    do
        Sleep(300);
    while (DrainLine() > 0);
}

// The line backs up until a write is cut short by its timeout. That write
// is a failed one: it is logged, the calls right after it send nothing, and
// once the far end reads again the module sets the port up afresh. Done on
// a backed-up line returns too.
static void ShortWriteOnBackedUpLine(void)
{
    if (!StartDriver(&api, LOGGED_PARAMETERS))
        return;
    static const char *entries[1100] = {BANNER_LINE, OPENED_LINE, BANNER_LINE, LOGGED_SET_UP_LINES};
    size_t count = 7;
    static char filled[256 + 8];
    snprintf(filled, sizeof filled, "Write %255.255s", "");
    memset(filled + 6, 'p', 255);
    char timeoutError[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(timeoutError, "Error writing string", ERROR_TIMEOUT, true);
    PauseLine();
    int writes = FillLine();
    if (writes) {
        api.Write("more");
        api.SetPosition(1, 1);
        api.PowerResume();
    }
    for (int i = 0; i < writes; i++)
        entries[count++] = filled;
    const char *const after[] = {timeoutError, "Write more", "SetPosition x=1, y=1"};
    for (size_t i = 0; writes && i < ARRAY_SIZE(after); i++)
        entries[count++] = after[i];
    FlowAgain();
    Sleep(RECONNECT_WAIT_MS);
    api.Write("flowing");
    ExpectWokenThen("flowing", "once the far end reads, the port is set up afresh");
    const char *const reconnected[] = {RECONNECT_LINES, "Write flowing"};
    for (size_t i = 0; i < ARRAY_SIZE(reconnected); i++)
        entries[count++] = reconnected[i];
    ExpectLog(entries, count, "the write cut short is logged as a failure, once");

    unsigned char ok = 0;
    PauseLine();
    if (FillLine()) {
        api.Init(20, 2, GOOD_PARAMETERS, &ok);
        CheckInt(1, ok, "Init on a backed-up line opens the port again");
        api.Done();
    }
    FlowAgain();
    ok = 0;
    api.Init(20, 2, GOOD_PARAMETERS, &ok);
    CheckInt(1, ok, "Init after a Done on a backed-up line");
    ExpectBytes(POWER_RESUME, sizeof POWER_RESUME, "Done closed the port: the set-up ran again");
    DoneAndUnload(&api);
}

// A port that refused its settings stays open: nothing is sent, but it
// takes writes, which give up after their timeouts when the line backs up;
// the next Init closes it and sets up again.
static void RefusedPortBacksUp(void)
{
    if (!LoadFreshDriver(&api))
        return;
    unsigned char ok = 0xAA;
    char refused[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(refused, "Failed to set Serial Port state", REFUSED_SETTINGS_ERROR);
    CheckText(refused, api.Init(20, 2, "COM3,9600,9,N,1", &ok), "the line refuses 9 data bits");
    CheckInt(0, ok, "ok 0 after refused settings");
    ExpectNothing("no power-resume sequence after refused settings");
    PauseLine();
    FillLine();
    FlowAgain();
    api.Write("still open");
    ExpectText("still open", "texts reach the port left open");
    ExpectSetUp(&api, GOOD_PARAMETERS);
    DoneAndUnload(&api);
}

static const Scenario SCENARIOS[] = {
    {"line_vanishes", LineVanishes},
    {"pulled_line_then_init", PulledLineThenInit},
    {"writes_bring_the_display_back", WritesBringTheDisplayBack},
    {"short_write_on_backed_up_line", ShortWriteOnBackedUpLine},
    {"refused_port_backs_up", RefusedPortBacksUp},
};
SCENARIO_GROUP(LINE_GROUP, "line");
