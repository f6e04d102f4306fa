{ Compiled with the Delphi and Free Pascal declarations of doc/LANGUAGES.md by
  tests/check_kit.sh, in the mode given on the command line: each entry
  point must fit a procedural type of its C signature in KESMARD.h, so a
  declaration that drifts (a PChar, a Boolean or LongBool flag, Integer
  arguments) fails to compile. }
unit KesmardSignatures;

interface

type
  TInit = function(columns, rows: Byte; parameters: PAnsiChar; var ok: Byte): PAnsiChar; stdcall;
  TNoArguments = procedure; stdcall;
  TWrite = procedure(text: PAnsiChar); stdcall;
  TSetPosition = procedure(x, y: Byte); stdcall;
  TText = function: PAnsiChar; stdcall;
  TStatus = function: LongInt; stdcall;

var
  Init: TInit;
  Done, PowerResume: TNoArguments;
  Write: TWrite;
  SetPosition: TSetPosition;
  Usage, DefaultParameters, DriverName: TText;
  Status: TStatus;

implementation

uses KesmardDisplay;

initialization
  Init := DISPLAYDLL_Init;
  Done := DISPLAYDLL_Done;
  Write := DISPLAYDLL_Write;
  SetPosition := DISPLAYDLL_SetPosition;
  PowerResume := DISPLAYDLL_PowerResume;
  Usage := DISPLAYDLL_Usage;
  DefaultParameters := DISPLAYDLL_DefaultParameters;
  DriverName := DISPLAYDLL_DriverName;
  Status := DISPLAYDLL_Status;
end.
