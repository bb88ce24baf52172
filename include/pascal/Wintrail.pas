{ Wintrail: a system-wide window hook that remembers which window of
  another program last lost the focus.  Windows only: Wintrail.dll; exports
  with an argument are stdcall, the others cdecl.

  The program that calls sethook must own the hidden window of class
  TApplication that the Delphi VCL makes; that window and the one passed to
  sethook are never recorded.  ZuStd declares a sethook and a freehook of
  its own that do nothing: with both units in the uses clause, call
  Wintrail.sethook and Wintrail.freehook. }
unit Wintrail;

{$IFNDEF MSWINDOWS}
  {$MESSAGE FATAL 'Wintrail exists on Windows only'}
{$ENDIF}

interface

uses
  Windows;

const
  WintrailLib = 'Wintrail.dll';

{ Installs the hook (once) and sets the window never to be recorded; the
  hook's handle when this call installed it. }
function sethook(Window: HWND): HHOOK; stdcall; external WintrailLib;
{ Removes the hook; nonzero on success. }
function freehook: BOOL; cdecl; external WintrailLib;
{ The top-level window that last lost the focus, or 0. }
function GetLastActiveWindow: HWND; cdecl; external WintrailLib;
{ The window that had the focus inside it at that moment. }
function GetLastActiveWindowChild: HWND; cdecl; external WintrailLib;
{ "window caption [child caption]". }
function GetLastActiveWindowCaption: PAnsiChar; cdecl; external WintrailLib;
{ The text of Window (up to 1023 characters). }
function ZuGetWindowText(Window: HWND): PAnsiChar; stdcall; external WintrailLib;

implementation

end.
