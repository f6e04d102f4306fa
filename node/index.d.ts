// KESMARD.dll for Node.js and Electron on Windows (32-bit and 64-bit x86
// processes), libKESMARD.so on Linux (64-bit x86, glibc). A text is a
// string of characters U+0000 to U+00FF, sent one byte each (Latin-1), or
// a Buffer or Uint8Array sent as it is; a zero byte inside is refused
// (RangeError), as is a character above U+00FF. Numbers are whole numbers
// from 0 to 255 (RangeError otherwise). The module is loaded at the first
// call; calls block while the module waits on the port.

/** Opens and sets up the port: ok true and the driver name, or ok false and the reason. */
export function init(columns: number, rows: number, parameters: string | Uint8Array): { ok: boolean; text: string };
/** Sends the text to the display, unchanged (the module sends at most its first 255 bytes). */
export function write(text: string | Uint8Array): void;
/** Moves the cursor to column x, row y, both counted from 1. */
export function setPosition(x: number, y: number): void;
/** Wakes the display again after it lost power. */
export function powerResume(): void;
/** Sends the closing sequence and closes the port. */
export function done(): void;
/** "KESMARD usage: COM3,9600,8,N,1" */
export function usage(): string;
/** "COM3,9600,8,N,1" */
export function defaultParameters(): string;
/** The module's file name less ".dll" (on Linux, less "lib" and ".so"), then " v" and its version. */
export function driverName(): string;
/**
 * Whether the display can be reached, without sending anything: 'notSetUp'
 * before init, after done or a failed init; 'ready' when the port is set up
 * and the line moves; 'backedUp' when a write ran into its timeout (the
 * line is held or slow) until a write goes out whole; 'lost' when the port
 * is gone (the module sets it up again by itself). 'unknown' for a value a
 * later module may add. Never waits for a call another thread has under
 * way: it then answers what the last call found.
 */
export function status(): 'notSetUp' | 'ready' | 'backedUp' | 'lost' | 'unknown';
