{ ZUWGY: the text conversion engine driven by pattern files.

  Windows: ZUWGY.dll, every export stdcall.  Linux: libzuwgy.so, every
  export cdecl.  Texts are Shift-JIS.  Reports leave the calls as described
  in ZuStd.pas. }
unit ZuWgy;

interface

const
  ZuWgyLib = {$IFDEF MSWINDOWS}'ZUWGY.dll'{$ELSE}'libzuwgy.so'{$ENDIF};

{ Loads a pattern file or a pattern text into a new pattern handle of
  Capacity records (at least 3); a faulty text is reported. }
function ZuWGYInit(FileName: PAnsiChar; Capacity: Integer): Pointer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuWgyLib;
function ZuWGYInitStr(Text: PAnsiChar; Capacity: Integer): Pointer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuWgyLib;
{ Converts text by every group of the handle in turn.  The result lives
  until the next call; nil when a text is longer than 16383 bytes (also for
  a nil handle or text). }
function ZuWGYStr(Handle: Pointer; Text: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuWgyLib;
{ Converts a file by a command text "INPUT PATTERNS [START [END]] [/OPTIONS]"
  (with a handle: "INPUT [START [END]] [/OPTIONS]"); 1 when a pattern was
  applied, else 0. }
function ZuWGY(Command: PAnsiChar; Handle: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuWgyLib;
{ Frees the handle (nil is allowed); 0. }
function ZuWGYTerm(Handle: Pointer): Integer;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuWgyLib;
{ The text with each of / : > < | " ? * \ replaced by an underscore. }
function ConvertToFileNameString(Text: PAnsiChar): PAnsiChar;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external ZuWgyLib;

implementation

end.
