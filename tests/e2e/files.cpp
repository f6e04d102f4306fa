// Whole files and child processes through Win32.
#include "files.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "checks.h"

// How long a child may run before it counts as hung.
enum { CHILD_LIMIT_MS = 30000 };

long ReadWholeFile(const char *path, char *buffer, size_t size)
{
    buffer[0] = '\0';
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    DWORD length = 0;
    ReadFile(file, buffer, (DWORD)size - 1, &length, NULL);
    CloseHandle(file);
    buffer[length] = '\0';
    return (long)length;
}

bool WriteWholeFile(const char *path, const char *text)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool whole = WriteFile(file, text, (DWORD)strlen(text), &written, NULL) && written == strlen(text);
    CloseHandle(file);
    return whole;
}

enum { STREAM_NAME_SIZE = 64 };

// The file of the current folder that stands for one of a child's streams.
static const char *StreamFile(const ChildProcess *child, const char *stream, char *name)
{
    snprintf(name, STREAM_NAME_SIZE, "%s-%s.txt", child->name, stream);
    return name;
}

// A stream's file, for the child to inherit.
static HANDLE InheritableFile(const ChildProcess *child, const char *stream, DWORD access,
                              DWORD disposition)
{
    char name[STREAM_NAME_SIZE];
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    return CreateFileA(StreamFile(child, stream, name), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
}

bool StartChild(ChildProcess *child, const char *name, const char *commandLine, const char *input)
{
    snprintf(child->name, sizeof child->name, "%s", name);
    char inputName[STREAM_NAME_SIZE];
    WriteWholeFile(StreamFile(child, "input", inputName), input);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableFile(child, "input", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = InheritableFile(child, "stdout", GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = InheritableFile(child, "stderr", GENERIC_WRITE, CREATE_ALWAYS);
    char command[2048];
    snprintf(command, sizeof command, "%s", commandLine);  // CreateProcessA may write into it
    PROCESS_INFORMATION started;
    bool ok = CreateProcessA(NULL, command, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &started);
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
    int status = -1;
    if (child->process) {
        bool ended = WaitForSingleObject(child->process, CHILD_LIMIT_MS) == WAIT_OBJECT_0;
        CheckTrue(ended, "the child process ends in time");
        DWORD code = (DWORD)-1;
        if (ended) {
            GetExitCodeProcess(child->process, &code);
        } else {
            TerminateProcess(child->process, code);
            WaitForSingleObject(child->process, INFINITE);
        }
        status = (int)code;
        CloseHandle(child->process);
        child->process = NULL;
    }
    char name[STREAM_NAME_SIZE];
    ReadWholeFile(StreamFile(child, "stdout", name), out, size);
    ReadWholeFile(StreamFile(child, "stderr", name), err, size);
    return status;
}

int RunChild(const char *commandLine, const char *input, char *out, char *err, size_t size)
{
    ChildProcess child;
    StartChild(&child, "child", commandLine, input);
    return FinishChild(&child, out, err, size);
}
