{ ZUDBTOOL: the table engine for dBASE III tables with NDX indexes.

  Windows: ZUDBTOOL.dll; exports with arguments are stdcall, the others
  cdecl.  Linux: libzudbtool.so, every export cdecl.

  A table handle is made by an open or create call and is valid until
  zdbClose.  Texts are Shift-JIS; returned texts stay valid until the next
  call on the same handle.  Reports leave the calls as described in
  ZuStd.pas. }
unit ZuDbTool;

interface

{$IFDEF MSWINDOWS}
uses
  Windows;
{$ELSE}
type
  BOOL = LongBool;
{$ENDIF}

const
  ZuDbToolLib = {$IFDEF MSWINDOWS}'ZUDBTOOL.dll'{$ELSE}'libzudbtool.so'{$ENDIF};

{ ---- tables ---- }
function zdbCreateTable(Path: PAnsiChar): Pointer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbOpenTable(Path, MutexName: PAnsiChar): Pointer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbOpenTableS(Path, MutexName: PAnsiChar): Pointer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbClose(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbReOpen(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;

{ ---- fields ---- }
function zdbGS(Dbe: Pointer; Field: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGSBin(Dbe: Pointer; Field: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGI(Dbe: Pointer; Field: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbSS(Dbe: Pointer; Field, Text: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbSSBin(Dbe: Pointer; Field, Bytes: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbSI(Dbe: Pointer; Field: PAnsiChar; Value: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbSD(Dbe: Pointer; Field: PAnsiChar; Value: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbIsNull(Dbe: Pointer; Field: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbIsFieldExist(Dbe: Pointer; Field: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGetNField(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGetFieldName(Dbe: Pointer; Number: Integer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGetFieldLength(Dbe: Pointer; Field: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGetFieldType(Dbe: Pointer; Field: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGetRecord(Dbe: Pointer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGetRecordDebug(Dbe: Pointer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbClearBuf(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;

{ ---- records ---- }
function zdbAppend(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbUpdate(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbDeleteRecord(Dbe: Pointer; Mode: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbIsDeteteRecord(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbClearTable(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;

{ ---- position ---- }
function zdbTop(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbBottom(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbSkip(Dbe: Pointer; Count: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbEof(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbBof(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbRecordNo(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbSetRecordNo(Dbe: Pointer; RecordNumber: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbRecordCount(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbRecordCount2(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;

{ ---- table information ---- }
function zdbGetDBFPathFileName(Dbe: Pointer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGetTableCreateDate(Dbe: Pointer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbIsOldTable(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;

{ ---- deleted-record switch and debug words ---- }
function zdbSetDeleteRecordUse: Integer; cdecl; external ZuDbToolLib;
function zdbSetDeleteRecordUnUse: Integer; cdecl; external ZuDbToolLib;
function zdbIsUseDeleteRecord: Integer; cdecl; external ZuDbToolLib;
function zdbSetDebugMode(Dbe: Pointer; Mode: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGetDebugMode(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;

{ ---- indexes: opening, selecting, seeking, rebuilding ----
  A seek: zdbSeekReset, one zdbSSKey or zdbSIKey per key part, then
  zdbSeek (the record number, or 0 when absent) or zdbSeekFirst. }
function zdbOpenTableMIdx(Path: PAnsiChar): Pointer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbUseIndex(Dbe: Pointer; IndexPath: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbChgIndex(Dbe: Pointer; KeyExpression: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbChgIndexByNo(Dbe: Pointer; Number: Integer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGetIndex(Dbe: Pointer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGetNIndex(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbGetIndexPathFileName(Dbe: Pointer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbIsUniqIndex(Dbe: Pointer; KeyExpression: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbSeekReset: Integer; cdecl; external ZuDbToolLib;
function zdbSSKey(Dbe: Pointer; Text: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbSIKey(Dbe: Pointer; Value: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbSeek(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbSeekFirst(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbSeekNext(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbReIndex(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;

{ ---- whole-table operations ---- }
function zdbPack(Dbe: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbSort(Dbe: Pointer; WorkPath: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbCopyTable(Source, Target: Pointer; Clear: BOOL): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbCopyTableStatic(SourcePath, TargetPath: PAnsiChar; Clear: BOOL): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbDBCopy(Dbe: Pointer; TargetPath: PAnsiChar; Append: BOOL): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbRecordCopy(Source, Target: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbCloneStatic(SourcePath, TargetPath: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbCleanUp(Path: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbExport(Dbe: Pointer; Path: PAnsiChar; Header, Append: BOOL): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbExportSDF(Dbe: Pointer; Path: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbExportRecord(Dbe: Pointer; Path: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbImport(Dbe: Pointer; Path, Delimiter: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;
function zdbImportSDF(Dbe: Pointer; Path: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuDbToolLib;

implementation

end.
