'use strict';
// Drives the npm package kesmard on the virtual serial line, the module on
// COM3, and reads what arrives at the display's end, COM4, through
// kernel32. Run by Node.js for Windows under Wine in the folder the package
// was installed into, for the machine the first argument names; prints one
// line per check and exits 1 on any failure.
const { createRequire } = require('module');

// Standard error is lost under the line runner.
process.on('uncaughtException', (error) => {
    console.log(`FAILED ${error.stack}`);
    process.exit(1);
});

const kesmard = require('kesmard');

const VERSION = '1.1.0.0';  // written here apart from the build's own
const POWER_RESUME = [0x1b, 0x02, 0x1b, 0x05, 0x1b, 0x08, 0x1b, 0x0c, 0x1b, 0x0e, 0x1b, 0x20];

let failures = 0;
function check(what, expected, got) {
    const same = JSON.stringify(expected) === JSON.stringify(got);
    console.log(`${same ? 'ok  ' : 'FAILED'} ${what}`);
    if (!same) {
        console.log(`      expected ${JSON.stringify(expected)}\n      got      ${JSON.stringify(got)}`);
        failures++;
    }
}

// The display's end, through the koffi the package holds for this process.
const koffi = createRequire(require.resolve('kesmard'))(`@koromix/koffi-win32-${process.arch}`);
const kernel32 = koffi.load('kernel32.dll');
koffi.struct('COMMTIMEOUTS', {interval: 'uint32_t', multiplier: 'uint32_t', constant: 'uint32_t',
                              writeMultiplier: 'uint32_t', writeConstant: 'uint32_t'});
const CreateFileA = kernel32.func('void * __stdcall CreateFileA(const char *name, uint32_t access, ' +
    'uint32_t share, void *security, uint32_t disposition, uint32_t flags, void *model)');
const SetCommTimeouts = kernel32.func('bool __stdcall SetCommTimeouts(void *file, const COMMTIMEOUTS *timeouts)');
const ReadFile = kernel32.func('bool __stdcall ReadFile(void *file, _Out_ uint8_t *buffer, uint32_t size, ' +
    '_Out_ uint32_t *got, void *overlapped)');
const GENERIC_READ_WRITE = 0xc0000000, OPEN_EXISTING = 3;
const displayEnd = CreateFileA('COM4', GENERIC_READ_WRITE, 0, null, OPEN_EXISTING, 0, null);
// A read returns with the bytes there as soon as there are any, or with
// none after two seconds.
SetCommTimeouts(displayEnd, {interval: 0xffffffff, multiplier: 0xffffffff, constant: 2000,
                             writeMultiplier: 0, writeConstant: 0});

// The line carries expected next: reads as many bytes, or what came before
// a read found none. A byte too many shows in the next check.
function line(what, expected) {
    let bytes = [];
    for (let more = [0]; more.length > 0 && bytes.length < expected.length; bytes = bytes.concat(more)) {
        const buffer = Buffer.alloc(expected.length - bytes.length);
        const got = [0];
        more = ReadFile(displayEnd, buffer, buffer.length, got, null) ? [...buffer.subarray(0, got[0])] : [];
    }
    check(what, expected, bytes);
}

console.log(`Node.js ${process.version} ${process.arch}, the package installed for ${process.argv[2]}`);
check('npm installed the package for the other machine', {ia32: 'x64', x64: 'ia32'}[process.arch],
      process.argv[2]);
check('driverName', `KESMARD v${VERSION}`, kesmard.driverName());
check('usage', 'KESMARD usage: COM3,9600,8,N,1', kesmard.usage());
check('defaultParameters', 'COM3,9600,8,N,1', kesmard.defaultParameters());
check('status before init', 'notSetUp', kesmard.status());
const missing = kesmard.init(20, 2, 'COM200,9600,8,N,1');
check('init on a missing port', {ok: false, text: 'Serial Port does not exist : '},
      {ok: missing.ok, text: missing.text.slice(0, 'Serial Port does not exist : '.length)});

check('init', {ok: true, text: `KESMARD v${VERSION}`}, kesmard.init(20, 2, 'COM3,9600,8,N,1'));
line('init sends the power-resume sequence', POWER_RESUME);
check('status after init', 'ready', kesmard.status());
kesmard.setPosition(1, 2);
line('setPosition(1, 2) sends the cursor command', [0x1b, 0x13, 20]);
kesmard.write('FRESH $2.50');
line('a text arrives as its bytes', [0x46, 0x52, 0x45, 0x53, 0x48, 0x20, 0x24, 0x32, 0x2e, 0x35, 0x30]);
kesmard.write('Caf\u00e9 \u00a3');
line('Latin-1 characters arrive as one byte each', [0x43, 0x61, 0x66, 0xe9, 0x20, 0xa3]);
kesmard.write(Buffer.from([0x80, 0xd5, 0x1b, 0xff, 0x7f]));
line('a Buffer arrives as it is', [0x80, 0xd5, 0x1b, 0xff, 0x7f]);
kesmard.write(new Uint8Array([0x9c, 0x41]));
line('a Uint8Array arrives as it is', [0x9c, 0x41]);

// Refused before anything is sent.
for (const [what, call, kind] of [
    ['a character above U+00FF', () => kesmard.write('5 \u20ac'), RangeError],
    ['a zero byte in a string', () => kesmard.write('a\u0000b'), RangeError],
    ['a zero byte in a Buffer', () => kesmard.write(Buffer.from([0x41, 0])), RangeError],
    ['a number', () => kesmard.write(42), TypeError],
    ['a column past 255', () => kesmard.setPosition(256, 1), RangeError],
]) {
    let thrown = null;
    try {
        call();
    } catch (error) {
        thrown = error.constructor.name;
    }
    check(`refused: ${what}`, kind.name, thrown);
}
kesmard.powerResume();
line('powerResume, and nothing sent by the refused calls', POWER_RESUME);
kesmard.done();
line('done sends the closing sequence', [0x1b, 0x02]);
check('status after done', 'notSetUp', kesmard.status());

console.log(`kesmard package on ${process.arch}: ${failures} failed`);
process.exitCode = failures === 0 ? 0 : 1;
