/* KESMARD.h: the display module's entry points, for hosts written in C or
 * C++. Link with KESMARD.lib (MSVC-compatible linkers) or libKESMARD.dll.a
 * (MinGW), or load KESMARD.dll at run time and look the entry points up by
 * name through the DISPLAYDLL_*Proc pointer types and DISPLAYDLL_GET_PROC.
 *
 * Every entry point uses the stdcall convention and is exported under its
 * plain name (DISPLAYDLL_Init) and its decorated one (DISPLAYDLL_Init@16).
 * The same header serves the 64-bit KESMARD.dll: on x64 __stdcall is
 * ignored (there is one calling convention) and nothing else changes.
 * Call DISPLAYDLL_Init first, then any number of Write, SetPosition and
 * PowerResume, and DISPLAYDLL_Done last, also before the program exits;
 * Usage, DefaultParameters and DriverName may be called at any time.
 * Calls from several threads are served one at a time (the module holds
 * one lock), so a call may wait for another thread's; a call may also
 * block for its write timeout (2.6 s for 255 bytes at 1200 baud and
 * above, longer below): keep calls off the UI thread, and never unload
 * the module while another thread is inside a call. Write, SetPosition,
 * PowerResume and Done report nothing; after a failed write (the port's
 * device gone) the module sets the port up again by itself, at most once
 * a second, and drops the calls that come in between. Returned texts are zero-terminated
 * and belong to the module: read them, never free them; a later call may
 * rewrite them. */
#ifndef KESMARD_H
#define KESMARD_H

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the port named by parameters ("COM3,9600,8,N,1", or "default";
 * a trailing "Log" turns on the debug log in logs\KESMARD.log under the
 * current folder) and wakes a display of columns x rows. Returns the
 * driver name with *ok set to 1, or the failure text with *ok set to 0.
 * While the module holds a configured port that still answers, a later
 * call changes nothing (port, size and log switch stay) and returns the
 * driver name with *ok set to 1: call DISPLAYDLL_Done first to change
 * them. */
const char *__stdcall DISPLAYDLL_Init(unsigned char columns, unsigned char rows,
                                      const char *parameters, unsigned char *ok);

/* Sends the closing sequence and closes the port. The module then sets
 * up nothing by itself until the next DISPLAYDLL_Init. */
void __stdcall DISPLAYDLL_Done(void);

/* Sends the bytes of the text unchanged, at most its first 255; the
 * display's own character table decides what a byte above 127 shows. */
void __stdcall DISPLAYDLL_Write(const char *text);

/* Moves the cursor to column x, row y, both counted from 1. A column past
 * the width goes to column 1, a row past the height to row 1. */
void __stdcall DISPLAYDLL_SetPosition(unsigned char x, unsigned char y);

/* Wakes the display again after it lost power. */
void __stdcall DISPLAYDLL_PowerResume(void);

/* "KESMARD usage: COM3,9600,8,N,1" */
const char *__stdcall DISPLAYDLL_Usage(void);

/* "COM3,9600,8,N,1" */
const char *__stdcall DISPLAYDLL_DefaultParameters(void);

/* The module's file name less ".dll", then " v" and the module's version,
 * the FileVersion of its version resource. */
const char *__stdcall DISPLAYDLL_DriverName(void);

/* The same entry points as pointer types, for GetProcAddress. */
typedef const char *(__stdcall *DISPLAYDLL_InitProc)(unsigned char columns, unsigned char rows,
                                                     const char *parameters, unsigned char *ok);
typedef void(__stdcall *DISPLAYDLL_DoneProc)(void);
typedef void(__stdcall *DISPLAYDLL_WriteProc)(const char *text);
typedef void(__stdcall *DISPLAYDLL_SetPositionProc)(unsigned char x, unsigned char y);
typedef void(__stdcall *DISPLAYDLL_PowerResumeProc)(void);
typedef const char *(__stdcall *DISPLAYDLL_UsageProc)(void);
typedef const char *(__stdcall *DISPLAYDLL_DefaultParametersProc)(void);
typedef const char *(__stdcall *DISPLAYDLL_DriverNameProc)(void);

/* Any entry point's pointer: GetProcAddress's result is cast to it before
 * its own type, a cast compilers do not flag (-Wcast-function-type). */
typedef void(__stdcall *DISPLAYDLL_AnyProc)(void);

/* Looks entry up in module (the HMODULE of KESMARD.dll) and gives it its
 * own pointer type; null when the module lacks it. Needs windows.h:
 *     DISPLAYDLL_InitProc init = DISPLAYDLL_GET_PROC(module, DISPLAYDLL_Init); */
#define DISPLAYDLL_GET_PROC(module, entry) \
    ((entry##Proc)(DISPLAYDLL_AnyProc)GetProcAddress((module), #entry))

#ifdef __cplusplus
}
#endif

#endif
