// Building the driver name from the module's own file name.
#include "driver_texts.h"

#include <stdio.h>
#include <string.h>

static const char VERSION_SUFFIX[] = " v" VERSION_TEXT;

void BuildDriverName(char *buffer, size_t size, const char *baseName)
{
    int room = (int)size - (int)sizeof VERSION_SUFFIX;  // leaves the terminator's byte
    if (room < 0)
        room = 0;
    snprintf(buffer, size, "%.*s%s", room, baseName, VERSION_SUFFIX);
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
