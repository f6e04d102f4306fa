unit KesmardDisplayDynamic;

{ The nine entry points of KESMARD.dll and the four answers of
  DISPLAYDLL_Status, for Delphi (any version) and Free Pascal, loaded at
  run time: unlike the static unit KesmardDisplay, a program that uses this
  one starts without KESMARD.dll and runs on without a display. Call
  LoadKesmard first; the calls then read as with the static unit.

  The unit sets no mode of its own: it compiles in each of Free Pascal's
  modes (fpc, objfpc, delphi, delphiunicode), so it takes the project's.
  Functions assign their result to their own name (the fpc mode has no
  Result), and Find sets an entry point through an untyped parameter,
  Pointer(Entry) := GetProcAddress(...): the objfpc mode refuses
  @DISPLAYDLL_Init := ..., and Delphi's reads Pointer(DISPLAYDLL_Init)
  as a call. $H+ makes string a long string in the fpc and
  objfpc modes too; Delphi has it on already. $B- makes LoadKesmard stop
  at the first entry point missing, whatever the project sets. }

{$H+}
{$B-}

interface

type
  TDisplayInit = function(columns, rows: Byte; parameters: PAnsiChar; var ok: Byte): PAnsiChar; stdcall;
  TDisplayProc = procedure; stdcall;
  TDisplayWrite = procedure(text: PAnsiChar); stdcall;
  TDisplaySetPosition = procedure(x, y: Byte); stdcall;
  TDisplayText = function: PAnsiChar; stdcall;
  { A 32-bit LongInt: Integer is 16 bits in the fpc mode. }
  TDisplayStatus = function: LongInt; stdcall;

{ What DISPLAYDLL_Status answers. }
const
  DISPLAYDLL_STATUS_NOT_SET_UP = 0;
  DISPLAYDLL_STATUS_READY = 1;
  DISPLAYDLL_STATUS_BACKED_UP = 2;
  DISPLAYDLL_STATUS_LOST = 3;

{ nil until LoadKesmard answers True. }
var
  DISPLAYDLL_Init: TDisplayInit;
  DISPLAYDLL_Done, DISPLAYDLL_PowerResume: TDisplayProc;
  DISPLAYDLL_Write: TDisplayWrite;
  DISPLAYDLL_SetPosition: TDisplaySetPosition;
  DISPLAYDLL_Usage, DISPLAYDLL_DefaultParameters, DISPLAYDLL_DriverName: TDisplayText;
  DISPLAYDLL_Status: TDisplayStatus;

{ Loads the DLL (a full path, or a name Windows searches for) and finds the
  nine entry points. True: all nine are set, and later calls answer True
  without loading anything again. False: the DLL could not be loaded or
  lacks an entry point (an older KESMARD.dll has no DISPLAYDLL_Status); the
  library is freed again and all nine are nil, so nothing half-loaded is
  left to call, and a later call tries again from the start. }
function LoadKesmard(const Path: string): Boolean;

implementation

uses Windows;

var
  Module: HMODULE;

{ Sets Entry to the module's entry point Name, nil when it has none. }
function Find(var Entry; Name: PAnsiChar): Boolean;
begin
  Pointer(Entry) := GetProcAddress(Module, Name);
  Find := Pointer(Entry) <> nil;
end;

procedure Forget;
begin
  DISPLAYDLL_Init := nil;
  DISPLAYDLL_Done := nil;
  DISPLAYDLL_Write := nil;
  DISPLAYDLL_SetPosition := nil;
  DISPLAYDLL_PowerResume := nil;
  DISPLAYDLL_Usage := nil;
  DISPLAYDLL_DefaultParameters := nil;
  DISPLAYDLL_DriverName := nil;
  DISPLAYDLL_Status := nil;
end;

function LoadKesmard(const Path: string): Boolean;
var
  Found: Boolean;
begin
  LoadKesmard := True;
  if Module <> 0 then
    Exit;
{$IFDEF UNICODE}
  Module := LoadLibraryW(PWideChar(Path));
{$ELSE}
  Module := LoadLibraryA(PAnsiChar(Path));
{$ENDIF}
  Found := (Module <> 0) and
    Find(DISPLAYDLL_Init, 'DISPLAYDLL_Init') and
    Find(DISPLAYDLL_Done, 'DISPLAYDLL_Done') and
    Find(DISPLAYDLL_Write, 'DISPLAYDLL_Write') and
    Find(DISPLAYDLL_SetPosition, 'DISPLAYDLL_SetPosition') and
    Find(DISPLAYDLL_PowerResume, 'DISPLAYDLL_PowerResume') and
    Find(DISPLAYDLL_Usage, 'DISPLAYDLL_Usage') and
    Find(DISPLAYDLL_DefaultParameters, 'DISPLAYDLL_DefaultParameters') and
    Find(DISPLAYDLL_DriverName, 'DISPLAYDLL_DriverName') and
    Find(DISPLAYDLL_Status, 'DISPLAYDLL_Status');
  if not Found then
  begin
    Forget;
    if Module <> 0 then
      FreeLibrary(Module);
    Module := 0;
    LoadKesmard := False;
  end;
end;

end.
