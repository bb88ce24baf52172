{ ZUGDI32: drawing and measuring text in a window with a fixed Japanese
  font.  Windows only: ZUGDI32.dll, every export stdcall. }
unit ZuGdi32;

{$IFNDEF MSWINDOWS}
  {$MESSAGE FATAL 'ZUGDI32 exists on Windows only'}
{$ENDIF}

interface

uses
  Windows;

const
  ZuGdi32Lib = 'ZUGDI32.dll';

{ Draws one line of Text into Rect (client coordinates of Window), right
  aligned when RightAlign is set.  A BackColour other than 0 draws a box in
  that colour framed in FrameColour and the text in the library's font over
  it.  Trace writes the colours and the text to the debug file.  0 when
  drawn, 1 when the box could not be prepared. }
function ZuDrawText(Window: HWND; Text: PAnsiChar; var Rect: TRect; RightAlign: BOOL;
  TextColour, BackColour, FrameColour: COLORREF; Trace: Boolean): Integer;
  stdcall; external ZuGdi32Lib;
{ The width of Text in the font selected into DC, or -1. }
function RtvTextWidth(Text: PAnsiChar; DC: HDC): Integer;
  stdcall; external ZuGdi32Lib;

implementation

end.
