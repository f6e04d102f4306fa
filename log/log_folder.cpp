// Creating the log folder through the Win32 call.
#include "log_folder.h"

#include <windows.h>

void CreateLogFolder(void)
{
    CreateDirectoryA("logs", NULL);
}
