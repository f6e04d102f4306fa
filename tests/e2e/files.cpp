// Whole files and child processes through Win32.
#include "files.h"

#include <windows.h>
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

// A file of the current folder that the child inherits as a standard stream.
static HANDLE InheritableFile(const char *name, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

int RunChild(const char *commandLine, const char *input, char *out, char *err, size_t size)
{
    WriteWholeFile("child-input.txt", input);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableFile("child-input.txt", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = InheritableFile("child-stdout.txt", GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = InheritableFile("child-stderr.txt", GENERIC_WRITE, CREATE_ALWAYS);
    char command[2048];
    strncpy(command, commandLine, sizeof command - 1);  // CreateProcessA may write into it
    command[sizeof command - 1] = '\0';
    PROCESS_INFORMATION child;
    int status = -1;
    if (CreateProcessA(NULL, command, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &child)) {
        bool ended = WaitForSingleObject(child.hProcess, CHILD_LIMIT_MS) == WAIT_OBJECT_0;
        CheckTrue(ended, "the child process ends in time");
        DWORD code = (DWORD)-1;
        if (ended) {
            GetExitCodeProcess(child.hProcess, &code);
        } else {
            TerminateProcess(child.hProcess, code);
            WaitForSingleObject(child.hProcess, INFINITE);
        }
        status = (int)code;
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    } else {
        CheckTrue(false, "the child process starts");
    }
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    ReadWholeFile("child-stdout.txt", out, size);
    ReadWholeFile("child-stderr.txt", err, size);
    return status;
}
