// The spy in the module's import table, and how it plays a driver's event.
#include "driver_spy.h"

#include <string.h>

#include "harness.h"

DriverSpy spy;

// Holding writes: whether to, a write being held, and their release.
static struct {
    volatile bool on;
    HANDLE entered;
    HANDLE released;
} hold;

// The real functions the spy calls.
static struct {
    BOOL(WINAPI *WriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI *GetCommState)(HANDLE, LPDCB);
    BOOL(WINAPI *SetCommState)(HANDLE, LPDCB);
    BOOL(WINAPI *SetCommTimeouts)(HANDLE, LPCOMMTIMEOUTS);
    BOOL(WINAPI *ClearCommError)(HANDLE, LPDWORD, LPCOMSTAT);
    BOOL(WINAPI *PurgeComm)(HANDLE, DWORD);
} real;

// Whether the played event refuses the call now.
static bool Refusing(void)
{
    return spy.playing && (!spy.playing->untilCleared || spy.latched);
}

static BOOL WINAPI SpyWriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written,
                                LPOVERLAPPED overlapped)
{
    if (hold.on) {
        SetEvent(hold.entered);
        WaitForSingleObject(hold.released, INFINITE);
    }
    // An empty write is no event: every driver takes it.
    const SerialDriverRow *row = Refusing() && count > 0 ? spy.playing : NULL;
    // What a played driver says went out does go out.
    DWORD asked = !row ? count : row->written == WROTE_HALF ? count / 2 : 0;
    *written = 0;
    BOOL ended = (row && asked == 0) || real.WriteFile(file, bytes, asked, written, overlapped);
    spy.lastMoved = *written;
    spy.moved += *written;
    if (!row)
        return ended;
    if (!row->succeeds)
        SetLastError(row->errorCode);
    return row->succeeds;
}

static BOOL WINAPI SpyGetCommState(HANDLE file, LPDCB state)
{
    if (Refusing() && spy.playing->stateError) {
        SetLastError(spy.playing->stateError);
        return FALSE;
    }
    BOOL answered = real.GetCommState(file, state);
    if (answered && spy.portFlags) {
        state->fAbortOnError = TRUE;
        state->fOutxCtsFlow = TRUE;
    }
    return answered;
}

static BOOL WINAPI SpySetCommState(HANDLE file, LPDCB state)
{
    spy.setState = *state;
    return real.SetCommState(file, state);
}

static BOOL WINAPI SpySetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts)
{
    spy.setTimeouts = *timeouts;
    return real.SetCommTimeouts(file, timeouts);
}

static BOOL WINAPI SpyClearCommError(HANDLE file, LPDWORD errors, LPCOMSTAT status)
{
    spy.latched = false;
    return real.ClearCommError(file, errors, status);
}

static BOOL WINAPI SpyPurgeComm(HANDLE file, DWORD flags)
{
    spy.purges++;
    return real.PurgeComm(file, flags);
}

// The import table slot through which module calls KERNEL32's name (the
// module imports nothing by ordinal).
static ULONG_PTR *ImportSlot(HMODULE module, const char *name)
{
    BYTE *base = (BYTE *)module;
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (const IMAGE_IMPORT_DESCRIPTOR *d = (const IMAGE_IMPORT_DESCRIPTOR *)(base + imports); d->Name; d++) {
        if (_stricmp((const char *)base + d->Name, "KERNEL32.dll") != 0)
            continue;
        const IMAGE_THUNK_DATA *names = (const IMAGE_THUNK_DATA *)(base + d->OriginalFirstThunk);
        IMAGE_THUNK_DATA *slots = (IMAGE_THUNK_DATA *)(base + d->FirstThunk);
        for (; names->u1.AddressOfData; names++, slots++)
            if (strcmp((const char *)((IMAGE_IMPORT_BY_NAME *)(base + names->u1.AddressOfData))->Name, name) == 0)
                return (ULONG_PTR *)&slots->u1.Function;
    }
    return NULL;
}

// Puts spyFunction in the slot of name, keeping the real one in *realFunction.
template <typename Function>
static bool Replace(HMODULE module, const char *name, Function spyFunction, Function *realFunction)
{
    ULONG_PTR *slot = ImportSlot(module, name);
    CheckTrue(slot != NULL, name);
    if (!slot)
        return false;
    DWORD protection;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *realFunction = (Function)*slot;
    *slot = (ULONG_PTR)spyFunction;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return true;
}

bool SpyOnModule(void *loaded)
{
    HMODULE module = (HMODULE)loaded;
    memset(&spy, 0, sizeof spy);
    return Replace(module, "WriteFile", SpyWriteFile, &real.WriteFile) &&
           Replace(module, "GetCommState", SpyGetCommState, &real.GetCommState) &&
           Replace(module, "SetCommState", SpySetCommState, &real.SetCommState) &&
           Replace(module, "SetCommTimeouts", SpySetCommTimeouts, &real.SetCommTimeouts) &&
           Replace(module, "ClearCommError", SpyClearCommError, &real.ClearCommError) &&
           Replace(module, "PurgeComm", SpyPurgeComm, &real.PurgeComm);
}

void PlayDriverEvent(const SerialDriverRow *row)
{
    spy.playing = row;
    spy.latched = row != NULL;
}

void HoldWrites(bool on)
{
    if (!hold.entered) {
        hold.entered = CreateEventA(NULL, FALSE, FALSE, NULL);
        hold.released = CreateEventA(NULL, TRUE, FALSE, NULL);
    }
    hold.on = on;
    if (on)
        ResetEvent(hold.released);
    else
        SetEvent(hold.released);
}

void WaitForHeldWrite(void)
{
    WaitForSingleObject(hold.entered, INFINITE);
}
