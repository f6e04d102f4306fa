/* The helper that lld-link's /delayload thunks call on the first call of a
 * delay-loaded function, in place of MSVC's delayimp.lib, which Debian has
 * not got: it loads the DLL once, looks the function up by name and fills
 * its import slot. Where the DLL or the function cannot be found it says so
 * and ends the host, as a host's failure hook would rather than let the
 * helper's exception crash it. */
#include <windows.h>
#include <stdio.h>

/* What the linker writes for each delay-loaded DLL, as addresses relative
 * to the image: its name, its module handle, its import slots and the
 * names of their functions (each past a two-byte hint). */
typedef struct {
    DWORD attributes, dllName, module, slots, names, boundSlots, unloadSlots, timeStamp;
} DelayLoadDescriptor;

extern char __ImageBase[];

FARPROC WINAPI __delayLoadHelper2(const DelayLoadDescriptor *descriptor, FARPROC *slot)
{
    HMODULE *module = (HMODULE *)(__ImageBase + descriptor->module);
    const char *dll = __ImageBase + descriptor->dllName;
    ULONG_PTR index = slot - (FARPROC *)(__ImageBase + descriptor->slots);
    const char *name = __ImageBase + ((const ULONG_PTR *)(__ImageBase + descriptor->names))[index] + 2;
    if (!*module)
        *module = LoadLibraryA(dll);
    *slot = *module ? GetProcAddress(*module, name) : 0;
    if (!*slot) {
        printf("kit host: delay-loading %s failed (error %lu)\n", dll, GetLastError());
        exit(3);
    }
    return *slot;
}
