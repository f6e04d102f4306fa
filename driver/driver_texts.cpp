// Building the driver name from the module's own file name.
#include "driver_texts.h"

#include <stdio.h>
#include <string.h>

void ComposeAroundName(char *buffer, size_t size, const char *prefix, const char *name,
                       const char *suffix)
{
    // Room for the name once prefix, suffix and the terminator are in.
    int room = (int)size - (int)strlen(prefix) - (int)strlen(suffix) - 1;
    if (room < 0)
        room = 0;
    snprintf(buffer, size, "%s%.*s%s", prefix, room, name, suffix);
}

void BuildDriverName(char *buffer, size_t size, const char *baseName)
{
    ComposeAroundName(buffer, size, "", baseName, " v" KESMARD_VERSION_TEXT);
}

// Length of the extension the module file name is expected to carry.
enum { EXTENSION_LENGTH = 4 };

void BaseNameFromPath(char *baseName, size_t size, const char *path)
{
    const char *name = strrchr(path, '\\');
    name = name ? name + 1 : path;
    int length = (int)strlen(name);
    if (length > EXTENSION_LENGTH)
        length -= EXTENSION_LENGTH;
    snprintf(baseName, size, "%.*s", length, name);
}
