{ A stand-in for the Windows unit, which Free Pascal for Linux lacks, so
  that kesmard_dynamic_test.pas runs LoadKesmard natively: every load
  works, GetProcAddress finds every name but Missing, and the loads and
  frees are counted. }
unit Windows;

{$MODE OBJFPC}

interface

type
  HMODULE = PtrUInt;

var
  Missing: AnsiString;
  Loads, Frees: Integer;

function LoadLibraryA(Name: PAnsiChar): HMODULE;
function LoadLibraryW(Name: PWideChar): HMODULE;
function GetProcAddress(Module: HMODULE; Name: PAnsiChar): Pointer;
function FreeLibrary(Module: HMODULE): LongBool;

implementation

const
  TheModule = 42;

function LoadLibraryA(Name: PAnsiChar): HMODULE;
begin
  Inc(Loads);
  Result := TheModule;
end;

function LoadLibraryW(Name: PWideChar): HMODULE;
begin
  Result := LoadLibraryA(nil);
end;

{ Any code address stands for an entry point. }
function GetProcAddress(Module: HMODULE; Name: PAnsiChar): Pointer;
begin
  Result := nil;
  if (Module = TheModule) and (AnsiString(Name) <> Missing) then
    Result := @GetProcAddress;
end;

function FreeLibrary(Module: HMODULE): LongBool;
begin
  if Module = TheModule then
    Inc(Frees);
  Result := Module = TheModule;
end;

end.
