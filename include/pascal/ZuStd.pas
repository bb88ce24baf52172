{ ZUSTD: the general utility library and the error channel shared by all
  ZU libraries.  Texts are Shift-JIS byte strings (PAnsiChar).

  Windows: ZUSTD.dll; exports with arguments are stdcall, the others cdecl.
  Linux: libzustd.so, every export cdecl.

  Returned texts live in the library's buffers until the next call of the
  same kind; copy what you keep.  A report (a problem the library finds)
  leaves the call as an exception: on Windows a Microsoft C++ exception that
  Delphi raises as an external exception; ZuGetErrMsg returns its text.  On
  Linux a report is a C++ exception that cannot pass through Pascal code.

  Round, StrLen, DirectoryExists, ToUpper and ToLower share their names with
  routines of the Delphi and Free Pascal run-time library: call them as
  ZuStd.Round etc. }
unit ZuStd;

interface

{$IFDEF MSWINDOWS}
uses
  Windows;
{$ENDIF}

const
  ZuStdLib = {$IFDEF MSWINDOWS}'ZUSTD.dll'{$ELSE}'libzustd.so'{$ENDIF};

type
{$IFDEF MSWINDOWS}
  { The system-time record (local time). }
  TZuSystemTime = TSystemTime;
{$ELSE}
  HWND = NativeUInt;
  BOOL = LongBool;
  { The system-time record (local time), laid out as on Windows.  Free
    Pascal's SysUtils.TSystemTime orders its fields differently. }
  TZuSystemTime = record
    wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds: Word;
  end;
{$ENDIF}
  PZuSystemTime = ^TZuSystemTime;

  { Called between the slices of a wait. }
  TZuWaitCallback = procedure; cdecl;
  { Called with two nils when a search enters a folder (a result of 0 skips
    that folder and all below it), then once per match with its full path
    and its output line (the result is ignored). }
  TZuSeekCallback = function(Path, Line: PAnsiChar): Integer; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF};

{ ---- error channel ---- }
procedure ZuSetErrMsg(Message: PAnsiChar);
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuGetErrMsg: PAnsiChar; cdecl; external ZuStdLib;
procedure ZuClearErrMsg; cdecl; external ZuStdLib;
function SetIsWriteLog(Enable: Boolean): Boolean;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function GetLastError2Message(Code: Cardinal): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function GetLastError2MessageErrorCode(Code: Cardinal): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function SetDebf(FileName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function GetDebf: PAnsiChar; cdecl; external ZuStdLib;
function Debf(Text: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function SetDebfOpenModeAppend: Integer; cdecl; external ZuStdLib;
function ZuGetErrorLogPath(Buffer: PAnsiChar; Size: Cardinal): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function zuForceDirectory(Path: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function zuGetMessageFileName: PAnsiChar; cdecl; external ZuStdLib;
function zuGetErrorMessageFileName: PAnsiChar; cdecl; external ZuStdLib;

{ ---- processes, mutexes and timing ---- }
function ZuCreateProcess(CommandLine: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuCreateProcessShow(CommandLine: PAnsiChar; ShowMode: Integer; Wait: BOOL): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function WaitCreateProcess(CommandLine: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function WaitCreateProcessReturnProc(CommandLine: PAnsiChar; IntervalMs: Cardinal;
  Callback: TZuWaitCallback): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function WaitCreateProcess16(CommandLine: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuSystem(Command: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuSystemLastError: Integer; cdecl; external ZuStdLib;
function ZuCommandRedirect(CommandLine: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuExecuteExt(FileName: PAnsiChar; Hidden: BOOL): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function WaitProcessQuit(ClassName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function IsExistMutex(Name: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuCheckDupProcessStart(Name: PAnsiChar): Pointer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuCheckDupProcessEnd(Handle: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function MutexLockStart(Name: PAnsiChar; Unused: Integer): Pointer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function MutexLockEnd(Handle: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function WaitMutexQuit(Name: PAnsiChar; WaitForAbsence: BOOL; Callback: TZuWaitCallback;
  IntervalMs: Cardinal; Unused: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function zuSleep(Ms: Cardinal; Trace: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function zuApplicationProcessMessages(Trace: BOOL): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function MSecTimerStart: Integer; cdecl; external ZuStdLib;
function MSecTimerEnd: Integer; cdecl; external ZuStdLib;
function SetAbsoluteForegroundWindow2(Window: HWND): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;

{ ---- command line ----
  ZuAVParm splits the process command line into options (/X value) and
  positional arguments, which the other calls query until the next
  ZuAVParm. }
function ZuAVParm: Integer; cdecl; external ZuStdLib;
function ZuAVOpt(Letter: AnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuAVOptDt(Letter: AnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuAVOptOff(Letter: AnsiChar): AnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuAVFile(Index: Integer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuAVFileN: Integer; cdecl; external ZuStdLib;
function ZuAVFileNOpt: Integer; cdecl; external ZuStdLib;
function ZuGetCommandLine: PAnsiChar; cdecl; external ZuStdLib;
function ExtractExeName(CommandLine: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ExtractCmdLine(CommandLine: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuGetModuleFileName(Buffer: PAnsiChar; Size: Cardinal): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function GetProcessNameFromPath(Buffer: PAnsiChar; Size: Cardinal; Path: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;

{ ---- Japanese text ---- }
function ZuJis2SJis(Jis: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuSJis2Jis(SJis: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function KanaMuddyConvert(Kana, Mark: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function RtvKanjiFlag(Text: PAnsiChar; Position: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function RtvDigitStr(Text: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuIsValidStr(Text: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuIsAlphaChar(C: AnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuIsAlphaStr(Text: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuIsPathFileChar(C: AnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuIsPathFileStr(Text: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuIsWAlpha(C: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuIsAddressStr(Text: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function JTrim(Text: PAnsiChar; Size: Cardinal): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function MTrim(Text: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function Zip2String(First, Second: Cardinal; Buffer: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function Zip2String7(First, Second, Third: Cardinal; Buffer: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function Digit2OCRString(Value: Integer; Buffer: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function AmountRepair(Amount: PAnsiChar): Single;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function StrHexToVal(Hex: PAnsiChar): Cardinal;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ToUpper(C: AnsiChar): AnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ToLower(C: AnsiChar): AnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function StrLen(Text: PAnsiChar): Cardinal;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function StrStr(Text, Pattern: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuStrTok(Text, Delimiters: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuStrChg(Text, Pattern, Replacement: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;

{ ---- record files and buffers ----
  The Zuio calls give 1 for success and 0 for failure; the BufferToFile
  calls give 0 for success and 1 for failure. }
function ZuioReadOpen(FileName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuioWriteOpen(FileName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuioWriteAppendOpen(FileName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuioReadRecord: Integer; cdecl; external ZuStdLib;
function ZuioReadRecord2: PAnsiChar; cdecl; external ZuStdLib;
function ZuioReadField(Field: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuioWrite(Text: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuioWriteFix(Text: PAnsiChar; Length: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuioWriteFieldDelimiter: Integer; cdecl; external ZuStdLib;
function ZuioWriteRecordDelimiter: Integer; cdecl; external ZuStdLib;
function ZuioClose: Integer; cdecl; external ZuStdLib;
function BufferToFile(Text, FileName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function BufferToFileAppend(Text, FileName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function BufferToFileB(Buffer, FileName: PAnsiChar; Length: Cardinal): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function BufferToFileBAppend(Buffer, FileName: PAnsiChar; Length: Cardinal): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function FileToBuffer(FileName, Buffer: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function RtvFLen(FileName: PAnsiChar): Cardinal;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ColCheckDup(List: PInteger; Count: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ColCheckZero(List: PInteger; Count: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ColCheckMax(List: PInteger; Count, Maximum: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function IntSort(List: PInteger; Count: Integer): PInteger;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function IntDisp(List: PInteger; Count: Integer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function IntLen(List: PInteger): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function IntChr(List: PInteger; Value: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function IntSwap(var A, B: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function RowCol2Pos(Columns, Row, Column: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function Pos2Row(Columns, Position: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function Pos2Col(Columns, Position: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;

{ ---- file operations ----
  Paths use the system's separator (\ on Windows, / on Linux).  ZuFileCopy
  gives 0 or the system's error code; the shell calls give the shell's
  result (0 for success). }
function ZuFileCopy(Source, Target: PAnsiChar): Cardinal;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuFileCopyAppend(Source, Target: PAnsiChar; Safe: BOOL): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuFileCopySHFO(Source, Target: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuFileCopySHFO_Silent(Source, Target: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuDirDeleteSHFO(Path: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuRenameSHFO(Source, Target: PAnsiChar; ShowErrors: BOOL): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuRename(Source, Target: PAnsiChar; Replace: BOOL): Cardinal;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuFileStore(FileName, Bundle: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuFileReStore(Bundle, Folder: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuFileComp(FileName1, FileName2: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function Dump(Buffer: Pointer; Length: Cardinal): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function DumpFile(Input, OutputName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function DivideFile(A, B, C, D: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuSeekDir(Start, Pattern, OutputName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuSeekDrive(Start, Pattern, OutputName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuSeekDriveAll(Pattern, OutputName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuSeekDirRtnProc(Start, Pattern, OutputName: PAnsiChar; Callback: TZuSeekCallback): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuSeekDriveAllRtnProc(Pattern, OutputName: PAnsiChar; Callback: TZuSeekCallback): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuSeekDriveNotUnderFolder(PathPattern, OutputName: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function RtvFileNameDigit(FileName: PAnsiChar; var StartPos, EndPos: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function FileNameUpDown(FileName, Buffer: PAnsiChar; Step, Width: Integer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function GetFileNameSequence(FileName: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function OmitFExt(FileName: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function GetExistPath(Path: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function DirectoryExists(Path: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function FExist(Path: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuGetTempFileName(Path: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function RtvFileTime(FileName: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function RtvFileDateTime(FileName: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function RtvFileDateTimeCreate(FileName: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuGetFileDate(var Time: TZuSystemTime; FileName: PAnsiChar): PZuSystemTime;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuSetFileDate(FileName: PAnsiChar; Time: TZuSystemTime): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ResizeLogFile(FileName: PAnsiChar; Maximum: Cardinal): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;

{ ---- encoded strings and files ----
  Blowfish under a key text (not empty; its first 72 bytes count). }
function StrEncode(Data: Pointer; Length: Integer; Key: PAnsiChar): PByte;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function StrDecode(Data: Pointer; Length: Integer; Key: PAnsiChar): PByte;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function StrEncodeFile(Plain, Encoded, Key: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function StrDecodeFile(Encoded, OutputName, Key: PAnsiChar; CheckOnly: BOOL): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function Bin2Txt_str(Data: Pointer; Length: Integer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function Txt2Bin_str(Text: PAnsiChar; Length: Integer): PByte;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function Bin2Txt(Input, OutputName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function Txt2Bin(Input, OutputName: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;

{ ---- host record conversion ---- }
function ZuFConversion(Input, Definition, OutputName: PAnsiChar; RecordLength: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;

{ ---- system queries and small helpers ---- }
function zuGetMasterVolume(Mixer: Cardinal): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function zuSetMasterVolume(Mixer: Cardinal; Volume: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function zuGetMasterMute(Mixer: Cardinal): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function zuSetMasterMute(Mixer: Cardinal; Mute: BOOL): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function GetMacAddress: PAnsiChar; cdecl; external ZuStdLib;
function GetMacAddressByIpConfig: PAnsiChar; cdecl; external ZuStdLib;
function GetNetUseErrorString(Code: Cardinal): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function zuGetWindowsVersion(Platform, Major, Minor, Build: PCardinal; ServicePack: PAnsiChar): Cardinal;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function CreateKeyboardNameTable: Integer; cdecl; external ZuStdLib;
function GetKeyboardName(Code: Cardinal): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function zuImmGetCompositionString(Unused: Integer): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
{ ZUSTD's sethook and freehook do nothing; the hook is Wintrail's. }
procedure sethook(Unused: Integer);
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
procedure freehook; cdecl; external ZuStdLib;
function ZuGetDate: PAnsiChar; cdecl; external ZuStdLib;
function ZuGetTime: PAnsiChar; cdecl; external ZuStdLib;
function ZuGetMTime: PAnsiChar; cdecl; external ZuStdLib;
function ZuSetDateTime(Time: TZuSystemTime): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function DOWeek(Text: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function DOWeek6(Text: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuDateTimeStringSeparate(Format, Text, DateSeparator, TimeSeparator, Between,
  Buffer: PAnsiChar): PInteger;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function Round(Value: Double): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuRand(N, Seed: Integer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function SurFirstComp(Name1, Name2: PAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;
function ZuTemp01(Text: PAnsiChar; A, B, C, D: PPAnsiChar): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuStdLib;

implementation

end.
