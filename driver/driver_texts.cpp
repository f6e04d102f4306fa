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

void LibraryBaseNameFromPath(char *baseName, size_t size, const char *path)
{
    static const char PREFIX[] = "lib", SUFFIX[] = ".so";
    const char *name = strrchr(path, '/');
    name = name ? name + 1 : path;
    size_t length = strlen(name);
    if (length > sizeof SUFFIX - 1 && strcmp(name + length - (sizeof SUFFIX - 1), SUFFIX) == 0)
        length -= sizeof SUFFIX - 1;
    if (length > sizeof PREFIX - 1 && strncmp(name, PREFIX, sizeof PREFIX - 1) == 0) {
        name += sizeof PREFIX - 1;
        length -= sizeof PREFIX - 1;
    }
    snprintf(baseName, size, "%.*s", (int)length, name);
}
