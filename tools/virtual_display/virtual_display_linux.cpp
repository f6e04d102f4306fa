// Virtual display for Linux: a serial character display in a terminal, for
// trying the module without hardware. It opens a pseudo-terminal, prints
// the path of its device end (the end a serial port is mapped to) and
// shows what arrives there (display_program.h).
//
// Usage: virtual_display [--link PATH] [--size COLUMNSxROWS] [--frames | --quiet]
//                        [--save-screen FILE] [--save-trace FILE]
// It runs until interrupted (Ctrl-C, SIGTERM, SIGHUP); then it writes the
// final screen and the trace to the files named and removes its link.
#include <errno.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include "display_program.h"
#include "../common/array_size.h"

static struct {
    int master;              // the end read here
    int device;              // the end a serial port is mapped to
    char devicePath[128];
} line;

static volatile sig_atomic_t stopRequested;

static void RequestStop(int)
{
    stopRequested = 1;
}

// Opens a pseudo-terminal whose device end passes bytes unchanged. The
// device end stays open here too, so the line survives a port being closed
// and opened again by the host.
static bool OpenLine(void)
{
    if (openpty(&line.master, &line.device, line.devicePath, NULL, NULL) != 0)
        return false;
    struct termios settings;
    if (tcgetattr(line.device, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    return tcsetattr(line.device, TCSANOW, &settings) == 0;
}

// A signal cuts the wait short; the loop then sees the stop.
static long ReadLine(unsigned char *bytes, size_t size)
{
    if (stopRequested)
        return LINE_STOPPED;
    struct pollfd ready = {line.master, POLLIN, 0};
    if (poll(&ready, 1, QUIET_MS) <= 0)
        return 0;
    ssize_t count = read(line.master, bytes, size);
    if (count < 0 && errno != EINTR && errno != EAGAIN) {
        fprintf(stderr, "virtual_display: reading the line failed: %s\n", strerror(errno));
        return LINE_FAILED;
    }
    return count > 0 ? (long)count : 0;
}

int main(int argc, char **argv)
{
    const char *link = 0;
    const LineOption own[] = {{"--link", &link}};
    const OwnOptions ownOptions = {"[--link PATH]", 0, own, ARRAY_SIZE(own)};
    DisplayOptions options;
    if (!ReadDisplayOptions(argc, argv, &ownOptions, isatty(STDOUT_FILENO), &options))
        return EXIT_USAGE;

    if (!OpenLine()) {
        fprintf(stderr, "virtual_display: cannot open a pseudo-terminal: %s\n", strerror(errno));
        return 1;
    }
    if (link) {
        unlink(link);
        if (symlink(line.devicePath, link) != 0) {
            fprintf(stderr, "virtual_display: cannot link %s: %s\n", link, strerror(errno));
            return 1;
        }
    }
    struct sigaction stop = {};
    stop.sa_handler = RequestStop;
    sigaction(SIGINT, &stop, NULL);
    sigaction(SIGTERM, &stop, NULL);
    sigaction(SIGHUP, &stop, NULL);

    int status = RunDisplay(&options, line.devicePath, ReadLine);
    if (link)
        unlink(link);
    close(line.device);
    close(line.master);
    return status;
}
