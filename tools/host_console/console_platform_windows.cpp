// The host console on Windows: the registry's list of COM ports.
#include "console_platform.h"

#include <windows.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

#include "console_commands.h"
#include "../common/system_text.h"

void DefaultModulePath(char *path, size_t size)
{
    char own[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, own, sizeof own);
    if (length == 0 || length >= sizeof own)
        own[0] = '\0';
    char *name = strrchr(own, '\\');
    int folderLength = name ? (int)(name - own + 1) : 0;
    snprintf(path, size, "%.*sKESMARD.dll", folderLength, own);
}

bool InputIsTerminal(void)
{
    return _isatty(_fileno(stdin)) != 0;
}

void SleepMilliseconds(unsigned long milliseconds)
{
    Sleep(milliseconds);
}

// The machine's COM ports as their drivers register them, the list .NET's
// SerialPort.GetPortNames reads too.
bool ReadPortList(char *lines, size_t size, char *error, size_t errorSize)
{
    static char names[COM_PORT_MAXIMUM * 16 + 1];
    size_t used = 0;
    HKEY key = NULL;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0,
                                KEY_QUERY_VALUE, &key);
    bool opened = status == ERROR_SUCCESS;
    // Without the key no port driver has started: there is no port.
    if (status == ERROR_FILE_NOT_FOUND)
        status = ERROR_NO_MORE_ITEMS;
    for (DWORD index = 0; status == ERROR_SUCCESS; index++) {
        char device[256], name[16];
        DWORD deviceSize = sizeof device, nameSize = sizeof name - 1, type = 0;
        status = RegEnumValueA(key, index, device, &deviceSize, NULL, &type, (BYTE *)name, &nameSize);
        // A value too long for a port name is no port's.
        if (status == ERROR_MORE_DATA)
            status = ERROR_SUCCESS;
        else if (status == ERROR_SUCCESS && type == REG_SZ && used + nameSize + 1 < sizeof names) {
            name[nameSize] = '\0';
            if (!name[0])
                continue;
            used += (size_t)snprintf(names + used, sizeof names - used, "%s", name) + 1;
        }
    }
    if (opened)
        RegCloseKey(key);
    names[used] = '\0';
    ListComPorts(names, lines, size);
    if (status != ERROR_NO_MORE_ITEMS) {
        snprintf(error, errorSize, "cannot read the COM ports: %s", SystemTextLine(status));
        return false;
    }
    return true;
}
