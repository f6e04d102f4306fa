// The spy on Linux: the test program defines write and tcflush itself and
// exports them (-rdynamic), so the module's calls reach these first, which
// count and pass them on. The program's own writes go through stdio, which
// does not come here.
#include "line_spy.h"

#include <dlfcn.h>
#include <termios.h>
#include <unistd.h>

LineSpy lineSpy;

bool SpyOnModule(void *)
{
    lineSpy = {};
    return true;
}

extern "C" ssize_t write(int descriptor, const void *bytes, size_t count)
{
    static ssize_t (*real)(int, const void *, size_t) =
        (ssize_t(*)(int, const void *, size_t))dlsym(RTLD_NEXT, "write");
    ssize_t moved = real(descriptor, bytes, count);
    if (moved > 0 && isatty(descriptor))
        lineSpy.moved += (unsigned long long)moved;
    return moved;
}

extern "C" int tcflush(int descriptor, int queue)
{
    static int (*real)(int, int) = (int (*)(int, int))dlsym(RTLD_NEXT, "tcflush");
    if (queue != TCIFLUSH)
        lineSpy.purges++;
    return real(descriptor, queue);
}
