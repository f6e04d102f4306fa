/* sample_host.c: loads KESMARD.dll at run time, looks up the entry points
 * it uses and writes "Hello" on row 2 of the display on COM3. */
#include <windows.h>
#include <stdio.h>

#include "KESMARD.h"

int main(void)
{
    HMODULE display;
    DISPLAYDLL_InitProc init;
    DISPLAYDLL_WriteProc write;
    DISPLAYDLL_SetPositionProc setPosition;
    DISPLAYDLL_DoneProc done;
    const char *result;
    unsigned char ok = 0;

    display = LoadLibraryA("KESMARD.dll");
    if (!display) {
        printf("KESMARD.dll could not be loaded (error %lu)\n", GetLastError());
        return 1;
    }
    init = DISPLAYDLL_GET_PROC(display, DISPLAYDLL_Init);
    write = DISPLAYDLL_GET_PROC(display, DISPLAYDLL_Write);
    setPosition = DISPLAYDLL_GET_PROC(display, DISPLAYDLL_SetPosition);
    done = DISPLAYDLL_GET_PROC(display, DISPLAYDLL_Done);
    if (!init || !write || !setPosition || !done) {
        printf("KESMARD.dll lacks an entry point\n");
        FreeLibrary(display);
        return 1;
    }

    result = init(20, 2, "COM3,9600,8,N,1", &ok);
    if (!ok) {
        printf("display: %s", result);  /* e.g. "Serial Port does not exist : ..." */
        FreeLibrary(display);
        return 1;
    }
    setPosition(1, 2);
    write("Hello");
    done();
    FreeLibrary(display);
    return 0;
}
