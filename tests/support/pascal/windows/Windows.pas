{ The few declarations of Delphi's Windows unit that the Pascal units use,
  so that their Windows branches compile (unlinked) with Free Pascal on
  Linux. }
unit Windows;

interface

type
  HWND = NativeUInt;
  HDC = NativeUInt;
  HHOOK = NativeUInt;
  COLORREF = LongWord;
  BOOL = LongBool;
  TRect = record
    Left, Top, Right, Bottom: LongInt;
  end;
  TSystemTime = record
    wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds: Word;
  end;

implementation

end.
