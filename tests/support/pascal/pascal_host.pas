{ A Free Pascal program over the Linux libraries through the Pascal units:
  a customer table with Japanese (Shift-JIS) names is created, filled, read
  back in index order and searched by a name; a text is converted by a
  pattern; a file date travels as a system-time record; a folder search
  calls back into Pascal.  Every call is made so that no report is raised:
  on Linux a report is a C++ exception, which cannot pass through Pascal
  code.  Prints "pascal host: ok" when every check holds. }
program pascal_host;

uses
  SysUtils, ZuStd, ZuDbTool, ZuWgy;

const
  Yamada = #$8E#$52#$93#$63#$91#$BE#$98#$59;      { 山田太郎 }
  Suzuki = #$97#$E9#$96#$D8#$89#$D4#$8E#$71;      { 鈴木花子 }
  SoftHyoji = #$83#$5C#$83#$74#$83#$67#$95#$5C#$8E#$A6; { ソフト表示: trail bytes 5C }
  Tokyo = #$93#$8C#$8B#$9E;                       { 東京 }
  Osaka = #$91#$E5#$8D#$E3;                       { 大阪 }
  Miyako = #$93#$73;                              { 都 }

var
  Failures: Integer = 0;
  Matches: Integer = 0;
  MatchedPath: AnsiString = '';

procedure Check(Ok: Boolean; const What: string);
begin
  if not Ok then
  begin
    WriteLn('FAILED: ', What);
    Inc(Failures);
  end;
end;

function Same(P: PAnsiChar; const Expected: AnsiString): Boolean;
begin
  Result := (P <> nil) and (StrComp(P, PAnsiChar(Expected)) = 0);
end;

function OnMatch(Path, Line: PAnsiChar): Integer; cdecl;
begin
  if Path <> nil then
  begin
    Inc(Matches);
    MatchedPath := Path;
  end;
  Result := 1;
end;

procedure AddCustomer(H: Pointer; const Code, Name: AnsiString);
begin
  zdbClearBuf(H);
  zdbSS(H, 'CODE', PAnsiChar(Code));
  zdbSS(H, 'NAME', PAnsiChar(Name));
  Check(zdbAppend(H) = 0, 'append ' + string(Code));
end;

procedure Tables;
var
  H: Pointer;
  Walk: AnsiString;
begin
  Check(BufferToFile('CODE,A,5'#13#10'NAME,A,20'#13#10'CODE,P'#13#10'NAME,I'#13#10,
    'CUSTOMER.FIELD') = 0, 'definition file');
  H := zdbCreateTable('CUSTOMER.DBF');
  Check(H <> nil, 'create');
  AddCustomer(H, 'C0003', SoftHyoji);
  AddCustomer(H, 'C0001', Yamada);
  AddCustomer(H, 'C0002', Suzuki);
  Check(zdbRecordCount(H) = 3, 'record count');
  Check(zdbClose(H) = 0, 'close');

  H := zdbOpenTable('CUSTOMER.DBF', nil);
  Check(H <> nil, 'open');
  Check(zdbGetNIndex(H) = 2, 'two indexes');
  zdbChgIndex(H, 'CODE');
  Walk := '';
  zdbTop(H);
  while zdbEof(H) = 0 do
  begin
    Walk := Walk + zdbGS(H, 'CODE') + '=' + zdbGS(H, 'NAME') + ';';
    zdbSkip(H, 1);
  end;
  Check(Walk = 'C0001=' + Yamada + ';C0002=' + Suzuki + ';C0003=' + SoftHyoji + ';', 'walk in code order');

  zdbChgIndex(H, 'NAME');
  zdbSeekReset;
  zdbSSKey(H, Suzuki);
  Check(zdbSeek(H) = 3, 'seek by name gives record 3');
  Check(Same(zdbGS(H, 'CODE'), 'C0002'), 'the found record');
  zdbSeekReset;
  zdbSSKey(H, SoftHyoji);
  Check(zdbSeek(H) = 1, 'seek by a name with trail bytes 5C');
  zdbSeekReset;
  zdbSSKey(H, Tokyo);
  Check(zdbSeek(H) = 0, 'an absent name');
  Check(zdbClose(H) = 0, 'close again');
end;

procedure Patterns;
var
  W: Pointer;
begin
  W := ZuWGYInitStr(Tokyo + '_' + Osaka + #10, 10);
  Check(W <> nil, 'pattern text');
  Check(Same(ZuWGYStr(W, Tokyo + Miyako + ' ' + SoftHyoji), Osaka + Miyako + ' ' + SoftHyoji), 'ZuWGYStr');
  Check(ZuWGYTerm(W) = 0, 'ZuWGYTerm');
end;

procedure DatesAndSearch;
var
  T, Back: TZuSystemTime;
begin
  FillChar(T, SizeOf(T), 0);
  T.wYear := 2001;
  T.wMonth := 2;
  T.wDay := 3;
  T.wHour := 4;
  T.wMinute := 5;
  T.wSecond := 6;
  ZuSetFileDate('CUSTOMER.FIELD', T);
  Check(Same(RtvFileDateTime('CUSTOMER.FIELD'), '2001/02/03 04:05:06'), 'file date set by record');
  FillChar(Back, SizeOf(Back), $FF);
  Check(ZuGetFileDate(Back, 'CUSTOMER.FIELD') = @Back, 'ZuGetFileDate fills the caller''s record');
  Check((Back.wYear = 2001) and (Back.wMonth = 2) and (Back.wDay = 3) and (Back.wDayOfWeek = 6)
    and (Back.wHour = 4) and (Back.wMinute = 5) and (Back.wSecond = 6), 'file date read into the record');

  Check(ZuSeekDirRtnProc(PAnsiChar(AnsiString(GetCurrentDir)), '*.FIELD', nil, @OnMatch) = 1, 'search');
  Check((Matches = 1) and (ExtractFileName(string(MatchedPath)) = 'CUSTOMER.FIELD'), 'search called back once');
end;

begin
  Tables;
  Patterns;
  DatesAndSearch;
  Check(ZuGetErrMsg = nil, 'no report on the way');
  if Failures = 0 then
    WriteLn('pascal host: ok')
  else
    ExitCode := 1;
end.
