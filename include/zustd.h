/* ZUSTD: the general utility library and the error channel shared by all
 * deliverables.  Texts are Shift-JIS. */
#ifndef ZUSTD_H
#define ZUSTD_H

#include "zucall.h"

/* ---- error channel ---- */
ZU_API void ZU_CALL ZuSetErrMsg(const char *message);
ZU_API const char *ZuGetErrMsg(void);
ZU_API void ZuClearErrMsg(void);
ZU_API unsigned char ZU_CALL SetIsWriteLog(unsigned char on);
ZU_API const char *ZU_CALL GetLastError2Message(unsigned code);
ZU_API const char *ZU_CALL GetLastError2MessageErrorCode(unsigned code);
ZU_API int ZU_CALL SetDebf(const char *file_name);
ZU_API const char *GetDebf(void);
ZU_API const char *ZU_CALL Debf(const char *text);
ZU_API int SetDebfOpenModeAppend(void);
ZU_API char *ZU_CALL ZuGetErrorLogPath(char *buffer, unsigned size);
ZU_API int ZU_CALL zuForceDirectory(const char *path);
ZU_API const char *zuGetMessageFileName(void);
ZU_API const char *zuGetErrorMessageFileName(void);


/* ---- processes, mutexes and timing ---- */
/* A routine called between the slices of a wait (no arguments). */
typedef void (*ZuWaitCallback)(void);
ZU_API int ZU_CALL ZuCreateProcess(const char *command_line);
ZU_API int ZU_CALL ZuCreateProcessShow(const char *command_line, int show_mode, int wait);
ZU_API int ZU_CALL WaitCreateProcess(const char *command_line);
ZU_API int ZU_CALL WaitCreateProcessReturnProc(const char *command_line, unsigned interval_ms, ZuWaitCallback callback);
ZU_API int ZU_CALL WaitCreateProcess16(const char *command_line);
ZU_API int ZU_CALL ZuSystem(const char *command);
ZU_API int ZuSystemLastError(void);
ZU_API const char *ZU_CALL ZuCommandRedirect(const char *command_line);
ZU_API int ZU_CALL ZuExecuteExt(const char *file, int hidden);
ZU_API int ZU_CALL WaitProcessQuit(const char *class_name);
ZU_API int ZU_CALL IsExistMutex(const char *name);
ZU_API void *ZU_CALL ZuCheckDupProcessStart(const char *name);
ZU_API int ZU_CALL ZuCheckDupProcessEnd(void *handle);
ZU_API void *ZU_CALL MutexLockStart(const char *name, int unused);
ZU_API int ZU_CALL MutexLockEnd(void *handle);
ZU_API int ZU_CALL WaitMutexQuit(const char *name, int wait_for_absence, ZuWaitCallback callback, unsigned interval_ms, int unused);
ZU_API int ZU_CALL zuSleep(unsigned ms, const char *trace);
ZU_API int ZU_CALL zuApplicationProcessMessages(int trace);
ZU_API int MSecTimerStart(void);
ZU_API int MSecTimerEnd(void);
ZU_API int ZU_CALL SetAbsoluteForegroundWindow2(void *window);

/* ---- command line ----
 * ZuAVParm splits the process command line at blanks (double quotes group)
 * into options and positional arguments, which the other calls query until
 * the next ZuAVParm.  An argument that begins with `/` is an option: its
 * second character is the letter (either case), the rest its value.  Every
 * other argument is positional, numbered from 0 (the program).  So an
 * absolute path is positional only when written `\/path` (the backslash is
 * dropped), on Linux as on Windows.  Option values and positional arguments
 * from 1 on are decoded: `0x` and four hexadecimal digits give two bytes,
 * `\x` and two digits one byte, a backslash keeps the character after it
 * from starting an escape; then CR LF and `&DA` become LF.  On Linux the
 * command line is the program's arguments joined by blanks, an argument
 * that holds a blank or is empty enclosed in double quotes. */
ZU_API int ZuAVParm(void);
ZU_API int ZU_CALL ZuAVOpt(char letter);
ZU_API const char *ZU_CALL ZuAVOptDt(char letter);
ZU_API char ZU_CALL ZuAVOptOff(char letter);
ZU_API const char *ZU_CALL ZuAVFile(int index);
ZU_API int ZuAVFileN(void);
ZU_API int ZuAVFileNOpt(void);
ZU_API const char *ZuGetCommandLine(void);
ZU_API const char *ZU_CALL ExtractExeName(const char *command_line);
ZU_API const char *ZU_CALL ExtractCmdLine(const char *command_line);
ZU_API int ZU_CALL ZuGetModuleFileName(char *buffer, unsigned size);
ZU_API int ZU_CALL GetProcessNameFromPath(char *out, unsigned size, const char *path);

/* ---- Japanese text ----
 * Results named static stay valid until the next call of the same function.
 * ZuSJis2Jis writes the geta mark (JIS 0x222E) for a double-byte character
 * that has no JIS code; ZuJis2SJis writes ## for a code it cannot map. */
ZU_API char *ZU_CALL ZuJis2SJis(const char *jis);
ZU_API char *ZU_CALL ZuSJis2Jis(const char *sjis);
ZU_API const char *ZU_CALL KanaMuddyConvert(const char *kana, const char *mark);
ZU_API int ZU_CALL RtvKanjiFlag(const char *text, int position);
ZU_API char *ZU_CALL RtvDigitStr(const char *text);
ZU_API int ZU_CALL ZuIsValidStr(char *text);
ZU_API int ZU_CALL ZuIsAlphaChar(char c);
ZU_API int ZU_CALL ZuIsAlphaStr(const char *text);
ZU_API int ZU_CALL ZuIsPathFileChar(char c);
ZU_API int ZU_CALL ZuIsPathFileStr(const char *text);
ZU_API int ZU_CALL ZuIsWAlpha(const char *c);
ZU_API int ZU_CALL ZuIsAddressStr(const char *text);
ZU_API int ZU_CALL JTrim(char *text, unsigned size);
ZU_API char *ZU_CALL MTrim(char *text);
ZU_API int ZU_CALL Zip2String(unsigned first, unsigned second, char *out);
ZU_API int ZU_CALL Zip2String7(unsigned first, unsigned second, unsigned third, char *out);
ZU_API int ZU_CALL Digit2OCRString(int value, char *out);
ZU_API float ZU_CALL AmountRepair(const char *amount);
ZU_API unsigned ZU_CALL StrHexToVal(const char *hex);
ZU_API char ZU_CALL ToUpper(char c);
ZU_API char ZU_CALL ToLower(char c);
ZU_API unsigned ZU_CALL StrLen(const char *text);
ZU_API int ZU_CALL StrStr(const char *text, const char *pattern);
ZU_API char *ZU_CALL ZuStrTok(char *text, const char *delimiters);
ZU_API char *ZU_CALL ZuStrChg(const char *text, const char *pattern, const char *replacement);


/* ---- record files and buffers ----
 * One current file at a time, shared by the Zuio calls: records are lines
 * ending in CR LF, fields are separated by commas (no quoting).  The Zuio
 * calls give 1 for success and 0 for failure; the BufferToFile calls give 0
 * for success and 1 for failure.  ZuioReadField's buffer must hold the
 * longest field (8188 bytes and its terminator suffice). */
ZU_API int ZU_CALL ZuioReadOpen(const char *name);
ZU_API int ZU_CALL ZuioWriteOpen(const char *name);
ZU_API int ZU_CALL ZuioWriteAppendOpen(const char *name);
ZU_API int ZuioReadRecord(void);
ZU_API char *ZuioReadRecord2(void);
ZU_API int ZU_CALL ZuioReadField(char *field);
ZU_API int ZU_CALL ZuioWrite(const char *text);
ZU_API int ZU_CALL ZuioWriteFix(const char *text, int length);
ZU_API int ZuioWriteFieldDelimiter(void);
ZU_API int ZuioWriteRecordDelimiter(void);
ZU_API int ZuioClose(void);
ZU_API int ZU_CALL BufferToFile(const char *text, const char *name);
ZU_API int ZU_CALL BufferToFileAppend(const char *text, const char *name);
ZU_API int ZU_CALL BufferToFileB(const char *buffer, const char *name, unsigned length);
ZU_API int ZU_CALL BufferToFileBAppend(const char *buffer, const char *name, unsigned length);
ZU_API char *ZU_CALL FileToBuffer(const char *name, char *buffer);
ZU_API unsigned ZU_CALL RtvFLen(const char *name);
ZU_API int ZU_CALL ColCheckDup(const int *list, int count);
ZU_API int ZU_CALL ColCheckZero(const int *list, int count);
ZU_API int ZU_CALL ColCheckMax(const int *list, int count, int maximum);
ZU_API int *ZU_CALL IntSort(int *list, int count);
ZU_API const char *ZU_CALL IntDisp(const int *list, int count);
ZU_API int ZU_CALL IntLen(const int *list);
ZU_API int ZU_CALL IntChr(const int *list, int value);
ZU_API int ZU_CALL IntSwap(int *a, int *b);
ZU_API int ZU_CALL RowCol2Pos(int columns, int row, int column);
ZU_API int ZU_CALL Pos2Row(int columns, int position);
ZU_API int ZU_CALL Pos2Col(int columns, int position);


/* ---- file operations ----
 * Paths use the system's separator (`\` on Windows, `/` on Linux; Linux has
 * no drives: a search without a start searches from `/`).  Texts named
 * static stay valid until the next call of the same function.  Whatever
 * replaces a file (copies, safe appends, restored bundles, a cut log) is
 * written beside it first and takes its place only when complete.
 * ZuFileCopy gives 0 or the system's error code; the shell calls give the
 * shell's result (0 for success). */
typedef struct ZuSystemTime {   /* SYSTEMTIME: local time */
    unsigned short year, month, day_of_week, day, hour, minute, second, milliseconds;
} ZuSystemTime;
/* The search callback, __stdcall on Windows (ZU_CALL): called with two nulls
 * when the search enters a folder (a result of 0 skips that folder and all
 * below it), then once per match with the match's full path and its output
 * line (the result is ignored). */
typedef int (ZU_CALL *ZuSeekCallback)(const char *path, const char *line);
ZU_API unsigned ZU_CALL ZuFileCopy(const char *source, const char *target);
ZU_API int ZU_CALL ZuFileCopyAppend(const char *source, const char *target, int safe);
ZU_API int ZU_CALL ZuFileCopySHFO(const char *source, const char *target);
ZU_API int ZU_CALL ZuFileCopySHFO_Silent(const char *source, const char *target);
ZU_API int ZU_CALL ZuDirDeleteSHFO(const char *path);
ZU_API int ZU_CALL ZuRenameSHFO(const char *source, const char *target, int show_errors);
ZU_API unsigned ZU_CALL ZuRename(const char *source, const char *target, int replace);
ZU_API int ZU_CALL ZuFileStore(char *file, const char *bundle);
ZU_API int ZU_CALL ZuFileReStore(const char *bundle, const char *folder);
ZU_API int ZU_CALL ZuFileComp(const char *file1, const char *file2);
ZU_API const char *ZU_CALL Dump(const void *buffer, unsigned length);
ZU_API int ZU_CALL DumpFile(const char *input, const char *output);
ZU_API int ZU_CALL DivideFile(int a, int b, int c, int d);
ZU_API int ZU_CALL ZuSeekDir(const char *start, const char *pattern, const char *output);
ZU_API int ZU_CALL ZuSeekDrive(const char *start, const char *pattern, const char *output);
ZU_API int ZU_CALL ZuSeekDriveAll(const char *pattern, const char *output);
ZU_API int ZU_CALL ZuSeekDirRtnProc(const char *start, const char *pattern, const char *output, ZuSeekCallback callback);
ZU_API int ZU_CALL ZuSeekDriveAllRtnProc(const char *pattern, const char *output, ZuSeekCallback callback);
ZU_API const char *ZU_CALL ZuSeekDriveNotUnderFolder(const char *path_pattern, const char *output);
ZU_API int ZU_CALL RtvFileNameDigit(const char *name, int *start, int *end);
ZU_API char *ZU_CALL FileNameUpDown(const char *name, char *output, int step, int width);
ZU_API const char *ZU_CALL GetFileNameSequence(const char *name);
ZU_API char *ZU_CALL OmitFExt(char *name);
ZU_API char *ZU_CALL GetExistPath(char *path);
ZU_API int ZU_CALL DirectoryExists(const char *path);
ZU_API int ZU_CALL FExist(char *path);
ZU_API const char *ZU_CALL ZuGetTempFileName(const char *path);
ZU_API const char *ZU_CALL RtvFileTime(const char *name);
ZU_API const char *ZU_CALL RtvFileDateTime(const char *name);
ZU_API const char *ZU_CALL RtvFileDateTimeCreate(const char *name);
ZU_API ZuSystemTime *ZU_CALL ZuGetFileDate(ZuSystemTime *time, const char *name);
ZU_API int ZU_CALL ZuSetFileDate(const char *name, ZuSystemTime time);
ZU_API int ZU_CALL ResizeLogFile(const char *name, unsigned maximum);


/* ---- encoded strings and files ----
 * Blowfish under a key text (not empty; its first 72 bytes count), block by
 * block, each 32-bit half of a block least significant byte first.  The
 * string results live in static buffers of their own (600 bytes each for
 * StrEncode/StrDecode, whose length must be a multiple of 8 up to 600).
 * StrEncodeFile gives the name it made (when `encoded` is null) or "";
 * StrDecodeFile gives the output name, the default one made from the stored
 * extension when `output` is null, and with `check_only` writes nothing.
 * Bin2Txt_str takes at most 7999 bytes, Txt2Bin_str at most 15999
 * characters; Bin2Txt and Txt2Bin give 0, or 1 when the input cannot be
 * read. */
ZU_API unsigned char *ZU_CALL StrEncode(const void *data, int length, const char *key);
ZU_API unsigned char *ZU_CALL StrDecode(const void *data, int length, const char *key);
ZU_API const char *ZU_CALL StrEncodeFile(const char *plain, const char *encoded, const char *key);
ZU_API const char *ZU_CALL StrDecodeFile(const char *encoded, const char *output, const char *key, int check_only);
ZU_API const char *ZU_CALL Bin2Txt_str(const void *data, int length);
ZU_API const unsigned char *ZU_CALL Txt2Bin_str(const char *text, int length);
ZU_API int ZU_CALL Bin2Txt(const char *input, const char *output);
ZU_API int ZU_CALL Txt2Bin(const char *input, const char *output);

/* ---- host record conversion ---- */
/* Converts the fixed-length records (record_length bytes each; a shorter
 * last one is converted as it is, a last lone Ctrl-Z ends the input) of
 * `input` into one comma-separated Shift-JIS line each in `output`, field by
 * field as the definition file says: pairs of a length and a job letter
 * (- skip, may be negative; @ copy; E EBCDIC katakana; e to EBCDIC; h hex
 * marks; F host kanji; J JIS kanji; p packed decimal).  A byte or code that
 * does not convert is marked in the line ({H:XXXX}, or { for e); the result
 * is 1 when any record carried a mark (or when the input or the definition
 * could not be read after a report that returned), else 0.  Fields are taken
 * only from the bytes of the record: a field that runs past them converts
 * what there is, and the position never moves before the record start.
 * Marks are not written to the error log. */
ZU_API int ZU_CALL ZuFConversion(const char *input, const char *definition, const char *output, int record_length);

/* ---- system queries and small helpers ----
 * Volume and mute of mixer `mixer`: the volume functions show a failing
 * mixer call's name in a box and return -1 (get) or 0 (set); the mute
 * functions raise "mixerOpen" when the mixer cannot be opened.  Linux has no
 * mixer: the volume functions show "mixerGetDevCaps" and the mute functions
 * raise "mixerOpen".
 * GetMacAddress: twelve hexadecimal digits of the first network adapter
 * (Linux: the first interface that is not a loopback), or null.
 * zuGetWindowsVersion: 0 or the system's error code; on Linux the platform
 * is 0, the numbers are the kernel release's first three and the text is the
 * kernel's name and release (at most 127 bytes; each out pointer may be null).
 * zuImmGetCompositionString: the reading of the input method's last result
 * for the active window; Linux has no input method: always "".
 * ZuRand: the raw numbers are the C library generator's, which differ
 * between Windows and Linux; ZuRand(n, seed) for n > 0 gives 1 to n.
 * ZuSetDateTime: the system's result (Linux: 0 without the right to set the
 * clock). */
ZU_API int ZU_CALL zuGetMasterVolume(unsigned mixer);
ZU_API int ZU_CALL zuSetMasterVolume(unsigned mixer, int volume);
ZU_API int ZU_CALL zuGetMasterMute(unsigned mixer);
ZU_API int ZU_CALL zuSetMasterMute(unsigned mixer, int on);
ZU_API const char *GetMacAddress(void);
ZU_API const char *GetMacAddressByIpConfig(void);
ZU_API const char *ZU_CALL GetNetUseErrorString(unsigned code);
ZU_API unsigned ZU_CALL zuGetWindowsVersion(unsigned *platform, unsigned *major, unsigned *minor, unsigned *build,
                                            char *service_pack);
ZU_API int CreateKeyboardNameTable(void);
ZU_API const char *ZU_CALL GetKeyboardName(unsigned code);
ZU_API const char *ZU_CALL zuImmGetCompositionString(int unused);
/* Wintrail's hook calls under the same names (declared alike in wintrail.h);
 * here they do nothing. */
ZU_API void *ZU_CALL sethook(void *window);
ZU_API int freehook(void);
ZU_API const char *ZuGetDate(void);
ZU_API const char *ZuGetTime(void);
ZU_API const char *ZuGetMTime(void);
ZU_API int ZU_CALL ZuSetDateTime(ZuSystemTime time);
ZU_API int ZU_CALL DOWeek(const char *text);
ZU_API int ZU_CALL DOWeek6(const char *text);
ZU_API int *ZU_CALL ZuDateTimeStringSeparate(const char *format, const char *text, const char *date_separator,
                                             const char *time_separator, const char *between, char *output);
ZU_API int ZU_CALL Round(double value);
ZU_API int ZU_CALL ZuRand(int n, int seed);
ZU_API int ZU_CALL SurFirstComp(const char *name1, const char *name2);
ZU_API int ZU_CALL ZuTemp01(const char *text, char **a, char **b, char **c, char **d);

#endif
