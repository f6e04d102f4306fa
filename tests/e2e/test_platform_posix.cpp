// The test programs' platform calls through POSIX. The line's ends are the
// pty paths the runner gives in KESMARD_MODULE_END, KESMARD_DISPLAY_END and
// KESMARD_CONTROL.
#include "test_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

const char PLATFORM[] = "linux";
const char LOG_PATH[] = "logs/KESMARD.log";

// COM3 and COM12 name /dev/ttyS2 and /dev/ttyS11, which this machine
// lacks; the line is a pty.
static const char NO_PORT[] = "Serial Port does not exist : No such file or directory";
const PlatformTexts PLATFORM_TEXTS = {0, NO_PORT, "Failed to set Serial Port state : Invalid argument",
                                      "Failed to get Serial Port state : Inappropriate ioctl for device", NO_PORT,
                                      "an open file can be deleted here: the descriptor count shows the log's release",
                                      "the unload discards queued output here: a cycle without Done awaits its bytes"};

enum { READ_WAIT_MS = 50, CONTROL_LIMIT_MS = 10000 };

void ModuleCopyPath(const char *baseName, char *path, size_t size)
{
    snprintf(path, size, "./lib%s.so", baseName);
}

void LogPathOf(const char *baseName, char *path, size_t size)
{
    snprintf(path, size, "logs/%s.log", baseName);
}

unsigned long MillisecondsNow(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (unsigned long)now.tv_sec * 1000UL + (unsigned long)(now.tv_nsec / 1000000);
}

void SleepMs(unsigned long ms)
{
    struct timespec wait = {(time_t)(ms / 1000), (long)(ms % 1000) * 1000000L};
    nanosleep(&wait, NULL);
}

bool CopyWholeFile(const char *from, const char *to)
{
    static char bytes[1 << 20];
    FILE *in = fopen(from, "rb"), *out = fopen(to, "wb");
    size_t length = in ? fread(bytes, 1, sizeof bytes, in) : 0;
    bool whole = in && out && fwrite(bytes, 1, length, out) == length && feof(in);
    if (in)
        fclose(in);
    return out && fclose(out) == 0 && whole;
}

void SortableLocalTime(char (&sortable)[16])
{
    time_t now = time(NULL);
    struct tm local;
    localtime_r(&now, &local);
    strftime(sortable, sizeof sortable, "%y%m%d%H%M%S", &local);
}

void EnterFolder(const char *name, char (&previous)[1024])
{
    if (!getcwd(previous, sizeof previous))
        previous[0] = '\0';
    mkdir(name, 0777);
    if (chdir(name) != 0)
        perror(name);
}

void LeaveFolder(const char (&previous)[1024])
{
    if (chdir(previous) != 0)
        perror(previous);
}

static int CompareNames(const void *a, const void *b)
{
    return strcmp((const char *)a, (const char *)b);
}

size_t ListFolder(const char *folder, bool subFolders, const char *suffix, ListedName *names, size_t max)
{
    DIR *listing = opendir(folder);
    size_t count = 0;
    for (struct dirent *entry; listing && count < max && (entry = readdir(listing));) {
        char path[1024];
        struct stat status;
        snprintf(path, sizeof path, "%s/%s", folder, entry->d_name);
        size_t length = strlen(entry->d_name), suffixLength = subFolders ? 0 : strlen(suffix);
        bool named = length > suffixLength && strcmp(entry->d_name + length - suffixLength, subFolders ? "" : suffix) == 0;
        if (entry->d_name[0] != '.' && named && stat(path, &status) == 0 && S_ISDIR(status.st_mode) == subFolders &&
            length - suffixLength < sizeof names[0])
            snprintf(names[count++], sizeof names[0], "%.*s", (int)(length - suffixLength), entry->d_name);
    }
    if (listing)
        closedir(listing);
    qsort(names, count, sizeof names[0], CompareNames);
    return count;
}

struct ThreadStart {
    void (*body)(void *);
    void *argument;
    pthread_mutex_t lock;
    pthread_cond_t ended;
    bool done;
};

static void *RunThread(void *argument)
{
    ThreadStart *start = (ThreadStart *)argument;
    start->body(start->argument);
    pthread_mutex_lock(&start->lock);
    start->done = true;
    pthread_cond_signal(&start->ended);
    pthread_mutex_unlock(&start->lock);
    return NULL;
}

bool RunWithin(void (*body)(void *), void *argument, unsigned long limitMs)
{
    static ThreadStart start;
    start = {body, argument, PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER, false};
    pthread_t thread;
    pthread_create(&thread, NULL, RunThread, &start);
    struct timespec deadline;
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += (time_t)(limitMs / 1000);
    pthread_mutex_lock(&start.lock);
    while (!start.done && pthread_cond_timedwait(&start.ended, &start.lock, &deadline) == 0) {
    }
    bool ended = start.done;
    pthread_mutex_unlock(&start.lock);
    if (ended)
        pthread_join(thread, NULL);
    return ended;
}

void StartThread(void (*body)(void *), void *argument)
{
    static ThreadStart start;
    start = {body, argument, PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER, false};
    pthread_t thread;
    pthread_create(&thread, NULL, RunThread, &start);
    pthread_detach(thread);
}

void RunThreads(void (*body)(void *), size_t count)
{
    ThreadStart starts[THREADS_MAX];
    pthread_t threads[THREADS_MAX];
    size_t started = 0;
    for (; started < count && started < THREADS_MAX; started++) {
        starts[started] = {body, (void *)started, PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER, false};
        pthread_create(&threads[started], NULL, RunThread, &starts[started]);
    }
    for (size_t i = 0; i < started; i++)
        pthread_join(threads[i], NULL);
}

static pthread_mutex_t lineLock = PTHREAD_MUTEX_INITIALIZER;

void LockLine(void)
{
    pthread_mutex_lock(&lineLock);
}

void UnlockLine(void)
{
    pthread_mutex_unlock(&lineLock);
}

static int displayEnd = -1, control = -1;

static const char *Given(const char *variable)
{
    const char *path = getenv(variable);
    return path ? path : "";
}

const char *ModuleEndName(void)
{
    return Given("KESMARD_MODULE_END");
}

// Opens a pty end raw, so that every byte arrives as it was sent.
static int OpenRaw(const char *path)
{
    int descriptor = open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
    struct termios raw;
    if (descriptor >= 0 && tcgetattr(descriptor, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(descriptor, TCSANOW, &raw);
    }
    return descriptor;
}

// What has arrived on descriptor, after waiting up to waitMs for a byte.
static size_t ReadWithin(int descriptor, void *bytes, size_t size, int waitMs)
{
    struct pollfd ready = {descriptor, POLLIN, 0};
    ssize_t got = poll(&ready, 1, waitMs) > 0 ? read(descriptor, bytes, size) : 0;
    return got > 0 ? (size_t)got : 0;
}

bool OpenDisplayEnd(void)
{
    displayEnd = OpenRaw(Given("KESMARD_DISPLAY_END"));
    return displayEnd >= 0;
}

void CloseDisplayEnd(void)
{
    close(displayEnd);
    displayEnd = -1;
}

size_t ReadDisplayEnd(unsigned char *bytes, size_t size)
{
    return ReadWithin(displayEnd, bytes, size, READ_WAIT_MS);
}

bool OpenControl(void)
{
    control = OpenRaw(Given("KESMARD_CONTROL"));
    return control >= 0;
}

void AskControl(const char *request, char *answer, size_t size)
{
    // Through stdio, which the line's spy does not count.
    static FILE *requests = fdopen(dup(control), "w");
    bool sent = requests && fputs(request, requests) >= 0 && fflush(requests) == 0;
    answer[0] = '\0';
    for (size_t length = 0; sent && length + 1 < size && !strchr(answer, '\n'); length++) {
        if (ReadWithin(control, answer + length, 1, CONTROL_LIMIT_MS) == 0)
            break;
        answer[length + 1] = '\0';
    }
}
