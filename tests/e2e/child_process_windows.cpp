// Child processes of the Windows test programs, their standard streams
// files of the current folder.
#include "harness.h"

#include <windows.h>
#include <stdio.h>

// The file of the current folder that stands for one of a child's streams.
static const char *StreamName(const ChildProcess *child, const char *stream, char (&name)[64])
{
    snprintf(name, sizeof name, "%s-%s.txt", child->name, stream);
    return name;
}

// One of a child's streams, for it to inherit.
static HANDLE StreamFile(const ChildProcess *child, const char *stream, bool write)
{
    char name[64];
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    return CreateFileA(StreamName(child, stream, name), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

bool StartChild(ChildProcess *child, const char *name, const char *commandLine, const char *input)
{
    char inputName[64];
    snprintf(child->name, sizeof child->name, "%s", name);
    WriteWholeFile(StreamName(child, "input", inputName), input);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = StreamFile(child, "input", false);
    startup.hStdOutput = StreamFile(child, "stdout", true);
    startup.hStdError = StreamFile(child, "stderr", true);
    char command[2048];
    snprintf(command, sizeof command, "%s", commandLine);  // CreateProcessA may write into it
    PROCESS_INFORMATION started;
    bool ok = CreateProcessA(NULL, command, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &started);
    if (!ok)
        printf("    CreateProcessA failed with error %lu\n", GetLastError());
    CheckTrue(ok, "the child process starts");
    child->process = ok ? started.hProcess : NULL;
    if (ok)
        CloseHandle(started.hThread);
    // The child holds its own copies; closed here, they reach no later child.
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    return ok;
}

int FinishChild(ChildProcess *child, char *out, char *err, size_t size)
{
    DWORD status = (DWORD)-1;
    if (child->process) {
        WaitForSingleObject(child->process, INFINITE);  // the watchdog sees one that hangs
        GetExitCodeProcess(child->process, &status);
        CloseHandle(child->process);
    }
    char name[64];
    ReadWholeFile(StreamName(child, "stdout", name), out, size);
    ReadWholeFile(StreamName(child, "stderr", name), err, size);
    return (int)status;
}

int RunChild(const char *commandLine, const char *input, char *out, char *err, size_t size)
{
    ChildProcess child;
    StartChild(&child, "child", commandLine, input);
    return FinishChild(&child, out, err, size);
}

