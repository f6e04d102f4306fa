// End-to-end fault scenarios of the real module: the serial line vanishes
// and comes back, the far end stops reading, a host calls in any order with
// hostile arguments, a host runs for long, and every export is called
// through a bare pointer. Each checks that the calls return within the
// line's timeouts, that the line carries exactly the bytes expected, and
// that no handle, memory or stack is lost.
//
// Usage: fault_e2e.exe PATH-TO-DLL [SCENARIO-FILTER]
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "checks.h"
#include "display_bytes.h"
#include "driver_api.h"
#include "line.h"
#include "log_file.h"
#include "process_probe.h"

static const char GOOD_PARAMETERS[] = "COM3,9600,8,N,1";
static const char LOGGED_PARAMETERS[] = "COM3,9600,8,N,1Log";
// The log lines of a set-up on LOGGED_PARAMETERS.
#define LOGGED_SET_UP_LINES \
    "Init Called ", "Init port=COM3, num=3", "Init port=COM3, num=3", "Init COM3,9600,8,0,0"

enum {
    // The longest write the module makes, 255 bytes, gives up after
    // 10 ms x 255 + 50 ms = 2.6 s; a call taking this long has hung.
    CALL_LIMIT_MS = 15000,
    // A write this slow waited for its timeout: the line has backed up.
    BACKED_UP_MS = 1000,
};

// What a write on a pty whose far end has gone fails with under Wine.
static const unsigned long LINE_GONE_ERROR = ERROR_NOT_READY;

static DriverApi api;

// The longest call seen in the running scenario.
static DWORD longestCallMs;

template <typename Call>
static DWORD Timed(Call call)
{
    DWORD start = GetTickCount();
    call();
    DWORD took = GetTickCount() - start;
    if (took > longestCallMs)
        longestCallMs = took;
    return took;
}

static void ExpectCallsReturned(void)
{
    printf("    longest call: %lu ms\n", (unsigned long)longestCallMs);
    CheckTrue(longestCallMs < CALL_LIMIT_MS, "every call returned within the write timeouts");
    longestCallMs = 0;
}

// "Error " and the composed text of a failure, as the log shows it.
static const char *ErrorEntry(const char *message, unsigned long code)
{
    static char entry[1200];
    snprintf(entry, sizeof entry, "Error %s : %s", message, SystemText(code));
    return entry;
}

// ---------------------------------------------------------------------------
// The line vanishes and comes back

// A USB serial adapter pulled between calls: every call still returns at
// once, each failed write is logged, and Done still tries its closing
// sequence and closes the dead port.
static void LineVanishes(void)
{
    ProcessProbe before, after;
    TakeProcessProbe(&before);
    if (!StartDriver(&api, LOGGED_PARAMETERS))
        return;
    api.Write("before");
    ExpectLineText("before", "a text before the line vanishes");
    if (UnplugLine()) {
        Timed([] { api.Write("lost"); });
        Timed([] { api.SetPosition(1, 2); });
        Timed([] { api.PowerResume(); });
        CheckText(DRIVER_NAME, api.DriverName(), "DriverName with the line gone");
        Timed([] { api.Done(); });
    }
    UnloadDriver(&api);
    ExpectCallsReturned();

    char writeError[1200];
    snprintf(writeError, sizeof writeError, "%s", ErrorEntry("Error writing string", LINE_GONE_ERROR));
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE, LOGGED_SET_UP_LINES,
        "Write before", "Write lost", writeError, "SetPosition x=1, y=2", writeError,
        writeError, writeError, "Done Bye",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "each failed write is logged, Done's included");
    TakeProcessProbe(&after);
    CheckInt(before.openHandles, after.openHandles, "no handle left behind, the dead port's included");
    PlugLine();
}

// A port on which a write failed no longer counts as configured: Init runs
// the set-up again, truthfully failing while the line is gone and bringing
// the display back once it has returned.
static void InitAfterFailedWrite(void)
{
    if (!StartDriver(&api, LOGGED_PARAMETERS))
        return;
    char openError[1200];
    snprintf(openError, sizeof openError, "%s : %s", "Serial Port does not exist",
             SystemText(ERROR_FILE_NOT_FOUND));
    unsigned char ok = 0xAA;
    if (UnplugLine()) {
        // Nothing is read back from the display, so until a write fails the
        // module cannot know the line has gone.
        CheckText(DRIVER_NAME, api.Init(20, 2, GOOD_PARAMETERS, &ok), "Init before any write failed");
        CheckInt(1, ok, "ok 1 while no write has failed");
        api.Write("lost");
        for (int attempt = 0; attempt < 2; attempt++) {
            ok = 0xAA;
            CheckText(openError, api.Init(20, 2, GOOD_PARAMETERS, &ok),
                      "Init after a failed write, the line still gone");
            CheckInt(0, ok, "ok 0 while the port cannot be opened");
        }
    }
    if (PlugLine()) {
        ok = 0xAA;
        CheckText(DRIVER_NAME, api.Init(20, 2, GOOD_PARAMETERS, &ok), "Init once the line is back");
        CheckInt(1, ok, "ok 1 once the line is back");
        ExpectLine(POWER_RESUME, sizeof POWER_RESUME, "the display is woken on the new line");
        api.Write("back");
        ExpectLineText("back", "texts reach the display again");
        api.Init(20, 2, GOOD_PARAMETERS, &ok);
        ExpectNothing("a port that works is not set up again");
        api.Done();
        ExpectLine(CLOSING, sizeof CLOSING, "Done");
    }
    UnloadDriver(&api);

    char doesNotExist[1200];
    snprintf(doesNotExist, sizeof doesNotExist, "Error %s", openError);
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE, LOGGED_SET_UP_LINES,
        "Write lost", ErrorEntry("Error writing string", LINE_GONE_ERROR),
        LOGGED_SET_UP_LINES, doesNotExist, LOGGED_SET_UP_LINES, doesNotExist,
        LOGGED_SET_UP_LINES, "Write back", "Done Bye",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "each set-up after the failed write is logged");
}

// ---------------------------------------------------------------------------
// The far end stops reading

// Writes 255-byte texts into a paused line until one has to wait for its
// timeout. Returns false, with a failed check, when the line never backs up.
static bool FillLine(void)
{
    static char text[256];
    memset(text, 'p', 255);
    int writes = 0;
    for (DWORD took = 0; took < BACKED_UP_MS && writes < 1000; writes++)
        took = Timed([] { api.Write(text); });
    printf("    the line backed up after %d writes of 255 bytes\n", writes);
    CheckTrue(writes < 1000, "the line backs up");
    return writes < 1000;
}

// Lets the far end read again and discards the backlog.
static void FlowAgain(void)
{
    ResumeLine();
    Sleep(200);
    DrainLine();
}

// The line backs up until writes wait for their timeouts. Every call still
// returns; a write cut short by its timeout is not a failure, so the port
// stays configured, and texts flow again once the far end reads.
static void PeerStopsReading(void)
{
    if (!StartDriver(&api, GOOD_PARAMETERS))
        return;
    unsigned char ok = 0;
    if (PauseLine()) {
        if (FillLine()) {
            Timed([] { api.Write("more"); });
            Timed([] { api.SetPosition(1, 1); });
            Timed([] { api.PowerResume(); });
            Timed([&ok] { api.Init(20, 2, GOOD_PARAMETERS, &ok); });
            CheckInt(1, ok, "Init on a backed-up line");
        }
        FlowAgain();
    }
    ok = 0;
    api.Init(20, 2, GOOD_PARAMETERS, &ok);
    CheckInt(1, ok, "Init once the line flows again");
    ExpectNothing("writes cut short are no failures: the port still counts as configured");
    api.Write("flowing");
    ExpectLineText("flowing", "texts arrive once the far end reads again");

    if (PauseLine()) {
        if (FillLine())
            Timed([] { api.Done(); });
        FlowAgain();
    }
    ExpectCallsReturned();
    ok = 0;
    api.Init(20, 2, GOOD_PARAMETERS, &ok);
    CheckInt(1, ok, "Init after a Done on a backed-up line");
    ExpectLine(POWER_RESUME, sizeof POWER_RESUME, "Done closed the port: the set-up ran again");
    api.Done();
    ExpectLine(CLOSING, sizeof CLOSING, "Done");
    UnloadDriver(&api);
}

// ---------------------------------------------------------------------------
// Long life

enum {
    LONG_LIFE_CYCLES = 1000,
    EARLY_PROBE_CYCLE = 100,
    // Growth of committed private memory from cycle 100 to 1000 still taken
    // for noise; a stream or buffer lost per cycle would be 900 times its size.
    MEMORY_SLACK = 64 * 1024,
};

static void ExpectFlat(const ProcessProbe *early, const ProcessProbe *late)
{
    PrintProcessProbe("after cycle 100 ", early);
    PrintProcessProbe("after cycle 1000", late);
    CheckInt((long long)early->nextHandle, (long long)late->nextHandle,
             "next handle value after cycle 100 and after the last");
    CheckInt(early->openHandles, late->openHandles, "open handles after cycle 100 and after the last");
    CheckInt(early->handleCount, late->handleCount, "handle count after cycle 100 and after the last");
    CheckTrue(late->committedPrivate <= early->committedPrivate + MEMORY_SLACK,
              "committed private memory flat from cycle 100 to the last");
    CheckTrue(late->commitCharge <= early->commitCharge + MEMORY_SLACK,
              "commit charge flat from cycle 100 to the last");
}

// A host that loads, uses and unloads the module again and again.
static void ReloadCycles(void)
{
    LoadCycles cycles = {GOOD_PARAMETERS, true, LONG_LIFE_CYCLES, EARLY_PROBE_CYCLE, {}, {}};
    if (RunLoadCycles(&cycles))
        ExpectFlat(&cycles.early, &cycles.late);
}

// A host that unloads the module without calling Done: the port it held
// is closed with it, so a run of such loads leaves no handle behind.
static void UnloadWithoutDone(void)
{
    LoadCycles cycles = {GOOD_PARAMETERS, false, LONG_LIFE_CYCLES, EARLY_PROBE_CYCLE, {}, {}};
    if (RunLoadCycles(&cycles))
        ExpectFlat(&cycles.early, &cycles.late);
}

// A host that starts and stops the display again and again in one load.
static void InitDoneCycles(void)
{
    if (!LoadFreshDriver(&api))
        return;
    ProcessProbe early = {}, late;
    size_t received = 0;
    unsigned char scratch[4096];
    for (int cycle = 0; cycle < LONG_LIFE_CYCLES; cycle++) {
        unsigned char ok = 0;
        api.Init(20, 2, GOOD_PARAMETERS, &ok);
        if (!ok) {
            CheckInt(1, ok, "Init in a cycle");
            break;
        }
        api.Done();
        received += ReadArrived(scratch, sizeof scratch);
        if (cycle == EARLY_PROBE_CYCLE)
            TakeProcessProbe(&early);
    }
    TakeProcessProbe(&late);
    size_t expected = LONG_LIFE_CYCLES * (sizeof POWER_RESUME + sizeof CLOSING);
    received += ReceiveBytes(scratch, sizeof scratch, expected - received);
    CheckInt((long long)expected, (long long)received, "every byte of every cycle arrived");
    ExpectFlat(&early, &late);
    UnloadDriver(&api);
}

static const Scenario SCENARIOS[] = {
    {"line_vanishes", LineVanishes},
    {"init_after_failed_write", InitAfterFailedWrite},
    {"peer_stops_reading", PeerStopsReading},
    {"reload_cycles", ReloadCycles},
    {"unload_without_done", UnloadWithoutDone},
    {"init_done_cycles", InitDoneCycles},
};

int main(int argc, char **argv)
{
    return RunTestProgram(argc, argv, SCENARIOS, ARRAY_SIZE(SCENARIOS));
}
