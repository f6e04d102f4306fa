{ The kit's static unit, linked with libKESMARD.so, on the line the first
  argument names; prints the module's answers, one a line. }
program LinuxRun;

uses KesmardDisplay;

var
  Text: AnsiString;
  Ok: Boolean;
  Ready: LongInt;
begin
  Ok := OpenDisplay(20, 2, ParamStr(1), Text);
  Ready := DISPLAYDLL_Status;
  { The display's bytes as character codes, which no code page converts. }
  DISPLAYDLL_Write('Caf'#$E9' '#$A3);
  DISPLAYDLL_Done;
  WriteLn(Text);
  WriteLn(Ord(Ok));
  WriteLn(Ready);
  WriteLn(DISPLAYDLL_Status);
  WriteLn(TextOf(DISPLAYDLL_DriverName));
  WriteLn(TextOf(DISPLAYDLL_Usage));
  WriteLn(TextOf(DISPLAYDLL_DefaultParameters));
end.
