// KesmardDisplay.cs: KESMARD.dll for C# and the other .NET languages. Add
// the file to the project; it needs nothing beyond the base library.
using System;
using System.Runtime.InteropServices;
using System.Text;

/// <summary>The nine entry points of KESMARD.dll and the four answers of
/// DISPLAYDLL_Status. An x86 build takes the 32-bit DLL, an x64 build the
/// 64-bit one; an AnyCPU build calls LoadForThisProcess first.</summary>
public static class KesmardDisplay
{
    const string Module = "KESMARD.dll";

    [DllImport("kernel32.dll", CharSet = CharSet.Unicode, ExactSpelling = true, SetLastError = true)]
    static extern IntPtr LoadLibraryW(string path);

    /// <summary>For an AnyCPU build on x86 or x64 Windows, which runs 32-bit
    /// or 64-bit as Windows chooses: loads the KESMARD.dll of the process's
    /// bitness from the x86 or x64 folder beside the program. Once it is
    /// loaded, every call below goes to it.</summary>
    public static void LoadForThisProcess()
    {
        string folder = Environment.Is64BitProcess ? "x64" : "x86";
        string path = System.IO.Path.Combine(AppDomain.CurrentDomain.BaseDirectory, folder, Module);
        if (LoadLibraryW(path) == IntPtr.Zero)
            throw new DllNotFoundException(path + ": error " + Marshal.GetLastWin32Error());
    }

    // Texts come back as IntPtr, to be read with TextOf: a string return
    // would make the marshaller free the module's buffer. Strings go out in
    // the process's ANSI code page; BestFitMapping off and
    // ThrowOnUnmappableChar make a character that code page lacks an
    // exception instead of a look-alike or a '?'.
    [DllImport(Module, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true,
               BestFitMapping = false, ThrowOnUnmappableChar = true)]
    public static extern IntPtr DISPLAYDLL_Init(byte columns, byte rows, string parameters, out byte ok);

    [DllImport(Module, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
    public static extern void DISPLAYDLL_Done();

    [DllImport(Module, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi, ExactSpelling = true,
               BestFitMapping = false, ThrowOnUnmappableChar = true)]
    public static extern void DISPLAYDLL_Write(string text);

    // The same entry point for exact bytes. It reads up to a 0 byte, so it
    // is only ever handed an array that DISPLAYDLL_Write(byte[]) below has
    // made with one at its end.
    [DllImport(Module, EntryPoint = "DISPLAYDLL_Write", CallingConvention = CallingConvention.StdCall,
               ExactSpelling = true)]
    static extern void WriteZeroEnded(byte[] zeroEndedText);

    /// <summary>Sends the bytes as they are (the module sends at most 255):
    /// text already in the display's character table. The 0 byte the module
    /// needs after the text is added here, on a copy, so the array needs
    /// none, and the module never reads past it. An array that already ends
    /// in a 0 byte sends the bytes before it; a 0 byte anywhere else throws
    /// ArgumentException: the module would stop there and drop the bytes
    /// after it.</summary>
    public static void DISPLAYDLL_Write(byte[] text)
    {
        if (text == null)
            throw new ArgumentNullException("text");
        int length = text.Length;
        if (length > 0 && text[length - 1] == 0)
            length--;
        int zero = Array.IndexOf(text, (byte)0, 0, length);
        if (zero >= 0)
            throw new ArgumentException("a 0 byte at " + zero + ", where the module's text would end", "text");
        byte[] zeroEnded = new byte[length + 1];
        Array.Copy(text, zeroEnded, length);
        WriteZeroEnded(zeroEnded);
    }

    [DllImport(Module, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
    public static extern void DISPLAYDLL_SetPosition(byte x, byte y);

    [DllImport(Module, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
    public static extern void DISPLAYDLL_PowerResume();

    [DllImport(Module, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
    public static extern IntPtr DISPLAYDLL_Usage();

    [DllImport(Module, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
    public static extern IntPtr DISPLAYDLL_DefaultParameters();

    [DllImport(Module, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
    public static extern IntPtr DISPLAYDLL_DriverName();

    // What DISPLAYDLL_Status answers.
    public const int DISPLAYDLL_STATUS_NOT_SET_UP = 0;
    public const int DISPLAYDLL_STATUS_READY = 1;
    public const int DISPLAYDLL_STATUS_BACKED_UP = 2;
    public const int DISPLAYDLL_STATUS_LOST = 3;

    /// <summary>Whether the display can be reached: one of the four
    /// constants above. Sends nothing, and never waits for another thread's
    /// call.</summary>
    [DllImport(Module, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
    public static extern int DISPLAYDLL_Status();

    /// <summary>Copies a returned text, read in the ANSI code page, less the
    /// line end a system text carries.</summary>
    public static string TextOf(IntPtr text)
    {
        string copy = Marshal.PtrToStringAnsi(text);
        return copy == null ? "" : copy.TrimEnd('\r', '\n');
    }

    /// <summary>Sets the display up; answer is the driver name, or the
    /// reason the set-up failed.</summary>
    public static bool Open(byte columns, byte rows, string parameters, out string answer)
    {
        byte ok;
        answer = TextOf(DISPLAYDLL_Init(columns, rows, parameters, out ok));
        return ok == 1;
    }

    /// <summary>Sends text as bytes of the display's character table, such
    /// as Encoding.GetEncoding(858); at most 255 bytes reach it.</summary>
    public static void Write(string text, Encoding display)
    {
        DISPLAYDLL_Write(display.GetBytes(text));
    }
}
