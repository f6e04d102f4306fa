// The benchmark's platform calls through POSIX (Linux). The module and the
// floor open the same pty end, the path the line runner gives in
// KESMARD_MODULE_END, each with a descriptor of its own.
#include "bench_platform.h"

#include <errno.h>
#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

enum { NO_PORT = -1, ROOM_WAIT_MS = 1000 };

static int floorPort = NO_PORT;

double Seconds(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

const char *ModulePortName(void)
{
    return getenv("KESMARD_MODULE_END");
}

const char *FloorPortName(void)
{
    return getenv("KESMARD_MODULE_END");
}

// The module's open and settings, less its claim on the port (flock and
// TIOCEXCL), which would keep the module from opening the line beside it.
bool OpenFloorPort(const char *name)
{
    floorPort = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    struct termios state;
    if (floorPort == NO_PORT || tcgetattr(floorPort, &state) != 0)
        return false;
    state.c_oflag &= ~OPOST;
    state.c_lflag &= ~(ICANON | ECHO | ECHOE | ECHONL | ISIG | IEXTEN);
    state.c_cflag = (state.c_cflag & ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR)) | CLOCAL | CREAD | CS8;
    cfsetispeed(&state, B9600);
    cfsetospeed(&state, B9600);
    return tcsetattr(floorPort, TCSANOW, &state) == 0;
}

void CloseFloorPort(void)
{
    close(floorPort);
    floorPort = NO_PORT;
}

// All the bytes, as the module sends them: on a full line the rest waits
// for room, as the module's write does, instead of being dropped.
void FloorWrite(const void *bytes, size_t count)
{
    size_t written = 0;
    while (written < count) {
        ssize_t moved = write(floorPort, (const char *)bytes + written, count - written);
        if (moved > 0) {
            written += (size_t)moved;
            continue;
        }
        struct pollfd room = {floorPort, POLLOUT, 0};
        if ((moved < 0 && errno != EAGAIN) || poll(&room, 1, ROOM_WAIT_MS) <= 0)
            return;
    }
}

void FloorStatus(void)
{
    struct termios state;
    tcgetattr(floorPort, &state);
}

void MakeFolder(const char *name)
{
    mkdir(name, 0777);
}

void EmptyModulePath(char *path, size_t size)
{
    char program[1024];
    ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    program[length > 0 ? length : 0] = '\0';
    const char *folderEnd = strrchr(program, '/');
    int folderLength = folderEnd ? (int)(folderEnd + 1 - program) : 0;
    snprintf(path, size, "%.*sempty_module.so", folderLength, program);
}

// The libraries its dynamic section names (DT_NEEDED), read from the file.
void ReportModuleFile(const char *path)
{
    int file = open(path, O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (file < 0 || fstat(file, &info) != 0)
        return;
    printf("\nmodule file: %lld bytes\n", (long long)info.st_size);
    void *image = mmap(NULL, (size_t)info.st_size, PROT_READ, MAP_PRIVATE, file, 0);
    close(file);
    if (image == MAP_FAILED)
        return;
    const char *base = (const char *)image;
    const ElfW(Ehdr) *header = (const ElfW(Ehdr) *)base;
    const ElfW(Shdr) *sections = (const ElfW(Shdr) *)(base + header->e_shoff);
    printf("imports:");
    for (int s = 0; s < header->e_shnum; s++) {
        if (sections[s].sh_type != SHT_DYNAMIC)
            continue;
        const char *names = base + sections[sections[s].sh_link].sh_offset;
        for (const ElfW(Dyn) *d = (const ElfW(Dyn) *)(base + sections[s].sh_offset); d->d_tag != DT_NULL; d++)
            if (d->d_tag == DT_NEEDED)
                printf(" %s", names + d->d_un.d_val);
    }
    printf("\n");
    munmap(image, (size_t)info.st_size);
}
