// The module lock through a Win32 critical section: on every Windows since
// NT, and from KERNEL32 alone.
#include "module_lock.h"

#include <windows.h>

static CRITICAL_SECTION moduleLock;

void CreateModuleLock(void)
{
    InitializeCriticalSection(&moduleLock);
}

void DestroyModuleLock(void)
{
    DeleteCriticalSection(&moduleLock);
}

void LockModule(void)
{
    EnterCriticalSection(&moduleLock);
}

void UnlockModule(void)
{
    LeaveCriticalSection(&moduleLock);
}

bool TryLockModule(void)
{
    return TryEnterCriticalSection(&moduleLock) != 0;
}
