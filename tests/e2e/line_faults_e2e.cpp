// The group "line": the real module on a faulty serial line. The line
// vanishes and comes back, the far end stops reading, a refused port backs
// up. Each checks that the line carries exactly the bytes expected and what
// the log says; the watchdog sees any call that does not return.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "driver_spy.h"
#include "harness.h"
#include "line.h"
#include "process_probe.h"

static const char LOGGED_PARAMETERS[] = "COM3,9600,8,N,1Log";
// The log lines of a set-up on LOGGED_PARAMETERS.
#define LOGGED_SET_UP_LINES \
    "Init Called ", "Init port=COM3, num=3", "Init port=COM3, num=3", "Init COM3,9600,8,0,0"

// A 255-byte write this slow waited for its timeout (2.6 s at 9600 baud):
// the line has backed up. One that goes out whole may still take a second
// or more while the relay between the line's ends lags.
enum { BACKED_UP_MS = 2500 };

// What Wine answers: a write on a pty whose far end has gone, setting 9
// data bits on a pty, reading the state of a device that is no serial port.
static const unsigned long LINE_GONE_ERROR = ERROR_NOT_READY;
static const unsigned long REFUSED_SETTINGS_ERROR = ERROR_NOT_SUPPORTED;
static const unsigned long NOT_A_PORT_ERROR = ERROR_INVALID_HANDLE;

static DriverApi api;

// Longer than the module waits after a failed write before it sets the port
// up again by itself, and between such tries (a second).
enum { RECONNECT_WAIT_MS = 1200 };

// A USB serial adapter pulled between calls. Init on the held port reads
// its state first: it truthfully fails while the line is gone and wakes the
// display once the line is back, without a write having to fail first.
// A write on the vanished line is logged, and the calls after it return at
// once and send nothing until the module may try again. Done still tries
// its closing sequence and closes the dead port, and after Done nothing is
// set up by itself.
static void LineVanishes(void)
{
    ProcessProbe before, after;
    TakeProcessProbe(&before);
    if (!StartDriver(&api, LOGGED_PARAMETERS))
        return;
    api.Write("before");
    EXPECT_LINE("before", "a text before the line vanishes");
    unsigned char ok = 0xAA;
    char openError[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(openError, "Serial Port does not exist", ERROR_FILE_NOT_FOUND);
    if (UnplugLine()) {
        CheckText(openError, api.Init(20, 2, GOOD_PARAMETERS, &ok), "Init with the line gone");
        CheckInt(0, ok, "ok 0 while the port cannot be opened");
    }
    if (PlugLine()) {
        CheckText(DRIVER_NAME, api.Init(20, 2, GOOD_PARAMETERS, &ok), "Init once the line is back");
        CheckInt(1, ok, "ok 1 once the line is back");
        api.Write("back");
        EXPECT_LINE(POWER_RESUME "back", "the display is woken on the new line, and texts follow");
        api.Init(20, 2, GOOD_PARAMETERS, &ok);
        ExpectNothing("a port that answers is not set up again");
    }
    if (UnplugLine()) {
        api.Write("lost");
        CheckInt(DISPLAYDLL_STATUS_LOST, api.Status(), "Status after a write lost the port");
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

    char doesNotExist[COMPOSED_TEXT_SIZE], writeError[COMPOSED_TEXT_SIZE], noPort[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(doesNotExist, "Serial Port does not exist", ERROR_FILE_NOT_FOUND, true);
    ExpectedErrorText(writeError, "Error writing string", LINE_GONE_ERROR, true);
    ExpectedErrorText(noPort, "Error writing string", ERROR_INVALID_HANDLE, true);
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE, LOGGED_SET_UP_LINES, "Write before",
        LOGGED_SET_UP_LINES, doesNotExist, LOGGED_SET_UP_LINES, "Write back",
        "Write lost", writeError, "SetPosition x=1, y=2", writeError, "Done Bye",
        "Write after done", noPort, noPort,
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "each set-up and failed write is logged, Done's included");
    TakeProcessProbe(&after);
    CheckInt(before.openHandles, after.openHandles, "no handle left behind, the dead port's included");
}

// The lines a try of the module's own to set the port up again logs.
#define RECONNECT_LINES \
    "Reconnect Called ", "Init port=COM3, num=3", "Init port=COM3, num=3", "Init COM3,9600,8,0,0"

// A host that never calls Init again: once Status found the port gone, the
// module tries the set-up of the last Init by itself, at most once a second,
// and once the line is back the display is woken and the call's own bytes
// follow, on the geometry that Init set.
static void WritesBringTheDisplayBack(void)
{
    if (!LoadFreshDriver(&api))
        return;
    unsigned char ok = 0;
    api.Init(40, 4, LOGGED_PARAMETERS, &ok);
    CheckInt(1, ok, "Init on 40 x 4");
    EXPECT_LINE(POWER_RESUME, "the power-resume sequence");
    if (UnplugLine()) {
        CheckInt(DISPLAYDLL_STATUS_LOST, api.Status(), "Status finds the pulled line before a write");
        api.Write("lost");
        api.SetPosition(1, 4);
        Sleep(RECONNECT_WAIT_MS);
        api.Write("gone");
        // Calls for half a second after a try: dropped, with no try of their
        // own (PowerResume logs no line, so a try would show alone).
        for (DWORD start = GetTickCount(); GetTickCount() - start < 500;)
            api.PowerResume();
        Sleep(RECONNECT_WAIT_MS);
        api.Write("still gone");
    }
    // Another cause: COM3 is there again, but no serial port.
    if (PlugNonPort()) {
        Sleep(RECONNECT_WAIT_MS);
        api.Write("not a port");
        Sleep(RECONNECT_WAIT_MS);
        api.Write("still not a port");
    }
    if (PlugLine()) {
        Sleep(RECONNECT_WAIT_MS);
        api.Write("back");
        EXPECT_LINE(POWER_RESUME "back", "the display is woken, then the text follows");
        api.SetPosition(1, 4);
        EXPECT_LINE(CURSOR_AT("\x78"), "row 4 of the 40 x 4 geometry");
        CheckInt(DISPLAYDLL_STATUS_READY, api.Status(), "Status once the display is back");
    }
    DoneAndUnload(&api);

    char doesNotExist[COMPOSED_TEXT_SIZE], notAPort[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(doesNotExist, "Serial Port does not exist", ERROR_FILE_NOT_FOUND, true);
    ExpectedErrorText(notAPort, "Failed to get Serial Port state", NOT_A_PORT_ERROR, true);
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE, LOGGED_SET_UP_LINES,
        "Write lost", "SetPosition x=1, y=4",
        RECONNECT_LINES, doesNotExist, "Write gone",
        RECONNECT_LINES, "Write still gone",
        RECONNECT_LINES, notAPort, "Write not a port",
        RECONNECT_LINES, "Write still not a port",
        RECONNECT_LINES, "Write back", "SetPosition x=1, y=4", "Done Bye",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "each try is logged, a series' error once per cause");
}

// How long a Write of text takes.
static DWORD TimedWrite(const char *text)
{
    DWORD start = GetTickCount();
    api.Write(text);
    return GetTickCount() - start;
}

// The log a scenario expects, entry by entry.
struct ExpectedLog {
    const char *entries[2100];
    size_t count;
};

static void AddEntry(ExpectedLog *log, const char *entry)
{
    if (log && log->count < ARRAY_SIZE(log->entries))
        log->entries[log->count++] = entry;
}

// A text that fills the paused line, and its log entry.
static char fillText[256], fillEntry[256 + 8];

// Writes 255-byte texts into the paused line until the whole line has
// backed up: until two writes in a row are cut short by their timeouts, so
// that the relay between the line's ends, which may lag on a busy machine,
// had the first one's wait to pass on what it still held. Adds to log what
// the module logs: each text, and after the first cut write of a stall its
// error (a stall ends with a write that goes out whole).
static void FillLine(ExpectedLog *log = 0)
{
    memset(fillText, 'p', 255);
    snprintf(fillEntry, sizeof fillEntry, "Write %s", fillText);
    static char timeoutError[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(timeoutError, "Error writing string", ERROR_TIMEOUT, true);
    int writes = 0;
    DWORD took = 0;
    for (bool stalled = false, settled = false; !settled && writes < 2000; writes++) {
        took = TimedWrite(fillText);
        bool cut = took >= BACKED_UP_MS;
        AddEntry(log, fillEntry);
        if (cut && !stalled)
            AddEntry(log, timeoutError);
        settled = cut && (stalled || !log);  // with no log to follow, one is enough
        stalled = cut;
    }
    printf("    the line backed up after %d writes of 255 bytes, the last took %lu ms\n", writes,
           (unsigned long)took);
    CheckTrue(writes < 2000, "the line backs up");
}

static DWORD WINAPI WriteFillText(void *)
{
    api.Write(fillText);
    return 0;
}

// Status, and the two constant texts, which must not wait either.
static DWORD WINAPI AskStatus(void *status)
{
    *(int *)status = api.Status();
    if (strcmp(api.Usage(), "KESMARD usage: COM3,9600,8,N,1") != 0 ||
        strcmp(api.DefaultParameters(), "COM3,9600,8,N,1") != 0)
        *(int *)status = -1;
    return 0;
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

// The line backs up until a write is cut short by its timeout: the line is
// slow or held, not lost. The cut write is logged once per stall, the port
// stays as it is, and once the far end reads the next call's bytes go out
// with no set-up before them. Done on a held line discards what the port
// still holds before it closes.
static void ShortWriteOnBackedUpLine(void)
{
    if (!StartDriver(&api, LOGGED_PARAMETERS) || !SpyOnModule(api.module))
        return;
    static ExpectedLog log = {{BANNER_LINE, OPENED_LINE, BANNER_LINE, LOGGED_SET_UP_LINES}, 7};
    PauseLine();
    FillLine(&log);
    api.Write("more");
    api.SetPosition(1, 1);
    api.PowerResume();
    AddEntry(&log, "Write more");
    AddEntry(&log, "SetPosition x=1, y=1");
    // Status answers while another thread's write is under way, with what
    // the calls before found.
    HoldWrites(true);
    HANDLE writer = CreateThread(NULL, 0, WriteFillText, NULL, 0, NULL);
    WaitForHeldWrite();
    int status = -1;
    HANDLE asker = CreateThread(NULL, 0, AskStatus, &status, 0, NULL);
    CheckInt(WAIT_OBJECT_0, WaitForSingleObject(asker, 5000),
             "Status, Usage and DefaultParameters do not wait for another call");
    CheckInt(DISPLAYDLL_STATUS_BACKED_UP, status, "Status on the held line");
    HoldWrites(false);
    HANDLE threads[] = {writer, asker};
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    CloseHandle(writer);
    CloseHandle(asker);
    AddEntry(&log, fillEntry);
    FlowAgain();
    api.Write("flowing");
    EXPECT_LINE("flowing", "once the far end reads, the text goes out with no set-up");
    AddEntry(&log, "Write flowing");
    CheckInt(DISPLAYDLL_STATUS_READY, api.Status(), "Status once a write went out whole");

    // A second stall is logged again; Init keeps the held port, and Done
    // on the backed-up line discards and returns.
    unsigned char ok = 0;
    PauseLine();
    FillLine(&log);
    api.Init(20, 2, GOOD_PARAMETERS, &ok);
    CheckInt(1, ok, "Init on a backed-up line keeps the held port");
    api.Done();
    CheckInt(1, spy.purges, "Done discards the held output before it closes");
    ok = 0;
    api.Init(20, 2, GOOD_PARAMETERS, &ok);
    CheckInt(1, ok, "Init after Done on the backed-up line sets up again");
    const char *const setUpAgain[] = {"Done Bye", LOGGED_SET_UP_LINES};
    for (size_t i = 0; i < ARRAY_SIZE(setUpAgain); i++)
        AddEntry(&log, setUpAgain[i]);
    FlowAgain();
    ExpectLog(log.entries, log.count, "a write cut short is logged once per stall");
    DoneAndUnload(&api);
}

// A port that refused its settings stays open: nothing is sent, but it
// takes writes, which give up after their timeouts when the line backs up,
// logged once per stall as on a set-up port; the next Init discards what
// the held port holds, closes it and sets up again.
static void RefusedPortBacksUp(void)
{
    if (!LoadFreshDriver(&api) || !SpyOnModule(api.module))
        return;
    unsigned char ok = 0xAA;
    char refused[COMPOSED_TEXT_SIZE], refusedEntry[COMPOSED_TEXT_SIZE];
    ExpectedErrorText(refused, "Failed to set Serial Port state", REFUSED_SETTINGS_ERROR);
    ExpectedErrorText(refusedEntry, "Failed to set Serial Port state", REFUSED_SETTINGS_ERROR, true);
    CheckText(refused, api.Init(20, 2, "COM3,9600,9,N,1Log", &ok), "the line refuses 9 data bits");
    CheckInt(0, ok, "ok 0 after refused settings");
    ExpectNothing("no power-resume sequence after refused settings");
    CheckInt(DISPLAYDLL_STATUS_NOT_SET_UP, api.Status(), "Status after refused settings");
    api.Write("still open");
    EXPECT_LINE("still open", "texts reach the port left open");
    static ExpectedLog log = {{BANNER_LINE, OPENED_LINE, BANNER_LINE, "Init Called ",
                               "Init port=COM3, num=3", "Init port=COM3, num=3", "Init COM3,9600,9,0,0",
                               refusedEntry, "Write still open"}, 9};
    PauseLine();
    FillLine(&log);
    api.Init(20, 2, GOOD_PARAMETERS, &ok);
    CheckInt(1, ok, "the next Init sets up again");
    CheckInt(1, spy.purges, "and discards the held output before it closes the port");
    const char *const setUpAgain[] = {LOGGED_SET_UP_LINES};
    for (size_t i = 0; i < ARRAY_SIZE(setUpAgain); i++)
        AddEntry(&log, setUpAgain[i]);
    FlowAgain();
    ExpectLog(log.entries, log.count, "the refused port's stall is logged once");
    DoneAndUnload(&api);
}

// Each driver's way of ending each event (tests/serial_drivers.h), played
// through the module's import table on a line that flows: a stall keeps
// the port and logs its error once, an empty write between leaving it
// held; a lost port drops the calls until it is set up again; an aborted
// write is cleared and goes out whole. Status follows, and an unload on a
// held line discards what the port holds.
static void DriversEndWritesTheirWay(void)
{
    for (const SerialDriverRow &row : SERIAL_DRIVER_ROWS) {
        printf("    %s, %s\n", row.driver, row.event);
        if (!StartDriver(&api, LOGGED_PARAMETERS) || !SpyOnModule(api.module))
            return;
        PlayDriverEvent(&row);
        api.Write("abcd");
        api.Write("");
        api.Write("efgh");
        PlayDriverEvent(&row);  // a refusal until cleared comes back for Status's question
        int status = api.Status();
        PlayDriverEvent(NULL);
        // By outcome: whole (never played), stalled, aborted, lost.
        static const int STATUS[] = {-1, DISPLAYDLL_STATUS_BACKED_UP, DISPLAYDLL_STATUS_READY,
                                     DISPLAYDLL_STATUS_LOST};
        CheckInt(STATUS[row.expected], status, "Status: backed up, ready once the error is cleared, or lost");
        const char *line = row.expected == WRITE_ABORTED ? "abcdefgh" : row.written == WROTE_HALF ? "abef" : "";
        ExpectBytes(line, strlen(line), "what the driver said went out; an aborted write whole once cleared");
        char error[COMPOSED_TEXT_SIZE];
        ExpectedErrorText(error, "Error writing string", row.succeeds ? ERROR_TIMEOUT : row.errorCode, true);
        const char *entries[12] = {BANNER_LINE, OPENED_LINE, BANNER_LINE, LOGGED_SET_UP_LINES, "Write abcd"};
        size_t count = 8;
        if (row.expected != WRITE_ABORTED)
            entries[count++] = error;
        entries[count++] = "Write ";
        entries[count++] = "Write efgh";
        ExpectLog(entries, count, "the error logged once, none for a cleared abort");
        UnloadDriver(&api);
        CheckInt(row.expected == WRITE_STALLED, spy.purges, "the unload discards a held line's output");
    }
}

static const Scenario SCENARIOS[] = {
    {"line_vanishes", LineVanishes},
    {"writes_bring_the_display_back", WritesBringTheDisplayBack},
    {"short_write_on_backed_up_line", ShortWriteOnBackedUpLine},
    {"refused_port_backs_up", RefusedPortBacksUp},
    {"drivers_end_writes_their_way", DriversEndWritesTheirWay},
};
SCENARIO_GROUP(LINE_GROUP, "line");
