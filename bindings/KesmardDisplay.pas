unit KesmardDisplay;

{ The nine entry points of KESMARD.dll and the four answers of
  DISPLAYDLL_Status, for Delphi (any version) and Free Pascal, linked
  statically: a program that uses this unit does not start without
  KESMARD.dll (KesmardDisplayDynamic loads it at run time instead). A Win32
  program takes the 32-bit DLL, a Win64 program the 64-bit one; on Win64
  stdcall is ignored and nothing else changes. On Linux the unit links
  libKESMARD.so (-lKESMARD), and stdcall is ignored there too.

  The unit sets no mode of its own: it compiles in each of Free Pascal's
  modes (fpc, objfpc, delphi, delphiunicode), so it takes the project's.
  That is why the functions below assign their result to their own name,
  not to Result, which the fpc mode lacks. }

interface

const
  KesmardLibrary = {$IFDEF MSWINDOWS}'KESMARD.dll'{$ELSE}'KESMARD'{$ENDIF};

{ PAnsiChar, never PChar: since Delphi 2009 PChar is a pointer to 16-bit
  characters. The ok flag is one byte, never Boolean or LongBool. }
function DISPLAYDLL_Init(columns, rows: Byte; parameters: PAnsiChar; var ok: Byte): PAnsiChar;
  stdcall; external KesmardLibrary;
procedure DISPLAYDLL_Done; stdcall; external KesmardLibrary;
procedure DISPLAYDLL_Write(text: PAnsiChar); stdcall; external KesmardLibrary;
procedure DISPLAYDLL_SetPosition(x, y: Byte); stdcall; external KesmardLibrary;
procedure DISPLAYDLL_PowerResume; stdcall; external KesmardLibrary;
function DISPLAYDLL_Usage: PAnsiChar; stdcall; external KesmardLibrary;
function DISPLAYDLL_DefaultParameters: PAnsiChar; stdcall; external KesmardLibrary;
function DISPLAYDLL_DriverName: PAnsiChar; stdcall; external KesmardLibrary;

{ What DISPLAYDLL_Status answers, a 32-bit LongInt (Integer is 16 bits in
  the fpc mode). }
const
  DISPLAYDLL_STATUS_NOT_SET_UP = 0;
  DISPLAYDLL_STATUS_READY = 1;
  DISPLAYDLL_STATUS_BACKED_UP = 2;
  DISPLAYDLL_STATUS_LOST = 3;

function DISPLAYDLL_Status: LongInt; stdcall; external KesmardLibrary;

{ A returned text as a string of your own, less the line end a system text
  carries. }
function TextOf(Text: PAnsiChar): AnsiString;

{ Sets the display up; Answer is the driver name, or the reason the set-up
  failed. }
function OpenDisplay(Columns, Rows: Byte; const Parameters: AnsiString;
  var Answer: AnsiString): Boolean;

{ Sends the bytes as they are (at most 255), for text already in the
  display's character table; the 0 byte the module reads up to is added
  here. }
procedure WriteBytes(const Bytes: array of Byte);

implementation

function TextOf(Text: PAnsiChar): AnsiString;
var
  Copy: AnsiString;
begin
  Copy := AnsiString(Text);
  while (Length(Copy) > 0) and (Copy[Length(Copy)] in [#13, #10]) do
    SetLength(Copy, Length(Copy) - 1);
  TextOf := Copy;
end;

function OpenDisplay(Columns, Rows: Byte; const Parameters: AnsiString;
  var Answer: AnsiString): Boolean;
var
  Ok: Byte;
begin
  Ok := 0;
  Answer := TextOf(DISPLAYDLL_Init(Columns, Rows, PAnsiChar(Parameters), Ok));
  OpenDisplay := Ok = 1;
end;

procedure WriteBytes(const Bytes: array of Byte);
var
  Text: array[0..255] of Byte;
  Count: Integer;
begin
  { Compared before it is stored: Integer is 16 bits in the fpc mode. }
  if Length(Bytes) > 255 then
    Count := 255
  else
    Count := Length(Bytes);
  if Count > 0 then
    Move(Bytes[0], Text[0], Count);
  Text[Count] := 0;
  DISPLAYDLL_Write(PAnsiChar(@Text[0]));
end;

end.
