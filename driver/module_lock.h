// One lock around the module's state, so that calls from the host's threads
// take turns: each call's bytes go out whole, and no thread's Done closes
// the port under another thread's write.
#pragma once

// Made when the Windows module is loaded and let go when it is unloaded,
// both in DllMain, which never waits for the lock itself. (The POSIX lock
// is made with the library, and these are not needed there.)
void CreateModuleLock(void);
void DestroyModuleLock(void);

// Held by every entry point that touches the module's state, for its whole
// call; a call from another thread waits meanwhile.
void LockModule(void);
void UnlockModule(void);

// Takes the lock only if no other thread holds it; true when it did.
bool TryLockModule(void);
