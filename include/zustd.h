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

#endif
