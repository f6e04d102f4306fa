// The group "line" beside its scenario files: what only the spy in the
// module's import table can show. Other drivers' ways of ending a write,
// and calls that must not wait while another thread's write is held.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "driver_spy.h"
#include "harness.h"
#include "line.h"

static const char LOGGED_PARAMETERS[] = "COM3,9600,8,N,1Log";

static DriverApi api;

// Wine's text for each error code the driver rows end a write with.
static const char *WineText(unsigned long code)
{
    static const struct {
        unsigned long code;
        const char *text;
    } TEXTS[] = {{5, "Access denied.\r\n"},        {21, "Not ready.\r\n"},
                 {22, "Bad command.\r\n"},         {31, "General failure.\r\n"},
                 {109, "Broken pipe.\r\n"},        {121, "Semaphore timeout.\r\n"},
                 {1167, "The device is not connected.\r\n"}, {1460, "Timeout.\r\n"}};
    for (size_t i = 0; i < ARRAY_SIZE(TEXTS); i++)
        if (TEXTS[i].code == code)
            return TEXTS[i].text;
    return "(no text in the test's table)";
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
        char error[256];
        snprintf(error, sizeof error, "Error Error writing string : %s",
                 WineText(row.succeeds ? ERROR_TIMEOUT : row.errorCode));
        const char *entries[12] = {BANNER_LINE, OPENED_LINE, BANNER_LINE, "Init Called ",
                                   "Init port=COM3, num=3", "Init port=COM3, num=3",
                                   "Init COM3,9600,8,0,0", "Write abcd"};
        size_t count = 8;
        if (row.expected != WRITE_ABORTED)
            entries[count++] = error;
        entries[count++] = "Write ";
        entries[count++] = "Write efgh";
        ExpectLog(entries, count, "the error logged once, none for a cleared abort");
        UnloadDriver(&api);
        CheckInt(row.expected == WRITE_STALLED, lineSpy.purges, "the unload discards a held line's output");
    }
}

static DWORD WINAPI WriteHeld(void *)
{
    api.Write("held");
    return 0;
}

// Status and the two constant texts, which must not wait either.
static DWORD WINAPI AskStatus(void *status)
{
    *(int *)status = api.Status();
    if (strcmp(api.Usage(), "KESMARD usage: COM3,9600,8,N,1") != 0 ||
        strcmp(api.DefaultParameters(), "COM3,9600,8,N,1") != 0)
        *(int *)status = -1;
    return 0;
}

// Status, Usage and DefaultParameters answer while another thread's write
// is under way, Status with what the calls before found: a stall.
static void StatusDuringAHeldWrite(void)
{
    if (!StartDriver(&api, GOOD_PARAMETERS) || !SpyOnModule(api.module))
        return;
    PlayDriverEvent(&SERIAL_DRIVER_ROWS[0]);  // a write cut in half
    api.Write("abcd");
    PlayDriverEvent(NULL);
    HoldWrites(true);
    HANDLE writer = CreateThread(NULL, 0, WriteHeld, NULL, 0, NULL);
    WaitForHeldWrite();
    int status = -1;
    HANDLE asker = CreateThread(NULL, 0, AskStatus, &status, 0, NULL);
    CheckInt(WAIT_OBJECT_0, WaitForSingleObject(asker, 5000),
             "Status, Usage and DefaultParameters do not wait for another call");
    CheckInt(DISPLAYDLL_STATUS_BACKED_UP, status, "Status as the calls before left it");
    HoldWrites(false);
    HANDLE threads[] = {writer, asker};
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    CloseHandle(writer);
    CloseHandle(asker);
    EXPECT_LINE("abheld", "the half the driver took, then the held write once released");
    DoneAndUnload(&api);
}

static const Scenario SCENARIOS[] = {
    {"drivers_end_writes_their_way", DriversEndWritesTheirWay},
    {"status_during_a_held_write", StatusDuringAHeldWrite},
};
SCENARIO_GROUP(LINE_GROUP, "line");
