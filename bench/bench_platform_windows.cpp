// The benchmark's platform calls through Windows. The floor's handle
// names the line as COM12, the module's as COM3: the runner maps both to
// the same pty.
#include "bench_platform.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

static HANDLE floorPort = INVALID_HANDLE_VALUE;

double Seconds(void)
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

const char *ModulePortName(void)
{
    return "COM3";
}

const char *FloorPortName(void)
{
    return "\\\\.\\COM12";
}

bool OpenFloorPort(const char *name)
{
    floorPort = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL);
    if (floorPort == INVALID_HANDLE_VALUE)
        return false;
    DCB state;
    state.DCBlength = 28;
    GetCommState(floorPort, &state);
    state.BaudRate = 9600;
    state.ByteSize = 8;
    state.StopBits = 0;
    state.Parity = 0;
    SetCommState(floorPort, &state);
    COMMTIMEOUTS timeouts = {50, 10, 50, 10, 50};
    SetCommTimeouts(floorPort, &timeouts);
    return true;
}

void CloseFloorPort(void)
{
    CloseHandle(floorPort);
    floorPort = INVALID_HANDLE_VALUE;
}

void FloorWrite(const void *bytes, size_t count)
{
    DWORD written;
    WriteFile(floorPort, bytes, (DWORD)count, &written, NULL);
}

void FloorStatus(void)
{
    DCB state;
    state.DCBlength = sizeof state;
    GetCommState(floorPort, &state);
}

void MakeFolder(const char *name)
{
    CreateDirectoryA(name, NULL);
}

void EmptyModulePath(char *path, size_t size)
{
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, program, sizeof program);
    const char *folderEnd = strrchr(program, '\\');
    int folderLength = length && folderEnd ? (int)(folderEnd + 1 - program) : 0;
    snprintf(path, size, "%.*sempty_module.dll", folderLength, program);
}

// The DLLs its import directory names, read from the module mapped
// without running it.
void ReportModuleFile(const char *path)
{
    WIN32_FILE_ATTRIBUTE_DATA file;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &file))
        printf("\nmodule file: %lu bytes\n", (unsigned long)file.nFileSizeLow);
    HMODULE module = LoadLibraryExA(path, NULL, DONT_RESOLVE_DLL_REFERENCES);
    if (!module)
        return;
    const BYTE *base = (const BYTE *)module;
    const IMAGE_NT_HEADERS *nt =
        (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY *imports =
        &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    printf("imports:");
    for (const IMAGE_IMPORT_DESCRIPTOR *d =
             (const IMAGE_IMPORT_DESCRIPTOR *)(base + imports->VirtualAddress);
         imports->VirtualAddress && d->Name; d++)
        printf(" %s", (const char *)(base + d->Name));
    printf("\n");
    FreeLibrary(module);
}
