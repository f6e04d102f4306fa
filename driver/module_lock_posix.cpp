// The module lock through a POSIX mutex, made with the library itself so
// that nothing is left to make or let go on load and unload.
#include "module_lock.h"

#include <pthread.h>

static pthread_mutex_t moduleLock = PTHREAD_MUTEX_INITIALIZER;

void LockModule(void)
{
    pthread_mutex_lock(&moduleLock);
}

void UnlockModule(void)
{
    pthread_mutex_unlock(&moduleLock);
}

bool TryLockModule(void)
{
    return pthread_mutex_trylock(&moduleLock) == 0;
}
