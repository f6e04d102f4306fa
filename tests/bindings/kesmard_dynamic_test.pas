{ LoadKesmard of the kit's KesmardDisplayDynamic.pas against the stand-in
  Windows unit beside this file: a module without DISPLAYDLL_Status answers
  False twice, freed each time with every entry point nil; a whole one
  answers True twice from one load. }
program KesmardDynamicTest;

{$MODE OBJFPC}

uses Windows, KesmardDisplayDynamic;

var
  Failed: Boolean = False;

procedure Check(Holds: Boolean; const What: string);
begin
  if not Holds then
    WriteLn('FAILED: ', What);
  Failed := Failed or not Holds;
end;

function EntryPointsSet: Integer;
begin
  Result := Ord(Assigned(DISPLAYDLL_Init)) + Ord(Assigned(DISPLAYDLL_Done)) +
    Ord(Assigned(DISPLAYDLL_Write)) + Ord(Assigned(DISPLAYDLL_SetPosition)) +
    Ord(Assigned(DISPLAYDLL_PowerResume)) + Ord(Assigned(DISPLAYDLL_Usage)) +
    Ord(Assigned(DISPLAYDLL_DefaultParameters)) + Ord(Assigned(DISPLAYDLL_DriverName)) +
    Ord(Assigned(DISPLAYDLL_Status));
end;

begin
  Missing := 'DISPLAYDLL_Status';
  Check(not LoadKesmard('KESMARD.dll'), 'a module without Status loaded');
  Check(not LoadKesmard('KESMARD.dll'), 'a module without Status loaded at the second call');
  Check((Loads = 2) and (Frees = 2), 'not loaded and freed twice');
  Check(EntryPointsSet = 0, 'entry points left set after a failed load');
  Missing := '';
  Check(LoadKesmard('KESMARD.dll') and LoadKesmard('KESMARD.dll'), 'a whole module not loaded, twice');
  Check((Loads = 3) and (Frees = 2), 'a whole module loaded twice or freed');
  Check(EntryPointsSet = 9, 'entry points missing after a load');
  if Failed then
    Halt(1);
end.
