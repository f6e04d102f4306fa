// The kit's C# binding under Mono, with libKESMARD.so beside the program,
// on the line the first argument names; prints the module's answers, one
// a line.
using System;
using System.Text;

static class LinuxRun
{
    static void Main(string[] args)
    {
        string text;
        bool ok = KesmardDisplay.Open(20, 2, args[0], out text);
        int ready = KesmardDisplay.DISPLAYDLL_Status();
        // As bytes: Mono passes a string as UTF-8 on Linux.
        KesmardDisplay.Write("Caf\u00e9 \u00a3", Encoding.GetEncoding("iso-8859-1"));
        KesmardDisplay.DISPLAYDLL_Done();
        Console.WriteLine(string.Join("\n", text, ok ? 1 : 0, ready, KesmardDisplay.DISPLAYDLL_Status(),
            KesmardDisplay.TextOf(KesmardDisplay.DISPLAYDLL_DriverName()),
            KesmardDisplay.TextOf(KesmardDisplay.DISPLAYDLL_Usage()),
            KesmardDisplay.TextOf(KesmardDisplay.DISPLAYDLL_DefaultParameters())));
    }
}
