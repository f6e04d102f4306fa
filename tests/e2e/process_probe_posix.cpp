// Descriptor and memory readings of the test process, from /proc.
#include "process_probe.h"

#include <dirent.h>
#include <stdio.h>
#include <unistd.h>

void TakeProcessProbe(ProcessProbe *probe)
{
    DIR *descriptors = opendir("/proc/self/fd");
    probe->openHandles = 0;
    while (descriptors && readdir(descriptors))
        probe->openHandles++;
    if (descriptors)
        closedir(descriptors);
    // statm's sixth field: the pages of data and stack, where a lost buffer
    // or stream shows.
    FILE *statm = fopen("/proc/self/statm", "r");
    unsigned long pages = 0;
    bool got = statm && fscanf(statm, "%*u %*u %*u %*u %*u %lu", &pages) == 1;
    if (statm)
        fclose(statm);
    probe->privateMemory = got ? pages * (size_t)sysconf(_SC_PAGESIZE) : 0;
}
