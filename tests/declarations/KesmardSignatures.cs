// Compiled with bindings/KesmardDisplay.cs by tests/check_kit.sh: each entry
// point must fit a delegate of its C signature in KESMARD.h, so a declaration
// that drifts (a string return, a bool or int flag, int arguments) fails to
// compile, as does a Status answer of another value.
using System;

public static class KesmardSignatures
{
    delegate IntPtr Init(byte columns, byte rows, string parameters, out byte ok);
    delegate void NoArguments();
    delegate void Write(string text);
    delegate void WriteBytes(byte[] text);
    delegate void SetPosition(byte x, byte y);
    delegate IntPtr Text();
    delegate int Status();

    // Divides by a constant zero, which does not compile, unless the Status
    // answers are 0 to 3.
    const int StatusAnswers = 1 / (KesmardDisplay.DISPLAYDLL_STATUS_NOT_SET_UP == 0 && KesmardDisplay.DISPLAYDLL_STATUS_READY == 1 &&
                                   KesmardDisplay.DISPLAYDLL_STATUS_BACKED_UP == 2 && KesmardDisplay.DISPLAYDLL_STATUS_LOST == 3 ? 1 : 0);

    public static Delegate[] All()
    {
        return new Delegate[] {
            (Init)KesmardDisplay.DISPLAYDLL_Init, (NoArguments)KesmardDisplay.DISPLAYDLL_Done,
            (Write)KesmardDisplay.DISPLAYDLL_Write, (WriteBytes)KesmardDisplay.DISPLAYDLL_Write,
            (SetPosition)KesmardDisplay.DISPLAYDLL_SetPosition, (NoArguments)KesmardDisplay.DISPLAYDLL_PowerResume,
            (Text)KesmardDisplay.DISPLAYDLL_Usage, (Text)KesmardDisplay.DISPLAYDLL_DefaultParameters,
            (Text)KesmardDisplay.DISPLAYDLL_DriverName, (Status)KesmardDisplay.DISPLAYDLL_Status,
        };
    }
}
