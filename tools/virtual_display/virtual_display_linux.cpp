// Virtual display: a serial character display in a terminal, for trying
// the module without hardware. It opens a pseudo-terminal, prints the path
// of its device end (the end a serial port is mapped to) and interprets
// what arrives there (display_screen.h), drawing the screen as it changes.
//
// Usage: virtual_display [--size COLUMNSxROWS] [--link PATH] [--frames | --quiet]
//                        [--save-screen FILE] [--save-trace FILE]
// It runs until interrupted (Ctrl-C, SIGTERM, SIGHUP); then it writes the
// final screen as plain rows and a hex trace of every byte received to the
// files named ("-" for standard output) and removes its link.
#include <errno.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include "display_screen.h"
#include "screen_render.h"
#include "../common/text_fields.h"

enum {
    QUIET_MS = 60,                 // a pause this long ends a burst: the screen is drawn
    TRACE_SIZE = 1024 * 1024,      // bytes kept for the trace
    DRAWN_LINES_EXTRA = 4,         // the lines drawn besides the screen's rows
    HEX_SIZE = 80,
};

enum Drawing {
    DRAW_LIVE,    // one box, redrawn in place (a terminal)
    DRAW_FRAMES,  // a new box after each burst (a log or a pipe)
    DRAW_NONE,
};

static struct {
    Screen screen;
    unsigned char trace[TRACE_SIZE];  // the bytes received, in order
    size_t traceLength;
    size_t drawnTrace;       // trace length at the last drawing
    unsigned long drawnBytes;   // bytes received by the last drawing
    unsigned long drawnEvents;  // events by the last drawing
    bool drawn;              // a live drawing is on the terminal
    char devicePath[128];    // the pseudo-terminal's device end
} display;

static volatile sig_atomic_t stopRequested;

static void RequestStop(int)
{
    stopRequested = 1;
}

static void Draw(Drawing drawing)
{
    char status[256];
    FormatScreenStatus(&display.screen, status, sizeof status);
    if (drawing == DRAW_LIVE) {
        // Back to the top of the previous drawing; each line clears its rest.
        if (display.drawn)
            printf("\x1b[%dA", display.screen.rows + DRAWN_LINES_EXTRA);
        printf("\rvirtual display %dx%d on %s\x1b[K\n", display.screen.columns,
               display.screen.rows, display.devicePath);
        WriteScreenBox(stdout, &display.screen, "\x1b[K\n");
        printf("%s\x1b[K\n", status);
        display.drawn = true;
    } else if (drawing == DRAW_FRAMES) {
        char hex[HEX_SIZE];
        FormatHex(display.trace + display.drawnTrace, display.traceLength - display.drawnTrace, hex,
                  sizeof hex);
        printf("received %s\n", display.screen.bytesFed > display.drawnBytes ? hex : "nothing more");
        WriteScreenBox(stdout, &display.screen, "\n");
        printf("%s\n", status);
    }
    display.drawnTrace = display.traceLength;
    display.drawnBytes = display.screen.bytesFed;
    display.drawnEvents = display.screen.eventCount;
    fflush(stdout);
}

static bool ChangedSinceDrawn(void)
{
    return display.screen.bytesFed != display.drawnBytes ||
           display.screen.eventCount != display.drawnEvents;
}

static void Receive(const unsigned char *bytes, size_t count)
{
    FeedScreen(&display.screen, bytes, count);
    size_t room = sizeof display.trace - display.traceLength;
    size_t kept = count < room ? count : room;
    memcpy(display.trace + display.traceLength, bytes, kept);
    display.traceLength += kept;
}

// Opens a pseudo-terminal whose device end passes bytes unchanged. The
// device end stays open here too, so the line survives a port being closed
// and opened again by the host.
static bool OpenLine(int *master, int *device)
{
    if (openpty(master, device, display.devicePath, NULL, NULL) != 0)
        return false;
    struct termios settings;
    if (tcgetattr(*device, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    return tcsetattr(*device, TCSANOW, &settings) == 0;
}

static bool SaveText(const char *name, void (*write)(FILE *))
{
    if (!name)
        return true;
    FILE *out = strcmp(name, "-") == 0 ? stdout : fopen(name, "w");
    if (!out) {
        fprintf(stderr, "virtual_display: cannot write %s: %s\n", name, strerror(errno));
        return false;
    }
    write(out);
    return out == stdout ? fflush(out) == 0 : fclose(out) == 0;
}

static void WriteFinalScreen(FILE *out)
{
    WriteScreenRows(out, &display.screen);
}

static void WriteTrace(FILE *out)
{
    WriteHexTrace(out, display.trace, display.traceLength, display.screen.bytesFed);
}

static bool ParseSize(const char *text, int *columns, int *rows)
{
    const char *cross = strchr(text, 'x');
    unsigned long c = 0, r = 0;
    if (!cross || !ParseNumber(text, (size_t)(cross - text), SCREEN_MAX_COLUMNS, &c) ||
        !ParseNumber(cross + 1, strlen(cross + 1), SCREEN_MAX_ROWS, &r))
        return false;
    *columns = (int)c;
    *rows = (int)r;
    return true;
}

static int Usage(void)
{
    fprintf(stderr,
            "usage: virtual_display [--size COLUMNSxROWS] [--link PATH] [--frames | --quiet]\n"
            "                       [--save-screen FILE] [--save-trace FILE]\n"
            "size from 1x1 to %dx%d, 20x2 by default; FILE may be - for standard output\n",
            SCREEN_MAX_COLUMNS, SCREEN_MAX_ROWS);
    return 2;
}

int main(int argc, char **argv)
{
    int columns = 20, rows = 2;
    const char *link = 0, *screenFile = 0, *traceFile = 0;
    Drawing drawing = isatty(STDOUT_FILENO) ? DRAW_LIVE : DRAW_FRAMES;
    for (int i = 1; i < argc; i++) {
        const char *option = argv[i];
        bool hasValue = i + 1 < argc;
        if (!strcmp(option, "--frames")) {
            drawing = DRAW_FRAMES;
        } else if (!strcmp(option, "--quiet")) {
            drawing = DRAW_NONE;
        } else if (!hasValue) {
            return Usage();
        } else if (!strcmp(option, "--size")) {
            if (!ParseSize(argv[++i], &columns, &rows))
                return Usage();
        } else if (!strcmp(option, "--link")) {
            link = argv[++i];
        } else if (!strcmp(option, "--save-screen")) {
            screenFile = argv[++i];
        } else if (!strcmp(option, "--save-trace")) {
            traceFile = argv[++i];
        } else {
            return Usage();
        }
    }
    if (!StartScreen(&display.screen, columns, rows))
        return Usage();

    int master = -1, device = -1;
    if (!OpenLine(&master, &device)) {
        fprintf(stderr, "virtual_display: cannot open a pseudo-terminal: %s\n", strerror(errno));
        return 1;
    }
    if (link) {
        unlink(link);
        if (symlink(display.devicePath, link) != 0) {
            fprintf(stderr, "virtual_display: cannot link %s: %s\n", link, strerror(errno));
            return 1;
        }
    }
    struct sigaction stop = {};
    stop.sa_handler = RequestStop;
    sigaction(SIGINT, &stop, NULL);
    sigaction(SIGTERM, &stop, NULL);
    sigaction(SIGHUP, &stop, NULL);

    if (drawing == DRAW_LIVE)
        Draw(drawing);
    else
        printf("virtual display %dx%d on %s\n", columns, rows, display.devicePath);
    fflush(stdout);

    struct pollfd line = {master, POLLIN, 0};
    while (!stopRequested) {
        int ready = poll(&line, 1, QUIET_MS);
        if (ready > 0) {
            unsigned char bytes[4096];
            ssize_t count = read(master, bytes, sizeof bytes);
            if (count > 0)
                Receive(bytes, (size_t)count);
            else if (count < 0 && errno != EINTR && errno != EAGAIN) {
                fprintf(stderr, "virtual_display: reading the line failed: %s\n", strerror(errno));
                break;
            }
        } else if (ready == 0 && ChangedSinceDrawn()) {
            Draw(drawing);
        }
    }

    EndScreenInput(&display.screen);
    if (ChangedSinceDrawn() || drawing == DRAW_LIVE)
        Draw(drawing);
    if (link)
        unlink(link);
    close(device);
    close(master);
    bool saved = SaveText(screenFile, WriteFinalScreen);
    return SaveText(traceFile, WriteTrace) && saved ? 0 : 1;
}
