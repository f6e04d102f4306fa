// The virtual display's options, bursts, drawing and saving, for both
// platforms' programs.
#include "display_program.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "display_screen.h"
#include "screen_render.h"
#include "../common/text_fields.h"

static const char PROGRAM[] = "virtual_display";

enum {
    TRACE_SIZE = 1024 * 1024,   // bytes kept for the trace
    DRAWN_LINES_EXTRA = 4,      // the lines drawn besides the screen's rows
    HEX_SIZE = 80,
    REASON_SIZE = 160,
};

static struct {
    Screen screen;
    const char *lineName;             // where the bytes come from, for the heading
    unsigned char trace[TRACE_SIZE];  // the bytes received, in order
    size_t traceLength;
    size_t drawnTrace;          // trace length at the last drawing
    unsigned long drawnBytes;   // bytes received by the last drawing
    unsigned long drawnEvents;  // events by the last drawing
    bool drawn;                 // a live drawing is on the terminal
} display;

int RefuseOptions(const OwnOptions *own, const char *reason)
{
    fprintf(stderr,
            "%s: %s\n"
            "usage: %s %s\n"
            "                       [--size COLUMNSxROWS] [--frames | --quiet]\n"
            "                       [--save-screen FILE] [--save-trace FILE]\n"
            "size from 1x1 to %dx%d, 20x2 by default; FILE may be - for standard output\n",
            PROGRAM, reason, PROGRAM, own->usage, SCREEN_MAX_COLUMNS, SCREEN_MAX_ROWS);
    if (own->notes)
        fprintf(stderr, "%s\n", own->notes);
    return EXIT_USAGE;
}

static bool ParseSize(const char *text, int *columns, int *rows)
{
    const char *cross = strchr(text, 'x');
    unsigned long c = 0, r = 0;
    if (!cross || !ParseNumber(text, (size_t)(cross - text), SCREEN_MAX_COLUMNS, &c) ||
        !ParseNumber(cross + 1, strlen(cross + 1), SCREEN_MAX_ROWS, &r) || c == 0 || r == 0)
        return false;
    *columns = (int)c;
    *rows = (int)r;
    return true;
}

// Where the value of a value-taking option goes, or null for an unknown one.
static const char **ValueSlot(const char *option, const OwnOptions *own, DisplayOptions *options)
{
    if (!strcmp(option, "--save-screen"))
        return &options->screenFile;
    if (!strcmp(option, "--save-trace"))
        return &options->traceFile;
    for (size_t i = 0; i < own->count; i++)
        if (!strcmp(option, own->options[i].name))
            return own->options[i].value;
    return 0;
}

bool ReadDisplayOptions(int argc, char **argv, const OwnOptions *own, bool onTerminal,
                        DisplayOptions *options)
{
    DisplayOptions read = {20, 2, onTerminal ? DRAW_LIVE : DRAW_FRAMES, 0, 0};
    char reason[REASON_SIZE];
    for (int i = 1; i < argc; i++) {
        const char *option = argv[i];
        const char **slot = ValueSlot(option, own, &read);
        bool isSize = !strcmp(option, "--size");
        if (!strcmp(option, "--frames")) {
            read.drawing = DRAW_FRAMES;
            continue;
        }
        if (!strcmp(option, "--quiet")) {
            read.drawing = DRAW_NONE;
            continue;
        }
        if (!slot && !isSize)
            snprintf(reason, sizeof reason, "unknown option '%s'", option);
        else if (i + 1 >= argc)
            snprintf(reason, sizeof reason, "a value is missing after '%s'", option);
        else if (isSize && !ParseSize(argv[i + 1], &read.columns, &read.rows))
            snprintf(reason, sizeof reason, "bad size '%s'", argv[i + 1]);
        else
            reason[0] = '\0';
        if (reason[0]) {
            RefuseOptions(own, reason);
            return false;
        }
        if (slot)
            *slot = argv[i + 1];
        i++;
    }
    *options = read;
    return true;
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
               display.screen.rows, display.lineName);
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

static bool SaveText(const char *name, void (*write)(FILE *))
{
    if (!name)
        return true;
    FILE *out = strcmp(name, "-") == 0 ? stdout : fopen(name, "w");
    if (!out) {
        fprintf(stderr, "%s: cannot write %s: %s\n", PROGRAM, name, strerror(errno));
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

int RunDisplay(const DisplayOptions *options, const char *lineName, LineReader read)
{
    StartScreen(&display.screen, options->columns, options->rows);
    display.lineName = lineName;
    if (options->drawing == DRAW_LIVE)
        Draw(options->drawing);
    else
        printf("virtual display %dx%d on %s\n", options->columns, options->rows, lineName);
    fflush(stdout);

    static unsigned char bytes[4096];
    long count;
    while ((count = read(bytes, sizeof bytes)) >= 0) {
        if (count > 0)
            Receive(bytes, (size_t)count);
        else if (ChangedSinceDrawn())
            Draw(options->drawing);
    }

    EndScreenInput(&display.screen);
    if (ChangedSinceDrawn() || options->drawing == DRAW_LIVE)
        Draw(options->drawing);
    bool saved = SaveText(options->screenFile, WriteFinalScreen);
    saved = SaveText(options->traceFile, WriteTrace) && saved;
    return saved && count != LINE_FAILED ? 0 : 1;
}
