"""KESMARD.dll for Python on Windows, and libKESMARD.so on Linux, through
ctypes.

On Windows the module loads the KESMARD.dll of the running interpreter's
bitness: by default the 32-bit one from an x86 folder beside this file, the
64-bit one from an x64 folder (only the one your interpreter takes is
needed). On Linux it loads libKESMARD.so from beside this file. Call
load(path) first to take the library from elsewhere; otherwise the first
call loads the default one.

Texts go to the display as bytes: bytes and bytearray pass through as they
are, and a str is encoded in the encoding the caller names, the display's
character table (such as "cp858"). Texts the module returns come back as
str decoded as Latin-1, one character for each byte, so that
text.encode("latin-1") gives the module's bytes back unchanged (on Windows
a failure text is in the ANSI code page: .encode("latin-1").decode("mbcs")
reads it as Windows wrote it).

Numbers (columns, rows, x, y) are one byte in the module; a number outside
0 to 255 raises ValueError here, where ctypes' c_ubyte would silently keep
its low byte (300 as 44, -1 as 255).
"""
import ctypes
import os
import struct

# What status() answers.
DISPLAYDLL_STATUS_NOT_SET_UP = 0
DISPLAYDLL_STATUS_READY = 1
DISPLAYDLL_STATUS_BACKED_UP = 2
DISPLAYDLL_STATUS_LOST = 3

STATUS_NAMES = {
    DISPLAYDLL_STATUS_NOT_SET_UP: "not set up",
    DISPLAYDLL_STATUS_READY: "ready",
    DISPLAYDLL_STATUS_BACKED_UP: "backed up",
    DISPLAYDLL_STATUS_LOST: "lost",
}

_dll = None


def default_path():
    """On Windows x64/KESMARD.dll beside this file in a 64-bit interpreter,
    x86/KESMARD.dll in a 32-bit one; elsewhere libKESMARD.so beside this
    file."""
    here = os.path.dirname(os.path.abspath(__file__))
    if not _windows():
        return os.path.join(here, "libKESMARD.so")
    folder = "x64" if struct.calcsize("P") == 8 else "x86"
    return os.path.join(here, folder, "KESMARD.dll")


def _windows():
    # ctypes has WinDLL on Windows only.
    return hasattr(ctypes, "WinDLL")


def load(path=None):
    """Loads the module from path, a full path to a library of the
    interpreter's bitness, or from default_path(), and declares its entry
    points; returns the ctypes library. Python 3.8 and later load a DLL
    by its full path (or from a folder given to os.add_dll_directory),
    not from PATH. A second call loads nothing and returns the same
    library."""
    global _dll
    if _dll is not None:
        return _dll
    # WinDLL calls stdcall (on x64, the one convention there is); Linux has
    # one convention, which CDLL calls.
    dll = (ctypes.WinDLL if _windows() else ctypes.CDLL)(path or default_path())
    # c_char_p results are copied into bytes as the call returns; the ok
    # flag is one unsigned byte.
    text = ctypes.c_char_p
    byte = ctypes.c_ubyte
    for name, argtypes, restype in (
            ("DISPLAYDLL_Init", [byte, byte, ctypes.c_char_p, ctypes.POINTER(byte)], text),
            ("DISPLAYDLL_Done", [], None),
            ("DISPLAYDLL_Write", [ctypes.c_char_p], None),
            ("DISPLAYDLL_SetPosition", [byte, byte], None),
            ("DISPLAYDLL_PowerResume", [], None),
            ("DISPLAYDLL_Usage", [], text),
            ("DISPLAYDLL_DefaultParameters", [], text),
            ("DISPLAYDLL_DriverName", [], text),
            ("DISPLAYDLL_Status", [], ctypes.c_int)):
        function = getattr(dll, name)
        function.argtypes = argtypes
        function.restype = restype
    _dll = dll
    return dll


def _byte(value, what):
    if not isinstance(value, int) or not 0 <= value <= 255:
        raise ValueError("%s must be a whole number from 0 to 255, not %r" % (what, value))
    return value


def _bytes(text, encoding, what):
    if isinstance(text, str):
        if encoding is None:
            raise TypeError("%s is a str: name the display's encoding, such as \"cp858\"" % what)
        text = text.encode(encoding)
    elif isinstance(text, (bytes, bytearray)):
        text = bytes(text)
    else:
        raise TypeError("%s must be bytes or str, not %s" % (what, type(text).__name__))
    # The module reads up to a zero byte, so one inside would cut the text.
    if b"\0" in text:
        raise ValueError("%s holds a zero byte at %d, where the module's text would end"
                         % (what, text.index(b"\0")))
    return text


def _text(answer):
    return answer.decode("latin-1") if answer else ""


def init(columns, rows, parameters, encoding="ascii"):
    """Sets the display up; returns (ok, text), text being the driver name,
    or the reason the set-up failed less the CR LF a system text ends in.
    parameters is bytes or an ASCII str: "COM3,9600,8,N,1"."""
    ok = ctypes.c_ubyte(0)
    answer = load().DISPLAYDLL_Init(_byte(columns, "columns"), _byte(rows, "rows"),
                                    _bytes(parameters, encoding, "parameters"), ctypes.byref(ok))
    return ok.value == 1, _text(answer).rstrip("\r\n")


def done():
    load().DISPLAYDLL_Done()


def write(text, encoding=None):
    """Sends text: bytes as they are, a str encoded in encoding, the
    display's character table ("cp858"; a character it lacks raises
    UnicodeEncodeError). The module sends at most 255 bytes."""
    load().DISPLAYDLL_Write(_bytes(text, encoding, "text"))


def set_position(x, y):
    """Moves the cursor to column x, row y, both counted from 1."""
    load().DISPLAYDLL_SetPosition(_byte(x, "x"), _byte(y, "y"))


def power_resume():
    load().DISPLAYDLL_PowerResume()


def usage():
    return _text(load().DISPLAYDLL_Usage())


def default_parameters():
    return _text(load().DISPLAYDLL_DefaultParameters())


def driver_name():
    return _text(load().DISPLAYDLL_DriverName())


def status():
    """Whether the display can be reached: one of the DISPLAYDLL_STATUS_
    numbers above (STATUS_NAMES names them). Sends nothing, and never waits
    for another thread's call."""
    return load().DISPLAYDLL_Status()
