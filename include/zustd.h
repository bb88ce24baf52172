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
ZU_API void *ZU_CALL MutexLockStart(const char *name, int unused);
ZU_API int ZU_CALL MutexLockEnd(void *handle);

#endif
