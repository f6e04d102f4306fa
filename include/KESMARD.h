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
 * Usage, DefaultParameters, DriverName and Status may be called at any
 * time. Calls from several threads are served one at a time (the module
 * holds one lock), so a call may wait for another thread's; a call may
 * also block for its write timeouts (2.6 s for 255 bytes at 2400 baud and
 * above, longer below, never more than 16 s a write and four writes a
 * call): keep calls off the
 * UI thread, and never unload the module while another thread is inside
 * a call. Write, SetPosition, PowerResume and Done report nothing (ask
 * DISPLAYDLL_Status); after a write that lost the port (its device gone)
 * the module sets the port up again by itself, at most once a second, and
 * drops the calls that come in between. Returned texts are zero-terminated
 * and belong to the module: read them, never free them. The driver name
 * is rebuilt by every call that returns it; a failure text of Init is
 * rewritten only by a later Init, so two Inits at once on two threads may
 * still rewrite each other's. */
#ifndef KESMARD_H
#define KESMARD_H

/* Off Windows there is one calling convention, as on x64: libKESMARD.so
 * exports the same entry points by their plain names. */
#if !defined(_WIN32) && !defined(__stdcall)
#define __stdcall
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the port named by parameters ("COM3,9600,8,N,1", or "default";
 * a trailing "Log" turns on the debug log in logs\KESMARD.log, named
 * after the module's file, under the current folder) and wakes a display of columns x rows. Returns the
 * driver name with *ok set to 1, or the failure text with *ok set to 0.
 * While the module holds a configured port that still answers, a later
 * call changes nothing (port and size stay, a "Log" suffix is not seen)
 * and returns the driver name with *ok set to 1: call DISPLAYDLL_Done
 * first to change them. The log, once on, stays on until the module is
 * unloaded. */
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

/* What DISPLAYDLL_Status answers. */
#define DISPLAYDLL_STATUS_NOT_SET_UP 0 /* before Init, after Done or a failed Init */
#define DISPLAYDLL_STATUS_READY 1      /* the port is set up and the line moves */
#define DISPLAYDLL_STATUS_BACKED_UP 2  /* a write ran into its timeout: the line is held or slow */
#define DISPLAYDLL_STATUS_LOST 3       /* the port is gone; the module sets it up again by itself */

/* Whether the display can be reached, for a host that shows "customer
 * display offline": one of the values above. Sends nothing and never waits
 * for another thread's call: while one is under way it answers what the
 * last call found. Otherwise it asks the held port for its state, so a
 * pulled adapter shows as lost before a write fails. Backed up lasts until
 * a write goes out whole. (Exported after the other entry points, as
 * ordinals 17 and 18, so that a module without it is told apart by
 * GetProcAddress.) */
int __stdcall DISPLAYDLL_Status(void);

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
typedef int(__stdcall *DISPLAYDLL_StatusProc)(void);

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
