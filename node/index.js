'use strict';
// KESMARD.dll for Node.js and Electron on Windows, and libKESMARD.so on
// Linux, through koffi. The package holds the module for each machine and
// loads the one of the running process: x86/KESMARD.dll in a 32-bit Windows
// process, x64/KESMARD.dll in a 64-bit one, linux-x64/libKESMARD.so in a
// 64-bit x86 Linux process with glibc.
//
// koffi comes with the package: koffi's part for each of those machines
// (@koromix/koffi-win32-ia32, -win32-x64 and -linux-x64, at the version
// cmake/node_package.cmake pins) is bundled in its node_modules, and the
// one of the running process is loaded. npm installs only the part of the
// machine it installs for, so a koffi taken from the registry would leave a
// 32-bit process without its part where 64-bit Node.js (or the machine
// that builds an Electron app) installed the package, and the other way
// round. npm refuses a part of another machine as a dependency
// (EBADPLATFORM), and a bundled koffi package would run its install step,
// which builds koffi from source wherever it finds no part. A part's main
// module is koffi's native module, the whole of koffi's API, which is what
// koffi's own loader hands out on Windows; the Linux part's main module
// picks its glibc or musl build and hands out the same.
//
// Texts go to the display as bytes. A string is sent as Latin-1, one byte
// per character from U+0000 to U+00FF (pick the display's own character
// table by sending a Buffer instead); a Buffer or Uint8Array is sent as it
// is. The module reads a text up to its first zero byte, so a text holding
// one is refused rather than cut. The texts the module returns are decoded
// byte for byte, as Latin-1.
const path = require('path');

// Inside an Electron archive the module is read from the unpacked copy
// (asarUnpack), since the system cannot load a library from app.asar.
const folder = __dirname.replace(/([\\/])app\.asar([\\/])/, '$1app.asar.unpacked$2');
const linux = process.platform === 'linux';
const modulePath = linux ? path.join(folder, 'linux-x64', 'libKESMARD.so')
                         : path.join(folder, process.arch === 'x64' ? 'x64' : 'x86', 'KESMARD.dll');

let koffi = null;
let api = null;

// Loads koffi and the module at the first call, so that requiring the
// package works on any machine (a build or test step on another system).
function loaded() {
    if (api)
        return api;
    const machine = `${process.platform}-${process.arch}`;
    if (!['win32-ia32', 'win32-x64', 'linux-x64'].includes(machine))
        throw new Error(`kesmard: the module runs in 32-bit and 64-bit x86 Windows processes and ` +
                        `64-bit x86 Linux ones, not in ${process.platform} ${process.arch}`);
    koffi = require(`@koromix/koffi-${machine}`);
    const lib = koffi.load(modulePath);
    // The texts come back as pointers and are decoded here, not as UTF-8.
    // On Linux, __stdcall below means nothing: there is one convention.
    const strlen = koffi.load(linux ? 'libc.so.6' : 'msvcrt.dll').func('size_t strlen(const void *text)');
    api = {
        strlen,
        init: lib.func('const void * __stdcall DISPLAYDLL_Init(uint8_t columns, uint8_t rows, ' +
                       'const uint8_t *parameters, _Out_ uint8_t *ok)'),
        done: lib.func('void __stdcall DISPLAYDLL_Done(void)'),
        write: lib.func('void __stdcall DISPLAYDLL_Write(const uint8_t *text)'),
        setPosition: lib.func('void __stdcall DISPLAYDLL_SetPosition(uint8_t x, uint8_t y)'),
        powerResume: lib.func('void __stdcall DISPLAYDLL_PowerResume(void)'),
        usage: lib.func('const void * __stdcall DISPLAYDLL_Usage(void)'),
        defaultParameters: lib.func('const void * __stdcall DISPLAYDLL_DefaultParameters(void)'),
        driverName: lib.func('const void * __stdcall DISPLAYDLL_DriverName(void)'),
        status: lib.func('int __stdcall DISPLAYDLL_Status(void)'),
    };
    return api;
}

// A text as the zero-terminated bytes the module reads.
function bytes(text, what) {
    let body;
    if (typeof text === 'string') {
        for (let i = 0; i < text.length; i++) {
            const code = text.codePointAt(i);
            if (code > 0xff)
                throw new RangeError(`kesmard: ${what} holds U+${code.toString(16).toUpperCase().padStart(4, '0')} ` +
                                     `at ${i}, beyond Latin-1: send the display's bytes as a Buffer`);
        }
        body = Buffer.from(text, 'latin1');
    } else if (text instanceof Uint8Array) {
        body = Buffer.from(text.buffer, text.byteOffset, text.byteLength);
    } else {
        throw new TypeError(`kesmard: ${what} must be a string, a Buffer or a Uint8Array`);
    }
    const zero = body.indexOf(0);
    if (zero >= 0)
        throw new RangeError(`kesmard: ${what} holds a zero byte at ${zero}, where the module's text would end`);
    return Buffer.concat([body, Buffer.alloc(1)]);
}

function number(value, what) {
    if (!Number.isInteger(value) || value < 0 || value > 255)
        throw new RangeError(`kesmard: ${what} must be a whole number from 0 to 255, not ${value}`);
    return value;
}

// A text the module returned, byte for byte.
function text(pointer) {
    if (!pointer)
        return '';
    const length = Number(api.strlen(pointer));
    if (length === 0)
        return '';
    return Buffer.from(koffi.decode(pointer, koffi.array('uint8_t', length, 'Typed'))).toString('latin1');
}

function init(columns, rows, parameters) {
    const m = loaded();
    const ok = [0];
    const result = m.init(number(columns, 'columns'), number(rows, 'rows'),
                          bytes(parameters, 'parameters'), ok);
    return { ok: ok[0] !== 0, text: text(result) };
}

function write(value) {
    loaded().write(bytes(value, 'the text'));
}

function setPosition(x, y) {
    loaded().setPosition(number(x, 'x'), number(y, 'y'));
}

function powerResume() {
    loaded().powerResume();
}

function done() {
    loaded().done();
}

function usage() {
    return text(loaded().usage());
}

function defaultParameters() {
    return text(loaded().defaultParameters());
}

function driverName() {
    return text(loaded().driverName());
}

// DISPLAYDLL_Status's values by number (DISPLAYDLL_STATUS_NOT_SET_UP is 0).
const STATUS_NAMES = ['notSetUp', 'ready', 'backedUp', 'lost'];

// A number the module may answer in a later version, and this package does
// not know, comes back as 'unknown' rather than an error: a host showing
// the display's state keeps running.
function status() {
    return STATUS_NAMES[loaded().status()] || 'unknown';
}

module.exports = { init, write, setPosition, powerResume, done, usage, defaultParameters, driverName, status };
