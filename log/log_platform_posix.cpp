// The debug log's platform calls through POSIX.
#include "log_platform.h"

#include <fcntl.h>
#include <stdint.h>
#include <sys/stat.h>
#include <unistd.h>

const char LOG_FOLDER[] = "logs/";

void CreateLogFolder(void)
{
    mkdir("logs", 0777);
}

// The stream's writes: each line feed goes out as CR LF, as a Windows text
// stream writes it, so that the log has the same bytes on every platform.
static ssize_t WriteLines(void *cookie, const char *text, size_t size)
{
    int descriptor = (int)(intptr_t)cookie;
    char chunk[512];
    size_t done = 0;
    while (done < size) {
        size_t used = 0;
        for (; done < size && used + 2 <= sizeof chunk; done++) {
            if (text[done] == '\n')
                chunk[used++] = '\r';
            chunk[used++] = text[done];
        }
        if (write(descriptor, chunk, used) != (ssize_t)used)
            return -1;
    }
    return (ssize_t)size;
}

static int CloseLines(void *cookie)
{
    return close((int)(intptr_t)cookie);
}

FILE *OpenLogStream(const char *path)
{
    // Closed on exec, so that no program the host starts holds the file.
    int descriptor = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return NULL;
    cookie_io_functions_t lines = {NULL, WriteLines, NULL, CloseLines};
    FILE *stream = fopencookie((void *)(intptr_t)descriptor, "w", lines);
    if (!stream)
        close(descriptor);
    return stream;
}

long long CurrentSecond(void)
{
    return (long long)time(NULL);
}

bool LocalTimeAt(long long second, struct tm *localTime)
{
    time_t time = (time_t)second;
    return localtime_r(&time, localTime) != NULL;
}
