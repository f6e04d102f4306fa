{ A stand-in for the Windows unit, which Free Pascal for Linux lacks, so
  that tests/bindings/kesmard_dynamic_test.pas runs LoadKesmard natively:
  loading always works, GetProcAddress has every entry point but the one
  named in Missing, and the loads and frees are counted. }
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

procedure AnEntryPoint;
begin
end;

function LoadLibraryA(Name: PAnsiChar): HMODULE;
begin
  Inc(Loads);
  Result := TheModule;
end;

function LoadLibraryW(Name: PWideChar): HMODULE;
begin
  Inc(Loads);
  Result := TheModule;
end;

function GetProcAddress(Module: HMODULE; Name: PAnsiChar): Pointer;
begin
  if (Module <> TheModule) or (AnsiString(Name) = Missing) then
    Result := nil
  else
    Result := @AnEntryPoint;
end;

function FreeLibrary(Module: HMODULE): LongBool;
begin
  if Module = TheModule then
    Inc(Frees);
  Result := Module = TheModule;
end;

end.
