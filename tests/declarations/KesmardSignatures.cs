// Compiled with the C# declarations of doc/LANGUAGES.md by tests/check_kit.sh:
// each entry point must fit a delegate of its C signature in KESMARD.h, so a
// declaration that drifts (a string return, a bool or int flag, int
// arguments) fails to compile.
using System;

public static class KesmardSignatures
{
    delegate IntPtr Init(byte columns, byte rows, string parameters, out byte ok);
    delegate void NoArguments();
    delegate void Write(string text);
    delegate void SetPosition(byte x, byte y);
    delegate IntPtr Text();
    delegate int Status();

    public static Delegate[] All()
    {
        return new Delegate[] {
            (Init)KesmardDisplay.DISPLAYDLL_Init,
            (NoArguments)KesmardDisplay.DISPLAYDLL_Done,
            (Write)KesmardDisplay.DISPLAYDLL_Write,
            (SetPosition)KesmardDisplay.DISPLAYDLL_SetPosition,
            (NoArguments)KesmardDisplay.DISPLAYDLL_PowerResume,
            (Text)KesmardDisplay.DISPLAYDLL_Usage,
            (Text)KesmardDisplay.DISPLAYDLL_DefaultParameters,
            (Text)KesmardDisplay.DISPLAYDLL_DriverName,
            (Status)KesmardDisplay.DISPLAYDLL_Status,
        };
    }
}
