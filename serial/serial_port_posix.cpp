// The serial port through the POSIX terminal calls (Linux). The rules are
// the Windows module's: the port is the module's alone, a write is bounded
// by the same allowance, and a write that does not finish in time is a
// stall, while one that fails (EIO once the kernel hung up a pulled USB
// port, ENODEV just before) loses the port.
#include "serial_port.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "error_text.h"

enum { NO_PORT = -1, DEVICE_PATH_SIZE = FIELD_SIZE + 16, DRAIN_POLL_MS = 10 };

// The line settings the module sets; the rest of the port's state is kept.
static const tcflag_t LINE_FLAGS = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR;

static struct {
    int descriptor;
    bool configured;         // line settings applied
    bool backedUp;           // a write stalled, and none has moved bytes whole since
    WriteTimeouts timeouts;  // a write's allowance
} port = {NO_PORT, false, false, {0, 0}};

static long long MonotonicMs(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

// The device a port name stands for: COMn (also as \\.\COMn) is
// /dev/ttyS<n-1>, as Wine and DOS emulators map them; anything else is a
// path, such as /dev/ttyUSB0 or a /dev/serial/by-id/ name.
static void DevicePath(const char *portPath, char (&path)[DEVICE_PATH_SIZE])
{
    const char *name = strncmp(portPath, "\\\\.\\", 4) == 0 ? portPath + 4 : portPath;
    size_t digits = strspn(name + 3, "0123456789");
    int number = strncmp(name, "COM", 3) == 0 && digits > 0 && digits < 4 && !name[3 + digits] ? atoi(name + 3) : 0;
    if (number > 0)
        snprintf(path, sizeof path, "/dev/ttyS%d", number - 1);
    else
        snprintf(path, sizeof path, "%s", portPath);
}

static bool SpeedCode(int baud, speed_t *code)
{
    static const struct {
        int baud;
        speed_t code;
    } SPEEDS[] = {{50, B50},         {75, B75},         {110, B110},         {134, B134},
                  {150, B150},       {200, B200},       {300, B300},         {600, B600},
                  {1200, B1200},     {1800, B1800},     {2400, B2400},       {4800, B4800},
                  {9600, B9600},     {19200, B19200},   {38400, B38400},     {57600, B57600},
                  {115200, B115200}, {230400, B230400}, {460800, B460800},   {500000, B500000},
                  {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1500000, B1500000},
                  {2000000, B2000000}, {3000000, B3000000}, {4000000, B4000000}};
    for (const auto &speed : SPEEDS) {
        if (speed.baud == baud) {
            *code = speed.code;
            return true;
        }
    }
    return false;
}

// Applies the four line settings and makes the output raw: a cooked tty
// would turn a cursor byte 0x0A into CR LF. Returns 0 or an errno value.
static int ApplyLineSettings(const PortSettings *settings)
{
    static const tcflag_t SIZES[] = {CS5, CS6, CS7, CS8};
    static const tcflag_t PARITIES[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                                        PARENB | CMSPAR};
    // As on Windows, only the low byte of the data bits reaches the port.
    int dataBits = settings->dataBits & 0xFF;
    speed_t speed;
    struct termios wanted, got;
    if (!SpeedCode(settings->baudRate, &speed) || dataBits < 5 || dataBits > 8 ||
        settings->parityCode < 0 || settings->parityCode > 4)
        return EINVAL;
    if (tcgetattr(port.descriptor, &wanted) != 0)
        return errno;
    wanted.c_oflag &= ~OPOST;
    wanted.c_lflag &= ~(ICANON | ECHO | ECHOE | ECHONL | ISIG | IEXTEN);
    wanted.c_cflag = (wanted.c_cflag & ~LINE_FLAGS) | CLOCAL | CREAD | SIZES[dataBits - 5] |
                     PARITIES[settings->parityCode] | (settings->stopBitsCode == 2 ? CSTOPB : 0);
    cfsetispeed(&wanted, speed);
    cfsetospeed(&wanted, speed);
    if (tcsetattr(port.descriptor, TCSANOW, &wanted) != 0)
        return errno;
    // tcsetattr succeeds when any one change took: the settings are read back.
    if (tcgetattr(port.descriptor, &got) != 0)
        return errno;
    bool took = cfgetospeed(&got) == speed && (got.c_oflag & OPOST) == 0 &&
                (got.c_cflag & LINE_FLAGS) == (wanted.c_cflag & LINE_FLAGS);
    return took ? 0 : EINVAL;
}

const char *OpenPort(const PortSettings *settings)
{
    char path[DEVICE_PATH_SIZE];
    DevicePath(settings->portPath, path);
    // Never the host's controlling terminal, which a pulled adapter would
    // hang up; not inherited; a write never waits past its allowance.
    port.descriptor = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port.descriptor < 0) {
        int error = errno;
        return ComposeErrorText(error == ENOENT ? "Serial Port does not exist" : "Failed to open Serial Port",
                                error);
    }
    // Only a terminal has a state; a file, a pipe or a socket is let go
    // before a byte could reach it.
    struct termios state;
    if (tcgetattr(port.descriptor, &state) != 0) {
        int error = errno;
        ClosePort();
        return ComposeErrorText("Failed to get Serial Port state", error);
    }
    // The port is the module's alone, as on Windows: flock against programs
    // that lock ports so, TIOCEXCL against any other open.
    if (flock(port.descriptor, LOCK_EX | LOCK_NB) != 0 || ioctl(port.descriptor, TIOCEXCL) != 0) {
        int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ClosePort();
        return ComposeErrorText("Failed to open Serial Port", error);
    }
    // The allowance holds before the settings: a port that refuses them
    // stays open and takes bounded writes.
    port.timeouts = WriteTimeoutsFor(settings);
    int error = ApplyLineSettings(settings);
    if (error)
        return ComposeErrorText("Failed to set Serial Port state", error);
    port.configured = true;
    return 0;
}

bool PortIsConfigured(void)
{
    return port.configured;
}

bool PortAnswers(void)
{
    // A tty the kernel hung up (its device gone) answers EIO.
    struct termios state;
    return port.descriptor != NO_PORT && tcgetattr(port.descriptor, &state) == 0;
}

bool PortIsBackedUp(void)
{
    return port.backedUp;
}

// Writes bytes until they are all out or the allowance has passed; returns
// how many went and sets *error (ETIME when the allowance passed).
static unsigned long WriteWithin(const void *bytes, unsigned long count, int *error)
{
    long long deadline = MonotonicMs() + port.timeouts.constantMs + (long long)port.timeouts.msPerByte * count;
    unsigned long written = 0;
    *error = 0;
    while (written < count) {
        ssize_t moved = write(port.descriptor, (const char *)bytes + written, count - written);
        if (moved > 0) {
            written += (unsigned long)moved;
            continue;
        }
        if (moved < 0 && errno != EAGAIN && errno != EINTR) {
            *error = errno;
            break;
        }
        // poll, not select, which fails past descriptor 1023.
        struct pollfd room = {port.descriptor, POLLOUT, 0};
        long long left = deadline - MonotonicMs();
        if (left <= 0 || poll(&room, 1, (int)left) == 0) {
            *error = ETIME;
            break;
        }
    }
    return written;
}

WriteOutcome WritePort(const void *bytes, unsigned long count, const char **errorText)
{
    *errorText = 0;
    int error = EBADF;
    unsigned long written = port.descriptor == NO_PORT ? 0 : WriteWithin(bytes, count, &error);
    // Only a deadline passed means held; any write error means gone.
    WriteOutcome outcome = port.descriptor != NO_PORT && written == count ? WRITE_WHOLE
                           : error == ETIME                                ? WRITE_STALLED
                                                                           : WRITE_LOST;
    port.backedUp = BackedUpAfter(outcome, count, port.backedUp);
    if (outcome == WRITE_WHOLE)
        return outcome;
    *errorText = ComposeErrorText("Error writing string", error);
    // A lost port is closed at once: the kernel gives a replugged adapter
    // the port's name again only after the last close.
    if (outcome == WRITE_LOST)
        ClosePort(true);
    return outcome;
}

// Lets what the port still holds go out while the line moves, for at most
// a write's allowance. What is left then, or all of it with discard or on a
// backed-up line, is discarded, since close() would wait for it (up to 30 s).
static void LetQueuedOutputGo(bool discard)
{
    int queued = 0;
    long long deadline = MonotonicMs() + port.timeouts.constantMs;
    while (!discard && !port.backedUp && ioctl(port.descriptor, TIOCOUTQ, &queued) == 0 && queued > 0 &&
           MonotonicMs() < deadline + (long long)port.timeouts.msPerByte * queued)
        poll(NULL, 0, DRAIN_POLL_MS);
    if (discard || port.backedUp || queued > 0)
        tcflush(port.descriptor, TCOFLUSH);
}

void ClosePort(bool discardOutput)
{
    if (port.descriptor != NO_PORT) {
        LetQueuedOutputGo(discardOutput);
        close(port.descriptor);
    }
    port.descriptor = NO_PORT;
    port.configured = false;
    port.backedUp = false;
}
