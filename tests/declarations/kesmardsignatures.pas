{ Compiled by tests/check_kit.sh with both Pascal units of the kit, in the
  mode given on the command line: each entry point of each unit must fit a
  procedural type of its C signature in KESMARD.h, so a declaration that
  drifts (a PChar, a Boolean flag, Integer arguments, a 16-bit Status)
  fails to compile. This unit keeps the objfpc mode, where @ gives a typed
  address that the assignment checks. }
unit KesmardSignatures;

{$MODE OBJFPC}

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

uses KesmardDisplay, KesmardDisplayDynamic;

const
  { Divides by a constant zero, which does not compile, unless both units'
    Status answers are 0 to 3. }
  StatusAnswers = 1 div Ord((KesmardDisplay.DISPLAYDLL_STATUS_NOT_SET_UP = 0) and
    (KesmardDisplay.DISPLAYDLL_STATUS_READY = 1) and (KesmardDisplay.DISPLAYDLL_STATUS_BACKED_UP = 2) and
    (KesmardDisplay.DISPLAYDLL_STATUS_LOST = 3) and (KesmardDisplayDynamic.DISPLAYDLL_STATUS_NOT_SET_UP = 0) and
    (KesmardDisplayDynamic.DISPLAYDLL_STATUS_READY = 1) and (KesmardDisplayDynamic.DISPLAYDLL_STATUS_BACKED_UP = 2) and
    (KesmardDisplayDynamic.DISPLAYDLL_STATUS_LOST = 3));

initialization
  Init := @KesmardDisplay.DISPLAYDLL_Init;
  Done := @KesmardDisplay.DISPLAYDLL_Done;
  Write := @KesmardDisplay.DISPLAYDLL_Write;
  SetPosition := @KesmardDisplay.DISPLAYDLL_SetPosition;
  PowerResume := @KesmardDisplay.DISPLAYDLL_PowerResume;
  Usage := @KesmardDisplay.DISPLAYDLL_Usage;
  DefaultParameters := @KesmardDisplay.DISPLAYDLL_DefaultParameters;
  DriverName := @KesmardDisplay.DISPLAYDLL_DriverName;
  Status := @KesmardDisplay.DISPLAYDLL_Status;
  Init := KesmardDisplayDynamic.DISPLAYDLL_Init;
  Done := KesmardDisplayDynamic.DISPLAYDLL_Done;
  Write := KesmardDisplayDynamic.DISPLAYDLL_Write;
  SetPosition := KesmardDisplayDynamic.DISPLAYDLL_SetPosition;
  PowerResume := KesmardDisplayDynamic.DISPLAYDLL_PowerResume;
  Usage := KesmardDisplayDynamic.DISPLAYDLL_Usage;
  DefaultParameters := KesmardDisplayDynamic.DISPLAYDLL_DefaultParameters;
  DriverName := KesmardDisplayDynamic.DISPLAYDLL_DriverName;
  Status := KesmardDisplayDynamic.DISPLAYDLL_Status;
end.
