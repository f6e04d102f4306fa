{ Compiled with bindings/KesmardDisplay.pas by tests/check_kit.sh, the unit
  in the mode given on the command line: each entry point must fit a
  procedural type of its C signature in KESMARD.h, so a declaration that
  drifts (a PChar, a Boolean or LongBool flag, Integer arguments, a 16-bit
  Status) fails to compile. This unit keeps the objfpc mode, where @ gives
  a typed address that the assignment checks. }
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

uses KesmardDisplay;

initialization
  Init := @DISPLAYDLL_Init;
  Done := @DISPLAYDLL_Done;
  Write := @DISPLAYDLL_Write;
  SetPosition := @DISPLAYDLL_SetPosition;
  PowerResume := @DISPLAYDLL_PowerResume;
  Usage := @DISPLAYDLL_Usage;
  DefaultParameters := @DISPLAYDLL_DefaultParameters;
  DriverName := @DISPLAYDLL_DriverName;
  Status := @DISPLAYDLL_Status;
{$IF (DISPLAYDLL_STATUS_NOT_SET_UP <> 0) or (DISPLAYDLL_STATUS_READY <> 1) or
     (DISPLAYDLL_STATUS_BACKED_UP <> 2) or (DISPLAYDLL_STATUS_LOST <> 3)}
  {$ERROR the Status constants are not 0 to 3}
{$ENDIF}
end.
