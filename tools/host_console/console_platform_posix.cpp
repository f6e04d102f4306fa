// The host console on Linux: the serial devices in /dev and their names in
// /dev/serial/by-id.
#include "console_platform.h"

#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "console_commands.h"
#include "../common/system_text.h"

void DefaultModulePath(char *path, size_t size)
{
    char own[MODULE_PATH_SIZE];
    ssize_t length = readlink("/proc/self/exe", own, sizeof own - 1);
    own[length > 0 ? length : 0] = '\0';
    char *name = strrchr(own, '/');
    int folderLength = name ? (int)(name - own + 1) : 0;
    snprintf(path, size, "%.*slibKESMARD.so", folderLength, own);
}

bool InputIsTerminal(void)
{
    return isatty(STDIN_FILENO) != 0;
}

void SleepMilliseconds(unsigned long milliseconds)
{
    struct timespec rest = {(time_t)(milliseconds / 1000), (long)(milliseconds % 1000) * 1000000L};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

// The names in folder, each ended by a zero, the list by a second zero;
// with targets, each name followed by what its link reads, entries that are
// no links left out. Entries that do not fit are left out. A folder that is
// not there holds nothing: /dev/serial/by-id is there only while udev
// knows a USB serial device.
static bool ReadFolder(const char *folder, bool targets, char *list, size_t size, char *error,
                       size_t errorSize)
{
    list[0] = '\0';
    DIR *entries = opendir(folder);
    if (!entries) {
        int code = errno;
        if (code == ENOENT)
            return true;
        snprintf(error, errorSize, "cannot read %s: %s", folder, SystemTextLine(code));
        return false;
    }
    size_t used = 0;
    while (const struct dirent *entry = readdir(entries)) {
        char target[256] = "";
        if (entry->d_name[0] == '.')
            continue;
        if (targets) {
            ssize_t length = readlinkat(dirfd(entries), entry->d_name, target, sizeof target - 1);
            if (length <= 0)
                continue;
            target[length] = '\0';
        }
        size_t nameSize = strlen(entry->d_name) + 1, targetSize = targets ? strlen(target) + 1 : 0;
        if (used + nameSize + targetSize >= size)
            continue;
        memcpy(list + used, entry->d_name, nameSize);
        memcpy(list + used + nameSize, target, targetSize);
        used += nameSize + targetSize;
        list[used] = '\0';
    }
    closedir(entries);
    return true;
}

bool ReadPortList(char *lines, size_t size, char *error, size_t errorSize)
{
    static char devices[1 << 16], links[1 << 16];
    links[0] = '\0';
    bool read = ReadFolder("/dev", false, devices, sizeof devices, error, errorSize) &&
                ReadFolder("/dev/serial/by-id", true, links, sizeof links, error, errorSize);
    ListDevicePorts(devices, links, lines, size);
    return read;
}
